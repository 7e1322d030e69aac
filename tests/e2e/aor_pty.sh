#!/bin/bash
# The AOR AR8000 and AR5000 served by rigvane-sim on a pseudo-terminal: the
# token language answered line by line, and rigvane --headless scanning each
# radio hits exactly the active channels.
# Usage: aor_pty.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
RIGVANE="$1"
SIM="$2"
. "$(dirname "$0")/lib.sh"
work_dir

cat >"$WORK/activity.txt" <<'ACT'
146.52 7
147.30 9
162.40 5
ACT

# --- the radio's side of the line ----------------------------------------------
sim_start --radio aor-ar8000 --activity "$WORK/activity.txt"
python3 - "$PTY" <<'PY'
import os, select, sys, time, tty
fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
tty.setraw(fd)

def ask(line):
    os.write(fd, line)
    got, end = b"", time.time() + 5
    while time.time() < end and not got.endswith(b"\r\n"):
        r, _, _ = select.select([fd], [], [], 0.5)
        if r:
            got += os.read(fd, 256)
    return got

checks = [
    (b"VA0146520000 ST012500 AU0 MD1 AT0 \r\n", b"\r\n"),            # a write: empty line
    (b"VA\r", b"VA0146520000 ST012500 AU0 MD1 AT0\r\n"),
    (b"LM \r\n", b"LM12\r\n"),                                        # level 7: (7-1)*3
    (b"RF0147300000\r", b"\r\n"),                                     # other programs: RF in Hz
    (b"RX\r", b"RF0147300000 ST012500 AU0 MD1 AT0\r\n"),
    (b"ST005000 MD\r", b"MD1\r\n"),
    (b"ZZ9\r", b"?\r\n"),
    (b"MRA00\r", b"--\r\n"),
    (b"EX\r", b"\r\n"),
]
for line, want in checks:
    got = ask(line)
    if got != want:
        sys.exit("FAIL: %r answered %r, not %r" % (line, got, want))
os.close(fd)
PY
sim_stop

# --- headless scans ---------------------------------------------------------------
for radio in aor-ar8000:4 aor-ar5000:8; do
    name="${radio%%:*}"
    protocol="${radio##*:}"
    sim_start --radio "$name" --activity "$WORK/activity.txt"
    write_ini "NAME=Test $name" PROTOCOL="$protocol" MODEL=0 DETECT=2 TIMEOUT=50 BAUD=4 PORT=1 \
        MINCHAN=0 MAXCHAN=999 MINFREQ=0 MAXFREQ=200000000
    write_frq "$WORK/scan.frq" FM "${TEN_FREQUENCIES[@]}"
    run_headless "$name" --device "$PTY" --file "$WORK/scan.frq" --mode scan --seconds 8
    check_hits "$name" "CH002 CH004 CH009 "
    grep -q ':CH 004 0147.30000 .* S09$' "$WORK/$name.out" || fail "$name: hit line of channel 4 is wrong"
    sim_stop
done
echo "PASS"
