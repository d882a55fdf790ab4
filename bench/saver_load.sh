#!/bin/sh
# The Linux saver under load, in a private Xvfb:
#   1. runs `rovanel /s` for SECONDS (default 120) and reports the share of one core its process
#      used (utime + stime from /proc) and its resident memory early on and at the end;
#   2. with 49 points on screen, 20 trials of input-to-exit delay (mouse move, key, click in
#      turn), from the moment the input is sent to the end of the process.
#   saver_load.sh ROVANEL [SECONDS]
# Targets: a share of at most 40%, a delay of at most 100 ms in 19 of 20 trials.
set -u
ROVANEL=${1:-}
SECONDS_TO_RUN=${2:-120}
[ -x "$ROVANEL" ] || { echo "usage: saver_load.sh ROVANEL [SECONDS]"; exit 2; }
. "$(dirname "$0")/../tests/e2e/lib.sh"
e2e_init
export NO_AT_BRIDGE=1
unset XSCREENSAVER_WINDOW ROVANEL_SEED
xvfb_start 1920x1080

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
rss_kib() { awk '/^VmRSS:/ { print $2 }' "/proc/$1/status"; }

# 1. Share of a core and resident memory.
"$ROVANEL" /s &
pid=$!
e2e_track "$pid"
sleep 10
rss_start=$(rss_kib "$pid")
t0=$(now_ms)
c0=$(cpu_ticks "$pid")
sleep "$SECONDS_TO_RUN"
c1=$(cpu_ticks "$pid")
t1=$(now_ms)
rss_end=$(rss_kib "$pid")
xdotool key space
wait_status "$pid" 5
share=$(awk -v c="$((c1 - c0))" -v hz="$ticks" -v ms="$((t1 - t0))" \
  'BEGIN { printf "%.1f", 100 * c / hz / (ms / 1000) }')
echo "share of one core over ${SECONDS_TO_RUN} s: ${share}%"
echo "resident memory: ${rss_start} KiB after 10 s, ${rss_end} KiB after $((SECONDS_TO_RUN + 10)) s"

# 2. Input-to-exit delay with 49 points on screen.
delays=""
over=0
for trial in $(seq 1 20); do
  ROVANEL_SEED=319 "$ROVANEL" /s &
  pid=$!
  e2e_track "$pid"
  sleep 1.5
  case $((trial % 3)) in
    1) xdotool mousemove 300 300; sleep 0.3; kind=move; input="xdotool mousemove 310 305" ;;
    2) kind=key; input="xdotool key space" ;;
    0) kind=click; input="xdotool mousedown 1" ;;
  esac
  t0=$(now_ms)
  $input
  while kill -0 "$pid" 2>/dev/null; do sleep 0.002; done
  delay=$(($(now_ms) - t0))
  [ "$kind" = click ] && xdotool mouseup 1
  wait "$pid" 2>/dev/null
  delays="$delays $delay"
  [ "$delay" -le 100 ] || over=$((over + 1))
  echo "trial $trial ($kind): $delay ms"
done
echo "input-to-exit delays (ms):$delays"
echo "over 100 ms: $over of 20"
awk -v s="$share" 'BEGIN { exit !(s <= 40) }' && [ "$over" -le 1 ]
