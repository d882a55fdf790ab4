#!/bin/sh
# Each line of golden_traces.txt: the SHA-256 of the trace that the plain full-rescan crossing
# removal gave for those arguments. Every build must still give it, to the last bit.
set -eu
headless=$1
status=0
while read -r sum args; do
  # shellcheck disable=SC2086
  got=$("$headless" $args --trace | sha256sum | cut -d' ' -f1)
  [ "$got" = "$sum" ] || { echo "trace differs: $args"; status=1; }
done <"$(dirname "$0")/golden_traces.txt"
exit $status
