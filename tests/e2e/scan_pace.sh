#!/bin/bash
# The radio, not the Timeout, paces the scan: with TIMEOUT=500 a headless scan
# of 21 channels over rigvane-sim --baud 19200 comes round to its busy channel
# again and again within 8 s (a scan that waited a Timeout per exchange would
# need 21 s for one round), and nothing is reported as unanswered.
# Usage: scan_pace.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
out="$(bash "$(dirname "$0")/../../bench/scan_round.sh" "$1" "$2" 8 500 21)"
echo "$out"
hits="$(echo "$out" | sed -n 's/.*hit lines of the busy channel: \([0-9]*\).*/\1/p')"
alerts="$(echo "$out" | sed -n 's/.*alert lines: \([0-9]*\).*/\1/p')"
[ -n "$hits" ] || { echo "FAIL: no figures"; exit 1; }
[ "$hits" -ge 3 ] || { echo "FAIL: the busy channel was reached $hits times, expected 3 or more"; exit 1; }
[ "$alerts" = 0 ] || { echo "FAIL: $alerts alert lines"; exit 1; }
echo "PASS"
