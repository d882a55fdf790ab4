#!/bin/sh
# End-to-end tests of rovanel on X11, driven by xdotool on a two-monitor Xorg (dummy driver): the
# show on the primary monitor, every kind of input, second instances, the dialogs, embedded runs,
# the real XScreenSaver daemon on both monitors, faults (signals, a flood of input, another user,
# the host window or the X server gone); high DPI in Xvfb. Given the Debian package, it installs
# it, runs the installed hack under XScreenSaver and removes it again.
#   x11.sh ROVANEL HEADLESS XPROBE [DEB]     (screenshots in $E2E_SHOTS, default /tmp/rovanel-e2e)
set -u
[ $# -ge 3 ] || { echo "usage: x11.sh ROVANEL HEADLESS XPROBE [DEB]" >&2; exit 2; }
ROVANEL=$(realpath "$1") HEADLESS=$(realpath "$2") XPROBE=$(realpath "$3") DEB=${4:+$(realpath "$4")}
. "$(dirname "$0")/lib.sh"
e2e_init
SHOTS=${E2E_SHOTS:-/tmp/rovanel-e2e}
mkdir -p "$SHOTS"
export NO_AT_BRIDGE=1  # no accessibility bus in the private display
unset XSCREENSAVER_WINDOW ROVANEL_SEED ROVANEL_SCALE ROVANEL_TRACE XDG_RUNTIME_DIR
SAVER=巡回セールスマン問題
PRIMARY=1024x768+0+0
LIMIT_MS=500  # input to exit
DELAYS=""
runs=0

# Starts rovanel in the background; sets PID, and OUT and ERR to the files of its output.
start() {
  runs=$((runs + 1))
  OUT=$E2E_TMP/out.$runs ERR=$E2E_TMP/err.$runs
  "$ROVANEL" "$@" >"$OUT" 2>"$ERR" &
  PID=$!
  e2e_track "$PID"
}
# A command (input or a signal) ends PID with status 0 within LIMIT_MS.
ends_promptly() {
  ep_desc=$1
  shift
  if ends_within "$PID" "$LIMIT_MS" "$@"; then pass "$ep_desc ends it in $DELAY ms"; else
    fail "$ep_desc: status $STATUS after $DELAY ms"; fi
  DELAYS="$DELAYS $DELAY"
}
# PID ends by itself with status 0 within 2 s.
ends_at_once() {
  wait_status "$PID" 2
  check "$1 ends at once ($STATUS)" [ "$STATUS" = 0 ]
}
# Status $1 is $2; stderr ($ERR) has one line (then the usage, for status 2) that matches $3.
status_and_error() {
  [ "$1" = "$2" ] && head -n 1 "$ERR" | grep -q -- "$3" && { [ "$2" = 2 ] || [ "$(wc -l <"$ERR")" = 1 ]; }
}
# Waits for the saver's window and a tour inside $2 (default the primary monitor); shot in $1.
frames() {
  wait_window "$SAVER" 10 "$PID" || return 1
  for _ in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
    shot "$1"
    [ "$(count_colour "$1" "${2:-$PRIMARY}" 00ff00)" -ge 50 ] && return 0
    sleep 0.25
  done
  return 1
}
# The trace so far (ROVANEL_TRACE, seed 319) is the start of rovanel-headless's at size $1.
same_run() {
  head -n "$(wc -l <"$OUT")" "$OUT" >"$E2E_TMP/trace"  # it goes on writing
  [ -s "$E2E_TMP/trace" ] && "$HEADLESS" --seed 319 --size "$1" --problems 99 --trace |
    head -n "$(wc -l <"$E2E_TMP/trace")" | cmp -s - "$E2E_TMP/trace"
}
# Pixels darker than mid-grey in the region at X+$2, Y+$3 of window WIN: text on a dialog.
dark_text() {
  eval "$(xwininfo -id "$WIN" | awk '/Absolute upper-left X/ { print "x=" $4 } /Absolute upper-left Y/ { print "y=" $4 }')"
  convert "$1" -crop "$4+$((x + $2))+$((y + $3))" +repage -colorspace gray -threshold 50% -negate \
    -format '%[fx:round(mean*w*h)]' info:
}
quiet() { "$@" >>"$E2E_TMP/quiet.log" 2>&1; }

echo "# arguments, and no display"
"$ROVANEL" --help | grep -q '^usage: rovanel'
check "--help: usage on stdout, status 0" [ $? = 0 ]
check "--version: the project's" [ "$("$ROVANEL" --version)" = "rovanel $("$HEADLESS" --version | cut -d' ' -f2)" ]
ERR=$E2E_TMP/err
"$ROVANEL" -window-id 2>"$ERR"
check "-window-id without an id: status 2 and the usage" status_and_error $? 2 window-id
env -u DISPLAY "$ROVANEL" /s 2>"$ERR"
check "no DISPLAY: status 1 and one line" status_and_error $? 1 DISPLAY
check "/p needs no display: status 0" env -u DISPLAY "$ROVANEL" /p

echo "# Xvfb: a bad window or scale; the X server killed under the saver; high DPI"
xvfb_start 1024x768
"$ROVANEL" -window-id 0x7 2>"$ERR"
check "a window that is not there: status 1 and one line" status_and_error $? 1 window-id
ROVANEL_SCALE=x "$ROVANEL" /s 2>"$ERR"
check "ROVANEL_SCALE=x: status 1 and one line" status_and_error $? 1 ROVANEL_SCALE
start /s
wait_window "$SAVER" 10 "$PID"
ends_within "$PID" 1000 kill "$X_PID"
check "the server killed: it ends within a second ($DELAY ms), one line naming the display" \
  status_and_error "$STATUS$([ "$DELAY" -le 1000 ] || echo late)" 1 "'$DISPLAY'"
# The show of a 1920x1080 screen at 2 and 1.5 times the size, lines two pixels wide.
for dpi in 192:3840x2160 144:2880x1620; do
  size=${dpi#*:} dpi=${dpi%:*}
  xvfb_start "$size"
  echo "Xft.dpi: $dpi" | xrdb -merge
  ROVANEL_SEED=319 ROVANEL_TRACE=1 start /s
  if frames "$SHOTS/dpi-$dpi.png" "$size+0+0"; then
    check "$dpi dpi: the same run as at 1920x1080" same_run 1920x1080
    # A column through the middle of the scale bar, wherever it lies.
    check "$dpi dpi: the bar two pixels thick" \
      [ "$(count_colour "$SHOTS/dpi-$dpi.png" "1x400+$((${size%x*} * 15 / 16))+0" ff0000)" = 2 ]
    ends_promptly "$dpi dpi, a key" xdotool key x
  else
    fail "$dpi dpi: frames"
  fi
  kill "$X_PID"
done

xorg_start right || exit 1
echo "# two monitors: $(monitors | tr '\n' ' '); the show on the primary one, input anywhere"
xset s 1  # the server would blank after a second without input
xset q >"$E2E_TMP/xset-before"
sleep 2
check "control: the server's own saver starts when idle" [ "$("$XPROBE" screensaver)" = on ]
xset s reset
ROVANEL_SEED=319 ROVANEL_TRACE=1 start /S
if frames "$SHOTS/saver.png"; then
  check "the show lies in the primary monitor, the other black" [ "$(pixels_outside "$SHOTS/saver.png" $PRIMARY)" = 0 ]
  check "status label and scale bar" at_least "$(count_colour "$SHOTS/saver.png" 510x25+0+0 ffffff)" 30 \
    "$(count_colour "$SHOTS/saver.png" 160x60+820+22 ff0000)" 100
  check "the same run as rovanel-headless at the primary monitor's size" same_run 1024x768
  check "the cursor hidden" [ "$("$XPROBE" cursor)" = hidden ]
  sleep 1.5
  check "the server's blanking suspended" [ "$("$XPROBE" screensaver)" != on ]
  first=$PID
  for args in /s /c /a ""; do
    # shellcheck disable=SC2086
    start $args
    ends_at_once "a second instance, '$args',"
  done
  PID=$first
  xdotool mousemove 101 102
  sleep 1
  check "the first mouse move only records" kill -0 "$PID"
  ends_promptly "a move over the other monitor" xdotool mousemove 1300 300
else
  fail "/S shows frames"
fi
check "the cursor visible again" [ "$("$XPROBE" cursor)" = visible ]
xset q >"$E2E_TMP/xset-after"
check "xset q as before" cmp -s "$E2E_TMP/xset-before" "$E2E_TMP/xset-after"
sleep 2
check "the server's blanking works again" [ "$("$XPROBE" screensaver)" = on ]
xset s default
xset q >"$E2E_TMP/xset-before"
changed=""
for i in 1 2 3 4 5 6 7 8 9 10; do
  start /s
  sleep "$(awk -v s="$i" 'BEGIN { srand(s); printf "%.2f", 0.05 + rand() * 1.5 }')"
  kill -KILL "$PID"
  wait_status "$PID" 2
  xset q | cmp -s "$E2E_TMP/xset-before" - || changed="$changed $i"
done
check "SIGKILL at ten moments: xset q as before each time${changed:+ but$changed}" [ -z "$changed" ]

echo "# the second monitor left of the primary: keys, clicks, signals, SIGSTOP, a flood of moves"
xorg_layout left
LEFT=1024x768+800+0
for input in "a key:xdotool key x" "a click:xdotool click 1" "SIGTERM:kill -TERM \$PID" "SIGHUP:kill -HUP \$PID"; do
  start abc
  if frames "$SHOTS/left.png" $LEFT; then
    eval "ends_promptly '${input%%:*}' ${input#*:}"
  else
    fail "${input%%:*}: no frames"
  fi
done
check "the show lies in the primary monitor, right of the other" [ "$(pixels_outside "$SHOTS/left.png" $LEFT)" = 0 ]
ROVANEL_SEED=319 ROVANEL_TRACE=1 start /s
if frames "$E2E_TMP/frame.png" $LEFT; then
  kill -STOP "$PID"
  sleep 2
  stopped=$(wc -l <"$OUT")
  kill -CONT "$PID"
  sleep 1.5
  check "after SIGSTOP and SIGCONT it goes on improving" [ "$(wc -l <"$OUT")" -gt "$stopped" ]
  ends_promptly "then a key" xdotool key x
fi
start /s
if frames "$E2E_TMP/frame.png" $LEFT; then
  xdotool mousemove 900 100
  sleep 0.5
  seq 1000 | awk '{ print "mousemove " $1 % 700 + 10 " 200" }' >"$E2E_TMP/moves"
  ends_promptly "1000 pointer moves at once" sh -c "xdotool $E2E_TMP/moves &"
  check "nothing left running" [ -z "$(pgrep -f "^$ROVANEL")" ]
fi
xorg_layout right

echo "# another user cannot keep the saver from starting"
xss_user
mkdir -m 1777 "$E2E_TMP/tmp"
mkdir -m 700 "$E2E_TMP/run"
(xss_exec mkdir -m 777 "$E2E_TMP/tmp/rovanel-$(id -u)")
(xss_exec touch "$E2E_TMP/run/rovanel.lock" 2>/dev/null) && fail "the other user reached the runtime directory"
TMPDIR=$E2E_TMP/tmp start /s
check "its directory in the temporary one taken: it starts" wait_window "$SAVER" 10 "$PID"
check "and says it runs without the lock" grep -q 'running without it' "$ERR"
ends_promptly "that one, a key" xdotool key x
XDG_RUNTIME_DIR=$E2E_TMP/run start /s
first=$PID
check "with its own runtime directory it starts" wait_window "$SAVER" 10 "$PID"
XDG_RUNTIME_DIR=$E2E_TMP/run start /c
ends_at_once "and its lock holds: a second instance"
PID=$first
ends_promptly "the first, a key" xdotool key x

echo "# the settings dialog and the message box"
start ""
if wait_window 巡回セールスマン問題設定画面 10 "$PID"; then
  shot "$SHOTS/dialog.png"
  check "the dialog's client area 340x246" \
    [ "$(xwininfo -id "$WIN" | awk '/Width|Height/ { printf "%s ", $2 }')" = "340 246 " ]
  # lblTsp at (56, 8), lblComment at (104, 88), in a Japanese font.
  check "its texts" at_least "$(dark_text "$SHOTS/dialog.png" 56 8 185x30)" 40 \
    "$(dark_text "$SHOTS/dialog.png" 104 88 169x25)" 40
  dialog=$PID
  start /s
  ends_at_once "a saver beside the open dialog"
  PID=$dialog
  xdotool windowfocus --sync "$WIN"  # what a window manager does for a new window
  ends_promptly "the dialog, Enter" xdotool key Return
else
  fail "no arguments opens the dialog"
fi
start /C 472
wait_window 巡回セールスマン問題設定画面 10 "$PID"
ends_promptly "'/C 472', the dialog's close box" "$XPROBE" close "$WIN"
start /a 472
if wait_window Rovanel 10 "$PID"; then
  shot "$SHOTS/message.png"
  check "the message box's text" at_least "$(dark_text "$SHOTS/message.png" 0 0 300x40)" 100
  xdotool windowfocus --sync "$WIN"
  ends_promptly "the message box, Enter" xdotool key Return
else
  fail "'/a 472' shows the message box"
fi

echo "# embedded: two host windows side by side, a standalone saver beside them"
"$XPROBE" window 400x300+50+200 >"$E2E_TMP/host1" &
host1=$!
"$XPROBE" window 400x300+500+200 >"$E2E_TMP/host2" &
host2=$!
e2e_track "$host1"
e2e_track "$host2"
sleep 0.5
start -window-id "$(printf %d "$(cat "$E2E_TMP/host1")")"  # decimal; XScreenSaver writes hex
embedded1=$PID err1=$ERR
XSCREENSAVER_WINDOW=$(cat "$E2E_TMP/host2") start --root
embedded2=$PID
sleep 3
shot "$SHOTS/embedded.png"
check "both animate, each in its window" at_least "$(count_colour "$SHOTS/embedded.png" 400x300+50+200 00ff00)" 30 \
  "$(count_colour "$SHOTS/embedded.png" 400x300+500+200 00ff00)" 30
check "nothing outside them" [ "$(count_colour "$SHOTS/embedded.png" 1024x190+0+0 00ff00)" = 0 ]
xdotool key x mousemove 600 600 mousemove 620 610 click 1
sleep 0.5
check "input belongs to the host" kill -0 "$embedded1" "$embedded2"
start /s
standalone=$PID
wait_window "$SAVER" 10 "$PID"
start /s
ends_at_once "beside them a standalone saver runs, and a second one"
PID=$standalone
ends_promptly "the standalone one, a key" xdotool key x
PID=$embedded1
ends_within "$PID" 1000 kill "$host1"
check "the host window gone: it ends quietly ($STATUS, $DELAY ms)" [ "$STATUS$(wc -c <"$err1")" = 00 ]
PID=$embedded2
ends_promptly "the other, SIGTERM" kill -TERM "$PID"

echo "# the real XScreenSaver daemon, a rovanel on each monitor"
if [ -n "$DEB" ]; then
  check "lintian finds nothing in the package" [ -z "$(lintian -EvIL +pedantic "$DEB" 2>/dev/null)" ]
  check "apt-get installs the package" quiet apt-get install -y "$DEB"
  installed=$(dpkg -L rovanel | while read -r f; do [ -d "$f" ] || echo "$f"; done)
  check "its two programs, their manual pages, description and documents" [ "$(echo "$installed" | wc -l)" = 8 ]
  ROVANEL=/usr/libexec/xscreensaver/rovanel
fi
# The states of the monitors in screenshot $1: "error" for XScreenSaver's box for a hack that
# ended (red text in a red frame, below the show's scale bar), "show" for a green tour.
states() {
  for m in $(monitors); do
    # shellcheck disable=SC2046
    set -- "$1" $(echo "$m" | tr 'x+' '  ')
    if [ "$(count_colour "$1" "${2}x$(($3 - 80))+$4+$(($5 + 80))" FF0000)" -ge 100 ]; then echo error
    elif [ "$(count_colour "$1" "$m" 00FF00)" -ge 50 ]; then echo show; else echo blank; fi
  done | tr '\n' ' '
}
every_monitor_shows() {
  for _ in 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20; do
    shot "$1"
    STATES=$(states "$1")
    [ "$STATES" = "show show " ] && return 0
    sleep 0.25
  done
  return 1
}
if xss_start "$ROVANEL" --root; then
  xss_command -activate >/dev/null
  every_monitor_shows "$SHOTS/xscreensaver.png"
  hacks=$(xss_hacks)
  check "both monitors show a show: $STATES" [ "$STATES$(echo "$hacks" | wc -l)" = "show show 2" ]
  xss_command -cycle >/dev/null
  sleep 1
  every_monitor_shows "$SHOTS/xscreensaver-cycled.png"
  check "a cycle starts new ones, both shown: $STATES" [ "$STATES$(xss_hacks | grep -cvFx "$hacks")" = "show show 2" ]
  xss_command -deactivate >/dev/null
  check "deactivating ends every one" xss_no_hacks 5
  kill "$XSS_PID"
else
  fail "XScreenSaver starts"
fi
if [ -n "$DEB" ]; then
  check "apt-get removes the package" quiet apt-get remove --purge -y rovanel
  left=$(for f in $installed; do [ ! -e "$f" ] || echo "$f"; done)
  check "nothing of it is left" [ -z "$left$(dpkg-query -W -f '${Status}' rovanel 2>/dev/null)" ]
fi

echo "# input-to-exit delays (ms):$DELAYS; screenshots in $SHOTS"
e2e_finish
