#!/bin/sh
# rovanel-headless: frames are PNG files, and a write that fails stops the run (status 1); bad
# arguments are named (status 2).
set -eu
headless=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

mkdir "$tmp/frames"
"$headless" --seed 3 --n 5 --type 2 --size 640x480 --scale 1.5 --frames "$tmp/frames" >/dev/null
[ "$(file -b "$tmp/frames/frame-000007.png" | cut -d, -f2)" = " 960 x 720" ]
for frames in missing full; do
  [ $frames = missing ] || { mkdir "$tmp/full"; ln -s /dev/full "$tmp/full/frame-000001.png"; }
  status=0
  "$headless" --seed 3 --n 5 --frames "$tmp/$frames" >/dev/null 2>"$tmp/err" || status=$?
  [ "$status" -eq 1 ] && grep -q -E "cannot write $tmp/$frames/frame-000001.png: (No such file|No space)" "$tmp/err"
done

for bad in "--problems 0" "--size 319x240" "--size 800" "--scale 9" "--type 4" "--seed -1" \
    "--seed" "--frobnicate" "--help --n 4"; do
  status=0
  # shellcheck disable=SC2086
  "$headless" $bad >/dev/null 2>"$tmp/err" || status=$?
  [ "$status" -eq 2 ] && grep -q "usage:" "$tmp/err" && head -n 1 "$tmp/err" | grep -q -- "${bad%% *}" ||
    { echo "'$bad': status $status"; cat "$tmp/err"; exit 1; }
done
"$headless" --help | grep -q '^usage: rovanel-headless'
"$headless" --version | grep -q '^rovanel-headless [0-9]'
echo ok
