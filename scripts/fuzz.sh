#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Usage: bash scripts/fuzz.sh [seconds-per-target]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-60}"
command -v clang++ >/dev/null || { echo "clang++ is not installed: apt-get install clang"; exit 1; }
out=build-fuzz
mkdir -p "$out"
core=(src/model/complexe.cpp src/model/fperror.cpp src/model/state.cpp src/model/solver.cpp
      src/numtext/numtext.cpp src/report/report.cpp)
flags=(-std=c++20 -O1 -g -Isrc -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined -ffp-contract=off)
for target in parse format solver; do
  clang++ "${flags[@]}" "${core[@]}" "fuzz/fuzz_${target}.cpp" -o "$out/fuzz_${target}"
  mkdir -p "$out/corpus_${target}"
  echo "== fuzz_${target}: ${seconds}s"
  "$out/fuzz_${target}" -max_total_time="$seconds" -max_len=256 "$out/corpus_${target}" 2>&1 | tail -n 3
done
