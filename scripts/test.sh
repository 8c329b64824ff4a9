#!/usr/bin/env bash
# Installs what is missing, builds the project twice (optimised, and with AddressSanitizer and
# UndefinedBehaviorSanitizer) with warnings as errors, and runs the whole test suite through ctest in
# both builds. Both suites always run; the script fails at the end if either did, naming which.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

jobs=${JOBS:-$(nproc)}
for kind in release asan; do
  dir=build/$kind
  sanitize=OFF
  [ "$kind" = asan ] && sanitize=ON
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTX_SANITIZE=$sanitize -DTX_WERROR=ON \
        -DTX_BUILD_BENCH=$([ "$kind" = release ] && echo ON || echo OFF) > /dev/null
  cmake --build "$dir" -j "$jobs"
done

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
for kind in release asan; do
  echo "== tests: $kind build"
  ctest --test-dir build/$kind --output-on-failure -j "$jobs" --timeout 300 || failed+=("$kind")
done

if [ ${#failed[@]} -gt 0 ]; then
  echo "== FAILED: the test suite of the ${failed[*]} build(s)"
  exit 1
fi
echo "== passed: the test suites of the release and asan builds"
