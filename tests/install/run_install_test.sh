#!/usr/bin/env bash
# Installs the library into a temporary prefix, checks the installed
# layout, and builds and runs a small host program against it, once
# through find_package(bscan) and once through pkg-config.
#
# Usage: run_install_test.sh SOURCE_DIR WORK_DIR
set -euo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 SOURCE_DIR WORK_DIR" >&2
  exit 2
fi
src=$(cd "$1" && pwd)
work=$2
rm -rf "$work"
mkdir -p "$work"
work=$(cd "$work" && pwd)
prefix=$work/prefix
jobs=${BSCAN_INSTALL_TEST_JOBS:-2}

fail() {
  echo "install test: $*" >&2
  exit 1
}

echo "== configure, build and install into $prefix"
cmake -S "$src" -B "$work/build" -DCMAKE_BUILD_TYPE=Release \
  -DBSCAN_TESTS=OFF -DBSCAN_TOOLS=OFF -DBSCAN_BENCH=OFF -DBSCAN_EXAMPLES=OFF -DBSCAN_FUZZ=OFF \
  -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_INSTALL_LIBDIR=lib >"$work/configure.log" \
  || { cat "$work/configure.log"; fail "configure failed"; }
cmake --build "$work/build" -j "$jobs" >"$work/build.log" \
  || { cat "$work/build.log"; fail "build failed"; }
cmake --install "$work/build" >"$work/install.log" \
  || { cat "$work/install.log"; fail "install failed"; }

echo "== installed layout"
for dir in include/bscan/parser include/bscan/model include/bscan/util lib/cmake/bscan lib/pkgconfig; do
  [ -d "$prefix/$dir" ] || fail "missing directory $dir"
done
for file in include/bscan/parser/BScanParser.h include/bscan/util/BScanExport.h \
            lib/libbscan.so share/bscan/ErrorList.txt lib/pkgconfig/bscan.pc \
            lib/cmake/bscan/bscanConfig.cmake lib/cmake/bscan/bscanConfigVersion.cmake; do
  [ -e "$prefix/$file" ] || fail "missing file $file"
done
for internal in PackagePinMap.h PinMapIndex.h Platform.h; do
  if [ -n "$(find "$prefix/include" -name "$internal")" ]; then
    fail "internal header $internal is installed"
  fi
done
if [ -n "$(find "$prefix/include" -name '*Internal*.h')" ]; then
  fail "an internal header is installed"
fi
cmp -s "$src/data/ErrorList.txt" "$prefix/share/bscan/ErrorList.txt" \
  || fail "installed ErrorList.txt differs from the source"

echo "== a BSDL file for the host"
cat >"$work/host.bsdl" <<'BSDL'
-- A three-port device for the install test.
entity HOSTDEV is
  generic (PHYSICAL_PIN_MAP : string := "SO8");
  port (
    CLK : in bit;
    RESET_N : in bit;
    DONE : out bit
  );
  use STD_1149_1_2001.all;
  constant SO8 : PIN_MAP_STRING :=
    "CLK : 1, RESET_N : 2, " &
    "DONE : 3";
end HOSTDEV;
BSDL

echo "== host program through find_package(bscan)"
cmake -S "$src/tests/install/consumer" -B "$work/consumer" -DCMAKE_PREFIX_PATH="$prefix" \
  -DCMAKE_BUILD_TYPE=Release >"$work/consumer-configure.log" \
  || { cat "$work/consumer-configure.log"; fail "consumer configure failed"; }
cmake --build "$work/consumer" >"$work/consumer-build.log" \
  || { cat "$work/consumer-build.log"; fail "consumer build failed"; }
LD_LIBRARY_PATH="$prefix/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
  "$work/consumer/consumer" "$work/host.bsdl" || fail "consumer (cmake) failed"

echo "== host program through pkg-config"
command -v pkg-config >/dev/null || fail "pkg-config is not installed"
flags=$(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --cflags --libs bscan) \
  || fail "pkg-config does not know bscan"
case " $flags " in
  *" -I$prefix/include/bscan "*) ;;
  *) fail "pkg-config gives no include directory: $flags" ;;
esac
case " $flags " in
  *" -lbscan "*) ;;
  *) fail "pkg-config gives no -lbscan: $flags" ;;
esac
datadir=$(PKG_CONFIG_PATH="$prefix/lib/pkgconfig" pkg-config --variable=datadir bscan)
[ "$datadir" = "$prefix/share/bscan" ] || fail "pkg-config datadir is $datadir"
# shellcheck disable=SC2086
"${CXX:-c++}" -std=c++17 "$src/tests/install/consumer/main.cpp" -o "$work/consumer-pc" $flags \
  || fail "consumer (pkg-config) does not build"
LD_LIBRARY_PATH="$prefix/lib${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}" \
  "$work/consumer-pc" "$work/host.bsdl" "$datadir" || fail "consumer (pkg-config) failed"

echo "== the Python package from the prefix"
if grep -q "bscan: Python package for" "$work/configure.log"; then
  python=$(sed -n 's/.*bscan: Python package for \(.*\) (.*/\1/p' "$work/configure.log")
  pyver=$("$python" -c 'import sys; print("%d.%d" % sys.version_info[:2])')
  site=$prefix/lib/python$pyver/site-packages
  for file in __init__.py __init__.pyi _bscan.pyi py.typed; do
    [ -e "$site/bscan/$file" ] || fail "missing file lib/python$pyver/site-packages/bscan/$file"
  done
  ls "$site"/bscan/_bscan*.so >/dev/null 2>&1 || fail "missing the extension module in $site/bscan"
  if [ -n "$(find "$site" -name 'libbscan*')" ]; then
    fail "a second copy of the library is installed with the package"
  fi
  # The build tree goes away: the package must stand on the prefix alone.
  rm -rf "$work/build"
  (cd "$src" && LD_BIND_NOW=1 PYTHONPATH="$site" "$python" -c "import bscan; print(bscan.read('examples/demo_device.bsdl'))") \
    >"$work/python.out" 2>&1 || { cat "$work/python.out"; fail "the README's python3 line failed"; }
  [ "$(cat "$work/python.out")" = "<Device DEMO_IOX ports=42 cells=39>" ] \
    || fail "the README's python3 line printed: $(cat "$work/python.out")"
  (cd "$work" && LD_BIND_NOW=1 PYTHONPATH="$site" "$python" - "$prefix" "$src/tests/data/tool_syntax.bsdl") <<'PY' \
    || fail "the installed package is not the prefix's"
import os, sys
prefix = os.path.realpath(sys.argv[1])
import bscan
def inside(path):
    return os.path.realpath(path).startswith(prefix + os.sep)
assert inside(bscan.__file__), bscan.__file__
assert os.path.realpath(bscan.message_dir()) == os.path.join(prefix, "share", "bscan"), bscan.message_dir()
libs = {line.split()[-1] for line in open("/proc/self/maps") if "libbscan" in line}
assert libs and all(inside(lib) for lib in libs), libs
try:
    bscan.read(sys.argv[2])
    raise SystemExit("a syntax error was read")
except bscan.ReadError as error:
    assert error.name == "BSDL_ERR_SYNTAX" and str(error).startswith("syntax error"), str(error)
PY
else
  echo "(skipped: the Python package was not built, pybind11-dev or python3-dev missing)"
fi

echo "install test: passed"
