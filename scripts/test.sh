#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds and runs every test headless.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh all
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/kelvoran-xdg-$(id -u)}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 0700 "$XDG_RUNTIME_DIR"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2
(cd build && ctest -j2 --output-on-failure --timeout 300)  # the package checks among them (label package)

# The same suite built with AddressSanitizer, UndefinedBehaviorSanitizer and
# LeakSanitizer (about 2 minutes more on 2 cores). The end-to-end scenarios
# drive, and the package is packed from, the plain build only.
export ASAN_OPTIONS=detect_leaks=1
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVORAN_SANITIZE=ON -DKELVORAN_BENCH=OFF >/dev/null
cmake --build build-asan -j2
(cd build-asan && ctest -j2 --output-on-failure --timeout 600 -LE 'e2e|package')

# The fuzz targets, built with clang and both sanitizers, each run from the
# seed corpus in fuzz/corpus for a few seconds: a known crash fails at once.
bash scripts/fuzz.sh 8
