#!/usr/bin/env bash
# Installs what is missing on a Debian 12 machine (run as root), and the
# packages given as arguments.
set -euo pipefail
packages=(
  cmake g++ ninja-build pkg-config
  qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libxcb1-dev libxcb-ewmh-dev libxcb-icccm4-dev
  xvfb xdotool xclip xauth x11-utils imagemagick fonts-dejavu-core openbox
  printemf emf2svg librsvg2-bin locales-all python3
  desktop-file-utils appstream groff-base man-db lintian dpkg-dev file
  clang libclang-rt-14-dev
  "$@" # what a further test command needs besides
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
