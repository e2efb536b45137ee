#!/usr/bin/env bash
# Installs what the build needs, then configures and builds into build/.
# The programs end up in build/bin/.
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/packages.sh
morvel_install_packages "${MORVEL_BUILD_PACKAGES[@]}"
cmake -S . -B build -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
cmake --build build -j"$(nproc)"
