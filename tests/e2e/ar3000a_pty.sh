#!/bin/bash
# AOR AR3000A served by rigvane-sim on a pseudo-terminal: rigvane --headless
# scans with the radio's signal command and hits exactly the active
# channels. The AR3000, which never answers, scans inside the program on the
# carrier-detect line and is never reported silent.
# Usage: ar3000a_pty.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
RIGVANE="$1"
SIM="$2"
. "$(dirname "$0")/lib.sh"
work_dir

cat >"$WORK/activity.txt" <<'ACT'
# frequency MHz, level
146.52 7
162.40 5
ACT

write_frq "$WORK/scan.frq" FMn "${TEN_FREQUENCIES[@]}"

# profile MODEL DETECT DEVICE
profile() {
    write_ini "NAME=Test AR3000A" PROTOCOL=3 MODEL="$1" DETECT="$2" FLOW=0 TIMEOUT=40 BAUD=3 PORT=1 \
        MINCHAN=0 MAXCHAN=399 MINFREQ=10 MAXFREQ=203599900 DEVICE="$3"
}

# scan NAME: runs the scan, checks the hits on channels 2 and 9.
scan() {
    run_headless "$1" --file "$WORK/scan.frq" --mode scan --seconds 8
    grep -q "not responding" "$WORK/$1.out" && fail "$1: reported as not responding"
    check_hits "$1" "CH002 CH009 "
}

sim_start --radio aor-ar3000a --activity "$WORK/activity.txt"

profile 0 2 "$PTY"
scan "AR3000A"
grep -q ':CH 002 0146.52000 .* S07$' "$WORK/AR3000A.out" || fail "the hit line of channel 2 shows another level"

profile 1 1 "sim:aor-ar3000?activity=$WORK/activity.txt"
scan "AR3000"
echo "PASS"
