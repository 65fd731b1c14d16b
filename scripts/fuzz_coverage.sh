#!/usr/bin/env bash
# How deep the fuzz targets go: fuzzes each target for a while (default 180
# s) from its seed inputs, then replays what it found in a build with clang's
# source coverage and prints the lines reached in the game's folders, target
# by target. Needs clang and llvm (llvm-profdata, llvm-cov).
#
# Usage: scripts/fuzz_coverage.sh [seconds a target] [target ...]
set -euo pipefail
# shellcheck source=scripts/lib.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/lib.sh"
cd "$SALVO_ROOT"

seconds=${1:-180}
shift || true
targets=("$@")
((${#targets[@]} > 0)) || targets=(parsers console game admiral)
folders=(game screen rules terminal)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
artifacts=build/fuzz/artifacts
mkdir -p "$artifacts"

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j2 >/dev/null
cmake --preset fuzz-coverage >/dev/null
cmake --build --preset fuzz-coverage -j2 >/dev/null

for name in "${targets[@]}"; do
  mkdir -p "$work/$name"
  echo "fuzz_$name: fuzzing for $seconds s"
  UBSAN_OPTIONS=halt_on_error=1 "build/fuzz/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 \
    -print_final_stats=1 -artifact_prefix="$artifacts/$name-" "$work/$name" "fuzz/corpus/$name" 2>"$work/$name.log" ||
    { tail -n 40 "$work/$name.log"; echo "fuzz_$name found a failure; the input is in $artifacts/" >&2; exit 1; }
  grep -E '^stat::(number_of_executed_units|average_exec_per_sec)' "$work/$name.log"
  binary="build/fuzz-coverage/fuzz/fuzz_$name"
  LLVM_PROFILE_FILE="$work/$name-%p.profraw" "$binary" -runs=0 "$work/$name" "fuzz/corpus/$name" >/dev/null 2>&1
  llvm-profdata merge -sparse "$work/$name"-*.profraw -o "$work/$name.profdata"
  echo "fuzz_$name: lines reached, over $(find "$work/$name" "fuzz/corpus/$name" -type f | wc -l) inputs"
  llvm-cov report "$binary" -instr-profile="$work/$name.profdata" "${folders[@]/#/$SALVO_ROOT/}" |
    sed "s|$SALVO_ROOT/||"
  echo
done
