#!/usr/bin/env bash
# Builds the seed inputs of every fuzz target under OUT/<target>/ (made
# afresh): the documents of the independent client in the conformance folder
# (read here at run time, never kept in the repository) as requests, as
# responses and as whole HTTP requests, and the default schema's
# declarations as MOF. Equal seeds are kept once. A missing conformance
# folder leaves the MOF seeds only.
#   fuzz/build_seeds.sh OUT
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
out=$1
vectors=${CIMXML_CONFORMANCE_DIR:-$here/../../shared/conformance}/vectors
rm -rf "$out"
mkdir -p "$out"/{request_handler,response_decoder,mof_compiler,http_request}

# seed TARGET NAME: standard input becomes the seed NAME of TARGET.
seed() {
  cat > "$out/$1/$2"
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
  # One line per document: its name, its operation and its CIM header lines
  # (fields apart by \002, header lines by \001), read by one jq for all.
  while IFS=$'\002' read -r meta operation headers; do
    name=${meta%.meta.json}
    base=$(basename "$name")
    if [ -f "$name.request.xml" ]; then
      # Alternate the profiles (the first byte's lowest bit).
      { printf "\\x$(printf %02x $((count % 2)))"; cat "$name.request.xml"; } | seed request_handler "$base"
      prefix="" method=POST
      if [ $((count % 8)) -eq 7 ]; then prefix="73-" method=M-POST; fi
      {
        echo "$method /cimom"
        [ -n "$prefix" ] && echo "Man: http://www.dmtf.org/cim/mapping/http/v1.0; ns=73"
        echo 'Content-Type: application/xml; charset="utf-8"'
        echo "Content-Length: 0"
        [ -n "$headers" ] && printf '%s\n' "$headers" | tr '\001' '\n' | sed "s/^/$prefix/"
        echo
        cat "$name.request.xml"
      } | seed http_request "$base"
      count=$((count + 1))
    fi
    if [ -f "$name.response.xml" ]; then
      { printf "\\x$(printf %02x "$(selector "$operation")")"; cat "$name.response.xml"; } | seed response_decoder "$base"
    fi
  done < <(jq -r '[input_filename, (.operation // ""),
                   ((.request.headers // {}) | to_entries | map("\(.key): \(.value)") | join("\u0001"))] | join("\u0002")' \
             "$vectors"/*.meta.json)
fi

# One seed per top-level declaration of the schema: a declaration starts at
# a line that begins with "[", "class ", "instance " or "Qualifier ".
for mof in "$here"/../server/cimom/schema/*.mof; do
  awk -v dir="$out/mof_compiler" -v base="$(basename "$mof" .mof)" '
    /^(\[|class |instance |Qualifier )/ && !open { n++; open = 1 }
    /^[ \t]*$/ { open = 0 }
    n { print > (dir "/" base "." n) }
  ' "$mof"
done
# Equal seeds: all but the first go.
(cd "$out" && sha1sum */* | sort -s -k1,1 | awk 'seen[$1]++ { print $2 }' | xargs -r rm -f)
for target in request_handler response_decoder mof_compiler http_request; do
  echo "seeds: $target $(ls "$out/$target" | wc -l)"
done
