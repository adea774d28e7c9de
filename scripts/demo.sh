#!/usr/bin/env bash
# The main job, as far as the engine goes today: builds Tidewell, lays out a
# small Windows-style demo drive in a temporary folder, and runs a test run of
# the whole rule table over it with the default categories. Nothing on the
# demo drive changes; the deletion log section it wrote (everything a
# destructive run would remove) is printed at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target tidewell-engine-demo

demo=$(mktemp -d "${TMPDIR:-/tmp}/tidewell-demo-XXXXXX")
drive="$demo/drive_c"
mkdir -p "$drive/WINDOWS/TEMP/Setup" "$drive/WINDOWS/SYSTEM" "$drive/My Documents" \
         "$drive/Program Files/Editor" "$drive/.trash" "$drive/WINDOWS/SYSBCKUP" \
         "$drive/WINDOWS/Recent" "$drive/RECYCLED/DC1" "$drive/Vaultkeep"
printf 'rem' > "$drive/AUTOEXEC.BAT"
printf 'rem old' > "$drive/AUTOEXEC.OLD"
printf '[boot]' > "$drive/WINDOWS/WIN.INI"
printf '[boot] old' > "$drive/WINDOWS/WIN.BAK"
printf 'cab' > "$drive/WINDOWS/SYSBCKUP/RB000.CAB"
printf 'link' > "$drive/WINDOWS/Recent/Letter.lnk"
printf 'deleted letter' > "$drive/RECYCLED/DC1/Old letter.doc"
printf 'thumbs' > "$drive/My Documents/Thumbs.db"
printf 'backup set' > "$drive/Vaultkeep/registry.tmp"
printf 'scratch' > "$drive/WINDOWS/TEMP/~DF1A2B.TMP"
printf 'scratch, longer' > "$drive/WINDOWS/TEMP/Setup/_ISTMP0.TMP"
printf 'ini' > "$drive/WINDOWS/SYSTEM/SYSTEM.INI"
printf 'letter' > "$drive/My Documents/Letter.doc"
printf 'autosave' > "$drive/My Documents/~WRL0001.tmp"
printf 'exe' > "$drive/Program Files/Editor/editor.exe"
printf 'hidden' > "$drive/.trash/old.tmp"
mkdir -p "$demo/records"

TIDEWELL_DRIVES="C=$drive" build/tools/tidewell-engine-demo --records "$demo/records"
echo
echo "---- $demo/records/Tidewell.log ----"
tr -d '\r' < "$demo/records/Tidewell.log"
echo "----"
echo "Demo drive left in $drive (unchanged: this was a test run)."
