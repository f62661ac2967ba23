#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the Debian package kelvoran_<version>_amd64.deb into the repository's
# top folder (Debian 12, as root). Its own build folder: build-package.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh build packaging
# Debian's hardening flags (fortify, stack protector, read-only relocations,
# immediate binding, PIE), as a Debian build would use them.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cxxflags="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)"
ldflags="$(dpkg-buildflags --get LDFLAGS)"
# Only the program: no tests, benchmarks or tools.
cmake -S . -B build-package -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKELVORAN_BENCH=OFF \
  -DKELVORAN_SANITIZE=OFF -DKELVORAN_FUZZ=OFF \
  -DCMAKE_CXX_FLAGS="$cxxflags" -DCMAKE_EXE_LINKER_FLAGS="$ldflags" >/dev/null
cmake --build build-package -j2
rm -f build-package/kelvoran_*.deb
(cd build-package && cpack -G DEB >/dev/null)
deb="$(basename build-package/kelvoran_*_amd64.deb)"
rm -f kelvoran_*_amd64.deb
mv "build-package/$deb" .
echo "$PWD/$deb"
