#!/usr/bin/env bash
# Builds Morvel and fenra into build-run/ (installing what the build needs),
# then runs Morvel in the folder run/, which gets a copy of the tables on
# first use and of the manual MorvelVCL.pdf whenever the build has a newer one.
# Arguments go to Morvel: bash tools/run.sh -e1 -u -a input.txt output.txt -q
set -euo pipefail
cd "$(dirname "$0")/.."
build=build-run
bash tools/build.sh "$build"
mkdir -p run
for table in data/*.bin; do
  [ -e "run/$(basename "$table")" ] || cp "$table" run/
done
[ run/MorvelVCL.pdf -nt "$build/MorvelVCL.pdf" ] || cp "$build/MorvelVCL.pdf" run/
cd run
exec "../$build/bin/Morvel" "$@"
