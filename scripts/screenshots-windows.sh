#!/usr/bin/env bash
# Runs the Win32 window, tidewell.exe, under Wine on an Xvfb display with
# the openbox window manager, walks through its windows with the keyboard
# and saves a screenshot of the screen at each step, for people to look at
# (nothing is compared by pixels):
#   notice.png    the test-mode notice of a first start
#   main.png      the main window
#   deepwash.png  the Deepwash window (Ctrl+G)
#   results.png   the results of a test run (Ctrl+C)
#   viewer.png    the record viewer with the run's log
#   figures.png   View > Figures by Category after that run (Ctrl+F)
#   drives.png    Options > Drives... (Ctrl+D)
#   adddrive.png  its Add a Drive window (Alt+A)
#   info.png      the Info box (Ctrl+I)
#   about.png     the About box (F1)
#
#   scripts/screenshots-windows.sh [windows build] [output folder]
#                                  (defaults: build-win, build-win/screenshots)
#
# The display is :57 unless TIDEWELL_SCREEN_DISPLAY names another. The
# program runs in a Wine prefix of its own in the build folder, with no
# drive but C: and a D: mapped to a small drive of plain files in a
# temporary folder; every run is a test run (a first start is in test
# mode), so nothing is deleted. Needs Xvfb, openbox, xdotool and
# ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win}
case $build in /*) ;; *) build=$PWD/$build ;; esac
out=${2:-$build/screenshots}
display=${TIDEWELL_SCREEN_DISPLAY:-:57}
for tool in Xvfb openbox xdotool import; do
  command -v "$tool" >/dev/null || { echo "needs $tool (apt-get install xvfb openbox xdotool imagemagick)" >&2; exit 1; }
done
[ -f "$build/ui/tidewell.exe" ] || { echo "no $build/ui/tidewell.exe: build the Windows window first" >&2; exit 1; }
wine=$(command -v wine || command -v wine-stable)
wineserver_=$(command -v wineserver || command -v wineserver-stable)

export WINEPREFIX=$build/wine-prefix-screenshots
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export DISPLAY=$display
work=$(mktemp -d "${TMPDIR:-/tmp}/tidewell-screens-XXXXXX")
xvfb_pid= openbox_pid=
cleanup() {
  "$wineserver_" -k >/dev/null 2>&1 || true
  rm -f "$WINEPREFIX/dosdevices/d:"
  [ -z "$openbox_pid" ] || kill "$openbox_pid" 2>/dev/null || true
  [ -z "$xvfb_pid" ] || kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 50); do xdotool getdisplaygeometry >/dev/null 2>&1 && break; sleep 0.1; done
openbox >/dev/null 2>&1 &
openbox_pid=$!

# The prefix: made once, then stripped of every drive letter but C:.
if [ ! -d "$WINEPREFIX/dosdevices" ]; then "$wine" wineboot --init >/dev/null 2>&1 || true; "$wineserver_" -w; fi
for device in "$WINEPREFIX"/dosdevices/*; do
  case $(basename "$device") in c:) ;; *) rm -f "$device" ;; esac
done
[ ! -e "$WINEPREFIX/dosdevices/z:" ] || { echo "the prefix still maps Z:; refusing to run" >&2; exit 1; }

program=$WINEPREFIX/drive_c/Tidewell
rm -rf "$program"
mkdir -p "$program"
cp "$build/ui/tidewell.exe" "$build/ui/Tidewell1.avi" "$build/ui/Tidewell1.wav" "$build/ui/Tidewell2.wav" "$program/"
[ -d "$build/ui/locale" ] && cp -r "$build/ui/locale" "$program/"  # the languages (LANG=de_DE.UTF-8)
cp -r "$build/ui/help" "$program/"
rm -rf "$(find "$WINEPREFIX/drive_c/users" -maxdepth 4 -type d -path '*/AppData/Roaming' | head -1)/Tidewell"

# Drive D: a few junk files and a document, plain files only.
drive=$work/drive
mkdir -p "$drive/WINDOWS/TEMP" "$drive/My Documents" "$drive/RECYCLED"
printf 'temp\r\n' >"$drive/WINDOWS/TEMP/~DF1.TMP"
printf 'backup\r\n' >"$drive/My Documents/Letter.bak"
printf 'letter\r\n' >"$drive/My Documents/Letter.doc"
printf 'gone\r\n' >"$drive/RECYCLED/DC1.DOC"
ln -s "$drive" "$WINEPREFIX/dosdevices/d:"

mkdir -p "$out"
# The pointer goes to a corner first, so that no tooltip covers a caption.
shot() { xdotool mousemove 0 767; sleep 1; import -window root "$out/$1.png"; echo "saved $out/$1.png"; }
# Waits for a window whose name matches, activates it and prints its id.
window() {
  local id=
  for _ in $(seq 120); do
    id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1 || true)
    [ -n "$id" ] && break
    sleep 0.5
  done
  [ -n "$id" ] || { echo "no window named $1" >&2; exit 1; }
  xdotool windowactivate --sync "$id" >/dev/null 2>&1 || true
  echo "$id"
}
press() { xdotool key --clearmodifiers "$@"; }

(cd "$drive" && "$wine" 'C:\Tidewell\tidewell.exe') >/dev/null 2>&1 &
window '^TEST MODE is ON' >/dev/null
shot notice
press Return
window '^Tidewell$' >/dev/null
shot main
press ctrl+g
window '^Deepwash Controls$' >/dev/null
shot deepwash
press alt+F4
window '^Tidewell$' >/dev/null
press ctrl+c
window '^TEST MODE RESULTS' >/dev/null
shot results
press Return
window 'TIDEWELL.LOG' >/dev/null
shot viewer
window '^Tidewell$' >/dev/null
press ctrl+f
window '^Figures by Category$' >/dev/null
shot figures
press Return
window '^Tidewell$' >/dev/null
press ctrl+d
window '^Drives$' >/dev/null
shot drives
press alt+a
window '^Add a Drive$' >/dev/null
shot adddrive
press Escape
window '^Drives$' >/dev/null
press Escape
window '^Tidewell$' >/dev/null
press ctrl+i
window '^Info' >/dev/null
shot info
press Return
window '^Tidewell$' >/dev/null
press F1
window '^About Tidewell' >/dev/null
shot about
press Return
window '^Tidewell$' >/dev/null
press ctrl+q
"$wineserver_" -w
