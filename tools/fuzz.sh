#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and runs each one briefly.
# Usage: tools/fuzz.sh [SECONDS-PER-TARGET]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-10}"
export MORVEL_DATA_DIR="$PWD/data"  # the line conversion fuzzer also uses the shipped tables
CXX=clang++ cmake -S . -B build-fuzz -DMORVEL_FUZZ=ON -DMORVEL_WERROR=ON -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build-fuzz -j"$(nproc)" --target fuzzers
for target in build-fuzz/bin/*_fuzz; do
  name="$(basename "$target")"
  corpus="$PWD/build-fuzz/corpus/$name"  # absolute: a target may change directory
  mkdir -p "$corpus"
  echo "== $name (${seconds}s)"
  "$target" -max_total_time="$seconds" -max_len=8192 "$corpus" > "build-fuzz/$name.log" 2>&1 || {
    tail -n 40 "build-fuzz/$name.log"
    exit 1
  }
  tail -n 1 "build-fuzz/$name.log"
done
