# Shared helpers of the end-to-end tests (POSIX sh): source it, call e2e_init. Every process
# started here is stopped by its process id in e2e_cleanup.

e2e_init() {
  E2E_TMP=$(mktemp -d)
  E2E_PIDS=""
  E2E_FAILURES=0
  trap e2e_cleanup EXIT
  trap 'exit 130' INT TERM
}
e2e_cleanup() {
  for pid in $E2E_PIDS; do kill "$pid" 2>/dev/null || true; done
  for pid in $E2E_PIDS; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$E2E_TMP"
}
# spawn VAR COMMAND...: runs the command in the background, to be stopped at the end; VAR: its id.
spawn() { sp_var=$1; shift; "$@" & eval "$sp_var=\$!"; E2E_PIDS="$E2E_PIDS $!"; }

# x_server PROGRAM ARGS...: an X server on a free display, keeping its settings when its last
# client leaves; sets DISPLAY and X_PID once it answers.
x_server() {
  n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  export DISPLAY=":$n"
  x_server_name=$1
  shift
  spawn X_PID "$x_server_name" "$DISPLAY" "$@" -nolisten tcp -noreset >"$E2E_TMP/$x_server_name.log" 2>&1
  poll 10 quiet xdpyinfo || { echo "no X server on $DISPLAY"; cat "$E2E_TMP/$x_server_name.log"; return 1; }
}
xvfb_start() { x_server Xvfb -screen 0 "${1:-1024x768}x24"; }
# xorg_start LAYOUT: Xorg's dummy driver with two monitors that XScreenSaver and Wine believe
# (unlike Xvfb's screens): the 800x600 one right or left of the primary 1024x768 one.
xorg_start() {
  printf '%s\n' 'Section "ServerFlags"' 'Option "AutoAddDevices" "false"' EndSection \
    'Section "Device"' 'Identifier "dummy"' 'Driver "dummy"' 'VideoRam 256000' EndSection \
    'Section "Screen"' 'Identifier "screen"' 'Device "dummy"' 'SubSection "Display"' \
    'Virtual 2048 768' EndSubSection EndSection >"$E2E_TMP/xorg.conf"
  x_server Xorg -config "$E2E_TMP/xorg.conf" -logfile "$E2E_TMP/xorg.log" -sharevts -novtswitch &&
    xrandr --newmode 800x600_60 38.25 800 832 912 1024 600 603 607 624 -hsync +vsync &&
    xrandr --addmode DUMMY1 800x600_60 && xorg_layout "$1"
}
# Puts the second monitor right or left of the primary, and lets the change settle.
xorg_layout() { xrandr --output DUMMY1 --mode 800x600_60 "--$1-of" DUMMY0 --output DUMMY0 --primary && sleep 1; }
# The monitors as WxH+X+Y, one a line.
monitors() { xrandr --listmonitors | awk 'NR > 1 { g = $3; gsub(/\/[0-9]+/, "", g); print g }'; }

# The real XScreenSaver daemon starts no hack as root: it runs as this user, who may pass through
# the test's temp dir to its HOME there.
XSS_USER=rovanel-test
xss_user() {
  chmod 711 "$E2E_TMP"
  id "$XSS_USER" >/dev/null 2>&1 || useradd --system --no-create-home --shell /usr/sbin/nologin "$XSS_USER"
}
# Replaces the shell with a command run as that user, with VAR=VALUE arguments added to its
# environment.
xss_exec() {
  exec setpriv --reuid="$XSS_USER" --regid="$XSS_USER" --clear-groups \
    env -i HOME="${XSS_HOME:-/}" DISPLAY="${DISPLAY:-}" PATH="${XSS_HOME:-/}:/usr/bin:/bin" LANG=C.UTF-8 "$@"
}
# xss_start HACK ARGS...: the daemon, blanking only when asked, with HACK as its only program,
# found by name in PATH (its own hacks come first there); sets XSS_PID.
xss_start() {
  xss_user || return 1
  XSS_HOME=$E2E_TMP/xss
  XSS_HACK=$(basename "$1")
  mkdir -p "$XSS_HOME"
  cp "$1" "$XSS_HOME/"
  shift
  printf '%s\n' "mode: one" "selected: 0" "timeout: 1:00:00" "cycle: 1:00:00" "lock: False" \
    "fade: False" "unfade: False" "splash: False" "dpmsEnabled: False" \
    "grabDesktopImages: False" "programs: $XSS_HACK $*" >"$XSS_HOME/.xscreensaver"
  chown -R "$XSS_USER:" "$XSS_HOME"
  xhost "+si:localuser:$XSS_USER" >/dev/null
  spawn XSS_PID xss_exec xscreensaver -no-splash -verbose >"$E2E_TMP/xss.log" 2>&1
  poll 10 quiet xss_command -time || { echo "xscreensaver did not start"; cat "$E2E_TMP/xss.log"; return 1; }
}
xss_command() { (xss_exec xscreensaver-command "$@"); }
# The running hacks (ended ones may linger as zombies).
xss_hacks() { ps -u "$XSS_USER" -o pid=,stat=,comm= | awk -v h="$XSS_HACK" '$2 !~ /^Z/ && $3 == h { print $1 }'; }

# A headless sway, run as $XSS_USER (it refuses root) with a private runtime directory: two
# outputs, OUTPUT1 1024x768 and OUTPUT2 800x600 right of it. sway_start nested: the same sway on
# the outputs of a headless host sway, so that an output can also be unplugged (headless sway
# 1.7 cannot remove one). Exports WAYLAND_DISPLAY (a path: root's clients need no runtime
# directory of their own) and SWAYSOCK; sets SWAY_PID.
sway_start() {
  xss_user || return 1
  if [ "${1:-}" = nested ]; then
    printf '%s\n' 'xwayland disable' 'output HEADLESS-1 mode 1824x768' \
      'for_window [app_id="wlroots"] floating enable, border none, move position 0 0' \
      'for_window [title="^wlroots - WL-2$"] move position 1024 0' >"$E2E_TMP/host.conf"
    sway_run host WLR_BACKENDS=headless || return 1
    SWAY_HOST_SOCK=$SWAYSOCK OUTPUT1=WL-1 OUTPUT2=WL-2
    sway_config nested
    sway_run nested WLR_BACKENDS=wayland WLR_WL_OUTPUTS=2 WAYLAND_DISPLAY="$WAYLAND_DISPLAY" || return 1
  else
    OUTPUT1=HEADLESS-1 OUTPUT2=HEADLESS-2
    sway_config sway
    sway_run sway WLR_BACKENDS=headless && quiet swaymsg create_output || return 1
  fi
  poll 5 outputs_are 2 || { echo "sway has not two outputs"; return 1; }
}
sway_config() {
  printf '%s\n' 'xwayland disable' "output $OUTPUT1 mode 1024x768 position 0 0" \
    "output $OUTPUT2 mode 800x600 position 1024 0" >"$E2E_TMP/$1.conf"
}
# sway_run NAME ENV...: sway with the config $E2E_TMP/NAME.conf, once it answers.
sway_run() {
  sr_dir=$E2E_TMP/$1
  shift
  mkdir -m 700 "$sr_dir" && chown "$XSS_USER:" "$sr_dir" || return 1
  spawn SWAY_PID xss_exec XDG_RUNTIME_DIR="$sr_dir" WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 "$@" \
    sway -c "$sr_dir.conf" >"$sr_dir.log" 2>&1
  SWAYSOCK="$sr_dir/sway-ipc.$(id -u "$XSS_USER").$SWAY_PID.sock"
  export WAYLAND_DISPLAY="$sr_dir/wayland-1" SWAYSOCK
  poll 10 sway_up || { echo "sway did not start"; cat "$sr_dir.log"; return 1; }
}
sway_up() { [ -S "$WAYLAND_DISPLAY" ] && quiet swaymsg -t get_version; }
# The active outputs' names, one a line.
wl_outputs() { swaymsg -t get_outputs | jq -r '.[] | select(.active) | .name'; }
outputs_are() { [ "$(wl_outputs | wc -l)" = "$1" ]; }
# wtype presses a key on a keyboard of its own, made for it; the pause lets the focused client
# take that keyboard first.
wl_key() { wtype -s 100 x; }
# A mouse plugged in from now on ($WLPOINTER, fed through a fifo): wl_move X Y to that point of
# the layout in logical pixels (the layout's bounds, which outputs and scales change, asked
# each time), wl_click, wl_wheel.
pointer_start() {
  mkfifo "$E2E_TMP/pointer"
  spawn POINTER_PID sh -c 'exec "$0" <"$1"' "$WLPOINTER" "$E2E_TMP/pointer"
  exec 8>"$E2E_TMP/pointer"
}
wl_move() {
  # shellcheck disable=SC2046
  set -- "$1" "$2" $(swaymsg -t get_tree | jq -r '.rect | "\(.x) \(.y) \(.width) \(.height)"')
  echo "move $(($1 - $3)) $(($2 - $4)) $5 $6" >&8
}
wl_click() { echo click >&8; }
wl_wheel() { echo wheel >&8; }

shot() { import -window root "$1"; }
# Pixels of colour RRGGBB (not black) in region WxH+X+Y of a screenshot.
count_colour() {
  convert "$1" -crop "$2" +repage -fill black +opaque "#$3" -fill white -opaque "#$3" \
    -format '%[fx:round(mean*w*h)]' info:
}
# Pixels that are not black outside the rectangle WxH+X+Y.
pixels_outside() {
  # shellcheck disable=SC2046
  set -- "$1" $(echo "$2" | tr 'x+' '  ')
  convert "$1" -fill black -draw "rectangle $4,$5 $(($4 + $2 - 1)),$(($5 + $3 - 1))" \
    -fill white +opaque black -format '%[fx:round(mean*w*h)]' info:
}
# A green tour (50 pixels or more) in region WxH+X+Y of screenshot $1.
has_tour() { [ "$(count_colour "$1" "$2" 00FF00)" -ge 50 ]; }
# frame_ok FILE WxH+X+Y SCALE: a frame at SCALE in that monitor and nothing outside it: a green
# tour, the red scale bar in its corner, the white status text at the top left.
frame_ok() {
  w=${2%%x*} s=$3 x=${2#*+}
  x=${x%+*}
  has_tour "$1" "$2" && at_least "$(count_colour "$1" "$((510 * s))x$((25 * s))+$x+0" FFFFFF)" $((60 * s)) \
    "$(count_colour "$1" "$((200 * s))x$((60 * s))+$((x + w - 200 * s))+$((22 * s))" FF0000)" $((101 * s)) &&
    [ "$(pixels_outside "$1" "$2")" = 0 ]
}
# readable FILE REGION...: each region WxH+X+Y shows dark text, its glyphs (cut at empty columns)
# of many shapes: boxes for missing glyphs would be one shape again and again.
readable() {
  rd_file=$1
  shift
  [ $# -gt 0 ] || return 1
  for region; do
    # shellcheck disable=SC2046
    set -- $(convert "$rd_file" -crop "$region" +repage -colorspace gray -threshold 50% -compress none pbm:- |
      awk 'NR == 1 { next } { for (i = 1; i <= NF; i++) t[n++] = $i }
        END { w = t[0]; h = t[1]; k = 2
          for (y = 0; y < h; y++) for (x = 0; x < w; x++) col[x] += t[k++]
          for (x = 0; x <= w; x++) {
            if (x < w && col[x] > 0) { run++; sum += col[x]; continue }
            if (run > 0) { glyphs++; if (++seen[run ":" sum] > top) top = seen[run ":" sum] }
            run = 0; sum = 0 }
          print glyphs + 0, (glyphs ? int(100 * top / glyphs) : 100) }')
    [ "$1" -ge 3 ] && [ "$2" -lt 40 ] || { echo "  text at $region: $1 glyphs, $2% of one shape"; return 1; }
  done
}
# in_window X Y WxH [CLIENT]: the region WxH at X,Y of window WIN, on the screen; given the size
# of its client area (WxH), X and Y lie in that area, inside the frame that Wine draws around it.
in_window() {
  xwininfo -id "$WIN" | awk -v x="$1" -v y="$2" -v r="$3" -v c="${4:-0x0}" '/Absolute upper-left X/ { x += $4 }
    /Absolute upper-left Y/ { y += $4 } /Width:/ { w = $2 } /Height:/ { h = $2 }
    END { split(c, cs, "x"); b = cs[1] ? (w - cs[1]) / 2 : 0; print r "+" x + b "+" y + (cs[2] ? h - cs[2] - b : 0) }'
}
# dialog_readable FILE DPI: the settings dialog (WIN) shows its labels' texts where they lie at DPI.
dialog_readable() {
  d=$2 c=$((340 * $2 / 96))x$((246 * $2 / 96))
  readable "$1" "$(in_window $((56 * d / 96)) $((8 * d / 96)) $((185 * d / 96))x$((30 * d / 96)) $c)" \
    "$(in_window $((104 * d / 96)) $((88 * d / 96)) $((169 * d / 96))x$((25 * d / 96)) $c)" \
    "$(in_window $((144 * d / 96)) $((136 * d / 96)) $((121 * d / 96))x$((25 * d / 96)) $c)"
}
# at_least N MIN [N MIN ...]
at_least() { while [ $# -ge 2 ]; do [ "$1" -ge "$2" ] || return 1; shift 2; done; }

# Milliseconds since the epoch.
now_ms() { date +%s%3N; }
# poll SECONDS COMMAND...: runs the command until it succeeds, for up to SECONDS.
poll() {
  poll_end=$(($(now_ms) + $1 * 1000))
  shift
  until "$@"; do
    [ "$(now_ms)" -lt "$poll_end" ] || return 1
    sleep 0.02
  done
}
# Waits up to $2 seconds (default 10) for child $1 to end; STATUS: its status, or "running". Not
# in $(...): only this shell can reap its children.
wait_status() {
  STATUS=running
  poll "${2:-10}" eval "! kill -0 $1 2>/dev/null" || return 0
  STATUS=0
  wait "$1" 2>/dev/null || STATUS=$?
}
# ends_within PID MS COMMAND...: the command (input, a signal) ends PID with status 0 within MS;
# sets DELAY and STATUS, and stops PID if it runs on for 10 s.
ends_within() {
  ew_pid=$1 ew_bound=$2
  shift 2
  ew_t0=$(now_ms)
  "$@"
  wait_status "$ew_pid" 10
  DELAY=$(($(now_ms) - ew_t0))
  [ "$STATUS" != running ] || kill "$ew_pid"
  [ "$STATUS" = 0 ] && [ "$DELAY" -le "$ew_bound" ]
}
# wait_window TITLE [SECONDS [PID]]: waits for a visible window so titled (of PID); sets WIN.
wait_window() { poll "${2:-10}" find_window "$1" "${3:-}"; }
find_window() { WIN=$(xdotool search --all --onlyvisible ${2:+--pid "$2"} --name "^$1\$" 2>/dev/null | head -n 1) && [ -n "$WIN" ]; }
# ends_at_once WHAT [SECONDS]: PID ends by itself with status 0 within SECONDS (default 2).
ends_at_once() { wait_status "$PID" "${2:-2}"; check "$1 ends at once ($STATUS)" [ "$STATUS" = 0 ]; }
# ends_by WHAT COMMAND...: checks that the command (input, a signal) ends PID with status 0
# within 500 ms; DELAYS gathers the delays.
ends_by() {
  eb_what=$1
  shift
  ends_within "$PID" 500 "$@"
  check "$eb_what ends it ($STATUS, $DELAY ms)" [ $? = 0 ]
  DELAYS="${DELAYS:-} $DELAY"
}
# The trace in OUT so far (ROVANEL_TRACE, seed 319; carriage returns left out) is the start of
# that of rovanel-headless ($HEADLESS) at size $1.
same_run() {
  tr -d '\r' <"$OUT" | head -n "$(wc -l <"$OUT")" >"$E2E_TMP/trace"  # it goes on writing
  [ -s "$E2E_TMP/trace" ] && "$HEADLESS" --seed 319 --size "$1" --problems 99 --trace |
    head -n "$(wc -l <"$E2E_TMP/trace")" | cmp -s - "$E2E_TMP/trace"
}
quiet() { "$@" >>"$E2E_TMP/quiet.log" 2>&1; }

# saver_contract FACE SIZE: what every saver face does, driven through the face's own functions:
#   face_start ARGS...  starts the program in the background, its stdout in OUT; sets PID
#   face_shown FILE     the show is on screen: a tour in the show's monitor of screenshot FILE
#   face_first_move     the pointer's first move, which only records (nothing where the window's
#                       appearance makes one, as under Wine)
#   face_move, face_key, face_click, face_wheel     input that ends the show
#   face_dialog FILE, face_message FILE the dialog or the message box is up and its texts are
#                       readable in screenshot FILE
#   face_close          OK in the dialog or the message box
# SIZE: the show's size in pixels; START_SECONDS: how long a start may take (default 10).
saver_contract() {
  sc_face=$1 sc_wait=${START_SECONDS:-10}
  ROVANEL_SEED=319 ROVANEL_TRACE=1 face_start /s
  check "$sc_face: the show" poll "$sc_wait" face_shown "$SHOTS/$sc_face-show.png"
  check "$sc_face: the same run as rovanel-headless at $2" same_run "$2"
  face_first_move
  sleep 1
  check "$sc_face: the first move only records" kill -0 "$PID"
  ends_by "$sc_face: a move" face_move
  for input in key click wheel; do
    face_start /s
    poll "$sc_wait" face_shown "$E2E_TMP/shown.png"
    ends_by "$sc_face: a $input" "face_$input"
  done
  face_start /s
  sc_first=$PID
  poll "$sc_wait" face_shown "$E2E_TMP/shown.png"
  for args in /s /c /a ""; do
    # shellcheck disable=SC2086
    face_start $args
    ends_at_once "$sc_face: beside a saver, a second one, '$args'," "$sc_wait"
  done
  PID=$sc_first
  ends_by "$sc_face: then a key" face_key
  for what in dialog:/c message:/a; do
    face_start "${what#*:}"
    check "$sc_face: the ${what%:*}'s texts" poll "$sc_wait" "face_${what%:*}" "$SHOTS/$sc_face-${what%:*}.png"
    ends_by "$sc_face: the ${what%:*}, OK" face_close
  done
}

fail() { echo "FAIL $*"; E2E_FAILURES=$((E2E_FAILURES + 1)); }
check() { desc=$1; shift; if "$@"; then echo "ok   $desc"; else fail "$desc"; fi; }
e2e_finish() { [ "$E2E_FAILURES" -eq 0 ] || { echo "$E2E_FAILURES failed"; exit 1; }; }
