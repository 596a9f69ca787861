#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root), builds everything and runs every
# test through CTest. Exits non-zero on any failure. A second run is incremental.
set -euo pipefail
cd "$(dirname "$0")"

source scripts/ensure_packages.sh
source scripts/packages.sh
ensure_packages "${CIMXML_PACKAGES[@]}"

BUILD_DIR=${BUILD_DIR:-build}
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$BUILD_DIR" -j "$(nproc)"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)" "$@"
