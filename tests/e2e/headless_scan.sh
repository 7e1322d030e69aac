#!/bin/bash
# rigvane --headless scans and searches an ICOM R8500 served by rigvane-sim on
# a pseudo-terminal: hits are logged for exactly the active channels, and the
# saved frequency file carries their counts and time stamps; a search hit on
# a frequency no channel holds becomes a new channel; a search from 0 Hz,
# where the radio refuses to tune, hears nothing there.
# Usage: headless_scan.sh <path-to-rigvane> <path-to-rigvane-sim>
set -euo pipefail
RIGVANE="$1"
SIM="$2"
. "$(dirname "$0")/lib.sh"
work_dir

# Three of the ten channels carry a signal.
cat >"$WORK/activity.txt" <<'ACT'
146.52 7
147.30 9
162.40 5
ACT

sim_start --radio icom-r8500 --activity "$WORK/activity.txt"

# Profile 1: ICOM protocol, model R8500 at its factory address 4A; a hit is
# left after a second (resume), so the scan goes round.
profile() { # USEBANKS
    write_ini "NAME=Test R8500" PROTOCOL=1 MODEL=2 ADDR=74 COMPADDR=224 DETECT=2 TIMEOUT=50 BAUD=4 \
        PORT=1 MINCHAN=0 MAXCHAN=999 MINFREQ=0 MAXFREQ=200000000 -- USEBANKS="$1"
}

# --- scan ------------------------------------------------------------------
profile 0
write_frq "$WORK/scan.frq" FM "${TEN_FREQUENCIES[@]}"
run_headless scan --device "$PTY" --file "$WORK/scan.frq" --mode scan --seconds 12 --save
grep -q "Starting Memory Scan" "$WORK/scan.out" || fail "no scan line"
check_hits scan "CH002 CH004 CH009 "
grep -q ':CH 004 0147.30000 .* S09$' "$WORK/scan.out" || fail "hit line of channel 4 is wrong"

# The saved file: counts and time stamps on exactly the active channels.
for n in 001 002 003 004 005 006 007 008 009 010; do
    line="$(grep "^$n " "$WORK/scan.frq")" || fail "channel $n missing from the saved file"
    count="$(echo "$line" | awk '{print $4}')"
    stamp="$(echo "$line" | awk '{print $8}')"
    case "$n" in
    002 | 004 | 009)
        [ "$((10#$count))" -ge 1 ] || fail "channel $n count $count"
        [ "$stamp" != "0000000000" ] || fail "channel $n has no time stamp"
        ;;
    *)
        [ "$((10#$count))" -eq 0 ] || fail "quiet channel $n count $count"
        [ "$stamp" = "0000000000" ] || fail "quiet channel $n stamped"
        ;;
    esac
done
grep -q '^DEVICE=/dev' "$WORK/RIGVANE.INI" && fail "the run's device was written into the settings"
grep -qi '^RSMTIME=1' "$WORK/RIGVANE.INI" || fail "settings not written back"

# --- search ----------------------------------------------------------------
# One bank, 147.25 .. 147.35 MHz in 10 kHz steps, crossing 147.30 MHz.
profile -1
write_frq "$WORK/scan.frq" FM "${TEN_FREQUENCIES[@]}"
sed -i '/^004 /d' "$WORK/scan.frq"  # nobody holds 147.30 MHz now; channel 4 is free
printf '#   000 0147.25000 0147.35000 0000.01000 FM  SEARCH Test bank\n' >>"$WORK/scan.frq"
run_headless search --device "$PTY" --file "$WORK/scan.frq" --mode search --seconds 8 --save
grep -q "Starting Search Mode" "$WORK/search.out" || fail "no search line"
grep -q ':CH 004 0147.30000 ' "$WORK/search.out" || fail "the search hit was not stored in channel 4"
if grep ':CH ' "$WORK/search.out" | grep -qv ':CH 004 '; then fail "search hits on other channels"; fi
line="$(grep '^004 ' "$WORK/scan.frq")" || fail "new channel 4 missing from the saved file"
echo "$line" | grep -q '^004 0147.30000 ' || fail "new channel 4 is '$line'"
[ "$((10#$(echo "$line" | awk '{print $4}')))" -ge 1 ] || fail "new channel 4 has no count"

# --- search without banks from 0 Hz ---------------------------------------
# A one-channel scan leaves the radio on a busy 146.000 MHz; a search from
# 0 Hz then asks for frequencies the R8500 refuses. They are not visits: no
# hit, no new channel, one line about the refusals.
printf '146.000 6 2 1\n' >"$WORK/busy.txt"
first="$PTY"
sim_start --radio icom-r8500 --addr 4A --activity "$WORK/busy.txt"
PTY2="$PTY"
PTY="$first"
profile 0
sed -i 's/^TIMEOUT=50/TIMEOUT=20/' "$WORK/RIGVANE.INI"
printf '001 0146.00000 FM 00000 00000 S00 TS 0000000000 VLD NDLY Busy\n' >"$WORK/one.frq"
run_headless one --device "$PTY2" --file "$WORK/one.frq" --mode scan --seconds 3 --save
count1="$(awk '/^001 /{print $4}' "$WORK/one.frq")"
[ "$((10#$count1))" -ge 1 ] || fail "the busy channel got no hit: $(cat "$WORK/one.frq")"
# The search stops short of the busy 146 MHz (top of the range 100 MHz): a
# fast line reaches it within the run, and a hit there would be a real one.
sed -i 's/^MAXFREQ=200000000/MAXFREQ=10000000/' "$WORK/RIGVANE.INI"
run_headless zero --device "$PTY2" --file "$WORK/one.frq" --mode search --seconds 7 --save
if grep -q ':CH ' "$WORK/zero.out"; then fail "hits while the radio refused: $(grep ':CH ' "$WORK/zero.out" | head -3)"; fi
[ "$(grep -c 'Radio refused' "$WORK/zero.out")" = 1 ] || fail "the refusals were not reported once"
[ "$(grep -c '^[0-9]' "$WORK/one.frq")" = 1 ] || fail "channels were added: $(grep '^[0-9]' "$WORK/one.frq")"
grep -q '^001 0146.00000 ' "$WORK/one.frq" || fail "the busy channel changed: $(cat "$WORK/one.frq")"

# Unusable device and file: clear messages, non-zero status.
if "$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" --device "$WORK/no-such-tty" --seconds 1 \
    >/dev/null 2>"$WORK/bad.err"; then
    fail "a missing device was accepted"
fi
grep -q "cannot open the radio device" "$WORK/bad.err" || fail "no device message: $(cat "$WORK/bad.err")"
if "$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" --device "$PTY" --file "$WORK/none.frq" \
    --seconds 1 >/dev/null 2>"$WORK/bad.err"; then
    fail "a missing frequency file was accepted"
fi
grep -q "cannot read the frequency file" "$WORK/bad.err" || fail "no file message"
# A radio of another family that does not answer on this line (a Kenwood
# profile on the ICOM set) is never taken for a connected radio.
sed "s/^PROTOCOL=1\$/PROTOCOL=2/" "$WORK/RIGVANE.INI" >"$WORK/OTHER.INI"
if "$RIGVANE" --headless --ini "$WORK/OTHER.INI" --device "$PTY" --seconds 1 \
    >"$WORK/other.out" 2>"$WORK/bad.err"; then
    fail "a radio that does not answer was accepted"
fi
if grep -q "Connected" "$WORK/other.out"; then fail "a silent radio said Connected"; fi
echo "PASS"
