#!/bin/bash
# A headless memory scan over CHANNELS channels, one of them busy, against
# `rigvane-sim --radio icom-r8500 --baud 19200` (the line paced both ways).
# The busy channel carries a steady signal; the "Resume" box with a resume
# time of 1 s lets go of it, so every round brings the scan back to it and
# each return is one hit line. Prints the returns, the time of a round (busy
# channel to busy channel, from the arrival time of the hit lines), the round
# the wire allows, and the processor time of both programs.
# Usage: scan_round.sh <rigvane> <rigvane-sim> [SECONDS=20] [TIMEOUT=60] [CHANNELS=201] [RSMTIME=1]
# SIM_ARGS adds options for rigvane-sim (SIM_ARGS=--echo: a CI-V bus that
# echoes every command). The end-to-end test scan_pace.sh runs a short version.
set -euo pipefail
RIGVANE="$1"
SIM="$2"
SECONDS_RUN="${3:-20}"
TIMEOUT="${4:-60}"
CHANNELS="${5:-201}"
RSMTIME="${6:-1}"
BAUD=19200
BUSY=$(((CHANNELS + 1) / 2)) # in the middle of the memory
. "$(dirname "$0")/../tests/e2e/lib.sh"
work_dir

echo "150.00 9" >"$WORK/activity.txt"
# shellcheck disable=SC2086
sim_start --radio icom-r8500 --baud "$BAUD" ${SIM_ARGS:-} --activity "$WORK/activity.txt"

write_ini "NAME=Bench R8500" PROTOCOL=1 MODEL=2 ADDR=74 COMPADDR=224 DETECT=2 TIMEOUT="$TIMEOUT" BAUD=5 \
    PORT=1 MINCHAN=0 MAXCHAN=999 MINFREQ=0 MAXFREQ=200000000 -- RSMTIME="$RSMTIME"
frequencies=()
for n in $(seq "$CHANNELS"); do
    if [ "$n" = "$BUSY" ]; then
        frequencies+=(0150.00000)
    else
        frequencies+=("$(printf '%04d.%05d' $((140 + n / 80)) $(((n % 80) * 1250)))")
    fi
done
write_frq "$WORK/scan.frq" FM "${frequencies[@]}"

# Every line the program posts, with the time it arrived.
sim_cpu0="$(awk '{print $14 + $15}' "/proc/$SIM_PID/stat")"
/usr/bin/time -f "%U %S" -o "$WORK/time.txt" \
    "$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" --device "$PTY" --file "$WORK/scan.frq" \
    --mode scan --seconds "$SECONDS_RUN" 2>"$WORK/run.err" |
    while IFS= read -r line; do printf '%s %s\n' "$(date +%s.%N)" "$line"; done >"$WORK/run.out"
sim_cpu1="$(awk '{print $14 + $15}' "/proc/$SIM_PID/stat")"

start="$(awk '/Starting Memory Scan/{print $1; exit}' "$WORK/run.out")"
[ -n "$start" ] || { echo "the scan did not start:"; cat "$WORK/run.out" "$WORK/run.err"; exit 1; }
busy="$(printf ':CH %03d ' "$BUSY")"
grep -F "$busy" "$WORK/run.out" | awk '{print $1}' >"$WORK/hits.txt" || true
hits="$(wc -l <"$WORK/hits.txt")"
alerts="$(awk '{print $2}' "$WORK/run.out" | grep -c '^\*\*' || true)"
read -r user sys <"$WORK/time.txt"
tick="$(getconf CLK_TCK)"

echo "scan of $CHANNELS channels (busy: $BUSY), TIMEOUT=$TIMEOUT, SPEED=0, RSMTIME=$RSMTIME, rigvane-sim --baud $BAUD ${SIM_ARGS:-}, $SECONDS_RUN s:"
echo "  hit lines of the busy channel: $hits (returns after the first: $((hits > 0 ? hits - 1 : 0)))"
awk -v start="$start" 'NR == 1 { printf "  first hit %.2f s after the scan started\n", $1 - start }
     NR > 1 { d = $1 - prev; sum += d; n++; if (d < min || n == 1) min = d; if (d > max) max = d }
     { prev = $1 }
     END { if (n > 0) printf "  busy channel to busy channel: %.2f s on average (%.2f .. %.2f), hold included\n", sum / n, min, max }' "$WORK/hits.txt"
awk -v c="$CHANNELS" -v b="$BAUD" 'BEGIN { printf "  the wire allows a round of %d channels in %.2f s (32 bytes a visit)\n", c, c * 32 * 10 / b }'
awk -v u="$user" -v s="$sys" -v t="$SECONDS_RUN" -v a="$sim_cpu0" -v z="$sim_cpu1" -v k="$tick" \
    'BEGIN { printf "  CPU: rigvane %.1f %% of one core, rigvane-sim %.1f %%\n", 100 * (u + s) / t, 100 * (z - a) / k / t }'
echo "  alert lines: $alerts"
