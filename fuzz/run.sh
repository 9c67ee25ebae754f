#!/usr/bin/env bash
# Runs every fuzz target of BUILD_DIR for SECONDS each, with the BSDL
# dictionary, from a seed corpus made of the test fixtures and the examples.
# Fails when a target finds a crash, a leak or a timeout.
#
#   bash fuzz/run.sh BUILD_DIR SECONDS
#
# The corpus and the crash artifacts stay in BUILD_DIR/fuzz-work.
set -euo pipefail
build=${1:?usage: run.sh BUILD_DIR SECONDS}
seconds=${2:?usage: run.sh BUILD_DIR SECONDS}
src=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$build" && pwd)
work="$build/fuzz-work"
seeds="$work/seeds"
mkdir -p "$seeds" "$work/artifacts"

shopt -s nullglob
for f in "$src"/tests/data/*.bsdl "$src"/examples/*.bsdl; do
  cp -f "$f" "$seeds/"
done
# A minimal device, so that the corpus is never empty.
cat > "$seeds/minimal.bsdl" <<'BSDL'
entity MINI is
generic (PHYSICAL_PIN_MAP : string := "DIP8");
port (
TDI : in bit;
D : inout bit_vector (0 to 1);
TDO : out bit);
use STD_1149_1_2001.all;
attribute PIN_MAP of MINI : entity is PHYSICAL_PIN_MAP;
constant DIP8 : PIN_MAP_STRING :=
"TDI : 1, D : (2, 3), " &
"TDO : 4";
attribute INSTRUCTION_LENGTH of MINI : entity is 2;
attribute INSTRUCTION_OPCODE of MINI : entity is
"BYPASS (11), " &
"EXTEST (00)";
attribute INSTRUCTION_CAPTURE of MINI : entity is "01";
attribute REGISTER_ACCESS of MINI : entity is
"BOUNDARY (EXTEST)";
attribute BOUNDARY_LENGTH of MINI : entity is 5;
attribute BOUNDARY_REGISTER of MINI : entity is
"4 (BC_1, TDI, input, X), " &
"3 (BC_1, *, control, 0), " &
"2 (BC_7, D(0), bidir, X, 3, 0, Z), " &
"1 (BC_7, D(1), bidir, X, 3, 0, Z), " & -- P3
"0 (BC_1, TDO, output2, X)";
end MINI;
BSDL

status=0
for target in fuzz_read fuzz_statement fuzz_device fuzz_differential; do
  exe="$build/fuzz/$target"
  if [ ! -x "$exe" ]; then
    echo "run.sh: $exe is missing (configure with -DBSCAN_FUZZ=ON and build)" >&2
    exit 1
  fi
  corpus="$work/corpus_$target"
  mkdir -p "$corpus"
  echo "== $target: ${seconds}s"
  if ! ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1} \
       UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1} \
       "$exe" "$corpus" "$seeds" \
         -dict="$src/fuzz/bscan.dict" \
         -max_total_time="$seconds" \
         -max_len=16384 -timeout=30 -rss_limit_mb=2048 \
         -print_final_stats=1 \
         -artifact_prefix="$work/artifacts/$target-"; then
    echo "run.sh: $target failed; see $work/artifacts" >&2
    status=1
  fi
done
exit $status
