#!/bin/sh
# rovanel-headless: frames are PNG files of the scaled size; a write that fails stops the run
# (status 1, naming the file); a bad argument is named (status 2, then the usage).
set -u
headless=$1 tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# expect STATUS PATTERN ARGUMENTS...: the run ends with STATUS, its first error line matching PATTERN.
expect() {
  want=$1 pattern=$2
  shift 2
  "$headless" "$@" >/dev/null 2>"$tmp/err"
  status=$?
  [ "$status" = "$want" ] && head -n 1 "$tmp/err" | grep -q -E -- "$pattern" &&
    { [ "$want" != 2 ] || grep -q '^usage:' "$tmp/err"; } || { echo "'$*': status $status"; cat "$tmp/err"; exit 1; }
}

mkdir "$tmp/frames" "$tmp/full"
"$headless" --seed 3 --n 5 --type 2 --size 640x480 --scale 1.5 --frames "$tmp/frames" >/dev/null
[ "$(file -b "$tmp/frames/frame-000007.png" | cut -d, -f2)" = " 960 x 720" ] || { echo "frame size"; exit 1; }
ln -s /dev/full "$tmp/full/frame-000001.png"
for dir in missing full; do
  expect 1 "cannot write $tmp/$dir/frame-000001.png: (No such file|No space)" --seed 3 --n 5 --frames "$tmp/$dir"
done
for bad in "--problems 0" "--size 319x240" "--size 800" "--scale 9" "--type 4" "--seed -1" \
    "--seed" "--frobnicate" "--help --n 4"; do
  # shellcheck disable=SC2086
  expect 2 "${bad%% *}" $bad
done
"$headless" --help | grep -q '^usage: rovanel-headless' && "$headless" --version | grep -q '^rovanel-headless [0-9]'
