#!/usr/bin/env bash
# Behaviour oracle: dumps what a host sees after Initialize + Read for every
# input, with one build of the library, so that two trees (or two builds)
# can be compared byte for byte.
#
#   scripts/oracle/oracle.sh inputs INPUT_DIR          # writes the input set once
#   scripts/oracle/oracle.sh dump BUILD_DIR INPUT_DIR OUT_DIR
#   scripts/oracle/oracle.sh compare REF_DIR OUT_DIR
#
# The input set: the real files of ../shared/bsdl, tests/data, examples, the
# synthetic devices of bench/DeviceGenerator (1,000, 10,000 and 50,000
# cells) and seeded mutations of all of them (scripts/oracle/mutate.py).
# A dump holds, per input, the exit code, standard output and standard error
# of `bscan json FILE` (every port node, pin, cell field, image,
# instruction, register, pair), of read_once (the return codes of
# Initialize and Read) and of drive_all (every port driven in and out after
# the read: return codes, image and cell values).
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
here="$root/scripts/oracle"
cxx="${CXX:-g++}"

case "${1:-}" in
inputs)
  in="$2"
  mkdir -p "$in/files" "$in/mutated"
  for f in "$root"/../shared/bsdl/*.bsd* "$root"/../shared/bsdl/*.bsm "$root"/tests/data/*.bsdl "$root"/examples/*.bsdl; do
    [ -f "$f" ] && cp "$f" "$in/files/"
  done
  "$cxx" -O1 -std=c++17 -I"$root/bench" -o "$in/write_device" "$here/write_device.cpp" "$root/bench/DeviceGenerator.cpp"
  for n in 1000 10000 50000; do "$in/write_device" $n > "$in/files/synthetic_$n.bsdl"; done
  /usr/bin/python3 "$here/mutate.py" "$in/mutated" 20 "$in"/files/*
  ls "$in/files" "$in/mutated" | wc -l
  ;;
dump)
  build="$(cd "$2" && pwd)"; in="$(cd "$3" && pwd)"; out="$4"
  mkdir -p "$out"
  # The programs are built on the headers of the tree the build was made from.
  src="$(sed -n 's/^CMAKE_HOME_DIRECTORY:INTERNAL=//p' "$build/CMakeCache.txt")"
  "$cxx" -O1 -std=c++17 -I"$src" -o "$out/.read_once" "$here/read_once.cpp" -L"$build" -lbscan -Wl,-rpath,"$build"
  "$cxx" -O1 -std=c++17 -I"$src" -o "$out/.drive_all" "$here/drive_all.cpp" -L"$build" -lbscan -Wl,-rpath,"$build"
  export BSCAN_TOOL="$build/tools/bscan" READ_ONCE="$out/.read_once" DRIVE_ALL="$out/.drive_all"
  export DATA="$root/data" OUT="$out"
  find "$in/files" "$in/mutated" -type f | sort | xargs -P "${JOBS:-2}" -n 50 bash -c '
    for f in "$@"; do
      d="$OUT/$(basename "$(dirname "$f")")__$(basename "$f")"
      { set +e
        "$BSCAN_TOOL" json "$f" 2>&1; echo "exit $?"
        "$READ_ONCE" "$f" "$DATA" 2>&1; echo "exit $?"
        [ -z "${SKIP_DRIVE:-}" ] && { "$DRIVE_ALL" "$f" "$DATA" 2>&1; echo "exit $?"; }
      } > "$d"
    done' _
  ls "$out" | wc -l
  ;;
compare)
  ref="$2"; out="$3"
  n=$(ls "$ref" | wc -l)
  if diff -rq -x ".*" "$ref" "$out" >/dev/null; then
    echo "identical: $n dumps"
  else
    diff -rq -x ".*" "$ref" "$out" | head -20
    echo "DIFFERENT (of $n dumps)"; exit 1
  fi
  ;;
*)
  sed -n 2,17p "$0"; exit 2
  ;;
esac
