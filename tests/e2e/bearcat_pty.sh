#!/bin/bash
# rigvane --headless scans each Uniden scanner served by rigvane-sim on a
# pseudo-terminal (the BC245XLT, BC780XLT and BC895XLT as protocol 7 models
# 0..2, the BCD396T as protocol 10): hits are logged for exactly the active
# channels. The simulator also answers a Bearcat's own exchange by hand.
# Usage: bearcat_pty.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
RIGVANE="$1"
SIM="$2"
. "$(dirname "$0")/lib.sh"
work_dir

cat >"$WORK/activity.txt" <<'ACT'
146.52 7
154.57 9
162.40 5
ACT

write_frq "$WORK/scan.frq" FM 0145.50000 0146.52000 0146.94000 0151.82000 0154.57000 0156.80000 \
    0162.40000 0162.55000

profile() { # protocol model
    write_ini NAME=Scanner PROTOCOL="$1" MODEL="$2" DETECT=2 TIMEOUT=30 BAUD=4 PORT=1 MINCHAN=1 \
        MAXCHAN=300 VFOCHAN=300 MINFREQ=2500000 MAXFREQ=95599900
}

# The Bearcat's reset and channel line by hand: the normal screen, a
# programmed channel in its columns, a refused command.
sim_start --radio bearcat-bc895 --activity "$WORK/activity.txt"
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
sim_stop

for radio in bearcat-bc245:7:0 bearcat-bc780:7:1 bearcat-bc895:7:2 bcd396t:10:0; do
    IFS=: read -r name protocol model <<<"$radio"
    sim_start --radio "$name" --activity "$WORK/activity.txt"
    profile "$protocol" "$model"
    FAIL_LOG="$WORK/$name.out"
    run_headless "$name" --device "$PTY" --file "$WORK/scan.frq" --mode scan --seconds 10
    grep -q "Starting Memory Scan" "$WORK/$name.out" || fail "$name: no scan line"
    check_hits "$name" "CH002 CH005 CH007 "
    if grep -q "Rejected\|out of range\|Not Attached" "$WORK/$name.out"; then
        fail "$name: $(grep "Rejected\|out of range\|Not Attached" "$WORK/$name.out" | head -n1)"
    fi
    sim_stop
done
echo "PASS"
