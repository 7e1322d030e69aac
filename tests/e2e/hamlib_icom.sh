#!/bin/bash
# Our simulated ICOM R8500 driven through Hamlib's own ICOM backend: a HAMLIB
# profile on model 3042 (IC-R8500) over rigvane-sim's pseudo-terminal, and a
# headless scan that hits exactly the active channel.
# Usage: hamlib_icom.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
RIGVANE="$1"
SIM="$2"
WORK="$(mktemp -d)"
SIM_PID=""
cleanup() {
    if [ -n "$SIM_PID" ]; then kill "$SIM_PID" 2>/dev/null || true; wait "$SIM_PID" 2>/dev/null || true; fi
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; tail -20 "$WORK/scan.out" 2>/dev/null || true; exit 1; }

printf '146.52 7\n' >"$WORK/activity.txt"
"$SIM" --radio icom-r8500 --addr 4A --activity "$WORK/activity.txt" >"$WORK/sim.out" 2>"$WORK/sim.err" &
SIM_PID=$!
for _ in $(seq 50); do [ -s "$WORK/sim.out" ] && break; sleep 0.1; done
PTY="$(head -n1 "$WORK/sim.out")"
case "$PTY" in /dev/*) ;; *) fail "rigvane-sim printed no device path" ;; esac

# The device comes from --device: Hamlib's rig_pathname is the profile's DEVICE.
cat >"$WORK/RIGVANE.INI" <<INI
[Radio0]
NAME=R8500 via Hamlib
PROTOCOL=11
HAMLIBMODEL=3042
HAMLIBCONF=serial_speed=19200
DETECT=2
TIMEOUT=0
MAXCHAN=999
MINFREQ=10
MAXFREQ=200000000
[GLOBALS]
SIGRSM=1
RSMTIME=1
LOADFREQ=0
INI
: >"$WORK/scan.frq"
n=1
for f in 0145.50000 0146.52000 0147.30000 0162.40000 0162.55000; do
    printf '%03d %s FM 00000 00000 S00 TS 0000000000 VLD NDLY Chan%d\n' "$n" "$f" "$n" >>"$WORK/scan.frq"
    n=$((n + 1))
done

"$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" --device "$PTY" --file "$WORK/scan.frq" \
    --mode scan --seconds 8 >"$WORK/scan.out" 2>"$WORK/scan.err" ||
    fail "rigvane ended with status $? ($(cat "$WORK/scan.err"))"
grep -q "Hamlib: Icom ICR-8500 (model 3042)" "$WORK/scan.out" || fail "no Hamlib line"
grep -q " HAMLIB Connected" "$WORK/scan.out" || fail "no connection line"
hits="$(grep -o ':CH [0-9]\{3\} ' "$WORK/scan.out" | sort -u | tr -d ': ' | tr '\n' ' ')"
[ "$hits" = "CH002 " ] || fail "hits on '$hits', wanted CH002 only"
grep -q "not responding\|rejected" "$WORK/scan.out" && fail "the radio was reported silent or refusing"
echo "OK: Hamlib's R8500 backend scanned rigvane-sim; hits on $hits"
