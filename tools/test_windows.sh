#!/usr/bin/env bash
# The Windows programs and their tests: installs the cross compiler and
# Wine when missing, cross-builds into build-windows/ with MinGW-w64
# (cmake/mingw-w64.cmake), builds the installer, and runs the tests under
# Wine through CTest (the windows under Xvfb, the installer installed and
# removed), in one Wine prefix made for this run (wineboot once,
# WINEDEBUG=-all).
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
morvel_install_packages "${MORVEL_WINDOWS_PACKAGES[@]}"

jobs="$(nproc)"
dir=build-windows
export WINEDEBUG=-all
WINEPREFIX="$(mktemp -d "${TMPDIR:-/tmp}/morvel-wine.XXXXXX")"
export WINEPREFIX
cleanup() {
  wineserver -k 2>/dev/null || true
  rm -rf "$WINEPREFIX" "$WINEPREFIX.lock"
}
trap cleanup EXIT

start=$SECONDS
echo "== Wine prefix $WINEPREFIX"
WINEDLLOVERRIDES="mscoree,mshtml=" wineboot --init >/dev/null 2>&1
touch "$WINEPREFIX/.morvel-ready"  # cmake/wine-run.sh finds it made
echo "   made in $((SECONDS - start)) s"

echo "== Windows build"
# The installer carries the manual the Linux test build made, when there is one.
manual=()
[ -f build-test/MorvelVCL.pdf ] && manual=(-DMORVEL_MANUAL_PDF="$PWD/build-test/MorvelVCL.pdf")
cmake -S . -B "$dir" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake -DCMAKE_BUILD_TYPE=Release -DMORVEL_WERROR=ON \
  "${manual[@]}"
cmake --build "$dir" -j"$jobs"
cmake --build "$dir" --target installer
echo "== Windows tests under Wine"
(cd "$dir" && ctest --output-on-failure -j"$jobs")
wineserver -w
echo "== Windows part done in $((SECONDS - start)) s"
