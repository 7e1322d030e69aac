#!/usr/bin/env bash
# Builds a debug build (build/debug) and an address/undefined-behaviour
# sanitizer build (build/asan) and runs every test on both; checks the house
# style (scripts/style.sh) after the debug build. The end-to-end
# tests, which start the real program, run in the debug build only.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh || exit 1
export QT_QPA_PLATFORM=offscreen
# Paths relative to the checkout, so the compiler cache serves any clone.
export CCACHE_BASEDIR="$PWD" CCACHE_NOHASHDIR=1
jobs=$(nproc)
[[ $jobs -gt 2 ]] && jobs=2

status=0
summary=()

run_build() {  # name, dir, extra cmake args..., -- extra ctest args...
    local name=$1 dir=$2
    shift 2
    local cmake_args=() ctest_args=()
    while [[ $# -gt 0 && $1 != -- ]]; do cmake_args+=("$1"); shift; done
    [[ $# -gt 0 ]] && shift
    ctest_args=("$@")

    echo "=== $name: configure and build ($dir)"
    if ! cmake -S . -B "$dir" -G Ninja "${cmake_args[@]}" >/dev/null ||
       ! cmake --build "$dir" -j"$jobs" -- -k 0; then
        echo "=== $name: BUILD FAILED"
        summary+=("$name: build failed")
        status=1
    fi
    echo "=== $name: tests"
    local log="$dir/ctest-summary.log"
    (cd "$dir" && ctest --output-on-failure -j"$jobs" --timeout 600 "${ctest_args[@]}") |
        tee "$log"
    local rc=${PIPESTATUS[0]}
    [[ $rc -ne 0 ]] && status=1
    summary+=("$name: $(grep -E 'tests passed|tests failed' "$log" | tail -1)")
}

run_build debug build/debug -DCMAKE_BUILD_TYPE=Debug
# The house style (clang-format, clang-tidy below the windows) on the
# debug build's compile commands.
echo "=== style"
if bash scripts/style.sh build/debug; then
    summary+=("style: passed")
else
    summary+=("style: FAILED")
    status=1
fi
run_build asan build/asan -DCMAKE_BUILD_TYPE=Debug -DRIGVANE_SANITIZE=ON -DRIGVANE_BENCH=OFF \
    -- -E '^e2e_'

echo
echo "=== Summary"
for line in "${summary[@]}"; do echo "$line"; done
exit $status
