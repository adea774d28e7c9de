#!/usr/bin/env bash
# Installs the Debian packages Tidewell builds and tests with, when missing.
# As root it installs them with apt-get; otherwise it names them and stops.
# With --windows it also installs what the Windows build and its tests under
# Wine need (scripts/test-windows.sh): the mingw-w64 cross compiler, Wine and
# GoogleTest's sources, Xvfb, the display the Win32 window's tests run on,
# xdotool, which answers the window's test-mode notice when the Windows
# window is compared with the console (scripts/compare-windows-log.sh),
# and NSIS for the installer (packaging/windows).
set -euo pipefail

# Qt 6 Widgets builds the desktop program; Qt 6 Multimedia gives it sound
# (without it the program is silent). The Liberation fonts stand in for the
# Times New Roman and Arial the windows are laid out with. libblkid (found
# through pkg-config) identifies mounted Windows volumes by their device; the
# tests make FAT, NTFS and exFAT images with dosfstools, ntfs-3g and
# exfatprogs to check that; the attribute tests make and mount scratch NTFS
# and FAT volumes with the same tools (they skip without them). The package
# test (scripts/test-package.sh) builds the Debian package with dpkg-dev
# (dpkg-shlibdeps computes its dependencies), checks it with lintian,
# validates the desktop entry and the AppStream metadata (desktop-file-utils,
# appstream), renders the man pages (groff-base) and verifies the systemd
# examples (systemd).
packages=(cmake ninja-build g++ pkg-config libgtest-dev libblkid-dev qt6-base-dev qt6-multimedia-dev
          fonts-liberation dosfstools ntfs-3g exfatprogs
          dpkg-dev lintian desktop-file-utils appstream groff-base systemd)
packages+=(zsh fish)  # the console's completion tests run both shells
if [ "${1:-}" = --windows ]; then
  packages+=(g++-mingw-w64-x86-64-posix wine wine64 googletest xvfb xdotool nsis)
fi

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
elif command -v sudo >/dev/null 2>&1 && sudo -n true 2>/dev/null; then
  echo "Installing with sudo: ${missing[*]}"
  sudo DEBIAN_FRONTEND=noninteractive apt-get update -qq
  sudo DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
else
  echo "Tidewell needs these Debian packages: ${missing[*]}" >&2
  echo "Install them with: sudo apt-get install ${missing[*]}" >&2
  exit 1
fi
