#!/bin/bash
# Stopping rigvane: a stop during start-up leaves the frequency file as it
# was, byte for byte; SIGTERM to a run whose radio went silent (the
# simulator is stopped) ends it within a second, headless or with windows,
# with the settings written.
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
# --- a stop while the radio is silent ---------------------------------------
# Limit for the runs below; the aim is under a second, the margin is for a
# loaded machine.
LIMIT_MS=1500
ms() { echo $(( $(date +%s%N) / 1000000 )); }
stop_timed() { # pid name: SIGTERM, wait, check the time and the status
    local t0 rc=0
    t0=$(ms)
    kill -TERM "$1"
    wait "$1" || rc=$?
    local took=$(( $(ms) - t0 ))
    RUN_PID=""
    [ "$rc" = 0 ] || fail "$2: exit status $rc"
    [ "$took" -lt "$LIMIT_MS" ] || fail "$2: ended $took ms after SIGTERM"
    echo "ok: $2 ended $took ms after SIGTERM"
}
write_ini 74
"$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" --device "$PTY" --mode manual \
    >"$WORK/silent.out" 2>"$WORK/silent.err" &
RUN_PID=$!
for _ in $(seq 100); do grep -q "Connected" "$WORK/silent.out" && break; sleep 0.1; done
grep -q "Connected" "$WORK/silent.out" || fail "headless run did not connect"
kill -STOP "$SIM_PID"
sleep 1.5
: >"$WORK/RIGVANE.INI"
stop_timed "$RUN_PID" "headless run, silent radio"
grep -qi '^TIMEOUT=50' "$WORK/RIGVANE.INI" || fail "headless: settings not written"
kill -CONT "$SIM_PID"

# The program with windows, its profile on the same radio.
write_ini 74
sed -i "s|^PORT=1|PORT=1\nDEVICE=$PTY|" "$WORK/RIGVANE.INI"
QT_QPA_PLATFORM=offscreen "$RIGVANE" --ini "$WORK/RIGVANE.INI" >"$WORK/win.out" 2>"$WORK/win.err" &
RUN_PID=$!
for _ in $(seq 100); do catches "$RUN_PID" 15 && break; sleep 0.1; done
sleep 2
kill -STOP "$SIM_PID"
sleep 1.5
: >"$WORK/RIGVANE.INI"
stop_timed "$RUN_PID" "window program, silent radio"
grep -qi '^TIMEOUT=50' "$WORK/RIGVANE.INI" || fail "window program: settings not written"
kill -CONT "$SIM_PID"
echo "PASS"
