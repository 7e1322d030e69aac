#!/bin/bash
# rigvane-sim on a pseudo-terminal answers CI-V frames as an ICOM R8500 would.
# Usage: icom_pty.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
SIM="$2"
. "$(dirname "$0")/lib.sh"
work_dir

# Bad arguments and unknown radios are refused with a usage message.
if "$SIM" --radio no-such-radio >/dev/null 2>"$WORK/err"; then
    echo "FAIL: unknown radio accepted"; exit 1
fi
grep -q "usage:" "$WORK/err" || { echo "FAIL: no usage message"; exit 1; }
if "$SIM" --radio icom-r8500 --baud fast >/dev/null 2>&1; then
    echo "FAIL: bad --baud accepted"; exit 1
fi

cat >"$WORK/activity.txt" <<'ACT'
# frequency MHz, S-meter level, optional on/off seconds
162.4 7
ACT

python3 - "$SIM" "$WORK/activity.txt" <<'PY'
import os, select, signal, subprocess, sys, time, tty

sim, activity = sys.argv[1], sys.argv[2]
p = subprocess.Popen([sim, "--radio", "icom-r8500", "--activity", activity, "--baud", "19200"],
                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
try:
    ready, _, _ = select.select([p.stdout], [], [], 10)
    if not ready:
        sys.exit("FAIL: no device path printed")
    path = p.stdout.readline().decode().strip()
    if not path.startswith("/dev/"):
        sys.exit("FAIL: first line is not a device path: %r" % path)

    def exchange(fd, frame, frames):
        os.write(fd, bytes(frame))
        got, end = b"", time.time() + 5
        while time.time() < end and got.count(b"\xfd") < frames:
            r, _, _ = select.select([fd], [], [], 0.5)
            if r:
                got += os.read(fd, 256)
        return got

    def session(check):
        fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
        tty.setraw(fd)
        try:
            check(fd)
        finally:
            os.close(fd)

    def first(fd):
        # Read frequency: the factory state 145.5 MHz.
        got = exchange(fd, [0xFE, 0xFE, 0x4A, 0xE0, 0x03, 0xFD], 1)
        want = bytes([0xFE, 0xFE, 0xE0, 0x4A, 0x03, 0x00, 0x00, 0x50, 0x45, 0x01, 0xFD])
        if got != want:
            sys.exit("FAIL: read frequency answered %s" % got.hex())
        # Set 162.4 MHz: accepted.
        got = exchange(fd, [0xFE, 0xFE, 0x4A, 0xE0, 0x05, 0x00, 0x00, 0x40, 0x62, 0x01, 0xFD], 1)
        if got != bytes([0xFE, 0xFE, 0xE0, 0x4A, 0xFB, 0xFD]):
            sys.exit("FAIL: set frequency answered %s" % got.hex())
        # A frame for another radio gets no answer.
        os.write(fd, bytes([0xFE, 0xFE, 0x08, 0xE0, 0x03, 0xFD]))
        r, _, _ = select.select([fd], [], [], 0.5)
        if r:
            sys.exit("FAIL: answered a frame for another address")

    def second(fd):
        # After a reconnect: the S-meter at 162.4 MHz shows the activity's level 7.
        got = exchange(fd, [0xFE, 0xFE, 0x4A, 0xE0, 0x15, 0x02, 0xFD], 1)
        if len(got) != 9 or got[4:6] != b"\x15\x02":
            sys.exit("FAIL: S-meter answered %s" % got.hex())
        n = int(got[6:8].hex())
        if n * 13 // 256 != 7:
            sys.exit("FAIL: S-meter reading %d is not level 7" % n)

    session(first)
    session(second)

    p.send_signal(signal.SIGTERM)
    if p.wait(timeout=5) != 0:
        sys.exit("FAIL: rigvane-sim did not end cleanly on SIGTERM")
    print("OK: rigvane-sim served CI-V on", path)
finally:
    if p.poll() is None:
        p.kill()
PY
