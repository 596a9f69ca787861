#!/usr/bin/env bash
# The front end's figures, measured against the real cimxmld (Release build)
# with wrk, the independent load generator (Debian package wrk), and
# bench/tools/hold_connections for idle connections. Never part of the tests.
#
#   bench/frontend_figures.sh            # builds build-rel when needed; about two minutes
#   SECONDS_PER_RUN=20 bench/frontend_figures.sh
#
# Prints one line per figure. The EnumerateInstances rate over HTTP is
# http_bench's: build-rel/bench/http_bench --benchmark_filter='EnumerateInstances/100000'
set -euo pipefail
cd "$(dirname "$0")/.."

RUN=${SECONDS_PER_RUN:-10}
PORT=${PORT:-15988}
IDLE=${IDLE:-10000}
source bench/figures_setup.sh cimxmld hold_connections
command -v wrk >/dev/null || { echo "wrk is not installed (apt-get install wrk)" >&2; exit 1; }

# 1,000 instances of about 1 KB; GetInstance asks for Bench_Item.Name="item-1".
awk 'BEGIN {
  print "class Bench_Item { [Key] string Name; string Text0; string Text1; string Text2; string Text3; string Text4; };"
  for (i = 0; i < 1000; i++) {
    k = "item-" i; printf "instance of Bench_Item { Name = \"%s\";", k
    for (p = 0; p < 5; p++) { s = k " "; while (length(s) < 64) s = s sprintf("%c", 97 + p); printf " Text%d = \"%s\";", p, s }
    print " };"
  } }' >"$work/items.mof"

start_server() {  # extra cimxmld arguments...
  "$BUILD_DIR/server/http/cimxmld" --port "$PORT" --mof "$work/items.mof" "$@" >"$work/server.out" 2>&1 &
  server=$!
  for _ in $(seq 100); do grep -q listening "$work/server.out" && return; sleep 0.1; done
  echo "cimxmld did not start:" >&2; cat "$work/server.out" >&2; exit 1
}
stop_server() { kill "$server"; wait "$server" || true; server=""; }
rss_kib() { awk '/^VmRSS/ { print $2 }' "/proc/$server/status"; }
url="http://127.0.0.1:$PORT/cimom"
# wrk's requests per second, and with --latency its median.
rate() { awk '/^Requests\/sec/ { print $2 }'; }
median() { awk '$1 == "50%" { print $2 }'; }

start_server --max-connections $((IDLE + 100))
wrk -t1 -c1 -d2s -s bench/wrk/get_instance.lua "$url" >/dev/null  # warm-up
one=$(wrk -t1 -c1 -d"${RUN}s" -s bench/wrk/get_instance.lua "$url" | rate)
sixteen_out=$(wrk -t2 -c16 -d"${RUN}s" --latency -s bench/wrk/get_instance.lua "$url")
echo "GetInstance, 1 connection (wrk -t1 -c1):        $one req/s"
echo "GetInstance, 16 connections (wrk -t2 -c16):     $(echo "$sixteen_out" | rate) req/s, median $(echo "$sixteen_out" | median)"

# Idle connections: what they add to the resident memory, and what they
# take from the 16 connections' rate.
rss_before=$(rss_kib)
body=bench/wrk/get_instance.xml
printf 'POST /cimom HTTP/1.1\r\nHost: x\r\nContent-Type: application/xml\r\nCIMProtocolVersion: 1.0\r\nCIMOperation: MethodCall\r\nCIMMethod: GetInstance\r\nCIMObject: root%%2Fcimv2\r\nContent-Length: %d\r\n\r\n' \
  "$(stat -c %s $body)" >"$work/request.http"
cat $body >>"$work/request.http"
mkfifo "$work/hold"
"$BUILD_DIR/bench/hold_connections" "$PORT" "$IDLE" "$work/request.http" <"$work/hold" >"$work/held.out" &
holder=$!
exec 3>"$work/hold"
for _ in $(seq 600); do grep -q held "$work/held.out" && break; sleep 0.1; done
sleep 1
rss_after=$(rss_kib)
held_out=$(wrk -t2 -c16 -d"${RUN}s" --latency -s bench/wrk/get_instance.lua "$url")
echo "GetInstance, 16 connections, $IDLE idle held: $(echo "$held_out" | rate) req/s, median $(echo "$held_out" | median)"
echo "memory per idle connection:                     $(( (rss_after - rss_before) * 1024 / IDLE )) bytes (RSS $rss_before -> $rss_after KiB)"
exec 3>&-
wait "$holder" || true
holder=""
stop_server

# An authenticated client on 4 connections, alone and while 16 connections
# send a wrong password as fast as they are answered.
printf 'secret\n' | "$BUILD_DIR/server/http/cimxmld" --add-user bench --passwd "$work/passwd" 2>/dev/null
start_server --passwd "$work/passwd"
good="Basic $(printf 'bench:secret' | base64)"
bad="Basic $(printf 'bench:wrong' | base64)"
CIMXML_AUTH=$good wrk -t1 -c1 -d1s -s bench/wrk/get_instance.lua "$url" >/dev/null  # its credentials are proven once
alone=$(CIMXML_AUTH=$good wrk -t1 -c4 -d"${RUN}s" -s bench/wrk/get_instance.lua "$url" | rate)
CIMXML_AUTH=$bad wrk -t1 -c16 -d"$((RUN + 2))s" -s bench/wrk/get_instance.lua "$url" >"$work/flood.out" &
flood=$!
sleep 1
during=$(CIMXML_AUTH=$good wrk -t1 -c4 -d"${RUN}s" -s bench/wrk/get_instance.lua "$url" | rate)
wait "$flood" || true
echo "authenticated GetInstance, 4 connections:       $alone req/s alone, $during req/s with 16 guessing ($(awk -v a="$alone" -v d="$during" 'BEGIN { printf "%.0f%%", 100 * d / a }'))"
echo "  guesses answered: $(awk '/requests in/ { print $1 }' "$work/flood.out") in $((RUN + 2)) s"
stop_server
