#!/bin/sh
# rovanel /s for a long while in a private Xvfb (default an hour): its resident memory and open
# file descriptors every minute, which must stay flat, and then a key that must still end it.
#   soak.sh ROVANEL [SECONDS]
set -u
SAVER=$(realpath "${1:-}") || { echo "usage: soak.sh ROVANEL [SECONDS]"; exit 2; }
total=${2:-3600}
. "$(dirname "$0")/../tests/e2e/lib.sh"
e2e_init
export NO_AT_BRIDGE=1
xvfb_start 1920x1080
spawn pid "$SAVER" /s
elapsed=0
while [ "$elapsed" -lt "$total" ]; do
  sleep 60
  elapsed=$((elapsed + 60))
  echo "$elapsed s: $(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status") KiB resident, $(ls "/proc/$pid/fd" | wc -l) file descriptors"
done
ends_within "$pid" 500 xdotool key space
echo "a key ended it in $DELAY ms, status $STATUS"
