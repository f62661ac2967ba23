#!/usr/bin/env bash
# Installs what is missing, builds and starts kelvoran.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build -j2 --target kelvoran
exec ./build/src/ui/kelvoran
