#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what building and running need, builds and starts kelvoran.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh build
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DKELVORAN_BENCH=OFF >/dev/null
cmake --build build -j2 --target kelvoran
exec ./build/src/ui/kelvoran
