#!/bin/bash
# An unattended headless scan survives its radio going away: rigvane-sim is
# killed five times in a minute and started again on a new pseudo-terminal
# behind the symbolic link the profile's DEVICE names. Each loss gives one
# line, each recovery one line, hits are logged after every recovery, the
# statistics come every few seconds, and the hit journal left by a SIGKILL
# parses line by line with plausible durations.
# Usage: headless_reconnect.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
RIGVANE="$1"
SIM="$2"
WORK="$(mktemp -d)"
SIM_PID=""
RIG_PID=""
cleanup() {
    for pid in $SIM_PID $RIG_PID; do kill -9 "$pid" 2>/dev/null || true; wait "$pid" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT
fail() {
    echo "FAIL: $*"
    echo "--- rigvane output"; tail -n 40 "$WORK/run.out" 2>/dev/null || true
    exit 1
}

cat >"$WORK/activity.txt" <<'ACT'
146.52 7
147.30 9 2 1
ACT

start_sim() {
    : >"$WORK/sim.out"
    "$SIM" --radio icom-r8500 --activity "$WORK/activity.txt" >"$WORK/sim.out" 2>"$WORK/sim.err" &
    SIM_PID=$!
    for _ in $(seq 50); do
        [ -s "$WORK/sim.out" ] && break
        sleep 0.1
    done
    local pty
    pty="$(head -n1 "$WORK/sim.out")"
    case "$pty" in /dev/*) ;; *) fail "rigvane-sim printed no device path: '$pty'" ;; esac
    ln -sfn "$pty" "$WORK/radio"
}
start_sim

cat >"$WORK/RIGVANE.INI" <<INI
[Radio0]
NAME=Test R8500
PROTOCOL=1
MODEL=2
ADDR=74
COMPADDR=224
DETECT=2
TIMEOUT=50
BAUD=4
PORT=1
MINCHAN=0
MAXCHAN=999
MINFREQ=0
MAXFREQ=200000000
DEVICE=$WORK/radio
[GLOBALS]
SPEED=0
SIGRSM=1
RSMTIME=1
LOADFREQ=0
INI
: >"$WORK/scan.frq"
n=1
for f in 0145.50000 0146.52000 0146.94000 0147.30000 0151.82000 0154.57000; do
    printf '%03d %s FM 00000 00000 S00 TS 0000000000 VLD NDLY Chan%d\n' "$n" "$f" "$n" >>"$WORK/scan.frq"
    n=$((n + 1))
done
# A service with a comma and quotes, as a spreadsheet must read it back.
sed -i 's/ Chan2$/ Fire, "North"/' "$WORK/scan.frq"

"$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" --file "$WORK/scan.frq" --mode scan \
    --journal "$WORK/hits.csv" --stats 5 >"$WORK/run.out" 2>"$WORK/run.err" &
RIG_PID=$!

sleep 5
for round in 1 2 3 4 5; do
    kill -9 "$SIM_PID"
    wait "$SIM_PID" 2>/dev/null || true
    sleep 0.5
    start_sim
    sleep 9
    kill -0 "$RIG_PID" 2>/dev/null || fail "rigvane ended in round $round ($(cat "$WORK/run.err"))"
done
kill -9 "$RIG_PID"
wait "$RIG_PID" 2>/dev/null || true
RIG_PID=""

losses="$(grep -c -e 'Radio Communication failure!' -e 'Radio not responding' "$WORK/run.out" || true)"
[ "$losses" = 5 ] || fail "$losses loss lines, expected 5"
recoveries="$(grep -c 'Radio reconnected after' "$WORK/run.out" || true)"
[ "$recoveries" = 5 ] || fail "$recoveries recovery lines, expected 5"
grep -q 'Not Attached' "$WORK/run.out" && fail "a reconnection attempt was reported"
# After every recovery the scan hears hits again before the next loss.
awk '/Radio reconnected after/ { if (open) bad = 1; open = 1; next }
     /:CH [0-9][0-9][0-9] / { open = 0 }
     END { exit (bad || open) }' "$WORK/run.out" || fail "a recovery without hits after it"
[ "$(grep -c '^Statistics: .* channels/s' "$WORK/run.out")" -ge 9 ] || fail "statistics lines missing"

python3 - "$WORK/hits.csv" <<'PY' || fail "the journal does not parse"
import csv, sys
rows = list(csv.reader(open(sys.argv[1], newline=""), strict=True))
assert rows[0][:3] == ["Start", "Duration (s)", "Channel"], rows[0]
assert len(rows) > 10, len(rows)
for r in rows[1:]:
    assert len(r) == 8, r
    assert 0 <= float(r[1]) < 10, r
    assert r[2] in ("002", "004"), r
    if r[2] == "002":
        assert r[6] == 'Fire, "North"', r
    if r[2] == "004":
        assert float(r[1]) <= 2.5, r  # the signal is on for two seconds at a time
PY
echo "PASS"
