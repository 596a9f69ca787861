#!/usr/bin/env bash
# The server's memory figures with 1e5 instances of about 1 KB (a 98 MB MOF
# file), measured on the real cimxmld: resident memory of the idle server,
# the peak above it during one, four and sixteen EnumerateInstances of all
# of them at once and during one ExecQuery of all, time to the first byte
# and the whole time of one enumeration; then
# the peak above it while the same set is pulled 1,000 at a time, and the
# memory that 1,000 open enumeration contexts over it hold; then the peak
# resident memory (/usr/bin/time -v) and the rate of cimxml-cli
# enumerate-instances of all of them (-o json), pulled in pieces of 1,000
# and with --no-pull, and of another cimxml-cli to compare with when
# CLI_BEFORE names one. Never part of the tests.
#
#   bench/memory_figures.sh                 # builds build-rel when needed; about three minutes
#   COUNT=10000 BUILD_DIR=build bench/memory_figures.sh
#   CLI_BEFORE=../old/build-rel/tools/cli/cimxml-cli bench/memory_figures.sh
#
# Peaks come from VmHWM, reset before each run (clear_refs 5: needs root or
# the server's own user).
set -euo pipefail
cd "$(dirname "$0")/.."

COUNT=${COUNT:-100000}
PORT=${PORT:-15989}
source bench/figures_setup.sh cimxmld cimxml cimxml-cli

# Each instance: a key and 15 strings of 64 characters, about 1 KB of MOF.
awk -v count="$COUNT" 'BEGIN {
  printf "class Bench_Record { [Key] string Name;"
  for (p = 0; p < 15; p++) printf " string Text%d;", p
  print " };"
  for (i = 0; i < count; i++) {
    k = "record-" i; printf "instance of Bench_Record { Name = \"%s\";", k
    for (p = 0; p < 15; p++) { s = k " "; while (length(s) < 64) s = s sprintf("%c", 97 + p); printf " Text%d = \"%s\";", p, s }
    print " };"
  } }' >"$work/records.mof"
mof_mb=$(( $(stat -c %s "$work/records.mof") / 1000000 ))

started=$(date +%s.%N)
"$BUILD_DIR/server/http/cimxmld" --port "$PORT" --mof "$work/records.mof" --timeout 600 \
  --max-enumeration-contexts-per-user 1000 >"$work/server.out" 2>&1 &
server=$!
for _ in $(seq 1200); do grep -q listening "$work/server.out" && break; sleep 0.1; done
grep -q listening "$work/server.out" || { echo "cimxmld did not start:" >&2; cat "$work/server.out" >&2; exit 1; }
load_s=$(echo "$(date +%s.%N) - $started" | bc)

status_kib() { awk -v key="$1:" '$1 == key { print $2 }' "/proc/$server/status"; }
reset_peak() { echo 5 >"/proc/$server/clear_refs"; }

cat >"$work/enumerate.xml" <<'XML'
<?xml version="1.0" encoding="utf-8"?>
<CIM CIMVERSION="2.0" DTDVERSION="2.0"><MESSAGE ID="1" PROTOCOLVERSION="1.0"><SIMPLEREQ>
<IMETHODCALL NAME="EnumerateInstances"><LOCALNAMESPACEPATH><NAMESPACE NAME="root"/><NAMESPACE NAME="cimv2"/></LOCALNAMESPACEPATH>
<IPARAMVALUE NAME="ClassName"><CLASSNAME NAME="Bench_Record"/></IPARAMVALUE></IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>
XML
post() {  # method, request file, curl output format[, answer file]
  curl -s -o "${4:-$work/answer.$BASHPID}" -w "$3" -X POST "http://127.0.0.1:$PORT/cimom" \
    -H 'Content-Type: application/xml; charset="utf-8"' -H 'CIMOperation: MethodCall' \
    -H "CIMMethod: $1" -H 'CIMObject: root%2Fcimv2' -H 'TE: trailers' --data-binary @"$2"
}
enumerate() { post EnumerateInstances "$work/enumerate.xml" "$1"; }
cat >"$work/query.xml" <<'XML'
<?xml version="1.0" encoding="utf-8"?>
<CIM CIMVERSION="2.0" DTDVERSION="2.0"><MESSAGE ID="1" PROTOCOLVERSION="1.0"><SIMPLEREQ>
<IMETHODCALL NAME="ExecQuery"><LOCALNAMESPACEPATH><NAMESPACE NAME="root"/><NAMESPACE NAME="cimv2"/></LOCALNAMESPACEPATH>
<IPARAMVALUE NAME="QueryLanguage"><VALUE>WQL</VALUE></IPARAMVALUE>
<IPARAMVALUE NAME="Query"><VALUE>SELECT Name, Text0 FROM Bench_Record WHERE Text1 &lt;&gt; ''</VALUE></IPARAMVALUE></IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>
XML
query() { post ExecQuery "$work/query.xml" "$1"; }

# Pulled enumerations: an open of MAX (an IPARAMVALUE list), a pull on the
# context the last answer named; context_of prints that context, nothing at
# the end of the sequence.
pull_request() {  # method, parameters
  printf '<?xml version="1.0" encoding="utf-8"?>\n<CIM CIMVERSION="2.0" DTDVERSION="2.0"><MESSAGE ID="1" PROTOCOLVERSION="1.0"><SIMPLEREQ><IMETHODCALL NAME="%s"><LOCALNAMESPACEPATH><NAMESPACE NAME="root"/><NAMESPACE NAME="cimv2"/></LOCALNAMESPACEPATH>%s</IMETHODCALL></SIMPLEREQ></MESSAGE></CIM>' "$1" "$2"
}
max_count() { echo "<IPARAMVALUE NAME=\"MaxObjectCount\"><VALUE>$1</VALUE></IPARAMVALUE>"; }
context_of() {
  tr -d '\n' <"$work/pulled" | grep -o 'NAME="EnumerationContext"[^>]*><VALUE>[^<]*' | sed 's/.*<VALUE>//' || true
}
open_pulled() {  # max object count
  pull_request OpenEnumerateInstances "<IPARAMVALUE NAME=\"ClassName\"><CLASSNAME NAME=\"Bench_Record\"/></IPARAMVALUE>$(max_count "$1")" >"$work/open.xml"
  post OpenEnumerateInstances "$work/open.xml" '' "$work/pulled" && context_of
}
pull_all() {  # prints the number of pulls
  local context pulls=0
  context=$(open_pulled 1000)
  while [ -n "$context" ]; do
    pull_request PullInstancesWithPath "<IPARAMVALUE NAME=\"EnumerationContext\"><VALUE>$context</VALUE></IPARAMVALUE>$(max_count 1000)" >"$work/pull.xml"
    post PullInstancesWithPath "$work/pull.xml" '' "$work/pulled"
    context=$(context_of)
    pulls=$((pulls + 1))
  done
  echo "$pulls"
}

loaded=$(status_kib VmRSS)
enumerate '%{size_download}' >/dev/null  # warm-up
sleep 1
idle=$(status_kib VmRSS)
peak_above() {  # concurrent requests[, the request: enumerate or query]
  reset_peak
  local base; base=$(status_kib VmRSS)
  local clients=()
  for i in $(seq "$1"); do "${2:-enumerate}" '%{size_download}\n' >"$work/size.$i" & clients+=($!); done
  wait "${clients[@]}"
  local sizes; sizes=$(cat "$work"/size.* | sort -u | tr '\n' ' ')
  rm -f "$work"/size.*
  echo "$(( ($(status_kib VmHWM) - base) / 1024 )) MB above idle (answer sizes: $sizes)"
}
pulled_peak() {
  reset_peak
  local base pulls; base=$(status_kib VmRSS)
  pulls=$(pull_all)
  echo "$(( ($(status_kib VmHWM) - base) / 1024 )) MB above idle (an open and $pulls pulls)"
}
open_contexts() {  # count
  local base; base=$(status_kib VmRSS)
  for _ in $(seq "$1"); do [ -n "$(open_pulled 0)" ] || { echo "an open failed" >&2; return 1; }; done
  echo "$(( ($(status_kib VmRSS) - base) / 1024 )) MB above idle"
}
timing=$(enumerate '%{time_starttransfer} %{time_total} %{size_download}')
read -r first total size <<<"$timing"

echo "instances                               $COUNT (${mof_mb} MB of MOF), loaded in ${load_s%???????} s"
echo "resident memory of the idle server      $(( idle / 1024 )) MB ($(( loaded / 1024 )) MB before its first answer)"
echo "one EnumerateInstances, peak            $(peak_above 1)"
echo "four at once, peak                      $(peak_above 4)"
echo "sixteen at once, peak                   $(peak_above 16)"
echo "one ExecQuery of all (two properties)   $(peak_above 1 query)"
echo "pulled 1,000 at a time, peak            $(pulled_peak)"
echo "1,000 open contexts                     $(open_contexts 1000)"
echo "time to the first byte                  $(echo "$first * 1000" | bc | cut -d. -f1) ms"
echo "whole answer                            $(( size / 1000000 )) MB in ${total} s, $(echo "$size / $total / 1000000" | bc) MB/s"

# The client: peak resident memory and rate of one enumeration printed as JSON.
client() {  # cimxml-cli binary, options
  local cli=$1; shift
  /usr/bin/time -v "$cli" enumerate-instances "http://127.0.0.1:$PORT/root/cimv2:Bench_Record" -o json \
    --timeout 600 "$@" 2>"$work/time.txt" | wc -l >"$work/lines.txt"
  local peak wall lines
  peak=$(awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.txt")
  wall=$(awk -F': ' '/Elapsed \(wall clock\)/ { print $2 }' "$work/time.txt" | awk -F: '{ s = 0; for (i = 1; i <= NF; i++) s = s * 60 + $i; print s }')
  lines=$(cat "$work/lines.txt")
  echo "peak $(( peak / 1024 )) MB resident, $lines instances in ${wall} s, $(echo "$size / $wall / 1000000" | bc) MB/s of answer, $(echo "$lines / $wall" | bc) instances/s"
}
echo "cimxml-cli enumerate-instances -o json, pulled in pieces of 1,000  $(client "$BUILD_DIR/tools/cli/cimxml-cli")"
echo "the same with --no-pull (one EnumerateInstances)  $(client "$BUILD_DIR/tools/cli/cimxml-cli" --no-pull)"
if [ -n "${CLI_BEFORE:-}" ]; then
  echo "the same with $CLI_BEFORE  $(client "$CLI_BEFORE")"
fi
