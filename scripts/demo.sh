#!/usr/bin/env bash
# The main job: builds Tidewell, generates a Windows 98/2000-style demo drive
# in a temporary folder, and runs a test run of it with tidewell-cli and the
# default categories. Nothing on the demo drive changes; the run report and
# the deletion log section (everything a destructive run would remove) are
# printed at the end.
#
# The program, its records and its settings live in the demo folder too, so
# the run starts as a first start would and leaves your own settings alone.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tidewell-cli tidewell-make-demo-drive

demo=$(mktemp -d "${TMPDIR:-/tmp}/tidewell-demo-XXXXXX")
mkdir -p "$demo/program"
cp build/cli/tidewell-cli "$demo/program/"
build/tools/tidewell-make-demo-drive "$demo/drive_c"
echo

# --quiet leaves only the summary; without it every status line and message
# of the run is printed as the window would show it.
TIDEWELL_DRIVES="C=$demo/drive_c" XDG_CONFIG_HOME="$demo/config" \
  "$demo/program/tidewell-cli" --drive C: --test

echo
echo "---- run report: $demo/program/Tidewell.txt ----"
tr -d '\r' < "$demo/program/Tidewell.txt"
echo
echo "---- deletion log: $demo/program/Tidewell.log ----"
tr -d '\r' < "$demo/program/Tidewell.log"
echo "----"
echo "The demo drive is in $demo/drive_c, unchanged: this was a test run."
echo "To clean it for real:  TIDEWELL_DRIVES=C=$demo/drive_c XDG_CONFIG_HOME=$demo/config $demo/program/tidewell-cli --delete"
