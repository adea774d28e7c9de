#!/usr/bin/env bash
# Makes main-window.png, the screenshot the AppStream metadata names (the
# home page serves it as screenshots/main-window.png): the built window,
# test mode off so that no notice covers it, on a generated demo drive C:,
# on a virtual X display of its own. Nothing is cleaned: the window is
# started without "/U" and closed once the picture is taken.
#
#   packaging/screenshots/make-main-window.sh [build folder]   (default: build)
#
# Needs Xvfb (Debian: xvfb), xwininfo (x11-utils) and import (imagemagick).
set -euo pipefail
cd "$(dirname "$0")/../.."
build=${1:-build}
out=$PWD/packaging/screenshots/main-window.png
work=$(mktemp -d "${TMPDIR:-/tmp}/tidewell-screenshot-XXXXXX")
chmod 700 "$work"
# A display no X server holds (its lock file is missing).
number=90
while [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ]; do number=$((number + 1)); done
display=:$number
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

"$build/tools/tidewell-make-demo-drive" "$work/drive_c" >/dev/null
mkdir -p "$work/config/Tidewell" "$work/home" "$work/data"
printf '[Preferences]\r\nTestRun=0\r\nReporting=1\r\n' >"$work/config/Tidewell/Tidewell.ini"
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
pids+=($!)
sleep 2
env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data" \
  XDG_RUNTIME_DIR="$work" WINEPREFIX="$work/no-wine" DISPLAY="$display" QT_QPA_PLATFORM=xcb \
  TIDEWELL_DRIVES="C=$work/drive_c" LC_ALL=C.UTF-8 "$build/ui/tidewell" >/dev/null 2>&1 &
pids+=($!)
window=""
for _ in $(seq 50); do
  window=$(DISPLAY=$display xwininfo -root -tree | awk '/"Tidewell": \("tidewell"/ { print $1; exit }')
  [ -n "$window" ] && break
  sleep 0.2
done
[ -n "$window" ] || { echo "the main window did not appear" >&2; exit 1; }
sleep 1  # its first paint
DISPLAY=$display import -window "$window" "$out"
echo "$out"
