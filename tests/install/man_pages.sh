#!/usr/bin/env bash
# The man pages against the programs they describe: every option a
# program's --help prints is in its page, and each page renders without a
# warning from groff.
#   man_pages.sh MAN_DIR CIMXMLD CIMXML_CLI CIMXML_MOF
set -euo pipefail
dir=$1
failed=0
check() {  # PAGE PROGRAM
  local page=$dir/$1 program=$2 rendered warnings option
  warnings=$(groff -man -ww -z "$page" 2>&1)
  if [ -n "$warnings" ]; then
    echo "man_pages: $1 renders with warnings:" >&2
    echo "$warnings" >&2
    failed=1
  fi
  rendered=$(groff -man -Tascii -P-cbou -rLL=2000n -rHY=0 "$page" 2>/dev/null)
  # Long options, and short ones standing alone ("-n NAMESPACE", "-o,--output").
  for option in $("$program" --help | grep -oE -- '(^|[][ ,])(--[a-z][a-z0-9-]*|-[A-Za-z])\b' |
                  sed 's/^[][ ,]*//' | sort -u); do
    if ! grep -qE -- "(^|[^A-Za-z0-9-])$option([^A-Za-z0-9-]|\$)" <<<"$rendered"; then
      echo "man_pages: $1 does not describe $option" >&2
      failed=1
    fi
  done
}
check cimxmld.8 "$2"
check cimxml-cli.1 "$3"
check cimxml-mof.1 "$4"
warnings=$(groff -man -ww -z "$dir/cimxmld.conf.5" 2>&1)
[ -z "$warnings" ] || { echo "man_pages: cimxmld.conf.5: $warnings" >&2; failed=1; }
exit $failed
