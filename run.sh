#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root) when something is missing,
# builds the server incrementally (in the same build folder as test.sh) and
# runs cimxmld on 127.0.0.1:5988 with its repository in var/repository.db.
# Arguments go to cimxmld and win over the
# defaults here, e.g. ./run.sh --port 15988 or ./run.sh --help.
set -euo pipefail
cd "$(dirname "$0")"

source scripts/ensure_packages.sh
source scripts/packages.sh
ensure_packages "${CIMXML_PACKAGES[@]}"

BUILD_DIR=${BUILD_DIR:-build}
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$BUILD_DIR" -j "$(nproc)" --target cimxmld
# The repository survives restarts in var/ (not in git).
mkdir -p var
exec "$BUILD_DIR/server/http/cimxmld" --bind 127.0.0.1 --port 5988 --log-level info \
  --repository var/repository.db "$@"
