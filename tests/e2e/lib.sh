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
  x_display
  Xvfb "$DISPLAY" -screen 0 "${1:-1024x768}x24" -nolisten tcp -noreset >"$E2E_TMP/xvfb.log" 2>&1 &
  XVFB_PID=$!
  e2e_track "$XVFB_PID"
  x_wait "$E2E_TMP/xvfb.log"
}

# xorg_start [LAYOUT]: starts a private Xorg with the dummy driver and two monitors, the
# 1024x768 one primary; sets DISPLAY and XORG_PID. LAYOUT "right" (default): the 800x600 monitor
# right of the primary (1024x768+0+0, 800x600+1024+0); "left": left of it (800x600+0+0,
# 1024x768+800+0).
# Xvfb's screens are not monitors that XScreenSaver or Wine believe; these are RandR outputs.
xorg_start() {
  x_display
  # No input devices of the machine; -sharevts: no console switch.
  cat >"$E2E_TMP/xorg.conf" <<'EOF'
Section "ServerFlags"
  Option "AutoAddDevices" "false"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 256000
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  SubSection "Display"
    Virtual 2048 768
  EndSubSection
EndSection
EOF
  Xorg "$DISPLAY" -config "$E2E_TMP/xorg.conf" -logfile "$E2E_TMP/xorg.log" -noreset -nolisten tcp \
    -sharevts -novtswitch >"$E2E_TMP/xorg.out" 2>&1 &
  XORG_PID=$!
  e2e_track "$XORG_PID"
  x_wait "$E2E_TMP/xorg.out" || return 1
  xrandr --newmode 800x600_60 38.25 800 832 912 1024 600 603 607 624 -hsync +vsync &&
    xrandr --addmode DUMMY1 800x600_60 && xorg_layout "${1:-right}"
}

# Moves the second monitor to the right or left of the primary; clients that follow RandR (the
# XScreenSaver daemon, Wine) see the change.
xorg_layout() {
  xrandr --output DUMMY1 --mode 800x600_60 "--$1-of" DUMMY0 --output DUMMY0 --primary
}

# The monitors as WxH+X+Y, one a line, in the server's order (the primary is marked in xrandr's
# list, not here).
monitors() { xrandr --listmonitors | awk 'NR > 1 { g = $3; gsub(/\/[0-9]+/, "", g); print g }'; }

# Picks a free display number and sets DISPLAY.
x_display() {
  n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  DISPLAY=":$n"
  export DISPLAY
}

# Waits up to 10 s for the server on DISPLAY to answer; else shows its log $1.
x_wait() {
  tries=0
  until xdpyinfo >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ "$tries" -lt 100 ] || { echo "no X server on $DISPLAY"; cat "$1"; return 1; }
    sleep 0.1
  done
}

# The real XScreenSaver daemon on DISPLAY. It will not start hacks as root, so it runs as an
# unprivileged user with its own HOME in the test's temp dir; one user for all tests: its
# processes are the daemon's.
XSS_USER=rovanel-test

# Replaces the shell with a command run as that user, in the daemon's environment (call it in a
# subshell or in the background: then $! is the command's id).
xss_exec() {
  exec setpriv --reuid="$XSS_USER" --regid="$XSS_USER" --clear-groups \
    env -i HOME="$XSS_HOME" DISPLAY="$DISPLAY" PATH="$XSS_HOME:/usr/bin:/bin" LANG=C.UTF-8 "$@"
}

# xss_start HACK [ARGS...]: starts the daemon with a copy of program HACK (one the user can run)
# as its only program, found by name in PATH (a short name in its error box: "\"rovanel\"
# crashed with status 0"; the daemon puts its own hacks first in PATH), blanking only when
# asked; sets XSS_PID. XSS_RESOURCES may add lines to
# its settings (later lines win), e.g. "cycle: 0:00:05".
xss_start() {
  id "$XSS_USER" >/dev/null 2>&1 ||
    useradd --system --no-create-home --shell /usr/sbin/nologin "$XSS_USER" || return 1
  XSS_HOME=$E2E_TMP/xss
  mkdir -p "$XSS_HOME"
  chmod 711 "$E2E_TMP"  # the user reaches its HOME, nothing else
  XSS_HACK=$(basename "$1")
  cp "$1" "$XSS_HOME/"
  shift
  cat >"$XSS_HOME/.xscreensaver" <<EOF
mode: one
selected: 0
timeout: 1:00:00
cycle: 1:00:00
lock: False
fade: False
unfade: False
splash: False
dpmsEnabled: False
grabDesktopImages: False
${XSS_RESOURCES:-}
programs: $XSS_HACK $*
EOF
  chown -R "$XSS_USER:" "$XSS_HOME"
  xhost "+si:localuser:$XSS_USER" >/dev/null  # in case the server checks authorization
  xss_exec xscreensaver -no-splash -verbose >"$E2E_TMP/xss.log" 2>&1 &
  XSS_PID=$!
  e2e_track "$XSS_PID"
  tries=0
  until xss_command -time >/dev/null 2>&1; do
    tries=$((tries + 1))
    [ "$tries" -lt 100 ] || { echo "xscreensaver did not start"; cat "$E2E_TMP/xss.log"; return 1; }
    sleep 0.1
  done
}

# xss_command ARGS: xscreensaver-command as the daemon's user, e.g. -activate, -cycle.
xss_command() { (xss_exec xscreensaver-command "$@"); }

# The process ids of the running hacks (ended ones may linger as zombies until reaped).
xss_hacks() {
  ps -u "$XSS_USER" -o pid=,stat=,comm= |
    awk -v hack="$XSS_HACK" '$2 !~ /^Z/ && $3 == hack { print $1 }'
}

# Waits up to $1 seconds until no hack runs; false if some still do.
xss_no_hacks() {
  tries=0
  while [ -n "$(xss_hacks)" ]; do
    tries=$((tries + 1))
    [ "$tries" -lt $(($1 * 10)) ] || return 1
    sleep 0.1
  done
}

# Stops the daemon, which stops its hacks; stops by id any hack still running after 5 s and then
# is false.
xss_stop() {
  kill "$XSS_PID" 2>/dev/null
  wait "$XSS_PID" 2>/dev/null
  xss_no_hacks 5 && return 0
  for pid in $(xss_hacks); do kill "$pid"; done
  return 1
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
