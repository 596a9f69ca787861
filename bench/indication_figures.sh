#!/usr/bin/env bash
# The indication figures, measured against the real cimxmld with
# bench/tools/indication_probe (creates and listens) and cimxml-cli
# subscribe. Never part of the tests.
#
#   bench/indication_figures.sh            # builds build-rel when needed; about three minutes
#   SECONDS_PER_RUN=20 BUILD_DIR=build bench/indication_figures.sh
#
# Prints one line per figure: the latency from CreateInstance to the
# listener, the delivery rate to one listener, the CreateInstance rate with
# 100 subscriptions whose listeners never answer, and the cost of 1,000
# subscriptions whose filters do not match.
set -euo pipefail
cd "$(dirname "$0")/.."

RUN=${SECONDS_PER_RUN:-10}
PORT=${PORT:-15988}
LISTEN=${LISTEN_PORT:-15990}
HANGING_FROM=${HANGING_PORT:-16000}
source bench/figures_setup.sh cimxmld cimxml-cli indication_probe

# Bench_Item, and the thousand classes the non-matching filters watch.
{
  echo 'class Bench_Item { [Key] string Name; string State; };'
  for i in $(seq 0 999); do echo "class Bench_Other$i { [Key] string Name; };"; done
} >"$work/item.mof"
probe=$BUILD_DIR/bench/indication_probe
cli=$BUILD_DIR/tools/cli/cimxml-cli
url=http://127.0.0.1:$PORT/root/cimv2
interop=http://127.0.0.1:$PORT/root/interop
matching="SELECT * FROM CIM_InstCreation WHERE SourceInstance ISA 'Bench_Item'"

start_server() {  # [PORT]: a fresh server each time, no subscriptions, no instances
  local port=${1:-$PORT}
  "$BUILD_DIR/server/http/cimxmld" --bind 127.0.0.1 --port "$port" --mof "$work/item.mof" \
    --max-connections 1000 >"$work/server$port.out" 2>&1 &
  server=$!
  for _ in $(seq 100); do grep -q listening "$work/server$port.out" && return; sleep 0.1; done
  echo "cimxmld did not start:" >&2; cat "$work/server$port.out" >&2; exit 1
}
stop_server() { kill "$server"; wait "$server" || true; server=""; }
subscribe() {  # NAME QUERY DESTINATION [LANGUAGE]
  "$cli" subscribe "$interop" "$2" --destination "$3" --name "$1" --query-language "${4:-WQL}" >/dev/null
}
field() { awk -v name="$1" '{ for (i = 1; i < NF; i++) if ($i == name) print $(i + 1) }'; }

# Without subscriptions: the CreateInstance rate on one and on two connections.
start_server
"$probe" creates "$url" 2 1 >/dev/null  # warm-up
alone_one=$("$probe" creates "$url" "$RUN" 1)
stop_server

# One subscription, one listener: latency, then the rate it is delivered at.
start_server
subscribe one "$matching" "http://127.0.0.1:$LISTEN/"
latency=$("$probe" latency "$url" "$LISTEN" 2000)
stop_server
start_server
subscribe one "$matching" "http://127.0.0.1:$LISTEN/"
rate=$("$probe" rate "$url" "$LISTEN" "$RUN" 2)
stop_server
echo "CreateInstance to the listener, one subscription: median $(echo "$latency" | field median) ms, p99 $(echo "$latency" | field p99) ms (max $(echo "$latency" | field max), lost $(echo "$latency" | field lost))"
echo "delivery to one keep-alive listener:              $(echo "$rate" | field delivered_per_s) indications/s ($(echo "$rate" | field received) received, $(echo "$rate" | field creates_per_s) creates/s)"

# 100 subscriptions whose listeners take the connection and never answer,
# against a server without subscriptions beside it: three runs on each, in
# turn, and the medians (single runs on two shared cores vary by a fifth).
start_server $((PORT + 1))
others=$server
start_server
mkfifo "$work/hold"
"$probe" hang "$HANGING_FROM" 100 <"$work/hold" >"$work/hang.out" &
holder=$!
exec 3>"$work/hold"
for _ in $(seq 100); do grep -q hanging "$work/hang.out" && break; sleep 0.1; done
for i in $(seq 0 99); do subscribe "hang$i" "$matching" "http://127.0.0.1:$((HANGING_FROM + i))/"; done
plain_url=http://127.0.0.1:$((PORT + 1))/root/cimv2
"$probe" creates "$plain_url" 2 2 >/dev/null  # warm-up
"$probe" creates "$url" 2 2 >/dev/null
alone=() hanging=()
for _ in 1 2 3; do
  alone+=("$("$probe" creates "$plain_url" "$RUN" 2 | field creates_per_s)")
  hanging+=("$("$probe" creates "$url" "$RUN" 2 | field creates_per_s)")
done
exec 3>&-
wait "$holder" || true
holder=""
stop_server
kill "$others"; wait "$others" || true; others=""
median() { printf '%s\n' "$@" | sort -n | sed -n 2p; }
a=$(median "${alone[@]}")
h=$(median "${hanging[@]}")
echo "CreateInstance, 2 connections, median of 3:      $a/s without subscriptions, $h/s with 100 hanging listeners ($(awk -v a="$a" -v h="$h" 'BEGIN { printf "%+.1f%%", 100 * (h - a) / a }'))"
echo "  runs without: ${alone[*]}; with: ${hanging[*]}"

# 1,000 subscriptions whose filters do not match: filters on other classes,
# then filters on the same class that every created instance fails.
misses() {  # QUERY-PREFIX LANGUAGE: a fresh server with 1,000, and its us per create
  start_server
  for i in $(seq 0 999); do
    subscribe "miss$i" "$(printf "$1" "$i")" "http://127.0.0.1:9/" "$2"
  done
  "$probe" creates "$url" 2 1 >/dev/null  # warm-up
  "$probe" creates "$url" "$RUN" 1 | field us_per_create
  stop_server
}
a=$(echo "$alone_one" | field us_per_create)
other=$(misses "SELECT * FROM CIM_InstCreation WHERE SourceInstance ISA Bench_Other%d" DMTF:CQL)
same=$(misses "SELECT * FROM CIM_InstCreation WHERE SourceInstance ISA Bench_Item AND SourceInstance.State = 'never-%d'" DMTF:CQL)
echo "CreateInstance, 1 connection:                     $a us without subscriptions"
echo "  with 1,000 filters on other classes:            $other us ($(awk -v a="$a" -v m="$other" 'BEGIN { printf "%+.1f us", m - a }'))"
echo "  with 1,000 on Bench_Item that fail on State:    $same us ($(awk -v a="$a" -v m="$same" 'BEGIN { printf "%+.1f us", m - a }'))"
