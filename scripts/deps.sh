#!/usr/bin/env bash
# Installs, once, every Debian package that the build, the tests, the demo and the package need.
# `deps.sh windows` adds what the Windows program needs (cross-compiler, NSIS, Wine).
# Idempotent: packages already installed are skipped; a package that cannot be had fails the script.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  qt6-base-dev qt6-base-dev-tools libqt6sql6-mysql qt6-translations-l10n
  libgtest-dev googletest
  mariadb-server mariadb-client
  fonts-liberation fonts-dejavu-core
  xvfb xauth x11-utils xdotool imagemagick
  openbox dbus at-spi2-core python3-pyatspi
  util-linux iproute2
  dpkg-dev file lintian desktop-file-utils libxml2-utils
  cups-client cups-daemon           # the receipt printer as a CUPS queue, and its test
)
if [ "${1:-}" = windows ]; then
  # Cross-compiler and runtime, the installer maker, Wine with its fonts (Tahoma), the tools that
  # unpack and pack Debian's sources and the program's folder, and the SVG renderer for the icon.
  PACKAGES+=(
    g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix mingw-w64-tools
    nsis wine wine64 fonts-wine
    dpkg-dev xz-utils zip unzip ninja-build librsvg2-bin
    socat  # the Wine test's receipt printer on the network
  )
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "deps: installing ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
if ! $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
  echo "deps: FAILED to install: ${missing[*]}" >&2
  exit 1
fi
# A package that apt could not deliver leaves the script failing loudly.
for p in "${missing[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    echo "deps: package $p is still missing after installation" >&2
    exit 1
  fi
done
