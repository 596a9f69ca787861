#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine (as root), builds everything and runs every
# test through CTest. Exits non-zero on any failure. A second run is incremental.
#   ./test.sh [CTEST ARGS...]             the suite, in build/ (or $BUILD_DIR)
#   ./test.sh --sanitize [CTEST ARGS...]  the suite built with AddressSanitizer and
#                                         UndefinedBehaviorSanitizer (clang), in build-fuzz/
#                                         with the fuzz programs, which --fuzz then reuses
#   ./test.sh --fuzz SECONDS [TARGET...]  the fuzz programs, each run for SECONDS (fuzz/run.sh)
set -euo pipefail
cd "$(dirname "$0")"

source scripts/ensure_packages.sh
source scripts/packages.sh
ensure_packages "${CIMXML_PACKAGES[@]}"
ensure_packages "${CIMXML_BROWSER_PACKAGES[@]}"
command -v npm >/dev/null || ensure_packages "${CIMXML_NODE_PACKAGES[@]}"
# The browser test's driver, at the version the lock file holds.
[ -d tests/browser/node_modules/playwright-core ] ||
  (cd tests/browser && npm ci --no-audit --no-fund --loglevel=error)

if [ "${1:-}" = --fuzz ]; then
  shift
  ensure_packages "${CIMXML_FUZZ_PACKAGES[@]}"
  exec fuzz/run.sh "$@"
fi
if [ "${1:-}" = --sanitize ]; then
  shift
  # One sanitized build serves the suite and the fuzz programs: clang,
  # ASan and UBSan, libFuzzer's coverage (which costs the tests little).
  ensure_packages "${CIMXML_FUZZ_PACKAGES[@]}"
  BUILD_DIR=${FUZZ_BUILD_DIR:-build-fuzz}
  CC=clang CXX=clang++ cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCIMXML_FUZZ=ON -DCIMXML_BUILD_TESTS=ON -DCIMXML_BUILD_BENCH=OFF >/dev/null
  # The collector scans the real stacks only, never ASan's fake ones.
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_stack_use_after_return=0}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
fi
BUILD_DIR=${BUILD_DIR:-build}
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
cmake --build "$BUILD_DIR" -j "$(nproc)"
ctest --test-dir "$BUILD_DIR" --output-on-failure -j "$(nproc)" "$@"
