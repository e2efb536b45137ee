#!/usr/bin/env bash
# Installs what the tests need, then builds twice (plain, and with
# AddressSanitizer + UndefinedBehaviorSanitizer) and runs every test of both
# builds through CTest; builds the conversion tests once more without the
# vector paths, and runs the fuzzers briefly.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
morvel_install_packages "${MORVEL_BUILD_PACKAGES[@]}" "${MORVEL_TEST_PACKAGES[@]}"

jobs="$(nproc)"
run_build() {
  local dir="$1" type="$2"
  shift 2
  # The fixed table folders point into the build tree, away from any installation.
  cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE="$type" -DMORVEL_WERROR=ON \
    -DMORVEL_FIXED_FOLDER="$PWD/$dir/fixed/MorvelVCL/" -DFENRA_FIXED_FOLDER="$PWD/$dir/fixed/fenraCxx/" "$@"
  cmake --build "$dir" -j"$jobs"
  # The tests of the Windows programs (label windows) run in test_windows.sh.
  (cd "$dir" && ctest --output-on-failure -j"$jobs" -LE windows)
}

echo "== plain build"
run_build build-test Release -DMORVEL_BENCH=ON
echo "== conversion tests without the vector paths"
cmake -S . -B build-scalar -DCMAKE_BUILD_TYPE=Release -DMORVEL_NO_VECTOR_PATHS=ON -DMORVEL_WERROR=ON \
  -DMORVEL_FIXED_FOLDER="$PWD/build-scalar/fixed/MorvelVCL/" -DFENRA_FIXED_FOLDER="$PWD/build-scalar/fixed/fenraCxx/"
cmake --build build-scalar -j"$jobs" --target io_test engine_test
build-scalar/bin/io_test
build-scalar/bin/engine_test
echo "== benchmark smoke run (1 MB)"
build-test/bin/engine_bench 1 1
build-test/bin/window_bench 1 1
echo "== Debian package"
cmake -S . -B build-package -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DMORVEL_WERROR=ON
cmake --build build-package -j"$jobs"
rm -f build-package/morvel_*.deb
(cd build-package && cpack -G DEB)
bash tests/package_test.sh build-package/morvel_*.deb build-package/generated/version.h
echo "== sanitizer build"
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_build build-asan RelWithDebInfo -DMORVEL_SANITIZE=ON
echo "== short fuzz runs"
bash tools/fuzz.sh 10
echo "== Windows build under Wine"
bash tools/test_windows.sh
