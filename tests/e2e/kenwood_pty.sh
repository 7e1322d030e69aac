#!/bin/bash
# rigvane --headless scans the simulated Kenwood receiver (protocol 2), TH-F6A
# and TH-G71 (protocol 9, models 0 and 1) served by rigvane-sim on a
# pseudo-terminal: hits come for exactly the active channels.
# Usage: kenwood_pty.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
RIGVANE="$1"
SIM="$2"
. "$(dirname "$0")/lib.sh"
work_dir

# Three of the ten channels carry a signal.
cat >"$WORK/activity.txt" <<'ACT'
146.52 7
147.30 9
162.40 5
ACT

write_frq "$WORK/scan.frq" FM "${TEN_FREQUENCIES[@]}"

scan() { # radio protocol model
    local radio="$1" protocol="$2" model="$3"
    sim_start --radio "$radio" --activity "$WORK/activity.txt"
    write_ini "NAME=Test $radio" PROTOCOL="$protocol" MODEL="$model" DETECT=2 TIMEOUT=50 BAUD=4 PORT=1 \
        MINCHAN=0 MAXCHAN=99 MINFREQ=0 MAXFREQ=200000000
    run_headless "$radio" --device "$PTY" --file "$WORK/scan.frq" --mode scan --seconds 10
    sim_stop
    grep -q "Not Attached\|not responding\|Data Processing Error" "$WORK/$radio.out" &&
        fail "$radio: $(grep "Not Attached\|not responding\|Data Processing Error" "$WORK/$radio.out" | head -n1)"
    check_hits "$radio" "CH002 CH004 CH009 "
    echo "ok: $radio"
}

scan kenwood 2 0
scan thf6a 9 0
scan thg71 9 1
echo "PASS"
