#!/usr/bin/env bash
# Installs what building and running need and is missing, builds the three programs and what
# installing them takes (not the tests nor the benchmarks) and starts the explorer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh run
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTX_BUILD_TESTS=OFF \
      -DTX_BUILD_BENCH=OFF > /dev/null
cmake --build build/release -j "$(nproc)"
exec build/release/mainwindow/TessalundrixPro "$@"
