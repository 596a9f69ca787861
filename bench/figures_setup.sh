# figures_setup.sh - what the figures scripts share; sourced from the top of
# the source tree with the targets they need:
#   source bench/figures_setup.sh TARGET...
# Builds the targets in $BUILD_DIR (a Release tree, made when missing),
# makes the scratch folder $work, and on exit stops $holder, $server and
# $others (when set) and removes $work.
BUILD_DIR=${BUILD_DIR:-build-rel}
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$BUILD_DIR" -j "$(nproc)" --target "$@" >/dev/null

work=$(mktemp -d)
server=""
holder=""
others=""
cleanup() {
  [ -n "$holder" ] && kill "$holder" 2>/dev/null
  [ -n "$server" ] && kill "$server" 2>/dev/null
  [ -n "$others" ] && kill $others 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
