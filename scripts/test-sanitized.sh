#!/usr/bin/env bash
# Builds Tidewell with AddressSanitizer and UndefinedBehaviorSanitizer (in
# build-sanitize/) and runs the test suites in that build. Any memory
# error, undefined behaviour or leak fails the run.
#
# Left out, to keep CI short (scripts/test.sh runs all of it unsanitized):
# - the window (TIDEWELL_BUILD_UI=OFF) and its Qt Test suites: its 15
#   sources and 7 test programs compile against Qt's headers (14 to 24
#   seconds of processor time a source with the sanitizers, against about 8
#   for an engine source), for a front end over the session and engine code
#   that the session, console and engine suites run here already;
# - check_includes, a shell check of the sources that runs no compiled code;
# - the cases labelled slow (the whole runs over large generated drives):
#   they run the same code as the quick cases over more folders, and take
#   most of the suites' time under the sanitizers; the plain run and the
#   ThreadSanitizer run keep them.
# Compiled with -O1 -g1 (line tables only), which the sanitizers' reports
# need, instead of -O2 -g: about 40% less processor time a source.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build-sanitize -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDEWELL_SANITIZE=address \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" \
  -DTIDEWELL_BUILD_UI=OFF -DTIDEWELL_BUILD_TESTS=ON >/dev/null
cmake --build build-sanitize
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
ctest --test-dir build-sanitize --output-on-failure -j "$(nproc)" -E '^check_includes$' -LE slow
