#!/usr/bin/env bash
# Builds the engine and platform suites with ThreadSanitizer (in
# build-tsan/) and runs every case of both. Any data race, lock-order
# inversion or thread leak that TSan reports fails the run.
#
# Those two suites hold every thread Tidewell starts (the walk's finisher and
# warmers, the mount helpers, the signal and timer cases of the listing) and
# the whole runs that use them with and without their threads. The other
# suites reach the same engine through the console, the session or the
# window, with no thread of their own, and stay with the plain and the
# AddressSanitizer runs.
#
# So only what the two suites need is built: no window (TIDEWELL_BUILD_UI=OFF,
# no Qt), no console, no bench. The reruns of the two suites as an
# unprivileged user are left out: they run the same code with permission
# bits in force, which changes which files a run may delete, not how its
# threads meet. Compiled with -O1 -g1 (line tables only, enough for TSan's
# reports) instead of -O2 -g: about 40% less processor time a source.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-tsan}

scripts/install-deps.sh
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDEWELL_SANITIZE=thread \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DTIDEWELL_BUILD_UI=OFF -DTIDEWELL_BUILD_TESTS=ON >/dev/null
cmake --build "$build" --target platform_tests engine_tests

# halt_on_error: the first report ends the case, and fails it.
# second_deadlock_stack: a lock-order report shows where both locks were taken.
export TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 suppressions=$PWD/tests/tsan.supp"
ctest --test-dir "$build" --output-on-failure -j "$(nproc)" -L '^(platform_tests|engine_tests)$'
