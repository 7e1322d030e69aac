#!/bin/bash
# Stopping rigvane: a stop during start-up leaves the frequency file as it
# was, byte for byte; SIGTERM to a run whose radio went silent (the
# simulator is stopped) ends it within a second, headless or with windows,
# with the settings written.
# Usage: headless_stop.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
RIGVANE="$1"
SIM="$2"
. "$(dirname "$0")/lib.sh"
work_dir

# An R8500 that never answers: the profile asks for address 10, the radio has 4A.
sim_start --radio icom-r8500

profile() { # address; no resume on hits
    write_ini PROTOCOL=1 MODEL=2 ADDR="$1" COMPADDR=224 DETECT=2 TIMEOUT=50 PORT=1 MINFREQ=0 \
        MAXFREQ=200000000 -- SIGRSM=0 RSMTIME=0
}

for n in $(seq 1 999); do
    printf '%03d 0%03d.%05d FM 00007 00000 S03 TS 1700000000 VLD NDLY Name%d\n' \
        "$n" $((100 + n / 100)) $((n % 100 * 1000)) "$n"
done >"$WORK/scan.frq"
cp "$WORK/scan.frq" "$WORK/scan.orig"

# --- a stop while the radio is being opened --------------------------------
profile 16
"$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" --device "$PTY" --file "$WORK/scan.frq" \
    --mode scan --save >"$WORK/run.out" 2>"$WORK/run.err" &
RUN_PID=$!
for _ in $(seq 200); do catches "$RUN_PID" 15 && break; sleep 0.01; done
kill -TERM "$RUN_PID"
rc=0
wait "$RUN_PID" || rc=$?
RUN_PID=""
cmp -s "$WORK/scan.frq" "$WORK/scan.orig" || fail "the frequency file changed: $(diff "$WORK/scan.orig" "$WORK/scan.frq" | head -4)"
[ "$rc" = 0 ] || fail "stop during start-up: exit status $rc ($(cat "$WORK/run.err"))"
grep -qi '^TIMEOUT=50' "$WORK/RIGVANE.INI" || fail "settings not written"
echo "ok: a stop during start-up leaves the frequency file alone"
# --- a stop while the radio is silent ---------------------------------------
# Limit for the runs below; the aim is under a second, the margin is for a
# loaded machine.
LIMIT_MS=1500
ms() { echo $(( $(date +%s%N) / 1000000 )); }
stop_timed() { # pid name: SIGTERM, wait, check the time and the status
    local t0 rc=0
    t0=$(ms)
    kill -TERM "$1"
    wait "$1" || rc=$?
    local took=$(( $(ms) - t0 ))
    RUN_PID=""
    [ "$rc" = 0 ] || fail "$2: exit status $rc"
    [ "$took" -lt "$LIMIT_MS" ] || fail "$2: ended $took ms after SIGTERM"
    echo "ok: $2 ended $took ms after SIGTERM"
}
profile 74
"$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" --device "$PTY" --mode manual \
    >"$WORK/silent.out" 2>"$WORK/silent.err" &
RUN_PID=$!
for _ in $(seq 100); do grep -q "Connected" "$WORK/silent.out" && break; sleep 0.1; done
grep -q "Connected" "$WORK/silent.out" || fail "headless run did not connect"
kill -STOP "$SIM_PID"
sleep 1.5
: >"$WORK/RIGVANE.INI"
stop_timed "$RUN_PID" "headless run, silent radio"
grep -qi '^TIMEOUT=50' "$WORK/RIGVANE.INI" || fail "headless: settings not written"
kill -CONT "$SIM_PID"

# The program with windows, its profile on the same radio.
profile 74
sed -i "s|^PORT=1|PORT=1\nDEVICE=$PTY|" "$WORK/RIGVANE.INI"
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "$RIGVANE" --ini "$WORK/RIGVANE.INI" >"$WORK/win.out" 2>"$WORK/win.err" &
RUN_PID=$!
for _ in $(seq 100); do catches "$RUN_PID" 15 && break; sleep 0.1; done
sleep 2
kill -STOP "$SIM_PID"
sleep 1.5
: >"$WORK/RIGVANE.INI"
stop_timed "$RUN_PID" "window program, silent radio"
grep -qi '^TIMEOUT=50' "$WORK/RIGVANE.INI" || fail "window program: settings not written"
kill -CONT "$SIM_PID"
echo "PASS"
