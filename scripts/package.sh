#!/usr/bin/env bash
# Builds the Debian package tessalundrix_<version>-<release>_<arch>.deb in the project's root folder
# from an optimised build without tests (build/package). Install it with
#   sudo apt install ./tessalundrix_3.1-1_amd64.deb
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh package

dir=build/package
cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTX_BUILD_TESTS=OFF -DTX_BUILD_BENCH=OFF \
      -DTX_SANITIZE=OFF > /dev/null
cmake --build "$dir" -j "${JOBS:-$(nproc)}"
(cd "$dir" && cpack -G DEB)
cp "$dir"/tessalundrix_*.deb .
ls -1 tessalundrix_*.deb
