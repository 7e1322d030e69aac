#!/bin/bash
# AOR AR3000A served by rigvane-sim on a pseudo-terminal: rigvane --headless
# scans with the radio's signal command and hits exactly the active
# channels. The AR3000, which never answers, scans inside the program on the
# carrier-detect line and is never reported silent.
# Usage: ar3000a_pty.sh <path-to-rigvane> <path-to-rigvane-sim>
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
fail() { echo "FAIL: $*"; exit 1; }

cat >"$WORK/activity.txt" <<'ACT'
# frequency MHz, level
146.52 7
162.40 5
ACT

: >"$WORK/scan.frq"
n=1
for f in 0145.50000 0146.52000 0146.94000 0147.30000 0151.82000 0154.57000 \
         0155.16000 0156.80000 0162.40000 0162.55000; do
    printf '%03d %s FMn 00000 00000 S00 TS 0000000000 VLD NDLY Chan%d\n' "$n" "$f" "$n" >>"$WORK/scan.frq"
    n=$((n + 1))
done

# write_ini MODEL DETECT DEVICE
write_ini() {
    cat >"$WORK/RIGVANE.INI" <<INI
[Radio0]
NAME=Test AR3000A
PROTOCOL=3
MODEL=$1
DETECT=$2
FLOW=0
TIMEOUT=40
BAUD=3
PORT=1
MINCHAN=0
MAXCHAN=399
MINFREQ=10
MAXFREQ=203599900
DEVICE=$3
[GLOBALS]
SPEED=0
SIGRSM=1
RSMTIME=1
LOADFREQ=0
USEBANKS=0
INI
}

# scan NAME: runs the scan, checks the hits on channels 2 and 9.
scan() {
    "$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" --file "$WORK/scan.frq" --mode scan \
        --seconds 8 >"$WORK/scan.out" 2>"$WORK/scan.err" ||
        fail "$1 scan ended with status $? ($(cat "$WORK/scan.err"))"
    grep -q "Connected" "$WORK/scan.out" || fail "$1: no connection line"
    grep -q "not responding" "$WORK/scan.out" && fail "$1: reported as not responding"
    hits="$(grep -o ':CH [0-9]\{3\} ' "$WORK/scan.out" | sort -u | tr -d ': ' | tr '\n' ' ')"
    [ "$hits" = "CH002 CH009 " ] || fail "$1: hits on '$hits', expected channels 2 and 9"
}

"$SIM" --radio aor-ar3000a --activity "$WORK/activity.txt" >"$WORK/sim.out" 2>"$WORK/sim.err" &
SIM_PID=$!
for _ in $(seq 50); do
    [ -s "$WORK/sim.out" ] && break
    sleep 0.1
done
PTY="$(head -n1 "$WORK/sim.out")"
case "$PTY" in /dev/*) ;; *) fail "rigvane-sim printed no device path: '$PTY'" ;; esac

write_ini 0 2 "$PTY"
scan "AR3000A"
grep -q ':CH 002 0146.52000 .* S07$' "$WORK/scan.out" || fail "the hit line of channel 2 shows another level"

write_ini 1 1 "sim:aor-ar3000?activity=$WORK/activity.txt"
scan "AR3000"
echo "PASS"
