#!/usr/bin/env bash
# Installs Tidewell with the Windows build's tidewell-setup.exe under Wine,
# silently (/S), uses it once, uninstalls it silently with the uninstaller it
# registered, and checks what each step left:
#   - installed: every file of the build's zip in Program Files\Tidewell,
#     the uninstaller UnWise.exe beside them, the Start menu entry, and the
#     "Apps & features" entry (the uninstall key, in the 64-bit registry)
#     whose uninstall command is that UnWise.exe;
#   - used: the installed tidewell-cli.exe test-runs a small drive and keeps
#     its records (Tidewell.log, Tidewell.txt) in its program folder; the
#     user has a store of their own (%APPDATA%\Tidewell\Tidewell.ini);
#   - uninstalled: the program folder holds the records and nothing else, the
#     store is as it was, the Start menu entry and the uninstall key are gone,
#     and, once the uninstaller's copy of itself in %TEMP% is gone at the
#     next (Wine's) restart, nothing else on C: changed (outside Wine's own
#     windows folder).
#
#   scripts/test-windows-installer.sh [windows build]     (default: build-win)
#
# The Windows build is configured by scripts/test-windows.sh; this builds its
# tidewell-setup target. Wine runs in a prefix of its own (default: the
# build's wine-installer-prefix, or $TIDEWELL_INSTALLER_WINEPREFIX), never
# the suites' one, with every drive but C: removed (Wine maps Z: to the
# host's "/"), and D: mapped for the test run onto a folder made here that
# holds plain files only.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-win}
case $build in /*) ;; *) build=$PWD/$build ;; esac
wine=$(command -v wine || command -v wine-stable)
wineserver=$(command -v wineserver || command -v wineserver-stable || echo /usr/lib/wine/wineserver)
export WINEPREFIX=${TIDEWELL_INSTALLER_WINEPREFIX:-$build/wine-installer-prefix}
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

checks=0
fail() {
  echo "test-windows-installer: FAILED: $*" >&2
  exit 1
}
pass() { checks=$((checks + 1)); }

cmake --build "$build" --target tidewell-setup >/dev/null
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
setup=$build/tidewell-setup.exe
zip=$build/tidewell-$version-win64.zip
[ -f "$setup" ] && [ -f "$zip" ] || fail "the build made no tidewell-setup.exe and zip"

if [ ! -d "$WINEPREFIX/dosdevices" ]; then
  (cd "$build" && "$wine" wineboot --init) >/dev/null 2>&1 || true
  "$wineserver" -w
fi
# Every drive but C: goes (Wine's restart makes its devices again, so this
# runs after each one too).
only_drive_c() {
  for device in "$WINEPREFIX"/dosdevices/*; do
    [ -e "$device" ] || [ -L "$device" ] || continue
    case $(basename "$device") in c:) ;; *) rm -f "$device" ;; esac
  done
  [ ! -e "$WINEPREFIX/dosdevices/z:" ] && [ ! -L "$WINEPREFIX/dosdevices/z:" ] ||
    fail "the Wine prefix still maps Z:; refusing to run"
}
only_drive_c
# Wine starts a program in the Windows folder of the current one: each runs
# from C:'s own folder (without Z:, the repository is no Windows folder).

drive_c=$WINEPREFIX/drive_c
# Wine's restart: what programs asked to be done at the next restart is done.
restart_wine() {
  (cd "$drive_c" && "$wine" wineboot -r) >/dev/null 2>&1 || fail "wineboot -r exited with $?"
  "$wineserver" -w
  only_drive_c
}
program_folder="$drive_c/Program Files/Tidewell"
start_menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Tidewell"
appdata=$(find "$drive_c/users" -maxdepth 4 -type d -path '*/AppData/Roaming' ! -path '*/Public/*' | head -1)
[ -n "$appdata" ] || fail "the Wine prefix has no user's AppData\\Roaming"
store=$appdata/Tidewell/Tidewell.ini
work=$(mktemp -d "${TMPDIR:-/tmp}/tidewell-installer-XXXXXX")
cleanup() {
  rm -f "$WINEPREFIX/dosdevices/d:"
  rm -rf "$work" "$drive_c/tidewell-setup" "$program_folder" "$start_menu" "$appdata/Tidewell"
}
trap cleanup EXIT
# A left-over from an earlier run that failed half-way would hide what this
# one leaves.
rm -rf "$program_folder" "$start_menu" "$appdata/Tidewell"

# Every file and folder on C: but Wine's own windows folder (which Wine
# itself writes to as programs run), the setups copied there for the run and
# what is in the user's store folder (checked on its own).
c_drive_listing() {
  (cd "$drive_c" && find . -path ./windows -prune -o -path ./tidewell-setup -prune -o -print | sort |
    grep -vF "./${appdata#"$drive_c/"}/Tidewell/")
}
registry_key='[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\Tidewell]'
# The uninstall key's values as Wine saved them (system.reg), empty without it.
uninstall_key() {
  awk -v key="$registry_key" 'index($0, key) == 1 { inside = 1; next } /^\[/ { inside = 0 } inside && NF' \
    "$WINEPREFIX/system.reg"
}

# A restart first settles what an earlier run that failed half-way left
# for the next one (an uninstaller's copy of itself in %TEMP%).
restart_wine

# ---- the user's store, before Tidewell is installed ----
mkdir -p "$(dirname "$store")"
printf '[Preferences]\r\nTestRun=1\r\n' >"$store"
listing_before=$(c_drive_listing)
if [ -n "$(uninstall_key)" ]; then  # left by an earlier run that failed
  (cd "$drive_c" && "$wine" reg delete 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tidewell' /f) \
    >/dev/null 2>&1 || true
  "$wineserver" -w
fi
[ -z "$(uninstall_key)" ] || fail "the prefix has a Tidewell uninstall key before the installation"

# ---- install, silently: an "older version" first, then this one over it ----
# The older version is this build's programs with one file more, which this
# version no longer ships; installing over it must remove that file (the
# installer runs the installed version's uninstaller first).
mkdir -p "$work/zip" "$work/older"
(cd "$work/zip" && cmake -E tar xf "$zip")
printf 'shipped by an older version only\n' >"$work/older/tidewell-old.dll"
older_programs=$(find "$work/zip/Tidewell" -maxdepth 1 -name '*.exe' | sort | tr '\n' '|')
cmake -DBUNDLE="$work/older/bundle" -DZIP="$work/older/older.zip" -DSETUP="$work/older/tidewell-setup.exe" \
  -DNSI=packaging/windows/tidewell.nsi -DPROGRAMS="${older_programs}$work/older/tidewell-old.dll" \
  -DLICENSE=LICENSE -DREADME=README.md -DVERSION=0.0.0.1 -DMAINTAINER="Older <older@tidewell.org>" \
  -DHOMEPAGE=https://tidewell.org/ -DMAKENSIS="$(command -v makensis)" -P packaging/windows/make_bundle.cmake \
  >/dev/null || fail "could not make the older version's installer"
mkdir -p "$drive_c/tidewell-setup"
cp "$work/older/tidewell-setup.exe" "$drive_c/tidewell-setup/older-setup.exe"
cp "$setup" "$drive_c/tidewell-setup/"
(cd "$drive_c" && "$wine" 'C:\tidewell-setup\older-setup.exe' /S) || fail "the older version's setup exited with $?"
"$wineserver" -w
[ -f "$program_folder/tidewell-old.dll" ] || fail "the older version's installer did not install its file"
(cd "$drive_c" && "$wine" 'C:\tidewell-setup\tidewell-setup.exe' /S) || fail "tidewell-setup.exe /S exited with $?"
"$wineserver" -w
[ ! -e "$program_folder/tidewell-old.dll" ] || fail "installing over the older version left its tidewell-old.dll"

expected=$(cd "$work/zip/Tidewell" && find . -type f | sort)
[ -n "$expected" ] || fail "the zip holds no file"
installed=$(cd "$program_folder" && find . -type f | sort)
[ "$installed" == "$(printf '%s\n./UnWise.exe' "$expected" | sort)" ] ||
  fail "Program Files\\Tidewell holds $(tr '\n' ' ' <<<"$installed"), the zip $(tr '\n' ' ' <<<"$expected")"
while IFS= read -r file; do
  cmp -s "$work/zip/Tidewell/$file" "$program_folder/$file" || fail "the installed $file differs from the zip's"
done <<<"$expected"
pass

links=$(cd "$start_menu" 2>/dev/null && find . -name '*.lnk' | sort)
[ -n "$links" ] || fail "no Start menu entry in $start_menu"
values=$(uninstall_key)
for value in '"DisplayName"="Tidewell"' '"Publisher"="The Tidewell developers"' \
  '"UninstallString"="\"C:\\Program Files\\Tidewell\\UnWise.exe\""' \
  '"QuietUninstallString"="\"C:\\Program Files\\Tidewell\\UnWise.exe\" /S"' \
  '"InstallLocation"="C:\\Program Files\\Tidewell"'; do
  grep -qxF "$value" <<<"$values" || fail "the uninstall key lacks $value: $values"
done
grep -qxF "\"DisplayVersion\"=\"$version\"" <<<"$values" || fail "the uninstall key's version is not $version: $values"
pass

# ---- use it: a test run over D:, a folder of plain files made here ----
mkdir -p "$work/drive_d/WINDOWS/TEMP" "$work/drive_d/My Documents"
printf 'junk\n' >"$work/drive_d/WINDOWS/TEMP/~DF1234.TMP"
printf 'keep\n' >"$work/drive_d/My Documents/Letter.doc"
drive_before=$(cd "$work/drive_d" && find . -type f -exec sha256sum {} + | sort)
ln -s "$work/drive_d" "$WINEPREFIX/dosdevices/d:"
(cd "$drive_c" && "$wine" 'C:\Program Files\Tidewell\tidewell-cli.exe' --drive D: --test --quiet) >"$work/run.out" 2>&1 ||
  fail "the installed tidewell-cli.exe --test exited with $?: $(cat "$work/run.out")"
"$wineserver" -w
rm -f "$WINEPREFIX/dosdevices/d:"
[ "$(cd "$work/drive_d" && find . -type f -exec sha256sum {} + | sort)" == "$drive_before" ] ||
  fail "the test run changed the drive"
for record in Tidewell.log Tidewell.txt; do
  [ -s "$program_folder/$record" ] || fail "the test run wrote no $record into the program folder"
done
records_before=$(cd "$program_folder" && sha256sum Tidewell.log Tidewell.txt)
grep -q '^TestRun=1' "$store" || fail "the run lost the user's store: $(cat "$store")"
store_before=$(sha256sum <"$store")
pass

# ---- uninstall, silently, with the command "Apps & features" runs ----
(cd "$drive_c" && "$wine" 'C:\Program Files\Tidewell\UnWise.exe' /S) || fail "UnWise.exe /S exited with $?"
# The uninstaller runs on from a copy of itself in the temporary folder.
"$wineserver" -w

left=$(cd "$program_folder" 2>/dev/null && find . -mindepth 1 | sort) || true
[ "$left" == "$(printf './Tidewell.log\n./Tidewell.txt')" ] ||
  fail "the program folder holds $(tr '\n' ' ' <<<"$left"), not just the records"
[ "$(cd "$program_folder" && sha256sum Tidewell.log Tidewell.txt)" == "$records_before" ] ||
  fail "the uninstaller changed the records"
[ "$(sha256sum <"$store")" == "$store_before" ] || fail "the uninstaller changed the user's store"
[ ! -e "$start_menu" ] || fail "the Start menu entry is left: $(ls -A "$start_menu")"
[ -z "$(uninstall_key)" ] || fail "the uninstall key is left: $(uninstall_key)"
pass

# The uninstaller ran from a copy of itself in %TEMP%, which it asked
# Windows to delete at the next restart; Wine's restart does that.
restart_wine
# Everything else on C: is as it was (the records and their folder aside).
listing_after=$(c_drive_listing | grep -vxF -e './Program Files/Tidewell' \
  -e './Program Files/Tidewell/Tidewell.log' -e './Program Files/Tidewell/Tidewell.txt')
[ "$listing_after" == "$listing_before" ] ||
  fail "C: changed: $(diff <(echo "$listing_before") <(echo "$listing_after") | grep '^[<>]' | tr '\n' ' ')"
pass

echo "test-windows-installer: all $checks checks passed"
