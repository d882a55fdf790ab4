#!/bin/sh
# rovanel-headless: frames are PNG files of the scaled size, listed with the time a saver holds
# each; an output that cannot be written (a frame, the trace into a full disk or a closed pipe)
# stops the run with status 1 and one line, leaving no partial frame; a bad argument is named
# (status 2, then the usage).
set -u
headless=$1 tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# expect STATUS PATTERN COMMAND...: the command ends with STATUS, its first error line matching
# PATTERN (status 2: then the usage; status 1: that one line alone).
expect() {
  want=$1 pattern=$2
  shift 2
  "$@" >/dev/null 2>"$tmp/err"
  status=$?
  [ "$status" = "$want" ] && head -n 1 "$tmp/err" | grep -q -E -- "$pattern" &&
    if [ "$want" = 2 ]; then grep -q '^usage:' "$tmp/err"; else [ "$(wc -l <"$tmp/err")" = 1 ]; fi ||
    { echo "'$*': status $status"; cat "$tmp/err"; exit 1; }
}
# limited BLOCKS COMMAND...: the command with files limited to BLOCKS; a write past it fails.
limited() { blocks=$1; shift; (trap '' XFSZ; ulimit -f "$blocks"; exec "$@"); }
# closed_pipe COMMAND...: the command, SIGPIPE ignored, writing into a pipe closed at once.
closed_pipe() { { (trap '' PIPE; exec "$@" 2>&3; ); echo $? >"$tmp/status"; } 3>&2 | true; return "$(cat "$tmp/status")"; }

mkdir "$tmp/frames" "$tmp/small"
"$headless" --seed 3 --n 5 --type 2 --size 640x480 --scale 1.5 --trace --frames "$tmp/frames" >"$tmp/trace"
[ "$(file -b "$tmp/frames/frame-000007.png" | cut -d, -f2)" = " 960 x 720" ] || { echo "frame size"; exit 1; }
# Each frame listed once, an improvement's held 200 ms, the others 33.
listed=$(awk '$2 == 200 { h++ } $2 == 33 || $2 == 200 { n++ } END { print n + 0, h + 0 }' "$tmp/frames/frames.txt")
[ "$listed" = "$(find "$tmp/frames" -name 'frame-*.png' | wc -l) $(grep -c '^improve' "$tmp/trace")" ] || { echo "frames.txt: $listed"; exit 1; }
expect 1 "cannot write $tmp/missing/frame-000001.png: No such file" "$headless" --seed 3 --n 5 --frames "$tmp/missing"
expect 1 "cannot write $tmp/small/frame-000004.png: File too large" limited 8 "$headless" --seed 3 --n 5 --size 640x480 --frames "$tmp/small"
[ ! -e "$tmp/small/frame-000004.png" ] || { echo "a partial frame is left"; exit 1; }
expect 1 "cannot write the trace: No space left" sh -c "exec '$headless' --seed 3 --trace >/dev/full"
expect 1 "cannot write the trace: Broken pipe" closed_pipe "$headless" --seed 3 --problems 1000 --trace
for bad in "--problems 0" "--size 319x240" "--size 800" "--scale 9" "--type 4" "--seed -1" \
    "--seed" "--frobnicate" "--help --n 4" "--size 16384x16384 --scale 8 --frames $tmp"; do
  # shellcheck disable=SC2086
  expect 2 "${bad%% *}" "$headless" $bad
done
"$headless" --help | grep -q '^usage: rovanel-headless' && "$headless" --version | grep -q '^rovanel-headless [0-9]'
