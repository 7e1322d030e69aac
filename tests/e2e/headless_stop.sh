#!/bin/bash
# Stopping rigvane --headless: a stop during start-up leaves the frequency
# file as it was, byte for byte.
# Usage: headless_stop.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
RIGVANE="$1"
SIM="$2"
WORK="$(mktemp -d)"
SIM_PID=""
RUN_PID=""
cleanup() {
    for pid in $RUN_PID $SIM_PID; do kill -KILL "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# True once the process catches the signal (its handler is installed).
catches() { # pid signal-number
    local mask
    mask=$(awk '/^SigCgt:/ {print $2}' "/proc/$1/status" 2>/dev/null) || return 1
    [[ -n "$mask" ]] && (( (16#$mask >> ($2 - 1)) & 1 ))
}

# An R8500 that never answers: the profile asks for address 10, the radio has 4A.
"$SIM" --radio icom-r8500 >"$WORK/sim.out" 2>"$WORK/sim.err" &
SIM_PID=$!
for _ in $(seq 50); do
    [ -s "$WORK/sim.out" ] && break
    sleep 0.1
done
PTY="$(head -n1 "$WORK/sim.out")"
case "$PTY" in /dev/*) ;; *) fail "rigvane-sim printed no device path: '$PTY'" ;; esac

write_ini() { # address
    cat >"$WORK/RIGVANE.INI" <<INI
[Radio0]
PROTOCOL=1
MODEL=2
ADDR=$1
COMPADDR=224
DETECT=2
TIMEOUT=50
PORT=1
MINFREQ=0
MAXFREQ=200000000
[GLOBALS]
SPEED=0
LOADFREQ=0
INI
}

for n in $(seq 1 999); do
    printf '%03d 0%03d.%05d FM 00007 00000 S03 TS 1700000000 VLD NDLY Name%d\n' \
        "$n" $((100 + n / 100)) $((n % 100 * 1000)) "$n"
done >"$WORK/scan.frq"
cp "$WORK/scan.frq" "$WORK/scan.orig"

# --- a stop while the radio is being opened --------------------------------
write_ini 16
"$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" --device "$PTY" --file "$WORK/scan.frq" \
    --mode scan --save >"$WORK/run.out" 2>"$WORK/run.err" &
RUN_PID=$!
for _ in $(seq 200); do catches "$RUN_PID" 15 && break; sleep 0.01; done
kill -TERM "$RUN_PID"
rc=0
wait "$RUN_PID" || rc=$?
RUN_PID=""
cmp -s "$WORK/scan.frq" "$WORK/scan.orig" || fail "the frequency file changed: $(diff "$WORK/scan.orig" "$WORK/scan.frq" | head -4)"
[ "$rc" = 0 ] || fail "stop during start-up: exit status $rc ($(cat "$WORK/run.err"))"
grep -qi '^TIMEOUT=50' "$WORK/RIGVANE.INI" || fail "settings not written"
echo "ok: a stop during start-up leaves the frequency file alone"
echo "PASS"
