#!/usr/bin/env bash
# Builds the libFuzzer harnesses (clang, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs them side by side, one process each.
#   fuzz/run-fuzz.sh [SECONDS] [HARNESS...]
# SECONDS: how long each harness runs (default 60). HARNESS: fuzz_mesh_file,
# fuzz_dds_cube, fuzz_sound_readers (default all three). FUZZ_BUILD names the build folder (default
# build-fuzz), FUZZ_NICE=1 runs the harnesses under nice -n 19. The corpus
# each run grows is kept in FUZZ_BUILD/corpus/HARNESS for the next run; an
# input that fails is written to FUZZ_BUILD/artifacts/HARNESS/. Exit 1 when
# a harness found a failing input.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds="${1:-60}"
shift || true
harnesses=("$@")
[ ${#harnesses[@]} -gt 0 ] || harnesses=(fuzz_mesh_file fuzz_dds_cube fuzz_sound_readers)
build="${FUZZ_BUILD:-$root/build-fuzz}"
clang="${CLANG:-clang-14}"

mkdir -p "$build"
launcher=()
command -v ccache > /dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
CC="$clang" CXX="${clang/clang/clang++}" cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DVIMRA_FUZZ=ON -DVIMRA_SANITIZE=ON -DVIMRA_TESTS=OFF "${launcher[@]}" > "$build/configure.log" 2>&1 ||
  { cat "$build/configure.log"; exit 1; }
cmake --build "$build" -j"$(nproc)" --target fuzz_seeds "${harnesses[@]}" > "$build/build.log" 2>&1 ||
  { tail -n 50 "$build/build.log"; exit 1; }
rm -rf "$build/seeds"
"$build/fuzz/fuzz_seeds" "$root/data" "$build/seeds"

export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=1:allocator_may_return_null=1"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-}:print_stacktrace=1:halt_on_error=1"
nice=()
[ "${FUZZ_NICE:-0}" = 1 ] && nice=(nice -n 19)

declare -A pids
for harness in "${harnesses[@]}"; do
  case "$harness" in
    fuzz_mesh_file) seeds="$build/seeds/mesh" max_len=65536 ;;
    fuzz_dds_cube) seeds="$build/seeds/dds" max_len=16384 ;;
    fuzz_sound_readers) seeds="$build/seeds/sound" max_len=65536 ;;
    *) echo "unknown harness $harness"; exit 2 ;;
  esac
  mkdir -p "$build/corpus/$harness" "$build/artifacts/$harness"
  "${nice[@]}" "$build/fuzz/$harness" -max_total_time="$seconds" -max_len="$max_len" -timeout=10 -rss_limit_mb=2048 \
    -print_final_stats=1 -artifact_prefix="$build/artifacts/$harness/" \
    "$build/corpus/$harness" "$seeds" > "$build/$harness.log" 2>&1 &
  pids[$harness]=$!
done

status=0
for harness in "${harnesses[@]}"; do
  if wait "${pids[$harness]}"; then result="no failure"; else result="FAILED"; status=1; fi
  log="$build/$harness.log"
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  cov=$(grep -o 'cov: [0-9]* ft: [0-9]* corp: [0-9]*/[0-9]*[a-zA-Z]*' "$log" | tail -n 1)
  echo "$harness: ${runs:-?} executions in $seconds s, ${cov:-no coverage line}; $result"
  [ "$result" = "no failure" ] || tail -n 60 "$log"
done
exit $status
