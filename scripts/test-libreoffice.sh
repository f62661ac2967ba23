#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The copied diagram in a real LibreOffice: installs LibreOffice Draw and
# Writer with Python's UNO bridge if missing (about 95 MB), builds the
# program and runs tests/e2e/libreoffice_test.py under its own Xvfb.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh build tests libreoffice-draw libreoffice-writer python3-uno poppler-utils
export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-/tmp/kelvoran-xdg-$(id -u)}"
mkdir -p "$XDG_RUNTIME_DIR" && chmod 0700 "$XDG_RUNTIME_DIR"
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target kelvoran
# Debian's own Python: python3-uno installs the UNO bridge for it only.
/usr/bin/python3 tests/e2e/libreoffice_test.py --binary build/src/ui/kelvoran
