# shellcheck shell=bash
# Steps the end-to-end scripts and bench/scan_round.sh share: a scratch
# folder cleaned up on exit, rigvane-sim on a pseudo-terminal, a radio
# profile, a frequency file, a headless run and the hits it logged.
# Sourced, not run:  . "$(dirname "$0")/lib.sh"
# The scripts set RIGVANE and SIM (the programs) before calling these.

# The ten channels most scans use. With 146.52, 147.30 and 162.40 MHz
# active, the hits fall on channels 2, 4 and 9.
# shellcheck disable=SC2034 # for the scripts
TEN_FREQUENCIES=(0145.50000 0146.52000 0146.94000 0147.30000 0151.82000 0154.57000
                 0155.16000 0156.80000 0162.40000 0162.55000)

# fail MESSAGE: says FAIL and ends the script. With FAIL_LOG naming a file,
# its last lines follow (the program's output, where it tells why).
fail() {
    echo "FAIL: $*"
    if [ -n "${FAIL_LOG:-}" ] && [ -f "$FAIL_LOG" ]; then
        echo "--- end of $(basename "$FAIL_LOG")"
        tail -n 40 "$FAIL_LOG"
    fi
    exit 1
}

# work_dir: WORK becomes a new scratch folder. On exit every background job
# of the script still running is ended (woken first, should it be stopped)
# and the folder removed.
work_dir() {
    WORK="$(mktemp -d "${TMPDIR:-/tmp}/rigvane-e2e-XXXXXX")"
    trap end_work EXIT
}

end_work() {
    local pid
    for pid in $(jobs -p); do
        kill -CONT "$pid" 2>/dev/null || true
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$WORK"
}

# sim_start OPTION...: starts rigvane-sim with the options. SIM_PID becomes
# its process and PTY the pseudo-terminal it serves (the first line it
# prints); a simulator that prints no device path fails the test. Every
# start has its own output files, so an earlier run's line is never taken.
SIM_STARTS=0
sim_start() {
    SIM_STARTS=$((SIM_STARTS + 1))
    local out="$WORK/sim$SIM_STARTS.out" err="$WORK/sim$SIM_STARTS.err"
    "$SIM" "$@" >"$out" 2>"$err" &
    SIM_PID=$!
    local _
    for _ in $(seq 100); do
        [ "$(wc -l <"$out")" -ge 1 ] && break
        kill -0 "$SIM_PID" 2>/dev/null || break
        sleep 0.1
    done
    PTY="$(head -n1 "$out")"
    case "$PTY" in
    /dev/*) ;;
    *) fail "rigvane-sim $* printed no device path: '$PTY' ($(cat "$err"))" ;;
    esac
}

# sim_stop [SIGNAL]: ends the simulator started last (SIGTERM unless told)
# and waits for it.
# shellcheck disable=SC2120 # the signal is seldom given
sim_stop() {
    [ -n "${SIM_PID:-}" ] || return 0
    kill "-${1:-TERM}" "$SIM_PID" 2>/dev/null || true
    wait "$SIM_PID" 2>/dev/null || true
    SIM_PID=""
}

# write_ini KEY=VALUE... [-- KEY=VALUE...]: $WORK/RIGVANE.INI with one radio
# profile, [Radio0], of the keys before "--". [GLOBALS] is a plain scan:
# SPEED=0 SIGRSM=1 RSMTIME=1 (a hit is left after a second, so the scan goes
# round) LOADFREQ=0 USEBANKS=0, and the hit journal in $WORK (not in the
# folder the test runs in); keys after "--" replace these or join them.
write_ini() {
    local globals=(SPEED=0 SIGRSM=1 RSMTIME=1 LOADFREQ=0 USEBANKS=0 "JOURNAL=$WORK/RIGVANE-HITS.csv") g o
    {
        echo "[Radio0]"
        while [ $# -gt 0 ] && [ "$1" != -- ]; do
            echo "$1"
            shift
        done
        [ $# -gt 0 ] && shift
        echo "[GLOBALS]"
        for g in "${globals[@]}"; do
            for o in "$@"; do [ "${o%%=*}" = "${g%%=*}" ] && g="$o"; done
            echo "$g"
        done
        for o in "$@"; do
            case " ${globals[*]} " in *" ${o%%=*}="*) ;; *) echo "$o" ;; esac
        done
    } >"$WORK/RIGVANE.INI"
}

# write_frq FILE MODE FREQUENCY...: a frequency file of channels 001, 002, ...
# on the frequencies (MHz as the file writes them), all in MODE (as the
# file's column reads, e.g. "FM" or "AM "), valid, named Chan1, Chan2, ...
write_frq() {
    local file="$1" mode="$2" n=1 f
    shift 2
    for f in "$@"; do
        printf '%03d %s %s 00000 00000 S00 TS 0000000000 VLD NDLY Chan%d\n' "$n" "$f" "$mode" "$n"
        n=$((n + 1))
    done >"$file"
}

# run_headless NAME OPTION...: rigvane --headless on $WORK/RIGVANE.INI with
# the options, its output in $WORK/NAME.out and $WORK/NAME.err. A run that
# ends with a failing status fails the test.
run_headless() {
    local name="$1"
    shift
    "$RIGVANE" --headless --ini "$WORK/RIGVANE.INI" "$@" >"$WORK/$name.out" 2>"$WORK/$name.err" ||
        fail "$name: rigvane ended with status $? ($(cat "$WORK/$name.err"))"
}

# hit_channels FILE: the channels a headless run logged hits on, each once,
# in order: "CH002 CH004 " (empty without hits).
hit_channels() {
    { grep -o ':CH [0-9]\{3\} ' "$1" || true; } | sort -u | tr -d ': ' | tr '\n' ' '
}

# check_hits NAME CHANNELS: the run NAME (run_headless) connected to its
# radio and logged hits on exactly CHANNELS, as hit_channels writes them.
check_hits() {
    grep -q "Connected" "$WORK/$1.out" || fail "$1: no connection line"
    local hits
    hits="$(hit_channels "$WORK/$1.out")"
    [ "$hits" = "$2" ] || fail "$1: hits on '$hits', expected $2"
}

# free_port: a TCP port on 127.0.0.1 nobody listens on just now.
free_port() {
    python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'
}

# catches PID SIGNAL-NUMBER: true once the process catches the signal (its
# handler is installed), so a signal sent now takes the program's own way out.
catches() {
    local mask
    mask=$(awk '/^SigCgt:/ {print $2}' "/proc/$1/status" 2>/dev/null) || return 1
    [[ -n "$mask" ]] && (((16#$mask >> ($2 - 1)) & 1))
}
