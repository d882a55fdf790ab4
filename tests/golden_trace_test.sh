#!/bin/sh
# golden_trace_test.sh COMMAND...: each line of golden_traces.txt is the SHA-256 of the trace that
# the plain full-rescan crossing removal gave for those arguments; rovanel-headless (COMMAND) must
# still give it, to the last bit.
set -eu
status=0
while read -r sum args; do
  # shellcheck disable=SC2086
  got=$("$@" $args --trace </dev/null | tr -d '\r' | sha256sum | cut -d' ' -f1)
  [ "$got" = "$sum" ] || { echo "trace differs: $args"; status=1; }
done <"$(dirname "$0")/golden_traces.txt"
exit $status
