#!/usr/bin/env bash
# Builds Tidewell for 64-bit Windows with mingw-w64 and runs its test
# programs under Wine, one ctest entry per program.
#
#   scripts/test-windows.sh [build folder]     (default: build-win)
#
# Installs the cross compiler and Wine when missing, builds GoogleTest from
# the Debian source package with the same toolchain, configures the project
# without the window (-DTIDEWELL_BUILD_UI=OFF), and makes a Wine prefix
# inside the build folder. The prefix has no Z: drive: Wine maps Z: to the
# host's "/" by default, and nothing a Tidewell program runs on may reach
# outside the build folder.
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
build=${1:-build-win}
case $build in /*) ;; *) build=$source_dir/$build ;; esac
jobs=${TIDEWELL_JOBS:-$(nproc)}

scripts/install-deps.sh --windows
wine=$(command -v wine || command -v wine-stable)
toolchain=$source_dir/cmake/toolchain-mingw-w64.cmake

# GoogleTest, built once per build folder with the cross compiler.
gtest_prefix=$build/googletest
if [ ! -f "$gtest_prefix/lib/cmake/GTest/GTestConfig.cmake" ]; then
  cmake -S /usr/src/googletest -B "$build/googletest-build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$gtest_prefix" -DBUILD_GMOCK=OFF -Dgtest_disable_pthreads=OFF >/dev/null
  nice -n 15 cmake --build "$build/googletest-build" -j "$jobs"
  cmake --install "$build/googletest-build" >/dev/null
fi

# Line tables only (-g1), as the Linux build: a fifth less compiling, and
# the shipped programs are stripped anyway (packaging/windows).
cmake -S . -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$toolchain" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
  -DGTest_DIR="$gtest_prefix/lib/cmake/GTest" \
  -DTIDEWELL_BUILD_UI=ON -DTIDEWELL_BUILD_TESTS=ON >/dev/null
nice -n 15 cmake --build "$build" -j "$jobs"

# The Wine prefix: made once, then stripped of every drive letter but C:
# (its own drive_c inside the build folder).
export WINEPREFIX=$build/wine-prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -d "$WINEPREFIX/dosdevices" ]; then
  "$wine" wineboot --init >/dev/null 2>&1 || true
  wineserver_=$(command -v wineserver || command -v wineserver-stable || true)
  [ -n "$wineserver_" ] && "$wineserver_" -w || true
fi
for device in "$WINEPREFIX"/dosdevices/*; do
  [ -e "$device" ] || [ -L "$device" ] || continue
  case $(basename "$device") in c:) ;; *) rm -f "$device" ;; esac
done
if [ -e "$WINEPREFIX/dosdevices/z:" ] || [ -L "$WINEPREFIX/dosdevices/z:" ]; then
  echo "The Wine prefix still maps Z:; refusing to run" >&2
  exit 1
fi

# A display for the Win32 window's tests: Xvfb on the first free display
# number it finds (-displayfd), ended with the script. Started before
# Wine's services, whose desktop process then has it too.
if [ -z "${DISPLAY:-}" ]; then
  display_file=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
  export DISPLAY=:$(cat "$display_file")
  rm -f "$display_file"
  trap 'kill "$xvfb_pid" 2>/dev/null || true' EXIT
fi

# One Wine server for the whole run, with Wine's own services started here,
# ended when the script ends. Left to itself, Wine ends its server a few
# seconds after the last program goes, and a program that starts just then,
# as the next suite often does, can lose its connection ("recvmsg:
# Connection reset by peer") or wait for ever. The services are started
# with no output of ctest's open: a service started by a suite would hold
# that suite's output open, and ctest would wait for it.
wineserver_=$(command -v wineserver || command -v wineserver-stable || true)
if [ -n "$wineserver_" ]; then
  "$wineserver_" -p || true  # already running: keep that one
  trap '"$wineserver_" -k >/dev/null 2>&1 || true; [ -z "${xvfb_pid:-}" ] || kill "$xvfb_pid" 2>/dev/null || true' EXIT
  "$wine" wineboot </dev/null >/dev/null 2>&1 || true
fi

# The entries labelled wine-long (hours of Wine's file calls for what the
# Linux suites check in seconds) run only when asked.
if [ "${TIDEWELL_WINE_LONG:-0}" = 1 ]; then
  ctest --test-dir "$build" --output-on-failure -j "$jobs"
else
  ctest --test-dir "$build" --output-on-failure -j "$jobs" -LE wine-long
fi
