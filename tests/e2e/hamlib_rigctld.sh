#!/bin/bash
# rigvane --headless scans Hamlib's dummy radio shared by rigctld, through a
# HAMLIB profile on Hamlib's network model 2: channels are visited and hit;
# when rigctld stops answering the silence is told once, and its return once.
# Usage: hamlib_rigctld.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
RIGVANE="$1"
WORK="$(mktemp -d)"
RIGCTLD_PID=""
RV_PID=""
cleanup() {
    for p in $RV_PID $RIGCTLD_PID; do
        kill -CONT "$p" 2>/dev/null || true
        kill "$p" 2>/dev/null || true
        wait "$p" 2>/dev/null || true
    done
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() { echo "FAIL: $*"; tail -20 "$WORK/scan.out" 2>/dev/null || true; exit 1; }
command -v rigctld >/dev/null || fail "rigctld (libhamlib-utils) is not installed"

PORT="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')"
# The dummy's S-meter held steady (S9-12 dB), so every channel is a hit.
rigctld -m 1 --set-conf=static_data=1 -T 127.0.0.1 -t "$PORT" >"$WORK/rigctld.out" 2>&1 &
RIGCTLD_PID=$!
for _ in $(seq 50); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $PORT), 1)" 2>/dev/null && break
    sleep 0.1
done

cat >"$WORK/RIGVANE.INI" <<INI
[Radio0]
NAME=Shared dummy
PROTOCOL=11
HAMLIBMODEL=2
HAMLIBCONF=rig_pathname=127.0.0.1:$PORT,timeout=400,retry=0
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
for f in 0145.50000 0146.52000 0147.30000; do
    printf '%03d %s FM 00000 00000 S00 TS 0000000000 VLD NDLY Chan%d\n' "$n" "$f" "$n" >>"$WORK/scan.frq"
    n=$((n + 1))
done

"$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" --file "$WORK/scan.frq" --mode scan \
    --seconds 14 >"$WORK/scan.out" 2>"$WORK/scan.err" &
RV_PID=$!
sleep 5
# The radio falls silent for a while, then answers again.
kill -STOP "$RIGCTLD_PID"
sleep 3
kill -CONT "$RIGCTLD_PID"
wait "$RV_PID" || fail "rigvane ended with status $? ($(cat "$WORK/scan.err"))"
RV_PID=""

grep -q "Hamlib: Hamlib NET rigctl (model 2)" "$WORK/scan.out" || fail "no Hamlib line"
grep -q " HAMLIB Connected" "$WORK/scan.out" || fail "no connection line"
grep -q "Starting Memory Scan" "$WORK/scan.out" || fail "no scan"
channels="$(grep -o ':CH 00[1-3] ' "$WORK/scan.out" | sort -u | wc -l)"
[ "$channels" -ge 2 ] || fail "the scan hit only $channels channel(s)"
silent="$(grep -c 'Radio not responding' "$WORK/scan.out" || true)"
[ "$silent" = 1 ] || fail "the silence was told $silent times"
back="$(grep -c 'Radio responding again' "$WORK/scan.out" || true)"
[ "$back" = 1 ] || fail "the return was told $back times"
during="$(sed -n '/Radio not responding/,/Radio responding again/p' "$WORK/scan.out" | grep -c ':CH 00' || true)"
[ "$during" = 0 ] || fail "$during hits were logged while the radio was silent"
after="$(sed -n '/Radio responding again/,$p' "$WORK/scan.out" | grep -c ':CH 00' || true)"
[ "$after" -ge 1 ] || fail "no hit after the radio came back"
echo "OK: scanned Hamlib's dummy through rigctld; $channels channels hit; one outage told"
