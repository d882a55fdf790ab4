#!/bin/sh
# The page's cost against the native saver's, on the same seed and size: the CPU that every
# process of a headless Chromium showing the page (index.html?seed=319) takes over SECONDS
# (default 30) after 4 s, and that of rovanel --root (ROVANEL_SEED=319) with its X server (Xvfb)
# over the same time; both figures and their ratio, ROUNDS times (default 1), the two runs taking
# turns. --floor first measures the same browser on an empty page, on one with a timer 30 times
# a second, and on one that changes a pixel of a canvas of the window's size 10 times a second
# (the show's frames come about that often): what frames cost the browser however little they
# change.
#   page_load.sh [--floor] SITE ROVANEL [SECONDS [WxH [ROUNDS]]]
#     SITE: the page's folder (build/wasm/site); ROVANEL: the native saver; WxH: 1920x1080
# Target: the page at most twice the native saver at 1920x1080.
set -u
floor=""
[ "${1:-}" = --floor ] && { floor=yes; shift; }
[ $# -ge 2 ] || { echo "usage: page_load.sh [--floor] SITE ROVANEL [SECONDS [WxH [ROUNDS]]]" >&2; exit 2; }
SITE=$(realpath "$1") SAVER=$(realpath "$2") SECONDS_TO_RUN=${3:-30} SIZE=${4:-1920x1080} ROUNDS=${5:-1}
HERE=$(dirname "$0")
. "$HERE/../tests/e2e/lib.sh"
e2e_init
export NO_AT_BRIDGE=1 NODE_PATH
NODE_PATH=$(realpath "$HERE/../tests/e2e/web/node_modules")
unset XSCREENSAVER_WINDOW ROVANEL_SEED ROVANEL_SCALE ROVANEL_TRACE WAYLAND_DISPLAY
[ -d "$NODE_PATH/puppeteer-core" ] || { echo "first: npm ci --prefix $HERE/../tests/e2e/web"; exit 1; }
ticks=$(getconf CLK_TCK)

# "pid ticks" of process $1 and all its descendants, one a line.
tree_ticks() {
  for stat in /proc/[0-9]*/stat; do cat "$stat" 2>/dev/null; echo; done |
    awk -v root="$1" 'NF { q = $1; sub(/^.*\) /, ""); p[q] = $2; t[q] = $12 + $13 }
      END { for (q in p) { r = q; while (r in p && r != root) r = p[r]; if (r == root) print q, t[q] } }'
}
# The ticks between two tree_ticks listings; a process that came meanwhile counts from 0.
ticks_between() { awk 'NR == FNR { a[$1] = $2; next } { s += $2 - a[$1] } END { print s + 0 }' "$1" "$2"; }
seconds() { awk -v c="$1" -v hz="$ticks" 'BEGIN { printf "%.2f", c / hz }'; }
share() { awk -v c="$1" -v hz="$ticks" -v ms="$2" 'BEGIN { printf "%.1f%%", 100 * c / hz / (ms / 1000) }'; }

spawn SERVER python3 -u -m http.server --bind 127.0.0.1 0 --directory "$E2E_TMP" >"$E2E_TMP/http.log" 2>&1
poll 10 grep -q ' port ' "$E2E_TMP/http.log" || { echo "no web server"; cat "$E2E_TMP/http.log"; exit 1; }
port=$(sed -n 's/.* port \([0-9]*\) .*/\1/p' "$E2E_TMP/http.log")
ln -s "$SITE" "$E2E_TMP/site"
printf '%s\n' '<!doctype html><title>empty</title>' >"$E2E_TMP/empty.html"
printf '%s\n' '<!doctype html><title>timer</title><script>setInterval(() => {}, 33);</script>' \
  >"$E2E_TMP/timer.html"
cat >"$E2E_TMP/pixel.html" <<'EOF'
<!doctype html><title>pixel</title><body style="margin:0"><canvas></canvas><script>
const canvas = document.querySelector('canvas');
canvas.width = innerWidth;
canvas.height = innerHeight;
const context = canvas.getContext('2d', {alpha: false, desynchronized: true});
let shade = 0;
setInterval(() => {
  shade = (shade + 1) % 256;
  context.fillStyle = `rgb(${shade}, 0, 0)`;
  context.fillRect(0, 0, 1, 1);
}, 100);
</script>
EOF

# page PATH: the browser on that page; sets CPU (ticks) and MS.
page() {
  mkfifo "$E2E_TMP/hold"
  # shellcheck disable=SC2016
  spawn NODE sh -c 'exec node "$0" "$1" "$2" <"$3"' "$HERE/page_open.cjs" \
    "http://127.0.0.1:$port/$1" "$SIZE" "$E2E_TMP/hold" >"$E2E_TMP/browser"
  exec 9>"$E2E_TMP/hold"
  poll 30 grep -q '^browser ' "$E2E_TMP/browser" || { echo "the browser did not open"; exit 1; }
  browser=$(awk '{ print $2 }' "$E2E_TMP/browser")
  sleep 4
  tree_ticks "$browser" >"$E2E_TMP/t0"
  t0=$(now_ms)
  sleep "$SECONDS_TO_RUN"
  tree_ticks "$browser" >"$E2E_TMP/t1"
  MS=$(($(now_ms) - t0)) CPU=$(ticks_between "$E2E_TMP/t0" "$E2E_TMP/t1")
  exec 9>&-
  wait_status "$NODE" 10
  rm -f "$E2E_TMP/hold"
}

# The native saver on the root window of a private Xvfb of the same size; sets CPU and MS.
native() {
  xvfb_start "$SIZE"
  pid=""
  ROVANEL_SEED=319 spawn pid "$SAVER" --root
  sleep 4
  s0=$(awk '{ print $14 + $15 }' "/proc/$pid/stat") x0=$(awk '{ print $14 + $15 }' "/proc/$X_PID/stat")
  t0=$(now_ms)
  sleep "$SECONDS_TO_RUN"
  s1=$(awk '{ print $14 + $15 }' "/proc/$pid/stat") x1=$(awk '{ print $14 + $15 }' "/proc/$X_PID/stat")
  MS=$(($(now_ms) - t0)) CPU=$((s1 - s0 + x1 - x0))
  kill "$pid"
  wait_status "$pid" 5
  kill "$X_PID"
  wait_status "$X_PID" 5
}

report() { echo "$1: $(seconds "$CPU") s of CPU in $(seconds $((MS * ticks / 1000))) s, $(share "$CPU" "$MS") of a core"; }

echo "# $SIZE, seed 319, ${SECONDS_TO_RUN} s after 4 s"
if [ -n "$floor" ]; then
  page empty.html
  report "an empty page (every Chromium process)"
  page timer.html
  report "an empty page with a timer 30 times a second"
  page pixel.html
  report "a pixel of a canvas changed 10 times a second"
fi
round=0
while [ "$round" -lt "$ROUNDS" ]; do
  round=$((round + 1))
  page "site/index.html?seed=319"
  page_cpu=$CPU page_ms=$MS
  report "the page (every Chromium process)"
  native
  report "rovanel --root and Xvfb"
  echo "round $round: the page takes $(awk -v p="$page_cpu" -v pm="$page_ms" -v n="$CPU" -v nm="$MS" \
    'BEGIN { printf "%.2f", n ? (p / pm) / (n / nm) : 0 }') times the native saver's CPU"
done
