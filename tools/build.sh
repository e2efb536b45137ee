#!/usr/bin/env bash
# Installs what the build needs, then configures and builds a Release build
# without tests into build-run/ (or the folder given), leaving the build/ of
# a plain `cmake -S . -B build` alone. The programs end up in build-run/bin/.
# Usage: bash tools/build.sh [FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
dir="${1:-build-run}"
source tools/packages.sh
morvel_install_packages "${MORVEL_BUILD_PACKAGES[@]}"
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DMORVEL_WERROR=ON
cmake --build "$dir" -j"$(nproc)"
