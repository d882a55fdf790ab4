#!/bin/sh
# End-to-end tests of rovanel on X11, in a private Xvfb driven by xdotool: the argument matrix,
# the saver's frames and input, XScreenSaver embedding, a second instance, the dialogs and
# failures without a display.
#   x11.sh ROVANEL XPROBE        (or ROVANEL=... XPROBE=... x11.sh)
# Screenshots are kept in $E2E_SHOTS (default /tmp/rovanel-e2e) for a look.
set -u
ROVANEL=${1:-${ROVANEL:-}}
XPROBE=${2:-${XPROBE:-}}
[ -x "$ROVANEL" ] && [ -x "$XPROBE" ] || { echo "usage: x11.sh ROVANEL XPROBE"; exit 2; }
. "$(dirname "$0")/lib.sh"
e2e_init
SHOTS=${E2E_SHOTS:-/tmp/rovanel-e2e}
mkdir -p "$SHOTS"
export NO_AT_BRIDGE=1  # no accessibility bus in the private display
unset XSCREENSAVER_WINDOW ROVANEL_SEED

# Input-to-exit bound, and what was measured.
LIMIT_MS=500
DELAYS=""

# Starts rovanel with the given arguments in the background; sets PID.
start() {
  "$ROVANEL" "$@" 2>"$E2E_TMP/stderr" &
  PID=$!
  e2e_track "$PID"
}

# The visible windows of rovanel (the saver, a dialog or a message box).
windows() { xdotool search --onlyvisible --class '^rovanel$' 2>/dev/null; }

# Waits up to 10 s for a visible window of PID whose caption is $1; sets WIN. (The server may
# still list the windows of a process that has just ended.)
wait_window() {
  ww_i=0
  while [ "$ww_i" -lt 100 ]; do
    for WIN in $(xdotool search --all --onlyvisible --pid "$PID" --class '^rovanel$' 2>/dev/null); do
      [ "$(title "$WIN")" = "$1" ] && return 0
    done
    ww_i=$((ww_i + 1))
    sleep 0.1
  done
  WIN=""
  return 1
}

# The top left corner of window $1 on the screen: OX, OY.
window_origin() {
  eval "$(xwininfo -id "$1" | awk '/Absolute upper-left X/ { print "OX=" $4 }
                                   /Absolute upper-left Y/ { print "OY=" $4 }')"
}

title() { xprop -id "$1" _NET_WM_NAME 2>/dev/null | sed -n 's/^[^"]*"\(.*\)"$/\1/p'; }

# Runs a command (input or a signal) and expects PID to end with status 0 within LIMIT_MS of it.
ends_promptly() {
  ep_desc=$1
  shift
  if ends_within "$PID" "$LIMIT_MS" "$@"; then
    pass "$ep_desc ends it in $DELAY ms"
  else
    fail "$ep_desc: status $STATUS after $DELAY ms"
  fi
  DELAYS="$DELAYS
  $ep_desc: $DELAY ms"
}

# Expects PID to end by itself with status $2 within 2 s.
ends_with() {
  wait_status "$PID" 2
  check "$1 (status $STATUS)" [ "$STATUS" = "$2" ]
  [ "$STATUS" != running ] || kill "$PID"
}

still_running() { check "$1" kill -0 "$PID"; }

# Waits until the saver is on the screen and has drawn a tour; takes a screenshot to $1.
wait_frames() {
  wait_window 巡回セールスマン問題 || return 1
  wf_i=0
  while [ "$wf_i" -lt 40 ]; do
    shot "$1"
    [ "$(count_colour "$1" 1024x768+0+0 00ff00)" -ge 50 ] && return 0
    wf_i=$((wf_i + 1))
    sleep 0.25
  done
  return 1
}

# Pixels of a region darker than mid-grey: text on a light dialog.
count_dark() {
  convert "$1" -crop "$2" +repage -colorspace gray -threshold 50% -negate \
    -format '%[fx:round(mean*w*h)]' info:
}

at_least() { [ "$1" -ge "$2" ]; }

# The last run failed with status 1 and one line on stderr that matches $2.
one_line_error() {
  [ "$1" = 1 ] && [ "$(wc -l <"$E2E_TMP/err")" = 1 ] && grep -q -- "$2" "$E2E_TMP/err"
}

echo "# without a display"
for args in /s ""; do  # the saver's window, the dialog's toolkit
  # shellcheck disable=SC2086
  env -u DISPLAY "$ROVANEL" $args 2>"$E2E_TMP/err"
  status=$?
  check "no DISPLAY, '$args': status 1 and one line" one_line_error "$status" DISPLAY
done
DISPLAY=:4711 "$ROVANEL" /s 2>"$E2E_TMP/err"
status=$?
check "unreachable display: status 1 and a line naming it" one_line_error "$status" "':4711'"
env -u DISPLAY "$ROVANEL" /p
check "/p needs no display: status 0" [ $? = 0 ]

xvfb_start 1024x768
echo "# on $DISPLAY"

echo "# bad host windows"
for args in "-window-id 0x7" "--window-id"; do
  # shellcheck disable=SC2086
  "$ROVANEL" $args 2>"$E2E_TMP/err"
  check "'$args': status 1 and one line" one_line_error $? window-id
done
XSCREENSAVER_WINDOW=junk "$ROVANEL" -root 2>"$E2E_TMP/err"
check "XSCREENSAVER_WINDOW=junk: status 1 naming it" one_line_error $? XSCREENSAVER_WINDOW

echo "# /p ends at once"
for args in /P "/p 472"; do
  # shellcheck disable=SC2086
  start $args
  ends_with "'$args' ends at once" 0
  check "'$args' left no window" [ -z "$(windows)" ]
done

echo "# the saver, 49 points: frames, cursor, the server's blanking, mouse moves"
xset s 1  # the server would blank after a second without input
xset q >"$E2E_TMP/xset-before"
sleep 2
check "control: the server's own saver starts when idle" [ "$("$XPROBE" screensaver)" = on ]
xset s reset
ROVANEL_SEED=319 start /S
if wait_frames "$SHOTS/saver.png"; then
  pass "/S shows frames"
  # The status label (left 8..108, top 0), the red bar near the top right corner (x 824..973,
  # y 25..79 on a screen 1024 wide), the white points below them.
  check "status label" at_least "$(count_colour "$SHOTS/saver.png" 510x25+0+0 ffffff)" 30
  check "red scale bar" at_least "$(count_colour "$SHOTS/saver.png" 160x60+820+22 ff0000)" 100
  check "white points" at_least "$(count_colour "$SHOTS/saver.png" 1024x668+0+100 ffffff)" 200
  check "green tour" at_least "$(count_colour "$SHOTS/saver.png" 1024x768+0+0 00ff00)" 300
else
  fail "/S shows frames"
fi
check "cursor hidden over the saver" [ "$("$XPROBE" cursor)" = hidden ]
sleep 1.5
check "the server's blanking is suspended while it runs" [ "$("$XPROBE" screensaver)" != on ]
xdotool mousemove 101 102
sleep 1
still_running "the first mouse move does not end it"
ends_promptly "49 points, second mouse move" xdotool mousemove 400 300
check "cursor visible again" [ "$("$XPROBE" cursor)" = visible ]
xset q >"$E2E_TMP/xset-after"
check "xset q the same before and after" cmp -s "$E2E_TMP/xset-before" "$E2E_TMP/xset-after"
sleep 2
check "the server's blanking works again afterwards" [ "$("$XPROBE" screensaver)" = on ]

echo "# killed outright, the saver leaves nothing behind"
xset s reset
start /s
wait_window 巡回セールスマン問題
kill -KILL "$PID"
wait_status "$PID" 2
sleep 2
check "blanking back after SIGKILL" [ "$("$XPROBE" screensaver)" = on ]
xset s default
xset s reset
start /s
if wait_window 巡回セールスマン問題; then
  pass "a new instance starts after SIGKILL"
  ends_promptly "that one, key press" xdotool key k
else
  fail "a new instance starts after SIGKILL"
  kill "$PID"
fi

echo "# arguments that run the saver, and the ways input ends it"
saver_run() {  # description, input command...
  sr_desc=$1
  shift
  if wait_frames "$E2E_TMP/frame.png"; then
    sleep 1
    ends_promptly "$sr_desc" "$@"
  else
    fail "$sr_desc: no frames"
    kill "$PID"
  fi
}
start /x
saver_run "'/x', key press" xdotool key x
start abc
saver_run "'abc', click" xdotool click 1
start /
if wait_frames "$E2E_TMP/frame.png"; then
  xdotool mousemove 200 200
  sleep 1
  still_running "'/': the first mouse move does not end it"
  ends_promptly "'/', a mouse move one pixel away" xdotool mousemove 201 200
else
  fail "'/': no frames"
fi
ROVANEL_SEED=319 start /s
saver_run "49 points, key press" xdotool key Escape
ROVANEL_SEED=319 start /s
saver_run "49 points, click" xdotool click 3

echo "# embedded: XSCREENSAVER_WINDOW, -window-id, -root"
"$XPROBE" window 400x300+100+100 >"$E2E_TMP/host" &
host_pid=$!
e2e_track $host_pid
sleep 0.5
host=$(cat "$E2E_TMP/host")
embedded_run() {  # description, region the frames fill, region they leave alone (or "")
  er_desc=$1
  er_inside=$2
  er_outside=$3
  er_i=0
  while [ "$er_i" -lt 40 ]; do
    shot "$SHOTS/embedded.png"
    [ "$(count_colour "$SHOTS/embedded.png" "$er_inside" 00ff00)" -ge 30 ] && break
    er_i=$((er_i + 1))
    sleep 0.25
  done
  check "$er_desc: frames inside" \
    at_least "$(count_colour "$SHOTS/embedded.png" "$er_inside" 00ff00)" 30
  [ -z "$er_outside" ] || check "$er_desc: nothing outside" \
    [ "$(count_colour "$SHOTS/embedded.png" "$er_outside" 00ff00)" = 0 ]
  xdotool key x mousemove 600 600 mousemove 620 610 click 1
  sleep 0.5
  still_running "$er_desc: input belongs to the host"
  ends_promptly "$er_desc, SIGTERM" kill -TERM "$PID"
}
XSCREENSAVER_WINDOW=$host start -root
embedded_run "XSCREENSAVER_WINDOW" 400x300+100+100 524x768+500+0
cp "$SHOTS/embedded.png" "$SHOTS/embedded-window.png"
# The window's red bar lies at its own right edge: x 200..349 of 400.
check "the window's own size" \
  at_least "$(count_colour "$SHOTS/embedded-window.png" 160x60+296+122 ff0000)" 100
start -window-id "$(printf %d "$host")"  # decimal, where XSCREENSAVER_WINDOW was hex
embedded_run "-window-id" 400x300+100+100 524x768+500+0
kill "$host_pid"
start -root
embedded_run "-root" 1024x768+0+0 ""

echo "# a second instance ends at once, whatever its argument"
start /s
wait_window 巡回セールスマン問題
first=$PID
for args in /s /c "/a 472" /p ""; do
  # shellcheck disable=SC2086
  start $args
  ends_with "second instance '$args' ends at once" 0
done
check "only the first one's window" [ "$(windows | wc -l)" = 1 ]
PID=$first
ends_promptly "the first, key press" xdotool key space
start /c
dialog=$PID
check "after the first one ends, a new one starts" wait_window 巡回セールスマン問題設定画面
start /s
ends_with "a saver beside the open dialog ends at once" 0
PID=$dialog
ends_promptly "that dialog, close box" "$XPROBE" close "$WIN"

echo "# the settings dialog: every argument that opens it, every way of closing it"
dialog_run() {  # arguments, description of the close, close command...
  dr_args=$1
  dr_desc=$2
  shift 2
  # shellcheck disable=SC2086
  start $dr_args
  if wait_window 巡回セールスマン問題設定画面; then
    xdotool windowfocus --sync "$WIN"  # what a window manager does for a new window
    ends_promptly "'$dr_args' dialog, $dr_desc" "$@"
  else
    fail "'$dr_args' opens the dialog"
    kill "$PID"
  fi
}
start ""
if wait_window 巡回セールスマン問題設定画面; then
  shot "$SHOTS/dialog.png"
  check "a Japanese font is installed" [ -n "$(fc-list :lang=ja)" ]
  check "dialog: client area 340x246" \
    [ "$(xwininfo -id "$WIN" | awk '/Width|Height/ { printf "%s ", $2 }')" = "340 246 " ]
  window_origin "$WIN"
  # lblTsp at (56, 8), lblComment at (104, 88).
  check "dialog: lblTsp text" \
    at_least "$(count_dark "$SHOTS/dialog.png" "185x30+$((OX + 56))+$((OY + 8))")" 40
  check "dialog: lblComment text" \
    at_least "$(count_dark "$SHOTS/dialog.png" "169x25+$((OX + 104))+$((OY + 88))")" 40
  xdotool windowfocus --sync "$WIN"
  ends_promptly "'' dialog, Enter" xdotool key Return
else
  fail "no arguments opens the dialog"
fi
dialog_run /c "OK" xdotool mousemove --window "$WIN" 156 208 click 1
dialog_run "/C 472" "Cancel" xdotool mousemove --window "$WIN" 256 208 click 1
dialog_run /c:472 "close box" "$XPROBE" close "$WIN"

echo "# the password message box"
start /a 472
if wait_window Rovanel; then
  shot "$SHOTS/message.png"
  window_origin "$WIN"
  check "message box text" \
    at_least "$(count_dark "$SHOTS/message.png" "300x40+$OX+$OY")" 100
  xdotool windowfocus --sync "$WIN"
  ends_promptly "'/a 472' message box, Enter" xdotool key Return
else
  fail "'/a 472' shows the message box"
  kill "$PID"
fi
start /A
if wait_window Rovanel; then
  ends_promptly "'/A' message box, close box" "$XPROBE" close "$WIN"
else
  fail "'/A' shows the message box"
  kill "$PID"
fi

echo "# input-to-exit delays:$DELAYS"
echo "# screenshots: $SHOTS"
e2e_finish
