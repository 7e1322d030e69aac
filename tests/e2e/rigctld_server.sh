#!/bin/bash
# rigvane --headless --rigctld scans an ICOM R8500 served by rigvane-sim while
# Hamlib's own rigctl follows it over the network protocol; a garbage client,
# an over-long line, a client that never reads and one client too many do not
# disturb the scan.
# Usage: rigctld_server.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
RIGVANE="$1"
SIM="$2"
. "$(dirname "$0")/lib.sh"
work_dir
FAIL_LOG="$WORK/scan.out"
command -v rigctl >/dev/null || fail "rigctl (libhamlib-utils) is not installed"

echo "146.52 7" >"$WORK/activity.txt"
sim_start --radio icom-r8500 --activity "$WORK/activity.txt"

write_ini PROTOCOL=1 MODEL=2 ADDR=74 COMPADDR=224 DETECT=2 TIMEOUT=50 PORT=1 MAXCHAN=999 MINFREQ=0 \
    MAXFREQ=200000000
write_frq "$WORK/scan.frq" FM 0145.50000 0146.52000 0147.30000

PORT="$(free_port)"
"$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" --device "$PTY" --file "$WORK/scan.frq" \
    --mode scan --seconds 10 --rigctld "$PORT" >"$WORK/scan.out" 2>"$WORK/scan.err" &
RV_PID=$!
for _ in $(seq 100); do grep -q "rigctld server on" "$WORK/scan.out" 2>/dev/null && break; sleep 0.1; done
grep -q "rigctld server on $PORT" "$WORK/scan.out" || fail "no server line"

ask() { timeout 10 rigctl -m 2 -r "127.0.0.1:$PORT" "$@"; }
scanned="145500000 146520000 147300000"
f="$(ask f)" || fail "rigctl f failed"
case " $scanned " in *" $f "*) ;; *) fail "rigctl f printed '$f', not a scanned frequency" ;; esac
[ "$(ask m | head -n1)" = "FM" ] || fail "rigctl m is not FM"
ask l STRENGTH | grep -Eq '^-?[0-9]+$' || fail "rigctl l STRENGTH is not a number"

# Unruly clients, all at once, while the scan runs.
python3 - "$PORT" <<'PY' || fail "unruly clients"
import socket, sys, time
port = int(sys.argv[1])
def connect():
    return socket.create_connection(("127.0.0.1", port), timeout=5)
garbage, longline, deaf = connect(), connect(), connect()
garbage.sendall(bytes(range(256)) + b"\n\xff\xfe\n")
longline.sendall(b"f" * 5000)
deaf.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
deaf.setblocking(False)
sent = 0
try:
    for _ in range(20000):
        sent += deaf.send(b"\\dump_state\n")
except (BlockingIOError, BrokenPipeError, ConnectionResetError):
    pass
# The over-long line is answered with an error and closed.
longline.settimeout(5)
got = b""
while True:
    try:
        d = longline.recv(100)
    except ConnectionResetError:
        break
    if not d:
        break
    got += d
if not got.startswith(b"RPRT -1"):
    sys.exit("over-long line answered %r" % got)
# The garbage is answered with errors, and the client is still served.
garbage.settimeout(5)
garbage.sendall(b"f\n")
time.sleep(0.5)
reply = garbage.recv(65536)
if b"RPRT -1" not in reply or not reply.rstrip().split(b"\n")[-1].isdigit():
    sys.exit("garbage client got %r" % reply)
# At most four clients: the fifth of these is turned away.
more = [connect() for _ in range(4)]
time.sleep(0.5)
closed = 0
for s in more:
    s.settimeout(0.5)
    try:
        s.sendall(b"f\n")
        if s.recv(100) == b"":
            closed += 1
    except (ConnectionResetError, BrokenPipeError):
        closed += 1
    except socket.timeout:
        pass
if closed < 1:
    sys.exit("no client was turned away")
PY

# Tuning from the client: accepted, carried out between scan steps.
ask F 146520000 || fail "rigctl F failed"
sleep 3
f2="$(ask f)" || fail "rigctl f after the unruly clients failed"
case " $scanned " in *" $f2 "*) ;; *) fail "rigctl f printed '$f2' after the unruly clients" ;; esac

wait "$RV_PID" || fail "rigvane ended with status $?"
RV_PID=""
grep -q "Starting Memory Scan" "$WORK/scan.out" || fail "no scan"
hits="$(grep -c ':CH 002 ' "$WORK/scan.out" || true)"
[ "$hits" -ge 2 ] || fail "the scan did not keep hitting the active channel ($hits hits)"
grep -q ':CH 001 \|:CH 003 ' "$WORK/scan.out" && fail "a quiet channel was logged as a hit"
echo "OK: rigctl followed the scan on port $PORT; $hits hits on the active channel"
