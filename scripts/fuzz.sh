#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Builds the libFuzzer targets with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs each from the seed corpus in
# fuzz/corpus for a bounded time (new inputs go to build-fuzz, not the
# repository). Usage: bash scripts/fuzz.sh [seconds-per-target]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
command -v clang++ >/dev/null || { echo "clang++ is not installed: apt-get install clang libclang-rt-14-dev"; exit 1; }
cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DKELVORAN_FUZZ=ON -DKELVORAN_SANITIZE=ON -DBUILD_TESTING=OFF -DKELVORAN_BENCH=OFF >/dev/null
cmake --build build-fuzz -j2 --target fuzz_parse fuzz_format fuzz_solver
for target in parse format solver; do
  found="build-fuzz/found_${target}"
  mkdir -p "$found"
  echo "== fuzz_${target}: ${seconds}s"
  # The seeds alone first: a known crash fails at once, whatever the time.
  ./build-fuzz/fuzz/fuzz_${target} -runs=0 -artifact_prefix=build-fuzz/ fuzz/corpus/${target} 2>&1 | tail -n 1
  ./build-fuzz/fuzz/fuzz_${target} -max_total_time="$seconds" -max_len=256 -print_final_stats=0 \
    -artifact_prefix=build-fuzz/ "$found" fuzz/corpus/${target} 2>&1 | tail -n 2
done
