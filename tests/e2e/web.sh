#!/bin/sh
# The page end to end in one headless Chromium run, driven through puppeteer-core (web/drive.mjs):
# ?seed=77&trace replays rovanel-headless's run at one and two device pixels a pixel, the canvas
# holds the module's buffer and the buffer the frame drawn whole (the tests' module, which checks
# its frames), the frame's colours and line widths, the seeds it refuses, every kind of input, a
# resized window; the shipped page replays the same run and carries no test hooks; the page as an
# installable app that a reload shows again, the same run, once the web server is gone.
#   web.sh SITE CHECKS HEADLESS   SITE: the page's folder (build/wasm/site), CHECKS: the tests'
#                                 module's (build/wasm/checks); screenshots in $E2E_SHOTS
# Needs chromium, python3, node and the driver's packages (npm ci --prefix tests/e2e/web).
set -u
[ $# -eq 3 ] || { echo "usage: web.sh SITE CHECKS HEADLESS" >&2; exit 2; }
SITE=$(realpath "$1") CHECKS=$(realpath "$2") HEADLESS=$(realpath "$3") DRIVER=$(dirname "$0")/web
. "$(dirname "$0")/lib.sh"
e2e_init
SHOTS=${E2E_SHOTS:-/tmp/rovanel-e2e}
mkdir -p "$SHOTS"
rm -f "$SHOTS"/web-*.txt "$SHOTS"/site-*.txt  # the traces of an earlier run
[ -d "$DRIVER/node_modules/puppeteer-core" ] || { echo "first: npm ci --prefix $DRIVER"; exit 1; }

mkdir "$E2E_TMP/www"
ln -s "$SITE" "$E2E_TMP/www/site"
ln -s "$CHECKS" "$E2E_TMP/www/checks"
spawn SERVER python3 -u -m http.server --bind 127.0.0.1 0 --directory "$E2E_TMP/www" >"$E2E_TMP/http.log" 2>&1
poll 10 grep -q ' port ' "$E2E_TMP/http.log" || { echo "no web server"; cat "$E2E_TMP/http.log"; exit 1; }
port=$(sed -n 's/.* port \([0-9]*\) .*/\1/p' "$E2E_TMP/http.log")
node "$DRIVER/drive.mjs" "http://127.0.0.1:$port/" "$SHOTS" "$SERVER" >"$E2E_TMP/results" 2>"$E2E_TMP/driver.log" ||
  fail "the driver: $(tail -n 5 "$E2E_TMP/driver.log")"
# What the driver measured as $1.
value() { awk -v k="$1" '$1 == k { $1 = ""; print substr($0, 2) }' "$E2E_TMP/results"; }
# The frames checked as $1 (at least $2): no pixel differing, canvas from buffer or buffer from
# the frame drawn whole.
frames_ok() { at_least "$(value "$1-checked")" "$2" && [ "$(value "$1-differing")" = none ]; }
# Input $1 ended the show within 500 ms, no frame came after, the window was left cleared.
ended() { [ "$(value "$1-delay")" -le 500 ] && [ "$(value "$1-frames-after")$(value "$1-lit")" = 00 ]; }
# A frame with the tour, the status text and the scale bar (frame_ok), and both end marks.
colours() { frame_ok "$1" 1024x768+0+0 1 && at_least "$(count_colour "$1" 1024x768+0+0 ffff00)" 60; }
# ?seed=$2 refused as the command line refuses it, quoted as typed, the message within the page.
refused() {
  [ "$(value "seed-$1")" = "fits: Rovanel cannot run: ?seed: expected a whole number from 0 to 4294967295, got '$2'" ]
}
goes_on() { [ "$(value resized-state)" = running ] && frames_ok resized 10; }

echo "# ?seed=77&trace at 1024x768, at one and two device pixels a pixel"
"$HEADLESS" --seed 77 --size 1024x768 --trace >"$E2E_TMP/headless"
for ratio in 1 2; do
  check "x$ratio: rovanel-headless's trace" cmp -s "$E2E_TMP/headless" "$SHOTS/web-${ratio}x.txt"
  check "x$ratio: $(value "web-${ratio}x-checked") frames, the canvas the buffer, the buffer the frame drawn whole" \
    frames_ok "web-${ratio}x" 30
  # A column through the middle of the scale bar, wherever it lies, crosses $ratio red pixels.
  check "x$ratio: the scale bar $ratio device pixels thick" \
    [ "$(count_colour "$SHOTS/web-${ratio}x.png" "1x400+$((899 * ratio))+0" ff0000)" = "$ratio" ]
done
check "the shipped page: rovanel-headless's trace" cmp -s "$E2E_TMP/headless" "$SHOTS/site-1x.txt"

echo "# seeds refused; seed 1, a problem of type 3: the frame, input, a resized window"
for seed in "empty:" 'nul:5\x00abc' "circled:⑤x" "long:$(printf '%040d' 0 | tr 0 9)…" "big:4294967296"; do
  check "?seed, ${seed%%:*}: refused, quoted as typed, within the page" refused "${seed%%:*}" "${seed#*:}"
done
check "the shipped page has no test hooks" [ "$(value hooks)" = 0 ]
check "the tour, the status text, the scale bar and both end marks in their colours" \
  colours "$SHOTS/web-frame.png"
check "the first move only records" [ "$(value first-move)" = running ]
for input in move key click wheel; do
  check "a $input ends it ($(value $input-delay) ms), no frame after it, the window cleared" ended $input
done
check "resized to 800x600: it goes on, ten frames checked" goes_on

echo "# the page as an app: installable, its favicons; with the server stopped, a reload of ?seed=77&trace"
check "Chromium finds nothing that keeps it from offering to install the page: $(value installability-errors)" \
  [ "$(value installability-errors)" = "[]" ]
check "favicons of 16 and 32 pixels" [ "$(value favicons)" = 16x16,32x32 ]
check "offline: rovanel-headless's trace" cmp -s "$E2E_TMP/headless" "$SHOTS/web-offline.txt"
check "offline: $(value web-offline-checked) frames, the canvas the buffer, the buffer the frame drawn whole" \
  frames_ok web-offline 30
check "no errors on the page" [ -z "$(value page-error)" ]
echo "input-to-end delays (ms): $(value move-delay) $(value key-delay) $(value click-delay)"
e2e_finish
