#!/usr/bin/env bash
# Builds a release build in build/release and starts Rigvane; any arguments
# (for example --ini PATH) are passed to the program.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DRIGVANE_TESTS=OFF -DRIGVANE_BENCH=OFF >/dev/null
cmake --build build/release --target rigvane -j"$(nproc)"
exec build/release/rigvane "$@"
