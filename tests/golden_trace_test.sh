#!/bin/sh
# golden_trace_test.sh COMMAND...: rovanel-headless (COMMAND) still gives, to the last bit, each
# trace of golden_traces.txt: the SHA-256 of what the plain full-rescan crossing removal gave.
set -eu
status=0
while read -r sum args; do
  # shellcheck disable=SC2086
  got=$("$@" $args --trace </dev/null | tr -d '\r' | sha256sum | cut -d' ' -f1)
  [ "$got" = "$sum" ] || { echo "trace differs: $args"; status=1; }
done <"$(dirname "$0")/golden_traces.txt"
exit $status
