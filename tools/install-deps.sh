#!/usr/bin/env bash
# Brings every package the build, the tests and `make run` need onto a Debian
# machine. Safe to run again: it installs only what is missing.
set -euo pipefail

PACKAGES=(
  cmake make g++ pkg-config
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  libgtest-dev libbenchmark-dev googletest
  clang libclang-rt-14-dev
  wine wine32:i386
  xvfb xdotool x11-utils imagemagick xclip procps
  fonts-dejavu-core culmus python3-pil
  icoutils nsis zip unzip
  cups cups-client printer-driver-cups-pdf libcups2:i386 ghostscript poppler-utils
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils libxrandr2:i386 libxinerama1:i386
)

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then SUDO="sudo"; else
    echo "install-deps: need root or sudo to install packages" >&2; exit 1; fi
fi

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "install-deps: installing ${missing[*]}"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
