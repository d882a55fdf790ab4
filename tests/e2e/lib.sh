# Shared helpers of the end-to-end tests (POSIX sh). Source it; call e2e_init first.
# Every process started here is stopped by its process id in e2e_cleanup.

e2e_init() {
  E2E_TMP=$(mktemp -d)
  E2E_PIDS=""
  E2E_FAILURES=0
  trap e2e_cleanup EXIT
  trap 'exit 130' INT TERM
}

e2e_cleanup() {
  for pid in $E2E_PIDS; do
    kill "$pid" 2>/dev/null || true
  done
  for pid in $E2E_PIDS; do
    wait "$pid" 2>/dev/null || true
  done
  rm -rf "$E2E_TMP"
}

# Remembers a background process to stop at the end.
e2e_track() { E2E_PIDS="$E2E_PIDS $1"; }

# Starts a private Xvfb of the given size (default 1024x768) on a free display; sets DISPLAY
# and XVFB_PID. The server keeps its settings (xset) when its last client leaves.
xvfb_start() {
  size=${1:-1024x768}
  n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp -noreset >"$E2E_TMP/xvfb.log" 2>&1 &
  XVFB_PID=$!
  e2e_track "$XVFB_PID"
  DISPLAY=":$n"
  export DISPLAY
  tries=0
  until xdpyinfo >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ "$tries" -lt 100 ] || { echo "Xvfb did not start"; cat "$E2E_TMP/xvfb.log"; return 1; }
    sleep 0.1
  done
}

# Screenshot of the whole screen as PNG.
shot() { import -window root "$1"; }

# The colour of one pixel of a PNG as RRGGBB.
pixel() { convert "$1" -crop "1x1+$2+$3" +repage -format '%[hex:p{0,0}]' info: | cut -c1-6; }

# How many pixels of a region WxH+X+Y have the colour RRGGBB.
count_colour() {
  convert "$1" -crop "$2" +repage -fill black +opaque "#$3" -fill white -opaque "#$3" \
    -format '%[fx:round(mean*w*h)]' info:
}

# glyph_stats FILE WxH+X+Y [light]: the text in the region, cut into glyphs at empty columns.
# Prints the number of glyphs and the share (percent) of them that have the commonest shape:
# boxes drawn for missing glyphs give one shape again and again. Dark text on a light ground, or
# with "light" light text on a dark ground.
glyph_stats() {
  convert "$1" -crop "$2" +repage -colorspace gray ${3:+-negate} -threshold 50% \
    -compress none pbm:- |
    awk 'NR == 1 { next }
      { for (i = 1; i <= NF; i++) t[n++] = $i }
      END {
        w = t[0]; h = t[1]; k = 2
        for (y = 0; y < h; y++) for (x = 0; x < w; x++) col[x] += t[k++]
        for (x = 0; x <= w; x++) {
          if (x < w && col[x] > 0) { run++; sum += col[x]; continue }
          if (run > 0) { glyphs++; if (++seen[run ":" sum] > top) top = seen[run ":" sum] }
          run = 0; sum = 0
        }
        print glyphs + 0, (glyphs ? int(100 * top / glyphs) : 100)
      }'
}

# Milliseconds since the epoch.
now_ms() { date +%s%3N; }

# Waits up to $2 seconds (default 10) for process $1, a child of this shell, to end; sets
# STATUS to its exit status, or to "running" if it did not end. Call it directly, not in $(...):
# only this shell can reap its children, and until then an ended child still looks alive.
wait_status() {
  ws_limit=$(( ${2:-10} * 100 ))
  ws_i=0
  while kill -0 "$1" 2>/dev/null; do
    ws_i=$((ws_i + 1))
    if [ "$ws_i" -gt "$ws_limit" ]; then STATUS=running; return 0; fi
    sleep 0.01
  done
  STATUS=0
  wait "$1" 2>/dev/null || STATUS=$?
}

# ends_within PID MS COMMAND...: runs the command (input, a signal) and waits for process PID to
# end; sets DELAY (ms from the command to the end) and STATUS. True if it ended with status 0
# within MS; a process still running is stopped.
ends_within() {
  ew_pid=$1
  ew_bound=$2
  shift 2
  ew_t0=$(now_ms)
  "$@"
  wait_status "$ew_pid" 10
  DELAY=$(($(now_ms) - ew_t0))
  [ "$STATUS" != running ] || kill "$ew_pid"
  [ "$STATUS" = 0 ] && [ "$DELAY" -le "$ew_bound" ]
}

pass() { echo "ok   $*"; }
fail() { echo "FAIL $*"; E2E_FAILURES=$((E2E_FAILURES + 1)); }
check() { desc=$1; shift; if "$@"; then pass "$desc"; else fail "$desc"; fi; }
e2e_finish() { [ "$E2E_FAILURES" -eq 0 ] || { echo "$E2E_FAILURES failed"; exit 1; }; }
