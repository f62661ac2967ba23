#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing on a Debian 12 machine (run as root), by purpose:
#   bash scripts/deps.sh GROUP... [PACKAGE...]
# GROUP is build (build and run), tests, packaging, fuzzing, desktop (the
# end-to-end tests on a real desktop) or all; any other word is a further package.
set -euo pipefail
declare -A groups=(
  [build]="cmake g++ ninja-build pkg-config qt6-base-dev qt6-svg-dev qt6-translations-l10n libgl-dev
           libxcb1-dev zlib1g-dev libxcb-ewmh-dev qt6-wayland fonts-dejavu-core"
  [tests]="libgtest-dev libgmock-dev libbenchmark-dev xvfb xdotool xclip xauth x11-utils imagemagick
           printemf emf2svg librsvg2-bin locales-all python3"
  [packaging]="desktop-file-utils appstream groff-base man-db lintian dpkg-dev file"
  [fuzzing]="clang libclang-rt-14-dev"
  [desktop]="openbox sway wl-clipboard grim wtype xwayland dbus python3-xlib at-spi2-core python3-pyatspi gir1.2-atspi-2.0"
)
packages=()
for word in "$@"; do
  if [ "$word" = all ]; then
    for g in build tests packaging fuzzing desktop; do read -ra more <<<"${groups[$g]}"; packages+=("${more[@]}"); done
  elif [ -n "${groups[$word]+set}" ]; then
    read -ra more <<<"${groups[$word]}"; packages+=("${more[@]}")
  else
    packages+=("$word")
  fi
done
[ ${#packages[@]} -gt 0 ] || { echo "usage: bash scripts/deps.sh GROUP... [PACKAGE...] (groups: ${!groups[*]} all)" >&2; exit 2; }
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
