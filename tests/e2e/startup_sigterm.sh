#!/usr/bin/env bash
# Starts the program on a fresh settings file, ends it with SIGTERM and then
# with SIGINT, and checks that each way out is clean (exit status 0) and
# leaves a complete settings file.
# Usage: startup_sigterm.sh PATH-TO-RIGVANE [PATH-TO-RIGVANE-SIM]
set -uo pipefail

RIGVANE=${1:?path to rigvane}
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
. "$(dirname "$0")/lib.sh"
work_dir
FAIL_LOG="$WORK/stderr"

run_case() {  # signal-name signal-number
    local name=$1 number=$2 ini="$WORK/$1/x.ini"
    mkdir -p "$WORK/$name"
    "$RIGVANE" --ini "$ini" >"$WORK/stdout" 2>"$WORK/stderr" &
    PID=$!
    local waited=0
    until catches "$PID" "$number"; do
        kill -0 "$PID" 2>/dev/null || fail "$name: program ended before it was up"
        (( waited++ >= 200 )) && fail "$name: program not up after 20 s"
        sleep 0.1
    done
    sleep 0.3  # the signal may also arrive while the window comes up
    kill -"$name" "$PID"
    wait "$PID"
    local rc=$?
    PID=
    [[ $rc -eq 0 ]] || fail "$name: exit status $rc"
    [[ -f "$ini" ]] || fail "$name: no settings file written"

    local radios
    radios=$(grep -c '^\[Radio[0-7]\]' "$ini")
    [[ $radios -eq 8 ]] || fail "$name: $radios radio sections instead of 8"
    grep -q '^\[GLOBALS\]' "$ini" || fail "$name: no GLOBALS section"
    grep -Eq '^WINDOPEN=[01]{10}\s*$' "$ini" || fail "$name: no ten-character WINDOPEN"
    for n in 1 2 3 4 5 6 7 8 9 10; do
        grep -q "^\[Window$n\]" "$ini" || fail "$name: no Window$n section"
    done
    # The main window (entry 7) was open and says so.
    local windopen
    windopen=$(sed -n 's/^WINDOPEN=\([01]*\).*/\1/p' "$ini")
    [[ ${windopen:6:1} == 1 ]] || fail "$name: main window not marked open ($windopen)"
    echo "ok: $name ends cleanly and writes the settings file"
}

run_case TERM 15
run_case INT 2

# A second run reads what the first one wrote and keeps it.
cp "$WORK/TERM/x.ini" "$WORK/before.ini"
run_case TERM 15
diff -q "$WORK/before.ini" "$WORK/TERM/x.ini" >/dev/null ||
    fail "settings changed over a run that changed nothing: $(diff "$WORK/before.ini" "$WORK/TERM/x.ini")"
echo "ok: settings survive a second run unchanged"

# Command-line mistakes are reported, not run.
"$RIGVANE" --ini >/dev/null 2>&1 && fail "--ini without a path was accepted"
"$RIGVANE" --bogus >/dev/null 2>&1 && fail "an unknown option was accepted"
"$RIGVANE" --help | grep -q -- '--ini PATH' || fail "--help does not describe --ini"
echo "ok: command line"
