#!/bin/bash
# Drake R8A and R8: rigvane-sim serves the R8A's binary packets on a
# pseudo-terminal, and rigvane --headless scans HF channels on both models
# served inside the program, where the squelch drives the carrier-detect line
# ("Hardware" detection): hits on exactly the active channels.
# Usage: drake_pty.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
RIGVANE="$1"
SIM="$2"
. "$(dirname "$0")/lib.sh"
work_dir

cat >"$WORK/activity.txt" <<'ACT'
# frequency MHz, level
7.2 8
14.2 6
ACT

# --- the R8A on a pseudo-terminal -------------------------------------------
python3 - "$SIM" <<'PY'
import os, select, signal, subprocess, sys, time, tty

p = subprocess.Popen([sys.argv[1], "--radio", "drake-r8a"], stdout=subprocess.PIPE)
try:
    ready, _, _ = select.select([p.stdout], [], [], 10)
    if not ready:
        sys.exit("FAIL: no device path printed")
    path = p.stdout.readline().decode().strip()
    fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
    tty.setraw(fd)

    def exchange(data, until):
        os.write(fd, data)
        got, end = b"", time.time() + 5
        while time.time() < end and not got.endswith(until):
            r, _, _ = select.select([fd], [], [], 0.5)
            if r:
                got += os.read(fd, 256)
        time.sleep(0.1)  # the radio's time between commands
        return got

    # 14.2 MHz USB with bandwidth 2: the last packet byte is 0A, not a line end.
    packet = bytes([0x00, 0x00, 0x00, 0x42, 0x01, 0x00, 0x0A])
    got = exchange(b"Q" + packet + b"\x00\x7f\r", b"\n")
    if got != b"\n":
        sys.exit("FAIL: tuning packet answered %r" % got)
    got = exchange(b"RA\r", b"\x7f\r\n")
    if got != packet + b"\x7f\r\n":
        sys.exit("FAIL: status answered %r" % got)
    got = exchange(b"RF\r", b"\r\n")
    if got != b"14.20000\r\n":
        sys.exit("FAIL: frequency read answered %r" % got)
    os.close(fd)
    p.send_signal(signal.SIGTERM)
    if p.wait(timeout=5) != 0:
        sys.exit("FAIL: rigvane-sim did not end cleanly")
finally:
    if p.poll() is None:
        p.kill()
PY

# --- headless scans, both models --------------------------------------------
for model in 0 1; do
    radio="drake-r8a"
    [ "$model" = 1 ] && radio="drake-r8"
    write_ini "NAME=Test Drake" PROTOCOL=6 MODEL="$model" DETECT=1 TIMEOUT=40 BAUD=4 PORT=1 MINCHAN=0 \
        MAXCHAN=439 MINFREQ=10 MAXFREQ=2999900 DEVICE="sim:$radio?activity=$WORK/activity.txt"
    write_frq "$WORK/scan.frq" "AM " 0003.50000 0005.00000 0006.07000 0007.20000 0009.50000 \
        0011.17500 0013.50000 0014.20000 0015.40000 0021.50000
    run_headless "$radio" --file "$WORK/scan.frq" --mode scan --seconds 8
    grep -q "not responding\|Packet Error\|Rejected" "$WORK/$radio.out" &&
        fail "$radio: $(grep "not responding\|Packet Error\|Rejected" "$WORK/$radio.out" | head -1)"
    check_hits "$radio" "CH004 CH008 "
done
echo "PASS"
