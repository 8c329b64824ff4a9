#!/usr/bin/env bash
# Installs what is missing, builds the desktop explorer and the viewer it hands .txf files to (not
# the tests nor the benchmarks) and starts the explorer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build/release -j "$(nproc)" --target TessalundrixPro TXViewer
exec build/release/mainwindow/TessalundrixPro "$@"
