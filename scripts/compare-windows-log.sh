#!/usr/bin/env bash
# Runs the Linux and the Windows console on the same generated demo drive and
# checks that they agree: the deletion log section of a test run (every path,
# the closing count and byte figures) and the report's figures, then what a
# Select All deleting run leaves on two copies of the drive.
#
#   scripts/compare-windows-log.sh [linux build] [windows build]
#                                  (defaults: build, build-win)
#
# The Windows program runs under Wine in the Windows build's prefix (made by
# scripts/test-windows.sh, which leaves it only a C: drive), with D: mapped
# for the run to the demo drive in a temporary folder of its own. The
# demo drive holds plain files and folders only (checked): under Wine a Unix
# link looks like a plain file, and deleting it would reach its target.
#
# The Windows window, tidewell.exe "/U /I", runs on the same drive in test
# mode (a first start) and must log the same items and report the same
# figures as the console's test run. It needs a display: without DISPLAY the
# script starts Xvfb on a display of its own; xdotool answers the test-mode
# notice that a first start shows.
#
# A listing's order is the file system's own (NTFS and Wine give names in
# order, Linux file systems do not), so the item lines are compared as sets;
# everything else is compared as it stands.
set -euo pipefail
cd "$(dirname "$0")/.."
linux_build=${1:-build}
windows_build=${2:-build-win}
case $windows_build in /*) ;; *) windows_build=$PWD/$windows_build ;; esac
wine=$(command -v wine || command -v wine-stable)
export WINEPREFIX=$windows_build/wine-prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX/dosdevices" ] || { echo "no Wine prefix in $windows_build: run scripts/test-windows.sh first" >&2; exit 1; }

cmake --build "$linux_build" --target tidewell-cli tidewell-make-demo-drive >/dev/null
work=$(mktemp -d "${TMPDIR:-/tmp}/tidewell-compare-XXXXXX")
device=$WINEPREFIX/dosdevices/d:
windows_program=$WINEPREFIX/drive_c/tidewell-compare
xvfb_pid=
cleanup() {
  rm -f "$device"
  rm -rf "$windows_program" "$work"
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT

"$linux_build/tools/tidewell-make-demo-drive" --folders 300 --files 3000 "$work/drive" >/dev/null
if [ -n "$(find "$work/drive" ! -type d ! -type f -print -quit)" ]; then
  echo "the demo drive holds something other than files and folders; refusing to run Wine over it" >&2
  exit 1
fi
for copy in linux-delete windows-delete; do cp -a "$work/drive" "$work/$copy"; done

# The Windows folder is looked for on C: (the system drive), and files the
# rules name through it are logged with its name. Under Wine, C: is the
# prefix's own drive, whose Windows folder is "windows"; the Linux runs get a
# C: drive laid out the same.
mkdir -p "$work/linux" "$work/system/windows"
cp "$linux_build/cli/tidewell-cli" "$work/linux/"
rm -rf "$windows_program"
mkdir -p "$windows_program"
cp "$windows_build/cli/tidewell-cli.exe" "$windows_program/"
window_program=$windows_build/ui/tidewell.exe
[ -f "$window_program" ] && cp "$window_program" "$windows_program/"
windows_store=$(find "$WINEPREFIX/drive_c/users" -maxdepth 4 -type d -path '*/AppData/Roaming' | head -1)

# run_linux DRIVE ARGS... / run_windows DRIVE ARGS...: one run with fresh settings on D:.
run_linux() {
  local drive=$1
  shift
  rm -rf "$work/config"
  TIDEWELL_DRIVES="C=$work/system;D=$drive" XDG_CONFIG_HOME="$work/config" LC_ALL=C TZ=UTC \
    "$work/linux/tidewell-cli" --drive D: --quiet "$@"
}
run_windows() {
  local drive=$1
  shift
  [ -n "$windows_store" ] && rm -rf "$windows_store/Tidewell"
  rm -f "$device"
  ln -s "$drive" "$device"
  LC_ALL=C TZ=UTC "$wine" 'C:\tidewell-compare\tidewell-cli.exe' --drive D: --quiet "$@"
  rm -f "$device"
}

# The log without the run's date and time line, lines sorted; the report's figures.
log_section() {
  tr -d '\r' <"$1" | grep -v -E '^[A-Z][a-z]+day, [A-Z][a-z]+ [0-9]+, [0-9]+ @ [0-9]+:[0-9]{2}:[0-9]{2} [AP]M$' | sort
}
report_figures() { tr -d '\r' <"$1" | grep -E 'files DELETED|bytes SAVED'; }

failed=0
compare() {
  if diff -u "$2" "$3" >"$work/diff"; then
    echo "same: $1 ($(wc -l <"$2") lines)"
  else
    echo "DIFFERENT: $1" >&2
    head -40 "$work/diff" >&2
    failed=1
  fi
}

run_linux "$work/drive" --test
run_windows "$work/drive" --test
log_section "$work/linux/Tidewell.log" >"$work/linux.log"
log_section "$windows_program/Tidewell.log" >"$work/windows.log"
compare "test run's deletion log" "$work/linux.log" "$work/windows.log"
report_figures "$work/linux/Tidewell.txt" >"$work/linux.report"
report_figures "$windows_program/Tidewell.txt" >"$work/windows.report"
compare "test run's report figures" "$work/linux.report" "$work/windows.report"
grep -q 'Delete file: ' "$work/linux.log" || { echo "the test run logged nothing" >&2; failed=1; }

# The window: "/U /I" in test mode on D:, the drive of its working folder.
# The test-mode notice is answered as a user would, with Enter.
run_window() {
  local drive=$1
  [ -n "$windows_store" ] && rm -rf "$windows_store/Tidewell"
  rm -f "$device" "$windows_program/Tidewell.log" "$windows_program/Tidewell.txt"
  ln -s "$drive" "$device"
  if [ -z "${DISPLAY:-}" ]; then
    local display_file=$work/display
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$display_file" >/dev/null 2>&1 &
    xvfb_pid=$!
    for _ in $(seq 50); do [ -s "$display_file" ] && break; sleep 0.1; done
    export DISPLAY=:$(cat "$display_file")
  fi
  (cd "$drive" && LC_ALL=C TZ=UTC "$wine" 'C:\tidewell-compare\tidewell.exe' /U /I) &
  local program=$!
  for _ in $(seq 600); do
    kill -0 "$program" 2>/dev/null || break
    for window in $(xdotool search --name '^TEST MODE is ON' 2>/dev/null); do xdotool key --window "$window" Return; done
    sleep 0.5
  done
  local status=0
  wait "$program" || status=$?
  rm -f "$device"
  return "$status"
}
if [ -f "$windows_program/tidewell.exe" ] && command -v xdotool >/dev/null && command -v Xvfb >/dev/null; then
  if run_window "$work/drive"; then
    log_section "$windows_program/Tidewell.log" >"$work/window.log"
    compare "window's /U /I test run's deletion log" "$work/linux.log" "$work/window.log"
    report_figures "$windows_program/Tidewell.txt" >"$work/window.report"
    compare "window's /U /I test run's report figures" "$work/linux.report" "$work/window.report"
  else
    echo "tidewell.exe /U /I did not end with 0" >&2
    failed=1
  fi
else
  echo "skipped: the window's /U /I run (needs $windows_build/ui/tidewell.exe, Xvfb and xdotool)" >&2
fi

rm -f "$work/linux/Tidewell.log" "$work/linux/Tidewell.txt" "$windows_program/Tidewell.log" "$windows_program/Tidewell.txt"
run_linux "$work/linux-delete" --delete --log --select all
run_windows "$work/windows-delete" --delete --log --select all
log_section "$work/linux/Tidewell.log" >"$work/linux.log"
log_section "$windows_program/Tidewell.log" >"$work/windows.log"
compare "Select All deleting run's log" "$work/linux.log" "$work/windows.log"
(cd "$work/linux-delete" && find . | sort) >"$work/linux.left"
(cd "$work/windows-delete" && find . | sort) >"$work/windows.left"
compare "what the deleting runs left" "$work/linux.left" "$work/windows.left"
[ "$(wc -l <"$work/linux.left")" -lt "$(cd "$work/drive" && find . | wc -l)" ] ||
  { echo "the deleting run removed nothing" >&2; failed=1; }

exit $failed
