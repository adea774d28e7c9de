#!/usr/bin/env bash
# Builds Tidewell and runs every test: installs missing Debian packages,
# configures with CMake, builds, and runs the suites with ctest.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDEWELL_BUILD_TESTS=ON >/dev/null
cmake --build build
ctest --test-dir build --output-on-failure -j "$(nproc)"
