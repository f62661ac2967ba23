#!/usr/bin/env bash
# Packs the built program (default build folder: build) as the Debian package
# and checks what it ships: lintian, the desktop entry, the AppStream metainfo,
# the manual pages, the icons against a fresh render of the SVG, and the
# licence line of every source.
# Usage: bash scripts/test-package.sh [build-folder]
set -euo pipefail
cd "$(dirname "$0")/.."
build="$(cd "${1:-build}" && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
failed=0
check() {  # check NAME COMMAND...: runs COMMAND, which must succeed and print nothing
  local out
  if out="$("${@:2}" 2>&1)" && [ -z "$out" ]; then
    echo "ok    $1"
  else
    echo "FAIL  $1"; printf '%s\n' "$out" | sed 's/^/      /'; failed=1
  fi
}

(cd "$build" && cpack -G DEB -B "$work/cpack") >"$work/cpack.log" 2>&1 || { cat "$work/cpack.log"; exit 1; }
deb="$(echo "$work"/cpack/kelvoran_*_amd64.deb)"
dpkg-deb -x "$deb" "$work/root"
usr="$work/root/usr"

lint() {
  local out rc=0
  out="$(lintian --fail-on error,warning "$deb" 2>&1)" || rc=$?
  grep -v 'running with root privileges' <<<"$out" || true
  return "$rc"
}
check "lintian $(basename "$deb")" lint
control() {
  local depends size
  depends="$(dpkg-deb -f "$deb" Depends)" size="$(dpkg-deb -f "$deb" Installed-Size)"
  # shlibdeps found the Qt libraries; nothing from the build is needed to run.
  grep -q 'libqt6widgets6' <<<"$depends" || echo "Depends lacks the Qt libraries: $depends"
  grep -Eq -- '-dev( |,|$)' <<<"$depends" && echo "Depends names a development package: $depends"
  [ "$size" -le 1024 ] || echo "Installed-Size $size KiB is over 1 MiB"
}
check "control: Depends from shlibdeps, no -dev, at most 1 MiB installed" control
check "desktop-file-validate kelvoran.desktop" desktop-file-validate "$usr/share/applications/kelvoran.desktop"
metainfo="$(echo "$usr"/share/metainfo/*.metainfo.xml)"
appstream() {
  appstreamcli validate --no-net "$metainfo" >"$work/appstream.log" 2>&1 || cat "$work/appstream.log"
  local launchable
  launchable="$(sed -n 's:.*<launchable type="desktop-id">\(.*\)</launchable>.*:\1:p' "$metainfo")"
  [ -f "$usr/share/applications/$launchable" ] || echo "launchable '$launchable' is not in the package"
}
check "appstreamcli validate --no-net $(basename "$metainfo")" appstream
man_warnings() {
  LC_ALL=C.UTF-8 MANROFFSEQ='' MANWIDTH=80 man --warnings -E UTF-8 -l -Tutf8 -Z "$usr/share/man/$1/kelvoran.1.gz" 2>&1 >/dev/null
}
check "man --warnings kelvoran.1.gz" man_warnings man1
check "man --warnings fr/kelvoran.1.gz" man_warnings fr/man1
man_fr() {  # man -L fr finds the French page where the package puts it
  local page; page="$(MANPATH="$usr/share/man" man -L fr -w kelvoran 2>&1)"
  [ "$page" = "$usr/share/man/fr/man1/kelvoran.1.gz" ] || echo "man -L fr kelvoran gives: $page"
}
check "man -L fr kelvoran" man_fr
icons() {
  bash packaging/icons/render.sh "$work/icons"
  local n
  for n in 16 22 24 32 48 64 128 256; do
    local png="$usr/share/icons/hicolor/${n}x${n}/apps/kelvoran.png"
    [ -f "$png" ] || { echo "missing ${n}x${n}"; continue; }
    # compare prints the count of differing pixels.
    local diff; diff="$(compare -metric AE "$png" "$work/icons/kelvoran-$n.png" null: 2>&1 || true)"
    [ "$diff" = 0 ] || echo "${n}x${n} differs from the SVG by $diff pixels: run packaging/icons/render.sh"
  done
  cmp -s packaging/icons/kelvoran.svg "$usr/share/icons/hicolor/scalable/apps/kelvoran.svg" || echo "scalable icon missing"
}
check "hicolor icons match kelvoran.svg" icons
check "every source names its licence (tools/spdx.sh)" bash tools/spdx.sh --check
exit "$failed"
