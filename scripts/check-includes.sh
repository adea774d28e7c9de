#!/usr/bin/env bash
# Checks the layering of the sources: the portable code includes no header
# of the operating system and no Qt header, so it builds unchanged on any
# host and under any front end. Prints each offending line and fails.
#
# Checked: engine/, records/, settings/, session/ (where it exists), cli/, i18n/,
# and the portable part of platform/ (its own headers and sources, not the
# folders of a host's implementation below it). Allowed there are the C++ standard library's
# headers (<string>, <cstdint>, ...; <csignal> excepted, since handlers
# belong to the platform) and the project's own headers, except those of a
# host implementation (platform/posix/...) or of the window (ui/...).
#
# Usage: scripts/check-includes.sh [source folder]   (default: the repository)
set -euo pipefail

root="${1:-$(cd "$(dirname "$0")/.." && pwd)}"
cd "$root"

files=()
collect() {  # folder, then find's options
  local folder="$1"
  shift
  [ -d "$folder" ] || return 0
  while IFS= read -r -d '' file; do files+=("$file"); done \
    < <(find "$folder" "$@" -type f \( -name '*.h' -o -name '*.cpp' \) -print0)
}
for folder in engine records settings session cli i18n; do collect "$folder"; done
collect platform -maxdepth 1

if [ "${#files[@]}" -eq 0 ]; then
  echo "check-includes: no sources found under $root" >&2
  exit 1
fi

# A system header: any <name> holding "/" (sys/stat.h, linux/fs.h), ending in
# ".h" (unistd.h, fcntl.h, dirent.h, signal.h, windows.h), starting with "Q"
# or "q" (Qt's QString, qglobal.h), or <csignal>.
bad_system='^[[:space:]]*#[[:space:]]*include[[:space:]]*<([^>]*/[^>]*|[^>]*\.h|[Qq][^>]*|csignal)>'
# A project header of a host implementation or of the window.
bad_project='^[[:space:]]*#[[:space:]]*include[[:space:]]*"(platform/(posix|win32)/|ui/)'

status=0
if grep -nE "$bad_system|$bad_project" "${files[@]}"; then
  echo "check-includes: the lines above include an OS or Qt header in portable code;" >&2
  echo "check-includes: move the OS call behind a header in platform/ (implemented in platform/posix/)." >&2
  status=1
else
  echo "check-includes: ${#files[@]} portable sources include no OS or Qt header"
fi
exit "$status"
