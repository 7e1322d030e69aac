#!/bin/bash
# The AOR AR8000 and AR5000 served by rigvane-sim on a pseudo-terminal: the
# token language answered line by line, and rigvane --headless scanning each
# radio hits exactly the active channels.
# Usage: aor_pty.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
RIGVANE="$1"
SIM="$2"
WORK="$(mktemp -d)"
SIM_PID=""
stop_sim() {
    if [ -n "$SIM_PID" ]; then kill "$SIM_PID" 2>/dev/null || true; wait "$SIM_PID" 2>/dev/null || true; fi
    SIM_PID=""
}
trap 'stop_sim; rm -rf "$WORK"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

cat >"$WORK/activity.txt" <<'ACT'
146.52 7
147.30 9
162.40 5
ACT

start_sim() {
    : >"$WORK/sim.out"
    "$SIM" --radio "$1" --activity "$WORK/activity.txt" >"$WORK/sim.out" 2>"$WORK/sim.err" &
    SIM_PID=$!
    for _ in $(seq 50); do
        [ -s "$WORK/sim.out" ] && break
        sleep 0.1
    done
    PTY="$(head -n1 "$WORK/sim.out")"
    case "$PTY" in /dev/*) ;; *) fail "rigvane-sim printed no device path: '$PTY'" ;; esac
}

# --- the radio's side of the line ----------------------------------------------
start_sim aor-ar8000
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
stop_sim

# --- headless scans ---------------------------------------------------------------
for radio in aor-ar8000:4 aor-ar5000:8; do
    name="${radio%%:*}"
    protocol="${radio##*:}"
    start_sim "$name"
    cat >"$WORK/RIGVANE.INI" <<INI
[Radio0]
NAME=Test $name
PROTOCOL=$protocol
MODEL=0
DETECT=2
TIMEOUT=50
BAUD=4
PORT=1
MINCHAN=0
MAXCHAN=999
MINFREQ=0
MAXFREQ=200000000
[GLOBALS]
SPEED=0
SIGRSM=1
RSMTIME=1
LOADFREQ=0
USEBANKS=0
INI
    : >"$WORK/scan.frq"
    n=1
    for f in 0145.50000 0146.52000 0146.94000 0147.30000 0151.82000 0154.57000 \
             0155.16000 0156.80000 0162.40000 0162.55000; do
        printf '%03d %s FM 00000 00000 S00 TS 0000000000 VLD NDLY Chan%d\n' "$n" "$f" "$n" >>"$WORK/scan.frq"
        n=$((n + 1))
    done
    "$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" --device "$PTY" --file "$WORK/scan.frq" \
        --mode scan --seconds 8 >"$WORK/scan.out" 2>"$WORK/scan.err" ||
        fail "$name: scan run ended with status $? ($(cat "$WORK/scan.err"))"
    grep -q "Connected" "$WORK/scan.out" || fail "$name: no connection line"
    hits="$(grep -o ':CH [0-9]\{3\} ' "$WORK/scan.out" | sort -u | tr -d ': ' | tr '\n' ' ')"
    [ "$hits" = "CH002 CH004 CH009 " ] || fail "$name: hit lines for '$hits', expected channels 2, 4 and 9"
    grep -q ':CH 004 0147.30000 .* S09$' "$WORK/scan.out" || fail "$name: hit line of channel 4 is wrong"
    stop_sim
done
echo "PASS"
