#!/bin/sh
# Times a test run of one deep folder chain with and without keep patterns
# that hold lone stars, to show that the keep list costs time linear in a
# path's length: each folder of the chain holds one .TMP file, and the chain
# lies in a TEMP folder, so the Temp purge asks the keep list for every file
# and every folder with its whole path.
#
#   bench/deep_keep.sh [build folder] [depth]      (defaults: build 3000)
#
# Everything lives in a temporary folder that the script removes; the runs
# are test runs (nothing is deleted).
set -eu
build=${1:-build}
depth=${2:-3000}
cli="$build/tidewell-cli"
[ -x "$cli" ] || cli="$build/cli/tidewell-cli"
[ -x "$cli" ] || { echo "no tidewell-cli in $build" >&2; exit 1; }

work=$(mktemp -d "${TMPDIR:-/tmp}/tidewell-deep-keep.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/c/TEMP" "$work/home"
# The chain is made one level at a time from inside it: its full host path
# is longer than the system lets one call name (and than a shell's cd takes).
python3 - "$work/c/TEMP" "$depth" <<'PY'
import os, sys
os.chdir(sys.argv[1])
for _ in range(int(sys.argv[2])):
    os.mkdir("d")
    os.chdir("d")
    open("x.TMP", "w").close()
PY

run() {
  label=$1
  shift
  start=$(date +%s.%N)
  HOME="$work/home" XDG_CONFIG_HOME="$work/home/config" TIDEWELL_DRIVES="C=$work/c" \
    "$cli" --test --quiet --no-report "$@" > "$work/out" 2>&1 || { cat "$work/out" >&2; exit 1; }
  end=$(date +%s.%N)
  printf '%-34s %8.2f s  %s\n' "$label" "$(awk "BEGIN { print $end - $start }")" "$(grep -m1 'Drive C' "$work/out")"
}

echo "a chain of $depth folders, one .TMP file in each"
run "no keep pattern"
run "--keep '*\\PROJECTS\\*'" --keep '*\PROJECTS\*'
run "--keep '*\\A\\*\\B\\*\\C\\*'" --keep '*\A\*\B\*\C\*'
run "--keep '*\\d\\*\\x.TMP' (keeps all)" --keep '*\d\*\x.TMP'
