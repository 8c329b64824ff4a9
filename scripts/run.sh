#!/usr/bin/env bash
# Installs what is missing, builds the project and starts the desktop explorer.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build/release -j "$(nproc)"
exec build/release/mainwindow/TessalundrixPro "$@"
