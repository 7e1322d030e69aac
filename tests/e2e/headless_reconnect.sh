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
. "$(dirname "$0")/lib.sh"
work_dir
FAIL_LOG="$WORK/run.out"

cat >"$WORK/activity.txt" <<'ACT'
146.52 7
147.30 9 2 1
ACT

# The radio behind the link the profile's DEVICE names.
start_sim() {
    sim_start --radio icom-r8500 --activity "$WORK/activity.txt"
    ln -sfn "$PTY" "$WORK/radio"
}
start_sim

write_ini "NAME=Test R8500" PROTOCOL=1 MODEL=2 ADDR=74 COMPADDR=224 DETECT=2 TIMEOUT=50 BAUD=4 PORT=1 \
    MINCHAN=0 MAXCHAN=999 MINFREQ=0 MAXFREQ=200000000 DEVICE="$WORK/radio"
write_frq "$WORK/scan.frq" FM "${TEN_FREQUENCIES[@]:0:6}"
# A service with a comma and quotes, as a spreadsheet must read it back.
sed -i 's/ Chan2$/ Fire, "North"/' "$WORK/scan.frq"

"$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" --file "$WORK/scan.frq" --mode scan \
    --journal "$WORK/hits.csv" --stats 5 >"$WORK/run.out" 2>"$WORK/run.err" &
RIG_PID=$!

sleep 5
for round in 1 2 3 4 5; do
    sim_stop KILL
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
