#!/usr/bin/env bash
# Runs a test binary as an unprivileged user when the suite runs as root, so
# the cases that rely on permission bits (which do not stop root) run too.
# Exits 77 (skipped) when not root or when the binary cannot be reached as
# that user.
set -u
binary=$1
if [ "$(id -u)" -ne 0 ]; then
  echo "not root: the suite itself already ran these cases unprivileged"
  exit 77
fi
user=65534
if ! command -v setpriv >/dev/null 2>&1; then
  echo "setpriv is missing"
  exit 77
fi
run() { setpriv --reuid="$user" --regid="$user" --clear-groups env HOME=/tmp TMPDIR=/tmp "$@"; }
if ! run test -x "$binary"; then
  echo "the unprivileged user cannot reach $binary"
  exit 77
fi
cd /tmp && run "$binary"
