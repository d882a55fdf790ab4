#!/bin/sh
# rovanel-headless: the same seed and size give the same trace; bad arguments exit with 2.
set -eu
headless=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

"$headless" --seed 7 --problems 2 --size 800x600 --trace >"$tmp/a"
"$headless" --seed 7 --problems 2 --size 800x600 --trace >"$tmp/b"
cmp "$tmp/a" "$tmp/b"
[ "$(grep -c '^problem ' "$tmp/a")" -eq 2 ]
grep -q '^improve 1 0 1 ' "$tmp/a"
# Every line is an improvement or a problem summary, in the documented form.
! grep -v -E '^(improve [0-9]+ [0-9]+ [0-9]+ [0-9.e+-]+|problem [0-9]+ n=[0-9]+ type=[0-3] counter2=[0-9]+ bestd=[0-9.e+-]+ hantei=[0-9]+)$' "$tmp/a"

# Another seed or size gives another run; a forced size and type are kept.
"$headless" --seed 9 --problems 2 --size 800x600 --trace >"$tmp/c"
! cmp -s "$tmp/a" "$tmp/c"
"$headless" --seed 5 --problems 1 --n 4 --type 3 --trace | grep -q '^problem 1 n=4 type=3 '

# Without a seed the clock's seed is printed, so the run can be replayed.
"$headless" --problems 1 --n 4 --trace >"$tmp/d" 2>"$tmp/seed"
seed=$(sed -n 's/^rovanel-headless: seed \([0-9]*\)$/\1/p' "$tmp/seed")
[ -n "$seed" ]
"$headless" --seed "$seed" --problems 1 --n 4 --trace | cmp - "$tmp/d"

# Frames: one PNG per repaint; a write that fails stops the run with a message and status 1.
mkdir "$tmp/frames"
"$headless" --seed 3 --n 5 --type 2 --size 640x480 --frames "$tmp/frames" --trace >"$tmp/e"
"$headless" --seed 3 --n 5 --type 2 --size 640x480 --trace | cmp - "$tmp/e"
count=$(find "$tmp/frames" -name 'frame-*.png' | wc -l)
[ "$count" -ge 7 ] || { echo "only $count frames"; exit 1; }
[ -s "$tmp/frames/frame-$(printf %06d "$count").png" ]
head -c 8 "$tmp/frames/frame-000001.png" | od -An -tx1 | grep -q '89 50 4e 47 0d 0a 1a 0a'

status=0
"$headless" --seed 3 --n 5 --frames "$tmp/missing" >/dev/null 2>"$tmp/err" || status=$?
[ "$status" -eq 1 ] || { echo "missing directory: status $status"; exit 1; }
grep -q "cannot write $tmp/missing/frame-000001.png: No such file or directory" "$tmp/err"

mkdir "$tmp/full"
ln -s /dev/full "$tmp/full/frame-000001.png"
status=0
"$headless" --seed 3 --n 5 --frames "$tmp/full" >/dev/null 2>"$tmp/err" || status=$?
[ "$status" -eq 1 ] || { echo "full disk: status $status"; exit 1; }
grep -q "frame-000001.png: No space left on device" "$tmp/err"

for bad in "--problems 0" "--size 319x240" "--size 800" "--n 3" "--type 4" "--seed -1" \
    "--seed" "--frobnicate" "--n 4x"; do
  status=0
  # shellcheck disable=SC2086
  "$headless" $bad >/dev/null 2>"$tmp/err" || status=$?
  [ "$status" -eq 2 ] || { echo "'$bad' exited with $status"; exit 1; }
  grep -q "usage:" "$tmp/err"
  [ "$(head -n 1 "$tmp/err" | grep -c -- "${bad%% *}")" -eq 1 ] || { echo "'$bad' not named"; cat "$tmp/err"; exit 1; }
done
echo ok
