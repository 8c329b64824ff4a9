#!/usr/bin/env bash
# Installs what is missing, builds the project twice (optimised, and with AddressSanitizer and
# UndefinedBehaviorSanitizer) with warnings as errors, and runs the whole test suite through ctest in
# both builds. Both suites always run. Then it builds once more as CMake's Release type (-O3), with
# warnings as errors, so that every build type stays warning-free (built, not run). The script fails
# at the end if any of these did, naming which.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh test

jobs=${JOBS:-$(nproc)}
for kind in release asan; do
  dir=build/$kind
  sanitize=OFF
  [ "$kind" = asan ] && sanitize=ON
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTX_SANITIZE=$sanitize -DTX_WERROR=ON \
        -DTX_BUILD_TESTS=ON -DTX_BUILD_BENCH=$([ "$kind" = release ] && echo ON || echo OFF) > /dev/null
  cmake --build "$dir" -j "$jobs"
done

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
for kind in release asan; do
  echo "== tests: $kind build"
  ctest --test-dir build/$kind --output-on-failure -j "$jobs" --timeout 300 || failed+=("the test suite of the $kind build")
done

echo "== build: Release (-O3), warnings as errors"
{ cmake -S . -B build/release-o3 -G Ninja -DCMAKE_BUILD_TYPE=Release -DTX_WERROR=ON -DTX_BUILD_TESTS=ON \
        -DTX_BUILD_BENCH=OFF > /dev/null &&
    cmake --build build/release-o3 -j "$jobs"; } || failed+=("the Release build")

if [ ${#failed[@]} -gt 0 ]; then
  echo "== FAILED: $(IFS=,; echo "${failed[*]}" | sed 's/,/, /g')"
  exit 1
fi
echo "== passed: the test suites of the release and asan builds, and the Release build"
