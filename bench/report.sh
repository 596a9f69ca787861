#!/usr/bin/env bash
# Runs the module's performance benchmarks on a Release build and prints one
# table: each figure, what this run measured, its goal, and whether it is met.
# Times are CPU times; every ratio compares with Expat on the same text in the
# same run. The two decoding ratios take ours and Expat's work in turns, in
# every iteration, so that both see the same load on a shared machine; each
# program's summary also gives the ratio of separate runs. Takes a few minutes; the full output of each program stays in
# $BUILD_DIR/bench/report/ for a second look.
#
#   bench/report.sh              # builds build-rel (Release) when needed
#   BUILD_DIR=other bench/report.sh
#   REPETITIONS=9 bench/report.sh  # more samples per case (medians are used)
set -euo pipefail
cd "$(dirname "$0")/.."

BUILD_DIR=${BUILD_DIR:-build-rel}
REPETITIONS=${REPETITIONS:-3}
if [ ! -f "$BUILD_DIR/build.ninja" ]; then
  cmake -S . -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$BUILD_DIR" -j "$(nproc)" --target decode_bench encode_bench handler_bench client_decode_bench >/dev/null

out="$BUILD_DIR/bench/report"
mkdir -p "$out"
repeat=(--benchmark_repetitions="$REPETITIONS" --benchmark_report_aggregates_only=true)

run() {  # name, program, arguments...
  local name=$1 program=$2
  shift 2
  echo "running $program $*" >&2
  "$BUILD_DIR/bench/$program" "$@" >"$out/$name.txt"
}
run decode decode_bench --benchmark_filter='CreateInstanceProperties/(1000|10000|100000)/|SetPropertyEntitiesMB' "${repeat[@]}"
run encode encode_bench --benchmark_filter='/(10000|100000)/' "${repeat[@]}"
# The 1e5 handler call in a process of its own: its peak memory is the process's.
run handler handler_bench --benchmark_filter='EnumerateInstances/100000/' "${repeat[@]}"
run client client_decode_bench --benchmark_filter='/(10000|100000)/' "${repeat[@]}"

cat "$out"/*.txt | awk -v PEAK="${PEAK_MIB_GOAL:-128}" '
  $1 == "figure" { f[$2] = $3 }
  # rule: at_most, at_least or within (lo..hi)
  function row(label, value, rule, lo, hi, unit,   ok, goal) {
    if (value == "") { printf "| %-62s | %12s | %-14s | %-3s |\n", label, "(not run)", "", "no"; failed = 1; return }
    if (rule == "at_most") { ok = value <= lo; goal = "<= " lo unit }
    else if (rule == "at_least") { ok = value >= lo; goal = ">= " lo unit }
    else { ok = value >= lo && value <= hi; goal = lo ".." hi }
    if (!ok) failed = 1
    printf "| %-62s | %12s | %-14s | %-3s |\n", label, sprintf("%.2f%s", value, unit), goal, ok ? "yes" : "no"
  }
  # Growth 1e4 -> 1e5 (10 when linear), and scaled by Expat'"'"'s own growth on
  # the same texts (10 x our ratio to Expat at 1e5 / at 1e4, from runs in
  # turns): a text ten times longer falls out of the caches, which costs the
  # parser too. Met when either is 8..12.
  function growth(label, mine, scaled,   ok) {
    if (mine == "" || scaled == "") { row(label, "", "within", 8, 12, ""); return }
    ok = (mine >= 8 && mine <= 12) || (scaled >= 8 && scaled <= 12)
    if (!ok) failed = 1
    printf "| %-62s | %12s | %-14s | %-3s |\n", label, sprintf("%.1f (%.1f)", mine, scaled), "8..12", ok ? "yes" : "no"
  }
  END {
    printf "| %-62s | %12s | %-14s | %-3s |\n", "figure", "measured", "goal", "met"
    printf "|%s|%s|%s|%s|\n", "----------------------------------------------------------------", "--------------", "----------------", "-----"
    row("decode 1,000-property CreateInstance, time / Expat, in turns", f["decode_instance_x_expat"], "at_most", 2.0, 0, "x")
    row("encode EnumerateInstances 1e4, rate / Expat parse rate", f["encode_instances_rate_vs_expat"], "at_least", 1.0, 0, "x")
    row("encode VALUE.ARRAY of 1e4 strings, rate / Expat parse rate", f["encode_array_rate_vs_expat"], "at_least", 1.0, 0, "x")
    row("handler EnumerateInstances 1e5, CPU seconds per call", f["handler_enumerate_1e5_seconds"], "at_most", 1.0, 0, " s")
    row("client decode of 1e5 instances, time / Expat, in turns", f["client_decode_x_expat"], "at_most", 2.0, 0, "x")
    growth("growth 1e4->1e5 alone (vs Expat): encode instances", f["encode_growth_EnumerateInstances"], f["encode_scaled_growth_EnumerateInstances"])
    growth("growth 1e4->1e5 alone (vs Expat): client decode instances", f["client_decode_growth"], f["client_decode_scaled_growth"])
    growth("growth 1e4->1e5 alone (vs Expat): encode array elements", f["encode_growth_ValueArray"], f["encode_scaled_growth_ValueArray"])
    growth("growth 1e4->1e5 alone (vs Expat): decode properties", f["decode_growth_properties"], f["decode_scaled_growth_properties"])
    growth("growth 1->10 MB alone (vs Expat): decode entity-heavy text", f["decode_growth_entities"], f["decode_scaled_growth_entities"])
    # The goal is what the call added before the response pool became a
    # mapping of its own (the process'"'"'s peak also holds the benchmark'"'"'s input).
    row("handler EnumerateInstances 1e5, MiB the call adds at peak", f["handler_enumerate_1e5_call_added_MiB"], "at_most", PEAK, 0, "")
    exit failed
  }'
