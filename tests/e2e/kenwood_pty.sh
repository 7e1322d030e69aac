#!/bin/bash
# rigvane --headless scans the simulated Kenwood receiver (protocol 2), TH-F6A
# and TH-G71 (protocol 9, models 0 and 1) served by rigvane-sim on a
# pseudo-terminal: hits come for exactly the active channels.
# Usage: kenwood_pty.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
RIGVANE="$1"
SIM="$2"
WORK="$(mktemp -d)"
SIM_PID=""
stop_sim() {
    if [ -n "$SIM_PID" ]; then kill "$SIM_PID" 2>/dev/null || true; wait "$SIM_PID" 2>/dev/null || true; fi
    SIM_PID=""
}
cleanup() {
    stop_sim
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; exit 1; }

# Three of the ten channels carry a signal.
cat >"$WORK/activity.txt" <<'ACT'
146.52 7
147.30 9
162.40 5
ACT

: >"$WORK/scan.frq"
n=1
for f in 0145.50000 0146.52000 0146.94000 0147.30000 0151.82000 0154.57000 \
         0155.16000 0156.80000 0162.40000 0162.55000; do
    printf '%03d %s FM 00000 00000 S00 TS 0000000000 VLD NDLY Chan%d\n' "$n" "$f" "$n" >>"$WORK/scan.frq"
    n=$((n + 1))
done

scan() { # radio protocol model
    local radio="$1" protocol="$2" model="$3"
    "$SIM" --radio "$radio" --activity "$WORK/activity.txt" >"$WORK/sim.out" 2>"$WORK/sim.err" &
    SIM_PID=$!
    for _ in $(seq 50); do
        [ -s "$WORK/sim.out" ] && break
        sleep 0.1
    done
    local pty
    pty="$(head -n1 "$WORK/sim.out")"
    case "$pty" in /dev/*) ;; *) fail "$radio: rigvane-sim printed no device path: '$pty'" ;; esac
    cat >"$WORK/RIGVANE.INI" <<INI
[Radio0]
NAME=Test $radio
PROTOCOL=$protocol
MODEL=$model
DETECT=2
TIMEOUT=50
BAUD=4
PORT=1
MINCHAN=0
MAXCHAN=99
MINFREQ=0
MAXFREQ=200000000
[GLOBALS]
SPEED=0
SIGRSM=1
RSMTIME=1
LOADFREQ=0
USEBANKS=0
INI
    "$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" --device "$pty" --file "$WORK/scan.frq" \
        --mode scan --seconds 10 >"$WORK/$radio.out" 2>"$WORK/$radio.err" ||
        fail "$radio: scan run ended with status $? ($(cat "$WORK/$radio.err"))"
    stop_sim
    grep -q "Connected" "$WORK/$radio.out" || fail "$radio: no connection line"
    grep -q "Not Attached\|not responding\|Data Processing Error" "$WORK/$radio.out" &&
        fail "$radio: $(grep "Not Attached\|not responding\|Data Processing Error" "$WORK/$radio.out" | head -n1)"
    local hits
    hits="$(grep -o ':CH [0-9]\{3\} ' "$WORK/$radio.out" | sort -u | tr -d ': ' | tr '\n' ' ')"
    [ "$hits" = "CH002 CH004 CH009 " ] || fail "$radio: hit lines for '$hits', expected channels 2, 4 and 9"
    echo "ok: $radio"
}

scan kenwood 2 0
scan thf6a 9 0
scan thg71 9 1
echo "PASS"
