#!/bin/bash
# rigvane-sim lists the radios it knows and traces what passes on the line.
# Usage: sim_tool.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
SIM="$2"

LIST="$("$SIM" --list)"
for name in icom-r7000 icom-r8500 opto; do
    grep -q "^$name " <<<"$LIST" || { echo "FAIL: --list lacks $name"; exit 1; }
done
if "$SIM" --radio icom-r8500 --addr zz >/dev/null 2>&1; then
    echo "FAIL: bad --addr accepted"; exit 1
fi

python3 - "$SIM" <<'PY'
import os, select, signal, subprocess, sys, time, tty

p = subprocess.Popen([sys.argv[1], "--radio", "icom-r8500", "--trace"],
                     stdout=subprocess.PIPE, stderr=subprocess.PIPE)
try:
    path = p.stdout.readline().decode().strip()
    fd = os.open(path, os.O_RDWR | os.O_NOCTTY)
    tty.setraw(fd)
    os.write(fd, bytes([0xFE, 0xFE, 0x4A, 0xE0, 0x03, 0xFD]))
    got, end = b"", time.time() + 5
    while time.time() < end and not got.endswith(b"\xfd"):
        if select.select([fd], [], [], 0.5)[0]:
            got += os.read(fd, 64)
    os.close(fd)
    p.send_signal(signal.SIGTERM)
    _, err = p.communicate(timeout=5)
    lines = err.decode().splitlines()
    sent = [l for l in lines if " <- FE FE 4A E0 03 FD " in l]
    answered = [l for l in lines if " -> FE FE E0 4A 03 00 00 50 45 01 FD " in l]
    if not sent or not answered:
        sys.exit("FAIL: trace lacks the command or its answer: %r" % lines)
    if not sent[0].split()[0].replace(".", "").isdigit() or "|" not in sent[0]:
        sys.exit("FAIL: trace line without time or text: %r" % sent[0])
    print("OK: rigvane-sim lists its radios and traces the line")
finally:
    if p.poll() is None:
        p.kill()
PY
