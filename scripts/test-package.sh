#!/usr/bin/env bash
# Builds the Debian package from build/ (the folder scripts/test.sh builds),
# unpacks it with dpkg -x into a temporary root and checks the installation
# there, as a user would meet it:
#   - lintian finds no error and no warning in the package;
#   - the package's fields (maintainer, homepage, dependencies) and its files
#     (programs, shipped data, desktop entry, icons, metadata, man pages,
#     completion, examples, copyright file, changelog, README);
#   - the programs are hardened (fortified calls, immediate binding,
#     read-only relocations) and carry no .comment section;
#   - cpack refuses a build configured for /usr/local, and says why;
#   - the desktop entry and the AppStream metadata validate, the man pages
#     render without warnings and name every option of the installed
#     tidewell-cli, the completion offers exactly its options and categories,
#     the systemd examples verify;
#   - the installed tidewell-cli over a generated demo drive: a test run
#     changes nothing, and the systemd example's own command line cleans a
#     fresh copy, its records going to the user's data folder;
#   - the installed window, offscreen, cleans a third copy unattended ("/U
#     /I") and exits by itself.
# Every drive is a folder made here; a sentinel folder beside the drives,
# reached from one of them by a link, is checked byte for byte at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# The package installs under /usr, and the paths its man pages and systemd
# example name are configured from the same prefix.
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDEWELL_BUILD_TESTS=ON \
  -DCMAKE_INSTALL_PREFIX=/usr >/dev/null
cmake --build build

work=$(mktemp -d "${TMPDIR:-/tmp}/tidewell-package-XXXXXX")
trap 'rm -rf "$work"' EXIT

checks=0
fail() {
  echo "test-package: FAILED: $*" >&2
  exit 1
}
pass() { checks=$((checks + 1)); }

(cd build && cpack -G DEB -B "$work/deb" >/dev/null)
debs=("$work"/deb/tidewell_*.deb)
[ "${#debs[@]}" -eq 1 ] && [ -f "${debs[0]}" ] || fail "cpack made no single tidewell package: ${debs[*]}"
deb=${debs[0]}
echo "Package: $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB)"

# ---- lintian: no error, no warning ----
# Informational tags are printed for whoever reads the log, not failed on;
# the hardening ones among them are checked below on the programs themselves.
# Exit status 1 is a tag at the levels failed on, 2 lintian's own failure.
status=0
lintian_output=$(lintian --fail-on error,warning --display-info --tag-display-limit 0 "$deb" 2>&1) || status=$?
[ -z "$lintian_output" ] || echo "$lintian_output" | sed 's/^/lintian: /'
[ "$status" -eq 0 ] || fail "lintian exited with $status: $(grep -E '^[EW]: ' <<<"$lintian_output" | head -5)"
! grep -qE '^[EW]: ' <<<"$lintian_output" || fail "lintian reports errors or warnings"
pass

# ---- the package's fields ----
maintainer=$(dpkg-deb -f "$deb" Maintainer)
configured_maintainer=$(sed -n 's/^TIDEWELL_MAINTAINER:STRING=//p' build/CMakeCache.txt)
[ "$maintainer" == "$configured_maintainer" ] || fail "Maintainer is '$maintainer', the build was given '$configured_maintainer'"
address_pattern='^[^<>@]+ <[^<>@ ]+@[^<>@ ]+\.[a-z]+>$'
[[ "$maintainer" =~ $address_pattern ]] && [[ "$maintainer" != *@localhost* ]] ||
  fail "Maintainer has no address mail reaches: $maintainer"
[[ "$(dpkg-deb -f "$deb" Homepage)" == https://* ]] || fail "no Homepage field"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6widgets6 libqt6core6 libblkid1 fonts-liberation; do
  [[ ", $depends," == *", $needed"[\ ,]* ]] || fail "Depends lacks $needed: $depends"
done
[[ "$(dpkg-deb -f "$deb" Recommends)" == *xdg-utils* ]] || fail "Recommends lacks xdg-utils"
pass

root="$work/root"
dpkg -x "$deb" "$root"
bin="$root/usr/bin"
share="$root/usr/share"

# ---- the files ----
for file in bin/tidewell bin/tidewell-cli \
  share/tidewell/Tidewell1.avi share/tidewell/Tidewell1.wav share/tidewell/Tidewell2.wav \
  share/tidewell/help/index.html share/tidewell/help/history.html share/tidewell/help/support.html \
  share/tidewell/locale/de.po \
  share/applications/org.tidewell.Tidewell.desktop share/metainfo/org.tidewell.Tidewell.metainfo.xml \
  share/icons/hicolor/scalable/apps/org.tidewell.Tidewell.svg \
  share/man/man1/tidewell.1.gz share/man/man1/tidewell-cli.1.gz \
  share/bash-completion/completions/tidewell-cli \
  share/doc/tidewell/examples/tidewell-clean.service share/doc/tidewell/examples/tidewell-clean.timer \
  share/doc/tidewell/examples/README \
  share/doc/tidewell/copyright share/doc/tidewell/changelog.gz share/doc/tidewell/README.md; do
  [ -s "$root/usr/$file" ] || fail "the package lacks /usr/$file"
done
[ -x "$bin/tidewell" ] && [ -x "$bin/tidewell-cli" ] || fail "the programs are not executable"
# Each PNG icon is as large as the folder it is in says (IHDR width, height).
for size in 16 32 48 64 128 256; do
  png="$share/icons/hicolor/${size}x${size}/apps/org.tidewell.Tidewell.png"
  [ -f "$png" ] || fail "no ${size}x${size} icon"
  read -r -a ihdr < <(od -An -tu1 -j16 -N8 "$png")
  width=$(((ihdr[0] << 24) + (ihdr[1] << 16) + (ihdr[2] << 8) + ihdr[3]))
  height=$(((ihdr[4] << 24) + (ihdr[5] << 16) + (ihdr[6] << 8) + ihdr[7]))
  [ "$width" -eq "$size" ] && [ "$height" -eq "$size" ] || fail "the ${size}x${size} icon is ${width}x${height}"
done
pass

# The copyright file names the licence the repository carries; the
# changelog's newest entry is this package's version.
grep -qx 'License: Expat' "$share/doc/tidewell/copyright" || fail "the copyright file names no Expat licence"
grep -qF 'Permission is hereby granted, free of charge' "$share/doc/tidewell/copyright" ||
  fail "the copyright file lacks the licence text"
version=$(dpkg-deb -f "$deb" Version)
[ "$(zcat "$share/doc/tidewell/changelog.gz" | head -1)" == "tidewell ($version) unstable; urgency=medium" ] ||
  fail "the changelog's first entry is not $version: $(zcat "$share/doc/tidewell/changelog.gz" | head -1)"
pass

# ---- the programs: hardened, no .comment ----
for program in "$bin/tidewell" "$bin/tidewell-cli"; do
  name=$(basename "$program")
  # Whole outputs first: grep -q ending a pipe early would fail it (pipefail).
  sections=$(readelf -S -W "$program")
  dynamic=$(readelf -d -W "$program")
  headers=$(readelf -l -W "$program")
  symbols=$(readelf --dyn-syms -W "$program")
  ! grep -qE '\] \.comment ' <<<"$sections" || fail "$name has a .comment section"
  grep -qE 'FLAGS.*\bNOW\b' <<<"$dynamic" || fail "$name is not bound at start-up (-z now)"
  grep -q GNU_RELRO <<<"$headers" || fail "$name has no read-only relocations (-z relro)"
  grep -qE '__[a-z]+_chk@' <<<"$symbols" || fail "$name calls no fortified function"
done
pass

# ---- the desktop entry and the metadata ----
desktop-file-validate "$share/applications/org.tidewell.Tidewell.desktop" || fail "desktop-file-validate"
grep -qx 'Exec=tidewell' "$share/applications/org.tidewell.Tidewell.desktop" || fail "the desktop entry does not start tidewell"
appstreamcli validate --no-net "$share/metainfo/org.tidewell.Tidewell.metainfo.xml" >/dev/null ||
  fail "appstreamcli validate: $(appstreamcli validate --no-net "$share/metainfo/org.tidewell.Tidewell.metainfo.xml")"
pass

# ---- a sandbox: home, settings and data of our own, no drive but ours ----
sandbox=(env -i PATH=/usr/bin:/bin HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_DATA_HOME="$work/data"
         XDG_STATE_HOME="$work/state" XDG_RUNTIME_DIR="$work/runtime" WINEPREFIX="$work/no-wine"
         LC_ALL=C TZ=UTC)
mkdir -p "$work/home" && mkdir -m 700 "$work/runtime"
cli() { "${sandbox[@]}" TIDEWELL_DRIVES="$1" "$bin/tidewell-cli" "${@:2}"; }

# ---- the installed program finds the German catalogue in ../share/tidewell ----
german_help=$(env -i PATH=/usr/bin:/bin HOME="$work/home" LANG=de_DE.UTF-8 "$bin/tidewell-cli" -h 2>&1)
[[ "$german_help" == "Aufruf: tidewell-cli [Optionen]"* ]] || fail "LANG=de_DE.UTF-8 gives no German help: $german_help"
pass

# ---- man pages: no roff warnings, the usual sections, every option ----
cli_options=$(cli "" --help | grep -E '^  -' | grep -oE -- '--[a-z][-a-z]*' | sort -u)
[ -n "$cli_options" ] || fail "tidewell-cli --help names no option"
for page in tidewell tidewell-cli; do
  source_text=$(zcat "$share/man/man1/$page.1.gz") || fail "$page(1) is no gzip file"
  warnings=$(groff -man -ww -z <<<"$source_text" 2>&1)
  [ -z "$warnings" ] || fail "$page(1) renders with warnings: $warnings"
  rendered=$(groff -man -Tutf8 -P-cbou <<<"$source_text" 2>/dev/null)
  for section in NAME SYNOPSIS DESCRIPTION OPTIONS "EXIT STATUS" ENVIRONMENT FILES EXAMPLES "SEE ALSO"; do
    grep -qx "$section" <<<"$rendered" || fail "$page(1) has no $section section"
  done
done
man_text=$(zcat "$share/man/man1/tidewell-cli.1.gz" | sed 's/\\-/-/g')
for option in $cli_options; do
  grep -qF -- "$option" <<<"$man_text" || fail "tidewell-cli(1) does not describe $option"
done
window_text=$(zcat "$share/man/man1/tidewell.1.gz")
for switch in /U /I; do
  grep -qF -- ".B $switch" <<<"$window_text" || fail "tidewell(1) does not describe $switch"
done
pass

# ---- completion: what it offers is what the installed program takes ----
categories=$(cli "" --list-categories | awk '$1 == "on" || $1 == "off" { print $2 }' | sort)
[ "$(wc -l <<<"$categories")" -ge 30 ] || fail "tidewell-cli --list-categories lists too little: $categories"
offered() {  # the words of a command line; prints what completing the last one offers
  bash -c 'source "$1"; shift; COMP_WORDS=("$@"); COMP_CWORD=$((${#COMP_WORDS[@]} - 1)); _tidewell_cli
           printf "%s\n" "${COMPREPLY[@]}"' _ "$share/bash-completion/completions/tidewell-cli" "$@" | sort
}
[ "$(offered tidewell-cli --)" == "$cli_options" ] || fail "the completion's options differ from --help's"
[ "$(offered tidewell-cli --enable '')" == "$categories" ] || fail "the completion's categories differ from --list-categories"
[ "$(offered tidewell-cli --disable Temp,Re)" == "$(grep '^Re' <<<"$categories" | sed 's/^/Temp,/')" ] ||
  fail "the completion does not complete the last name of a list"
[ "$(offered tidewell-cli --select '')" == "$(printf 'all\nnone\nsafest')" ] || fail "the completion's presets"
pass

# ---- the systemd examples ----
examples="$share/doc/tidewell/examples"
exec_start=$(sed -n 's/^ExecStart=//p' "$examples/tidewell-clean.service")
[[ "$exec_start" == "/usr/bin/tidewell-cli "* ]] || fail "the service does not start the packaged tidewell-cli: $exec_start"
mkdir "$work/units"
sed "s|^ExecStart=/usr/bin/|ExecStart=$bin/|" "$examples/tidewell-clean.service" >"$work/units/tidewell-clean.service"
cp "$examples/tidewell-clean.timer" "$work/units/"
(cd "$work/units" && MANPATH="$share/man" XDG_RUNTIME_DIR="$work/runtime" \
  systemd-analyze --user verify ./tidewell-clean.service ./tidewell-clean.timer) || fail "systemd-analyze verify"
pass

# ---- the installed console over demo drives ----
# Manifest of a folder: every file's path and checksum, links as their target.
manifest() {
  (cd "$1" && find . \( -type f -o -type l \) -print0 | sort -z | while IFS= read -r -d '' entry; do
    if [ -L "$entry" ]; then echo "link $(readlink "$entry") $entry"; else sha256sum "$entry"; fi
  done)
}
build/tools/tidewell-make-demo-drive "$work/drive_c" >/dev/null
mkdir -p "$work/outside/victim"
printf 'must stay\n' >"$work/outside/victim/important.tmp"
printf 'also\n' >"$work/outside/victim/~WRL0001.TMP"
for copy in clean_c window_c; do
  cp -a "$work/drive_c" "$work/$copy"
  # A link inside the drive's TEMP folder to the sentinel: deleting it removes the link only.
  ln -s "$work/outside/victim" "$work/$copy/WINDOWS/TEMP/victim-link.tmp"
done
# Files and links a drive holds: a link is a file to the run (it deletes the
# link, never what it points to) and counts in its summary.
file_count() { find "$1" \( -type f -o -type l \) | wc -l; }
outside_before=$(manifest "$work/outside")
drive_before=$(manifest "$work/drive_c")
# Vaultkeep's folder is spared by every row; the documents stay, their junk goes.
kept_before=$(manifest "$work/drive_c/Program Files/Vaultkeep")
documents=("My Documents/Letter to Bob.doc" "My Documents/Resume.doc" "My Documents/Budget 2000.xls")

# A test run: nothing changes, the records go to the user's data folder (the
# program is installed), never into the package's bin folder.
cli "C=$work/drive_c" --drive C: --test --json >"$work/test.out" 2>"$work/test.err" ||
  fail "tidewell-cli --test exited with $?: $(cat "$work/test.err")"
grep -q '"testRun":true,"finished":true' "$work/test.out" || fail "the test run's summary: $(tail -1 "$work/test.out")"
would_go=$(grep -oE '"filesDeleted":[0-9]+' "$work/test.out" | cut -d: -f2)
[ "$would_go" -gt 0 ] || fail "the test run found nothing to remove"
[ "$(manifest "$work/drive_c")" == "$drive_before" ] || fail "the test run changed the drive"
[ -s "$work/data/Tidewell/Tidewell.log" ] && [ -s "$work/data/Tidewell/Tidewell.txt" ] ||
  fail "the test run's records are not in the data folder"
[ -z "$(find "$bin" -name 'Tidewell.*')" ] || fail "records were written into the package's bin folder"
pass

# The systemd example's own command line, destructive, over a fresh copy.
read -r -a exec_words <<<"$exec_start"
files_before=$(file_count "$work/clean_c")
cli "C=$work/clean_c" "${exec_words[@]:1}" >"$work/clean.out" 2>"$work/clean.err" ||
  fail "'$exec_start' exited with $?: $(cat "$work/clean.err")"
files_after=$(file_count "$work/clean_c")
summary=$(grep -E '^Drive C: [0-9,]+ files deleted' "$work/clean.out") || fail "no summary: $(cat "$work/clean.out")"
deleted=$(sed -E 's/^Drive C: ([0-9,]+) files.*/\1/; s/,//g' <<<"$summary")
[ "$deleted" -gt 0 ] && [ "$deleted" -eq $((files_before - files_after)) ] ||
  fail "the summary says $deleted files deleted, the drive lost $((files_before - files_after)): $summary"
[ "$(wc -l <"$work/clean.out")" -le 3 ] || fail "--quiet printed more than the summary: $(cat "$work/clean.out")"
[ ! -e "$work/clean_c/WINDOWS/TEMP/victim-link.tmp" ] || fail "the link in TEMP was not removed"
[ "$(manifest "$work/clean_c/Program Files/Vaultkeep")" == "$kept_before" ] || fail "the destructive run touched Vaultkeep"
for document in "${documents[@]}"; do
  cmp -s "$work/drive_c/$document" "$work/clean_c/$document" || fail "the destructive run changed $document"
done
[ ! -e "$work/clean_c/My Documents/~WRL0003.tmp" ] || fail "the destructive run left ~WRL0003.tmp"
pass

# ---- the installed window, offscreen, unattended and invisible ----
# Test mode off, so no notice waits for an answer; "/U" ends the program
# when the run is done.
mkdir -p "$work/config/Tidewell"
printf '[Preferences]\r\nTestRun=0\r\nReporting=1\r\n' >"$work/config/Tidewell/Tidewell.ini"
rm -f "$work/data/Tidewell/Tidewell.txt"
status=0
timeout 60 "${sandbox[@]}" QT_QPA_PLATFORM=offscreen TIDEWELL_DRIVES="C=$work/window_c" "$bin/tidewell" /U /I \
  >"$work/window.out" 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "tidewell /U /I exited with $status (124: it did not end): $(cat "$work/window.out")"
[ "$(file_count "$work/window_c")" -eq "$files_after" ] || fail "the window's run removed other files than the console's"
[ ! -e "$work/window_c/WINDOWS/TEMP/victim-link.tmp" ] || fail "the window left the link in TEMP"
grep -q 'bytes SAVED' "$work/data/Tidewell/Tidewell.txt" || fail "the window wrote no run report to the data folder"
pass

[ "$(manifest "$work/outside")" == "$outside_before" ] || fail "the sentinel folder outside the drives changed"
pass

# ---- cpack refuses a build for /usr/local ----
# Configured only: the refusal comes before anything is built or installed.
cmake -S . -B "$work/local-build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTIDEWELL_BUILD_TESTS=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr/local >/dev/null
status=0
(cd "$work/local-build" && cpack -G DEB -B "$work/local-deb") >"$work/local.out" 2>&1 || status=$?
[ "$status" -ne 0 ] || fail "cpack made a package of a build configured for /usr/local"
# (CMake wraps the message; its words are compared with one space between.)
tr -s ' \n' '  ' <"$work/local.out" | grep -qF 'configured for /usr/local, but a Debian package installs under /usr' ||
  fail "cpack's refusal does not say why: $(cat "$work/local.out")"
[ -z "$(find "$work/local-deb" -name '*.deb' 2>/dev/null)" ] || fail "cpack left a package of /usr/local files"
pass

echo "test-package: all $checks checks passed"
