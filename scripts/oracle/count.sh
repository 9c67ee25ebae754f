#!/usr/bin/env bash
# Instructions of one whole read (Initialize, Read, destruction; one process
# with its start-up) under callgrind, per input file:
#
#   scripts/oracle/count.sh BUILD_DIR FILE...
#
# Prints "instructions file" per file. read_once is built against the given
# build's library.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "$1" && pwd)"; shift
tmp="$(mktemp -d)"
trap 'rm -rf "$tmp"' EXIT
src="$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")"
"${CXX:-g++}" -O1 -std=c++17 -I"$src" -o "$tmp/read_once" "$root/scripts/oracle/read_once.cpp" \
  -L"$build" -lbscan -Wl,-rpath,"$build"
for f in "$@"; do
  valgrind --tool=callgrind --callgrind-out-file="$tmp/out" "$tmp/read_once" "$f" "$root/data" \
    >"$tmp/stdout" 2>"$tmp/log"
  grep -q '^0 0$\|^[0-9-]* 0$' "$tmp/stdout" || { echo "read failed: $f: $(cat "$tmp/stdout")" >&2; }
  n=$(grep -o 'Collected : [0-9]*' "$tmp/log" | grep -o '[0-9]*$')
  printf '%s %s\n' "$n" "$f"
done
