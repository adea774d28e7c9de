#!/usr/bin/env bash
# The include check finds every kind of offending line in a fixture tree
# (an OS header in engine/, Qt in cli/, a host implementation's header in
# settings/, a POSIX header in a platform/ interface), passes the allowed
# ones (standard headers, the platform seam, platform/posix/ itself), and
# passes the real sources.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
check="$here/../../scripts/check-includes.sh"

output="$("$check" "$here/include_fixture" 2>&1)"
status=$?
failed=0
expect() {  # description, then a command that must succeed
  local description="$1"
  shift
  if ! "$@"; then
    echo "FAILED: $description"
    failed=1
  fi
}
expect "the fixture fails the check" test "$status" -eq 1
expect "an OS header in engine/ is named" grep -q 'engine/reads_folder.cpp:3:#include <unistd.h>' <<<"$output"
expect "a Qt header in cli/ is named" grep -q 'cli/shows_text.cpp:2:#include <QString>' <<<"$output"
expect "a posix/ header in settings/ is named" grep -q 'settings/reaches_posix.h:2:' <<<"$output"
expect "a POSIX header in a platform interface is named" grep -q 'platform/seam.h:2:#include <sys/types.h>' <<<"$output"
expect "standard and seam headers pass" bash -c '! grep -q "settings/plain.cpp" <<<"$1"' _ "$output"
expect "platform/posix/ is not checked" bash -c '! grep -q "opens.cpp" <<<"$1"' _ "$output"
expect "the real sources pass" "$check" "$here/../.." >/dev/null

if [ "$failed" -ne 0 ]; then
  echo "$output"
  exit 1
fi
echo "check-includes behaves"
