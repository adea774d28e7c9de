#!/usr/bin/env bash
# Under Wine the Windows console knows the host: in a new prefix, where Wine
# maps Z: onto the host's "/", and run from a folder on Z: as a Linux user
# runs it, a test run refuses Z: as the host's root folder (not as a
# read-only device) and checks drive C: instead; a drive mapped to a folder
# above the prefix is refused as well, while an ordinary folder is a drive.
#
#   wine_host_drives_test.sh TIDEWELL-CLI.EXE
#
# Safety: the program only ever makes test runs (--test) here. It runs as an
# unprivileged user (nobody, when the suite runs as root), so that nothing it
# could do reaches "/"; the only mappings are Wine's own z: and folders
# inside this test's temporary folder; every file of the temporary folder
# outside Wine's own state is compared before and after. Exits 77 (skipped)
# when Wine is missing, or when run as root without setpriv.
set -uo pipefail
cli=$1
wine=$(command -v wine || command -v wine-stable) || { echo "Wine is missing"; exit 77; }
wineserver=$(command -v wineserver || command -v wineserver-stable || echo)
[ -n "$wineserver" ] || wineserver=$(dirname "$(readlink -f "$wine")")/wineserver

if [ "$(id -u)" -eq 0 ]; then
  command -v setpriv >/dev/null 2>&1 || { echo "setpriv is missing"; exit 77; }
  as_user() { setpriv --reuid=65534 --regid=65534 --clear-groups "$@"; }
else
  as_user() { "$@"; }
fi

base=$(mktemp -d /tmp/tidewell-wine-host.XXXXXX)
home=$base/home/user
prefix=$home/.wine
cleanup() {
  as_user env HOME="$home" WINEPREFIX="$prefix" "$wineserver" -k >/dev/null 2>&1
  # The links first, each by name: nothing is ever removed through them.
  rm -f "$prefix"/dosdevices/*: 2>/dev/null
  rm -rf "$base"
}
trap cleanup EXIT
mkdir -p "$home/Documents" "$base/work/sub" "$base/data/TEMP" "$base/bin"
cp "$cli" "$base/bin/tidewell-cli.exe"
# Junk that any cleaning of these folders would take.
printf 'notes\n' >"$home/notes.tmp"
printf 'draft\n' >"$home/Documents/~draft.tmp"
printf 'scratch\n' >"$base/work/scratch.tmp"
printf 'old\n' >"$base/work/sub/FILE0000.CHK"
printf 'temp\n' >"$base/data/TEMP/left.tmp"
[ "$(id -u)" -eq 0 ] && chown -R 65534:65534 "$base"
chmod 755 "$base"

export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset TIDEWELL_DRIVES
in_prefix() { as_user env HOME="$home" WINEPREFIX="$prefix" "$@"; }
if ! in_prefix "$wine" wineboot --init >/dev/null 2>&1; then
  echo "FAILED: Wine could not make a prefix"
  exit 1
fi
in_prefix "$wineserver" -w
if [ "$(readlink "$prefix/dosdevices/z:")" != / ]; then
  echo "Wine made no z: mapping to \"/\" in its new prefix; nothing to test"
  exit 77
fi
mkdir -p "$prefix/drive_c/sentinel"
printf 'keep\n' >"$prefix/drive_c/sentinel/old.tmp"
[ "$(id -u)" -eq 0 ] && chown -R 65534:65534 "$prefix/drive_c/sentinel"

# Every file and folder outside Wine's own state (and the program's: its
# settings in the prefix, its records beside it in bin/), with each file's
# size, mode, time and content. A folder's time is left out: the write test
# of each drive that is checked makes and removes a file in its root.
snapshot() {
  (cd "$base" && find . \( -path ./home/user/.wine -o -path ./bin \) -prune -o -printf '%p %y %m\n' | sort
   cd "$base" && find . \( -path ./home/user/.wine -o -path ./bin \) -prune -o -type f -printf '%p %s %T@\n' | sort
   cd "$base" && find . \( -path ./home/user/.wine -o -path ./bin \) -prune -o -type f -print0 | sort -z |
     xargs -0 sha256sum
   cd "$prefix/drive_c" && find sentinel -printf '%p %y %s %m\n' | sort && sha256sum sentinel/old.tmp)
}
before=$(snapshot)

failed=0
expect() {  # description, then a command that must succeed
  local description="$1"
  shift
  if ! "$@"; then
    echo "FAILED: $description"
    failed=1
  fi
}
holds() { grep -qF -- "$2" <<<"$1"; }
lacks() { ! grep -qF -- "$2" <<<"$1"; }

# 1. From a folder on Z:, with the drives Wine gives (C: and Z:).
out=$(cd "$base/work" && in_prefix "$wine" "$base/bin/tidewell-cli.exe" --test 2>&1)
status=$?
echo "--- from a folder on Z: (status $status)"
echo "$out"
expect "Z: is refused as the host's root folder" \
  holds "$out" "drive Z: maps to \"Z:/\", which is the host's root folder \"/\""
expect "Z: is not taken as a read-only device" lacks "$out" "read-only device"
expect "the run checks drive C:" holds "$out" "Drive C:"
expect "the run does not check drive Z:" lacks "$out" "Drive Z:"
expect "the test run ends well" test "$status" -eq 0

# 2. Drives mapped to the folder that holds the prefix (the user's home
# here), to the folder above that, to the prefix itself, and to an ordinary
# folder; all drives asked for.
ln -s "$home" "$prefix/dosdevices/h:"
ln -s "$base/home" "$prefix/dosdevices/g:"
ln -s "$prefix" "$prefix/dosdevices/p:"
ln -s "$base/data" "$prefix/dosdevices/d:"
out=$(cd "$base/work" && in_prefix "$wine" "$base/bin/tidewell-cli.exe" --all-drives --test 2>&1)
status=$?
echo "--- all drives, with H: above the prefix (status $status)"
echo "$out"
expect "H: is refused as the folder above the prefix" \
  holds "$out" "drive H: maps to \"H:/\", which is the folder \"$home\", which holds the Wine prefix \"$prefix\""
expect "G: is refused as a folder above the prefix" \
  holds "$out" "drive G: maps to \"G:/\", which is the folder \"$base/home\", which holds the Wine prefix"
expect "P: is refused as the prefix" holds "$out" "drive P: maps to \"P:/\", which is the Wine prefix \"$prefix\""
expect "Z: is refused again" holds "$out" "drive Z: maps to \"Z:/\", which is the host's root folder \"/\""
expect "an ordinary folder is a drive, and it is checked" holds "$out" "Drive D:"
for letter in G H P Z; do
  expect "the run does not check drive $letter:" lacks "$out" "Drive $letter:"
done
expect "nothing is a read-only device" lacks "$out" "read-only device"

out=$(in_prefix "$wine" "$base/bin/tidewell-cli.exe" --drive H: --test 2>&1)
status=$?
echo "--- --drive H: (status $status)"
echo "$out"
expect "asking for H: by name is refused as no drive" test "$status" -eq 2
expect "and names the prefix" holds "$out" "which holds the Wine prefix"

in_prefix "$wineserver" -w
after=$(snapshot)
expect "nothing in the temporary folder changed" test "$before" = "$after"
[ "$before" = "$after" ] || diff <(echo "$before") <(echo "$after")
exit "$failed"
