#!/usr/bin/env bash
# Builds the fuzz programs (clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) in their own build folder and runs each for
# SECONDS from its corpus: the inputs found so far (BUILD/corpus/<target>,
# kept between runs), the committed ones (fuzz/corpus/<target>) and the seeds
# built from the conformance documents and the schema. Exits non-zero when a
# target fails; the failing input is left in BUILD/artifacts/<target>/.
#   fuzz/run.sh SECONDS [TARGET...]      (FUZZ_BUILD_DIR, default build-fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:?usage: fuzz/run.sh SECONDS [TARGET...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(request_handler response_decoder mof_compiler http_request)
build=${FUZZ_BUILD_DIR:-build-fuzz}

if [ ! -f "$build/build.ninja" ]; then
  CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCIMXML_FUZZ=ON -DCIMXML_BUILD_TESTS=OFF -DCIMXML_BUILD_BENCH=OFF
fi
cmake --build "$build" --target fuzz_targets -j "$(nproc)"
# The seeds are made once and again only when the script changes (making
# them reads every conformance document: slow on a busy machine).
if [ ! -f "$build/seeds.done" ] || [ fuzz/build_seeds.sh -nt "$build/seeds.done" ]; then
  fuzz/build_seeds.sh "$build/seeds"
  touch "$build/seeds.done"
fi

# The collector scans the real stacks only: ASan's fake stacks (use after
# return) would hide live collected blocks from it, so they stay off.
export ASAN_OPTIONS=detect_stack_use_after_return=0:detect_leaks=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
for target in "${targets[@]}"; do
  dictionary=fuzz/dictionaries/cimxml.dict
  [ "$target" = mof_compiler ] && dictionary=fuzz/dictionaries/mof.dict
  mkdir -p "$build/corpus/$target" "$build/artifacts/$target" "$build/logs"
  echo "fuzzing $target for $seconds s"
  if "$build/fuzz/${target}_fuzzer" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
       -max_len=65536 -dict="$dictionary" -print_final_stats=1 -artifact_prefix="$build/artifacts/$target/" \
       "$build/corpus/$target" "fuzz/corpus/$target" "$build/seeds/$target" > "$build/logs/$target.log" 2>&1; then
    grep -E "^#[0-9]+ *DONE|stat::average_exec_per_sec|stat::number_of_executed_units" "$build/logs/$target.log" | sed "s/^/  /"
  else
    status=1
    tail -n 60 "$build/logs/$target.log"
    echo "FAILED: $target; the input is in $build/artifacts/$target/ (keep it as fuzz/regressions/$target/NAME)"
  fi
done
exit $status
