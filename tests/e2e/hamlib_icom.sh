#!/bin/bash
# Our simulated ICOM R8500 driven through Hamlib's own ICOM backend: a HAMLIB
# profile on model 3042 (IC-R8500) over rigvane-sim's pseudo-terminal, and a
# headless scan that hits exactly the active channel.
# Usage: hamlib_icom.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
RIGVANE="$1"
SIM="$2"
. "$(dirname "$0")/lib.sh"
work_dir
FAIL_LOG="$WORK/scan.out"

printf '146.52 7\n' >"$WORK/activity.txt"
sim_start --radio icom-r8500 --addr 4A --activity "$WORK/activity.txt"

# The device comes from --device: Hamlib's rig_pathname is the profile's DEVICE.
write_ini "NAME=R8500 via Hamlib" PROTOCOL=11 HAMLIBMODEL=3042 HAMLIBCONF=serial_speed=19200 DETECT=2 \
    TIMEOUT=0 MAXCHAN=999 MINFREQ=10 MAXFREQ=200000000
write_frq "$WORK/scan.frq" FM 0145.50000 0146.52000 0147.30000 0162.40000 0162.55000

run_headless scan --device "$PTY" --file "$WORK/scan.frq" --mode scan --seconds 8
grep -q "Hamlib: Icom ICR-8500 (model 3042)" "$WORK/scan.out" || fail "no Hamlib line"
grep -q " HAMLIB Connected" "$WORK/scan.out" || fail "no connection line"
check_hits scan "CH002 "
grep -q "not responding\|rejected" "$WORK/scan.out" && fail "the radio was reported silent or refusing"
echo "OK: Hamlib's R8500 backend scanned rigvane-sim; hits on CH002"
