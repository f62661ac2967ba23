#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Takes the README's screenshots again from the built program, on an Xvfb of
# its own: the main window after FRESNEL with the default impedances, the
# diagram, the parameters, the series-model calculator after "Calculer" and
# the about box, each its window's client area.
# Usage: tools/screenshots.sh [BUILD_DIR [OUT_DIR]]   (defaults: build, docs)
# Needs Xvfb, xdotool and ImageMagick's import.
set -euo pipefail
cd "$(dirname "$0")/.."
binary="${1:-build}/src/ui/kelvoran"
out="${2:-docs}"
[ -x "$binary" ] || { echo "no program at $binary: build it first" >&2; exit 1; }
for tool in Xvfb xdotool import; do
  command -v "$tool" >/dev/null || { echo "$tool is missing" >&2; exit 1; }
done
mkdir -p "$out"

tmp="$(mktemp -d)"
xvfb="" app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT

# Xvfb picks a free display and writes its number once it takes clients.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$tmp/display" 2>"$tmp/xvfb.log" &
xvfb=$!
for _ in $(seq 100); do [ -s "$tmp/display" ] && break; sleep 0.1; done
[ -s "$tmp/display" ] || { cat "$tmp/xvfb.log" >&2; exit 1; }
export DISPLAY=":$(cat "$tmp/display")"
unset QT_QPA_PLATFORM WAYLAND_DISPLAY
# A home and runtime folder of its own, so the pictures do not depend on the user's.
mkdir -p "$tmp/home" "$tmp/run" && chmod 700 "$tmp/run"
HOME="$tmp/home" XDG_RUNTIME_DIR="$tmp/run" XDG_CONFIG_HOME="" "$binary" >"$tmp/app.log" 2>&1 &
app=$!

window() {  # window TITLE: the id of the shown window with exactly that title
  local id
  for _ in $(seq 100); do
    id="$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)" || true
    [ -n "$id" ] && { sleep 0.5; echo "$id"; return; }  # let it paint
    sleep 0.1
  done
  echo "window '$1' did not appear" >&2; cat "$tmp/app.log" >&2; exit 1
}
click() {  # click WINDOW X Y, window coordinates
  xdotool mousemove --window "$1" "$2" "$3" click 1
  sleep 0.2
}
shoot() {  # shoot WINDOW NAME [X Y]: then moves it there, off the main window's controls
  xdotool mousemove 1279 1023 && sleep 0.2  # no hover highlight
  import -window "$1" "$out/$2.png"
  echo "$out/$2.png: $(identify -format '%wx%h' "$out/$2.png")"
  [ $# -lt 4 ] || { xdotool windowmove --sync "$1" "$3" "$4"; sleep 0.2; }
}

main="$(window 'Installation triphasée')"
# The menu bar's height: the first white row of the schematic below it.
menu="$(import -window "$main" -crop 1x80+200+0 txt:- | sed -n 's/^0,\([0-9]*\):.*#FFFFFF.*/\1/p' | head -n 1)"
[ -n "$menu" ] || { echo "no schematic below the menu bar" >&2; exit 1; }

# Each new window maps above the others (no window manager), so it is taken
# as soon as it shows, then put aside, off the main window.
xdotool windowmove --sync "$main" 0 0
click "$main" 496 $((96 + menu))  # CALCULS
shoot "$main" main-window
click "$main" 496 $((152 + menu))  # FRESNEL
shoot "$(window Form4)" diagram 600 0

click "$main" 160 9  # "Paramètres"
shoot "$(window Parametres)" parameters 800 560

click "$main" 496 $((208 + menu))  # series-model calculator
calc="$(window 'Calcul du modèle série')"
click "$calc" 228 92  # "Calculer"
shoot "$calc" series-calculator 0 840

click "$main" 219 9  # "A propos"
shoot "$(window 'A propos')" about-box
