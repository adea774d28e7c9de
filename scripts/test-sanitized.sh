#!/usr/bin/env bash
# Builds Tidewell with AddressSanitizer and UndefinedBehaviorSanitizer (in
# build-sanitize/) and runs every test suite in that build. Any memory
# error, undefined behaviour or leak fails the run.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDEWELL_SANITIZE=ON \
  -DTIDEWELL_BUILD_TESTS=ON >/dev/null
cmake --build build-sanitize
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)"
