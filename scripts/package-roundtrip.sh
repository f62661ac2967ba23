#!/usr/bin/env bash
# The package as a user meets it (Debian 12, as root): build it, check it with
# lintian, install it with apt-get, start the installed program without a
# display (status 1, a French message) and under Xvfb (its main window, quit,
# status 0), purge it and see every file it brought gone.
# Installs the package on this machine for the duration; it is purged at the
# end, also when a step fails. Usage: bash scripts/package-roundtrip.sh [display-number]
set -euo pipefail
cd "$(dirname "$0")/.."
display="${1:-}"
bash scripts/deps.sh
deb="$(bash scripts/package.sh | tail -n 1)"
out=build-package/roundtrip
rm -rf "$out" && mkdir -p "$out"

echo "== $(basename "$deb"): $(stat -c %s "$deb") bytes"
installed_kb="$(dpkg-deb -f "$deb" Installed-Size)"
echo "Installed-Size: $installed_kb KiB"
echo "Depends: $(dpkg-deb -f "$deb" Depends)"
[ "$installed_kb" -le 1024 ] || { echo "FAIL: installs more than 1 MiB"; exit 1; }

echo "== lintian"
lint_rc=0
tags="$(lintian --pedantic --info --fail-on error,warning "$deb" 2>&1)" || lint_rc=$?
tags="$(grep -v 'running with root privileges' <<<"$tags" || true)"
echo "${tags:-no tags, pedantic included}"
[ "$lint_rc" -eq 0 ] || { echo "FAIL: lintian reports errors or warnings"; exit 1; }

xvfb="" app=""
cleanup() {
  [ -n "$app" ] && kill "$app" 2>/dev/null || true
  [ -n "$xvfb" ] && kill "$xvfb" 2>/dev/null || true
  if dpkg-query -W -f='${Status}' kelvoran 2>/dev/null | grep -Eq ' (installed|config-files)$'; then
    DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq kelvoran >/dev/null || true
  fi
}
trap cleanup EXIT

echo "== apt-get install $deb"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$out/install.log" 2>&1 ||
  { cat "$out/install.log"; echo "FAIL: apt-get install"; exit 1; }
dpkg -L kelvoran >"$out/files"
# What the package owns outright: its files, and the folders only it uses.
while read -r path; do
  if [ ! -d "$path" ]; then echo "$path"; fi
done <"$out/files" >"$out/owned"
echo /usr/share/doc/kelvoran >>"$out/owned"
echo "$(wc -l <"$out/owned") paths installed"

echo "== /usr/bin/kelvoran without a display"
status=0
(cd / && exec env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM /usr/bin/kelvoran) >"$out/nodisplay.log" 2>&1 || status=$?
echo "exit status $status: $(head -c 60 "$out/nodisplay.log")..."
[ "$status" -eq 1 ] && grep -q '^kelvoran : aucun affichage utilisable' "$out/nodisplay.log" ||
  { cat "$out/nodisplay.log"; echo "FAIL: expected status 1 and the French message"; exit 1; }

# Xvfb picks a free display unless one is given. -noreset: the probe is the
# server's first client, and a reset when it leaves races with the program.
if [ -n "$display" ]; then
  Xvfb ":$display" -screen 0 1280x1024x24 -nolisten tcp -noreset >"$out/xvfb.log" 2>&1 &
else
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$out/display" >"$out/xvfb.log" 2>&1 &
fi
xvfb=$!
for _ in $(seq 50); do
  # The number is complete once its line ends.
  [ -n "$display" ] || [ "$(wc -l <"$out/display")" -eq 0 ] || display="$(cat "$out/display")"
  [ -n "$display" ] && DISPLAY=":$display" xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done
export DISPLAY=":$display"
xdpyinfo >/dev/null 2>&1 || { cat "$out/xvfb.log"; echo "FAIL: Xvfb does not answer"; exit 1; }
echo "== start /usr/bin/kelvoran on :$display"
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/kelvoran-xdg-$(id -u)}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 0700 "$XDG_RUNTIME_DIR"
(cd / && exec env -u QT_QPA_PLATFORM /usr/bin/kelvoran) >"$out/kelvoran.log" 2>&1 &
app=$!
win=""
for _ in $(seq 100); do
  win="$(xdotool search --name '^Installation triphasée$' 2>/dev/null | head -n 1)" && [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { cat "$out/kelvoran.log"; echo "FAIL: no window titled \"Installation triphasée\""; exit 1; }
echo "window $win: \"$(xdotool getwindowname "$win")\", $(xprop -id "$win" WM_CLASS)"
wmclass="$(grep '^StartupWMClass=' /usr/share/applications/kelvoran.desktop | cut -d= -f2)"
xprop -id "$win" WM_CLASS | grep -q "\"$wmclass\"\$" ||
  { echo "FAIL: WM_CLASS does not match StartupWMClass=$wmclass"; exit 1; }
sleep 0.5
import -window root "$out/screen.png"
# "Quitter" is the first item of the menu bar.
xdotool mousemove --window "$win" 20 10 click 1
status=0
for _ in $(seq 50); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
if kill -0 "$app" 2>/dev/null; then echo "FAIL: \"Quitter\" did not end the program"; exit 1; fi
wait "$app" || status=$?
app=""
echo "exit status $status"
[ "$status" -eq 0 ] || { cat "$out/kelvoran.log"; echo "FAIL: exit status $status"; exit 1; }

echo "== apt-get purge kelvoran"
DEBIAN_FRONTEND=noninteractive apt-get purge -y -qq kelvoran >"$out/purge.log" 2>&1 ||
  { cat "$out/purge.log"; echo "FAIL: apt-get purge"; exit 1; }
left=0
while read -r path; do
  if [ -e "$path" ]; then echo "left behind: $path"; left=1; fi
done <"$out/owned"
if dpkg-query -W -f='${Status}' kelvoran 2>/dev/null | grep -Eq ' (installed|config-files)$'; then
  echo "FAIL: still known to dpkg after purge"; exit 1
fi
[ "$left" -eq 0 ] || { echo "FAIL: files left after purge"; exit 1; }
echo "PASS: installed, started, quit with status 0, purged with nothing left (screenshot: $out/screen.png)"
