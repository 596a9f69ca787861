#!/usr/bin/env bash
# The figures of providers from outside, measured against the real cimxmld
# with curl and wrk. Never part of the tests.
#
#   bench/provider_figures.sh            # builds build-rel when needed; about a minute
#   SECONDS_PER_RUN=20 BUILD_DIR=build bench/provider_figures.sh
#
# Prints: the time per instance a library provider adds to an
# EnumerateInstances of 100,000 small instances over the same enumeration
# from the repository; the instances per second a command provider (a
# Python program) streams into an EnumerateInstances answer; the GetInstance
# rate of the repository while a client calls a command provider that exits
# on every call, against the same calls to a stored class.
set -euo pipefail
cd "$(dirname "$0")/.."

RUN=${SECONDS_PER_RUN:-10}
PORT=${PORT:-15988}
COUNT=${INSTANCES:-100000}
source bench/figures_setup.sh cimxmld generated_provider
command -v wrk >/dev/null || { echo "wrk is not installed (apt-get install wrk)" >&2; exit 1; }

# The classes; the repository's copy of the generated instances; the
# providers (the folder readable by the account providers run as).
chmod 755 "$work"
mkdir "$work/providers"
{
  echo 'class Bench_Generated { [Key] string Name; uint32 Value; string Text; };'
  echo 'class Bench_Stored { [Key] string Name; uint32 Value; string Text; };'
  echo 'class Bench_Streamed { [Key] string Name; uint32 Value; string Text; };'
  echo 'class Bench_Crashing { [Key] string Name; };'
  awk -v n="$COUNT" 'BEGIN { for (i = 0; i < n; i++) printf "instance of Bench_Stored { Name = \"item-%d\"; Value = %d; Text = \"generated\"; };\n", i, i }'
  echo 'class Bench_Item { [Key] string Name; }; instance of Bench_Item { Name = "item-1"; };'
} >"$work/classes.mof"
cp "$BUILD_DIR/bench/libgenerated_provider.so" "$work/providers/"
cat >"$work/providers/generated.json" <<'JSON'
{"library": "libgenerated_provider.so",
 "classes": [{"class": "Bench_Generated", "namespaces": ["root/cimv2"], "kinds": ["instance"]}]}
JSON
cat >"$work/providers/streamed.py" <<PY
import json, sys
for line in sys.stdin:
    request = json.loads(line)
    out = sys.stdout.write
    for i in range($COUNT):
        out('{"instance": {"Name": "item-%d", "Value": %d, "Text": "generated"}}\n' % (i, i))
    out(json.dumps({"id": request["id"], "status": 0}) + "\n")
    sys.stdout.flush()
PY
cat >"$work/providers/streamed.json" <<'JSON'
{"command": ["/usr/bin/python3", "streamed.py"], "timeout": 600,
 "classes": [{"class": "Bench_Streamed", "namespaces": ["root/cimv2"], "kinds": ["instance"]}]}
JSON
cat >"$work/providers/crashing.json" <<'JSON'
{"command": ["/bin/false"],
 "classes": [{"class": "Bench_Crashing", "namespaces": ["root/cimv2"], "kinds": ["instance"]}]}
JSON
chmod -R a+rX "$work/providers"

CIMXML_BENCH_INSTANCES=$COUNT "$BUILD_DIR/server/http/cimxmld" --port "$PORT" --mof "$work/classes.mof" \
  --providers "$work/providers" >"$work/server.out" 2>&1 &
server=$!
for _ in $(seq 600); do grep -q listening "$work/server.out" && break; sleep 0.1; done
grep -q listening "$work/server.out" || { echo "cimxmld did not start:" >&2; cat "$work/server.out" >&2; exit 1; }

url="http://127.0.0.1:$PORT/cimom"
# Seconds for a whole EnumerateInstances answer of class CLASS.
enumerate() {
  curl -s -o /dev/null -w '%{time_total}\n' "$url" -H 'Content-Type: application/xml; charset="utf-8"' \
    -H 'CIMProtocolVersion: 1.0' -H 'CIMOperation: MethodCall' -H 'CIMMethod: EnumerateInstances' \
    -H 'CIMObject: root%2Fcimv2' --data-binary "<?xml version=\"1.0\" encoding=\"utf-8\" ?><CIM CIMVERSION=\"2.0\" DTDVERSION=\"2.0\"><MESSAGE ID=\"1\" PROTOCOLVERSION=\"1.0\"><SIMPLEREQ><IMETHODCALL NAME=\"EnumerateInstances\"><LOCALNAMESPACEPATH><NAMESPACE NAME=\"root\"/><NAMESPACE NAME=\"cimv2\"/></LOCALNAMESPACEPATH><IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"$1\"/></IPARAMVALUE></IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>"
}
best() {  # CLASS: the fastest of three
  for _ in 1 2 3; do enumerate "$1"; done | sort -n | head -1
}
stored=$(best Bench_Stored)
generated=$(best Bench_Generated)
streamed=$(best Bench_Streamed)
echo "EnumerateInstances of $COUNT: repository ${stored} s, library provider ${generated} s: $(awk -v a="$stored" -v b="$generated" -v n="$COUNT" 'BEGIN { printf "%+.2f us", (b - a) * 1e6 / n }') per instance"
echo "command provider streaming:   ${streamed} s: $(awk -v t="$streamed" -v n="$COUNT" 'BEGIN { printf "%.0f", n / t }') instances/s"

# The repository's GetInstance rate while a client calls, ten times a
# second, a stored class (the control: the client's own cost) or the
# crashing provider; three runs of each, in turn, and their medians.
call_loop() {  # CLASS
  while :; do enumerate "$1" >/dev/null; sleep 0.1; done
}
rate_beside() {  # CLASS
  call_loop "$1" &
  others=$!
  wrk -t1 -c4 -d"${RUN}s" -s bench/wrk/get_instance.lua "$url" | awk '/^Requests\/sec/ { print $2 }'
  kill "$others"; wait "$others" 2>/dev/null || true; others=""
}
median() { printf '%s\n' "$@" | sort -n | sed -n 2p; }
control=() beside=()
wrk -t1 -c4 -d2s -s bench/wrk/get_instance.lua "$url" >/dev/null  # warm-up
for _ in 1 2 3; do
  control+=("$(rate_beside Bench_Item)")
  beside+=("$(rate_beside Bench_Crashing)")
done
metric() { curl -s "http://127.0.0.1:$PORT/metrics" | awk -v m="$1{provider=\"crashing\"}" '$1 == m { print $2 }'; }
echo "GetInstance (wrk -t1 -c4):    ${control[*]} req/s beside calls to a stored class, ${beside[*]} req/s beside calls to a provider that exits on every call ($(metric cimxmld_provider_calls_total) calls to it, $(metric cimxmld_provider_restarts_total) restarts)"
echo "medians: $(median "${control[@]}") and $(median "${beside[@]}") req/s: $(awk -v a="$(median "${control[@]}")" -v b="$(median "${beside[@]}")" 'BEGIN { printf "%+.1f%%", (b - a) * 100 / a }')"
