#!/bin/bash
# rigvane --headless scans Hamlib's dummy radio shared by rigctld, through a
# HAMLIB profile on Hamlib's network model 2: channels are visited and hit;
# when rigctld stops answering the silence is told once, and its return once
# (the radio is opened again once it answers).
# Usage: hamlib_rigctld.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
RIGVANE="$1"
. "$(dirname "$0")/lib.sh"
work_dir
FAIL_LOG="$WORK/scan.out"
command -v rigctld >/dev/null || fail "rigctld (libhamlib-utils) is not installed"

PORT="$(free_port)"
# The dummy's S-meter held steady (S9-12 dB), so every channel is a hit.
rigctld -m 1 --set-conf=static_data=1 -T 127.0.0.1 -t "$PORT" >"$WORK/rigctld.out" 2>&1 &
RIGCTLD_PID=$!
for _ in $(seq 50); do
    python3 -c "import socket; socket.create_connection(('127.0.0.1', $PORT), 1)" 2>/dev/null && break
    sleep 0.1
done

write_ini "NAME=Shared dummy" PROTOCOL=11 HAMLIBMODEL=2 \
    HAMLIBCONF="rig_pathname=127.0.0.1:$PORT,timeout=400,retry=0" DETECT=2 TIMEOUT=0 MAXCHAN=999 \
    MINFREQ=10 MAXFREQ=200000000
write_frq "$WORK/scan.frq" FM 0145.50000 0146.52000 0147.30000

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
# The return is told by the link ("Radio responding again..") or, when the
# radio was opened again after the silence, by the reconnection.
BACK='Radio responding again\|Radio reconnected after'
back="$(grep -c "$BACK" "$WORK/scan.out" || true)"
[ "$back" = 1 ] || fail "the return was told $back times"
during="$(sed -n "/Radio not responding/,/$BACK/p" "$WORK/scan.out" | grep -c ':CH 00' || true)"
[ "$during" = 0 ] || fail "$during hits were logged while the radio was silent"
after="$(sed -n "/$BACK/,\$p" "$WORK/scan.out" | grep -c ':CH 00' || true)"
[ "$after" -ge 1 ] || fail "no hit after the radio came back"
echo "OK: scanned Hamlib's dummy through rigctld; $channels channels hit; one outage told"
