#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The package as a user meets it (Debian 12, as root): build it, check it with
# lintian, install it with apt-get, start the installed program without a
# display (status 1, a French message) and under Xvfb (its main window, quit,
# status 0), purge it and see every file it brought gone.
# Installs the package on this machine for the duration; it is purged at the
# end, also when a step fails.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh build packaging tests
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

cleanup() {
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

echo "== start /usr/bin/kelvoran under Xvfb"
wmclass="$(grep '^StartupWMClass=' /usr/share/applications/kelvoran.desktop | cut -d= -f2)"
WMCLASS="$wmclass" SCREEN="$out/screen.png" python3 - --binary /usr/bin/kelvoran <<'EOF'
import os
import sys
import time
sys.path.insert(0, "tests/e2e")
import harness as h


def body(args):
    h.require("xdotool", "xprop", "import")
    with h.Xvfb() as x, h.Program(args.binary, x.env) as app:
        wm_class = app.run("xprop", "-id", app.main, "WM_CLASS").decode().strip()
        print(f"window {app.main} on {x.display}: {wm_class}")
        h.check(wm_class.endswith(f'"{os.environ["WMCLASS"]}"'),
                f"WM_CLASS does not match StartupWMClass={os.environ['WMCLASS']}")
        time.sleep(0.5)
        app.screenshot(os.environ["SCREEN"])
        app.click(app.main, 20, 10)  # "Quitter" is the first item of the menu bar
        rc = app.wait_exit(5)
        print(f"exit status {rc}")
        h.check(rc == 0, f"exit status {rc}: {app.stderr_text()}")
    return 0


h.main(body)
EOF

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
