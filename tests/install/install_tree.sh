#!/usr/bin/env bash
# The installed tree as another machine would get it: `cmake --install` with
# DESTDIR, then moved elsewhere (a relocated prefix). Checks the layout, that
# only public headers are installed, that the installed cimxmld finds its
# module and schema inside the moved tree, and that the example client
# builds against it with pkg-config and with CMake and talks to the server.
#   install_tree.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$(realpath "$1")
source=$(realpath "$2")
stage=$(mktemp -d)
server=
cleanup() {
  [ -n "$server" ] && kill "$server" 2>/dev/null && wait "$server" 2>/dev/null
  rm -rf "$stage"
}
trap cleanup EXIT
fail() { echo "install_tree: $*" >&2; exit 1; }

DESTDIR=$stage/dest cmake --install "$build" --prefix /opt/cimxml >/dev/null
mv "$stage/dest/opt/cimxml" "$stage/moved"
root=$stage/moved
libdir=$(cd "$root" && dirname "$(find . -name 'libcimobj.so.0' -printf '%P\n' | head -1)")

for f in sbin/cimxmld bin/cimxml-cli bin/cimxml-mof; do
  [ -x "$root/$f" ] || fail "$f missing"
done
for f in libcimobj.so.0 libcimom.so.0 libcimxml.so.0 libcimxmlclient.so.0 libcimxml-utils.so.0 \
         libcimxml-zellib.so.0 libcimxmlclient.so pkgconfig/cimxml-client.pc cmake/cimxml/cimxmlConfig.cmake; do
  [ -e "$root/$libdir/$f" ] || fail "$libdir/$f missing"
done
for f in share/cimxml/schema/core.mof etc/cimxml/cimxmld.conf share/man/man8/cimxmld.8 share/man/man5/cimxmld.conf.5 \
         share/man/man1/cimxml-cli.1 share/man/man1/cimxml-mof.1 share/bash-completion/completions/cimxml-cli \
         lib/systemd/system/cimxmld.service lib/systemd/system/cimxmld.socket; do
  [ -f "$root/$f" ] || fail "$f missing"
done
# Public headers only: each installed header is one of the public folders'.
while read -r header; do
  case $header in
    cimxml/*) [ -f "$source/include/$header" ] ;;
    cimobj/*) [ -f "$source/server/base/cimobj/include/$header" ] ;;
    cimom/*) [ -f "$source/server/cimom/include/$header" ] ;;
    *) false ;;
  esac || fail "private header installed: $header"
done < <(cd "$root/include" && find . -type f -printf '%P\n')
# Nothing installed still points into the build tree at run time.
if grep -rlq --exclude='*.cmake' "$build" "$root/etc" "$root/$libdir/pkgconfig"; then
  fail "installed files name the build tree"
fi

# The installed server, from the moved tree only.
"$root/sbin/cimxmld" --port 0 --log-level info --config "$root/etc/cimxml/cimxmld.conf" \
  --repository "$stage/repository.db" >"$stage/server.log" 2>&1 &
server=$!
port=
for _ in $(seq 100); do
  port=$(sed -n 's|^cimxmld: listening on http://127.0.0.1:\([0-9]*\)$|\1|p' "$stage/server.log")
  [ -n "$port" ] && break
  kill -0 "$server" 2>/dev/null || break
  sleep 0.1
done
[ -n "$port" ] || { cat "$stage/server.log" >&2; fail "the installed cimxmld did not start"; }
grep -q "module $root/$libdir/libcimxml.so.0" "$stage/server.log" || fail "the module was not the installed one"

# The tools find the installed schema.
printf 'class Install_Check : CIM_ManagedElement { [Key] string Name; };\n' >"$stage/check.mof"
"$root/bin/cimxml-mof" "$stage/check.mof" >/dev/null || fail "cimxml-mof did not compile against the installed schema"
"$root/bin/cimxml-cli" enumerate-class-names "http://127.0.0.1:$port/root/cimv2" | grep -qx CIM_ManagedElement ||
  fail "cimxml-cli got no class names"

# The example client, once with pkg-config and once with CMake.
cp -r "$source/examples/list-classes" "$stage/example"
PKG_CONFIG_PATH=$root/$libdir/pkgconfig make -s -C "$stage/example" LDFLAGS="-Wl,-rpath,$root/$libdir" >/dev/null
"$stage/example/list-classes" 127.0.0.1 "$port" | grep -qx CIM_ManagedElement || fail "pkg-config example failed"
cmake -S "$stage/example" -B "$stage/example-cmake" -G Ninja -DCMAKE_PREFIX_PATH="$root" >/dev/null
cmake --build "$stage/example-cmake" >/dev/null
"$stage/example-cmake/list-classes" 127.0.0.1 "$port" | grep -qx CIM_ManagedElement || fail "CMake example failed"
echo "install_tree: ok ($root)"
