#!/usr/bin/env bash
# Builds the seed inputs of every fuzz target under OUT/<target>/ (made
# afresh): the documents of the independent client in the conformance folder
# (read here at run time, never kept in the repository) as requests, as
# responses and as whole HTTP requests, and the default schema's
# declarations as MOF. Seeds are named by their SHA-1, so equal ones are kept
# once. A missing conformance folder leaves the MOF seeds only.
#   fuzz/build_seeds.sh OUT
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1
vectors=${CIMXML_CONFORMANCE_DIR:-$here/../../shared/conformance}/vectors
rm -rf "$out"
mkdir -p "$out"/{request_handler,response_decoder,mof_compiler,http_request}

# seed TARGET: standard input becomes one seed of TARGET.
seed() {
  local tmp sum
  tmp=$(mktemp)
  cat > "$tmp"
  sum=$(sha1sum "$tmp" | cut -c1-40)
  mv "$tmp" "$out/$1/$sum"
}

# The response decoder target's selector for an operation (0: the generic decoder).
selector() {
  local ops=(_ CreateInstance GetInstance GetClass GetQualifier GetProperty InvokeMethod
             EnumerateInstanceNames EnumerateInstances EnumerateClassNames EnumerateClasses
             EnumerateQualifiers AssociatorNames ReferenceNames ExecQuery Associators References
             DeleteInstance ModifyInstance DeleteClass ModifyClass CreateClass DeleteQualifier
             SetQualifier SetProperty ExportIndication)
  for i in "${!ops[@]}"; do [ "${ops[$i]}" = "$1" ] && { echo "$i"; return; }; done
  echo 0
}

if [ -d "$vectors" ]; then
  count=0
  for meta in "$vectors"/*.meta.json; do
    name=${meta%.meta.json}
    operation=$(jq -r '.operation // ""' "$meta")
    if [ -f "$name.request.xml" ]; then
      # Alternate the profiles (the first byte's lowest bit).
      { printf "\\x$(printf %02x $((count % 2)))"; cat "$name.request.xml"; } | seed request_handler
      prefix="" method=POST
      if [ $((count % 8)) -eq 7 ]; then prefix="73-" method=M-POST; fi
      {
        echo "$method /cimom"
        [ -n "$prefix" ] && echo "Man: http://www.dmtf.org/cim/mapping/http/v1.0; ns=73"
        echo 'Content-Type: application/xml; charset="utf-8"'
        echo "Content-Length: 0"
        jq -r --arg p "$prefix" '.request.headers // {} | to_entries[] | "\($p)\(.key): \(.value)"' "$meta"
        echo
        cat "$name.request.xml"
      } | seed http_request
      count=$((count + 1))
    fi
    if [ -f "$name.response.xml" ]; then
      { printf "\\x$(printf %02x "$(selector "$operation")")"; cat "$name.response.xml"; } | seed response_decoder
    fi
  done
fi

# One seed per top-level declaration of the schema: a declaration starts at
# a line that begins with "[", "class ", "instance " or "Qualifier ".
for mof in "$here"/../server/cimom/schema/*.mof; do
  awk -v dir="$out/mof_compiler" -v base="$(basename "$mof" .mof)" '
    /^(\[|class |instance |Qualifier )/ && !open { n++; open = 1 }
    /^[ \t]*$/ { open = 0 }
    n { print > (dir "/" base "." n ".part") }
  ' "$mof"
done
for part in "$out"/mof_compiler/*.part; do
  [ -e "$part" ] || continue
  seed mof_compiler < "$part"
  rm -f "$part"
done
for target in request_handler response_decoder mof_compiler http_request; do
  echo "seeds: $target $(ls "$out/$target" | wc -l)"
done
