#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and runs each one briefly.
# Usage: tools/fuzz.sh [SECONDS-PER-TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-10}"
CXX=clang++ cmake -S . -B build-fuzz -DMORVEL_FUZZ=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)"
for target in build-fuzz/bin/*_fuzz; do
  name="$(basename "$target")"
  corpus="build-fuzz/corpus/$name"
  mkdir -p "$corpus"
  echo "== $name (${seconds}s)"
  (cd build-fuzz && "bin/$name" -max_total_time="$seconds" -max_len=8192 -print_final_stats=0 "corpus/$name" 2>&1 | tail -n 2)
done
