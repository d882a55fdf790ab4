#!/bin/sh
# Traces recorded with the plain full-rescan crossing removal: every run must still give them
# improvement for improvement, to the last bit.
set -eu
headless=$1
dir=$2
status=0
while read -r file args; do
  # shellcheck disable=SC2086
  if ! "$headless" $args --trace | cmp -s - "$dir/$file"; then
    echo "trace differs: $file ($args)"
    status=1
  fi
done <"$dir/runs"
exit $status
