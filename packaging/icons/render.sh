#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders the hicolor PNG sizes of kelvoran.svg into a folder (default: this one).
# The PNGs are committed so that building needs no SVG renderer; the package
# check renders them again and compares, so an edited SVG cannot ship stale PNGs.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
out="${1:-$here}"
mkdir -p "$out"
for n in 16 22 24 32 48 64 128 256; do
  rsvg-convert -w "$n" -h "$n" "$here/kelvoran.svg" -o "$out/kelvoran-$n.png"
done
