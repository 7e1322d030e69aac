#!/bin/bash
# rigvane --headless scans each Uniden scanner served by rigvane-sim on a
# pseudo-terminal (the BC245XLT, BC780XLT and BC895XLT as protocol 7 models
# 0..2, the BCD396T as protocol 10): hits are logged for exactly the active
# channels. The simulator also answers a Bearcat's own exchange by hand.
# Usage: bearcat_pty.sh <path-to-rigvane> <path-to-rigvane-sim>
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

cat >"$WORK/activity.txt" <<'ACT'
146.52 7
154.57 9
162.40 5
ACT

: >"$WORK/scan.frq"
n=1
for f in 0145.50000 0146.52000 0146.94000 0151.82000 0154.57000 0156.80000 0162.40000 0162.55000; do
    printf '%03d %s FM 00000 00000 S00 TS 0000000000 VLD NDLY Chan%d\n' "$n" "$f" "$n" >>"$WORK/scan.frq"
    n=$((n + 1))
done

start_sim() {
    rm -f "$WORK/sim-$1.out" # a file left by an earlier run of the same radio is no answer
    "$SIM" --radio "$1" --activity "$WORK/activity.txt" >"$WORK/sim-$1.out" 2>"$WORK/sim-$1.err" &
    SIM_PID=$!
    for _ in $(seq 100); do
        [ -s "$WORK/sim-$1.out" ] && break
        sleep 0.1
    done
    PTY="$(head -n1 "$WORK/sim-$1.out")"
    case "$PTY" in
    /dev/*) ;;
    *) fail "rigvane-sim $1 printed no device path: '$PTY' ($(cat "$WORK/sim-$1.err"))" ;;
    esac
}

write_ini() { # protocol model
    cat >"$WORK/RIGVANE.INI" <<INI
[Radio0]
NAME=Scanner
PROTOCOL=$1
MODEL=$2
DETECT=2
TIMEOUT=30
BAUD=4
PORT=1
MINCHAN=1
MAXCHAN=300
VFOCHAN=300
MINFREQ=2500000
MAXFREQ=95599900
[GLOBALS]
SPEED=0
SIGRSM=1
RSMTIME=1
LOADFREQ=0
USEBANKS=0
INI
}

# The Bearcat's reset and channel line by hand: the normal screen, a
# programmed channel in its columns, a refused command.
start_sim bearcat-bc895
python3 - "$PTY" <<'PY'
import os, select, sys, time, tty
fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
tty.setraw(fd)
def ask(cmd):
    os.write(fd, cmd + b"\r")
    got, end = b"", time.time() + 5
    while time.time() < end and not got.endswith(b"\r"):
        r, _, _ = select.select([fd], [], [], 0.5)
        if r:
            got += os.read(fd, 256)
    return got
for cmd, want in [(b"MD", b"MD001\r"),
                  (b"PM012 01451250", b"C012 F01451250 TF DF LF AF RF N00\r"),
                  (b"AT", b"ERR\r"),
                  (b"SQ", b"-\r")]:
    got = ask(cmd)
    if got != want:
        sys.exit("FAIL: %r answered %r, expected %r" % (cmd, got, want))
os.close(fd)
PY
stop_sim

for radio in bearcat-bc245:7:0 bearcat-bc780:7:1 bearcat-bc895:7:2 bcd396t:10:0; do
    IFS=: read -r name protocol model <<<"$radio"
    start_sim "$name"
    write_ini "$protocol" "$model"
    "$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" --device "$PTY" --file "$WORK/scan.frq" \
        --mode scan --seconds 10 >"$WORK/$name.out" 2>"$WORK/$name.err" ||
        fail "$name: scan run ended with status $? ($(cat "$WORK/$name.err"))"
    grep -q "Connected" "$WORK/$name.out" || fail "$name: no connection line: $(cat "$WORK/$name.out")"
    grep -q "Starting Memory Scan" "$WORK/$name.out" || fail "$name: no scan line"
    hits="$( (grep -o ':CH [0-9]\{3\} ' "$WORK/$name.out" || true) | sort -u | tr -d ': ' | tr '\n' ' ')"
    [ "$hits" = "CH002 CH005 CH007 " ] ||
        fail "$name: hit lines for '$hits', expected channels 2, 5 and 7"
    if grep -q "Rejected\|out of range\|Not Attached" "$WORK/$name.out"; then
        fail "$name: $(grep "Rejected\|out of range\|Not Attached" "$WORK/$name.out" | head -n1)"
    fi
    stop_sim
done
echo "PASS"
