#!/bin/sh
# rovanel on X11 end to end, driven by xdotool: high DPI and the idle watcher in Xvfb; on a
# two-monitor Xorg (dummy driver) the show, every kind of input, second instances, the dialogs,
# embedded runs, faults and the real XScreenSaver daemon; given the Debian package, its contents
# checked, and the installed package under XScreenSaver and MATE's screen saver.
#   x11.sh ROVANEL HEADLESS XCLOSE [DEB]     (screenshots in $E2E_SHOTS, default /tmp/rovanel-e2e)
set -u
[ $# -ge 3 ] || { echo "usage: x11.sh ROVANEL HEADLESS XCLOSE [DEB]" >&2; exit 2; }
ROVANEL=$(realpath "$1") HEADLESS=$(realpath "$2") XCLOSE=$(realpath "$3") DEB=${4:+$(realpath "$4")}
. "$(dirname "$0")/lib.sh"
e2e_init
SHOTS=${E2E_SHOTS:-/tmp/rovanel-e2e}
mkdir -p "$SHOTS"
export NO_AT_BRIDGE=1  # no accessibility bus in the private display
unset XSCREENSAVER_WINDOW ROVANEL_SEED ROVANEL_SCALE ROVANEL_TRACE WAYLAND_DISPLAY
export XDG_RUNTIME_DIR="$E2E_TMP/run"  # the lock's, private
mkdir -m 700 "$XDG_RUNTIME_DIR"
SAVER=巡回セールスマン問題 DIALOG=巡回セールスマン問題設定画面 PRIMARY=1024x768+0+0 runs=0

# Starts rovanel in the background; sets PID, and OUT and ERR to the files of its output.
start() {
  runs=$((runs + 1))
  OUT=$E2E_TMP/out.$runs ERR=$E2E_TMP/err.$runs
  spawn PID "$ROVANEL" "$@" >"$OUT" 2>"$ERR"
}
# Status $1 is $2; stderr ($ERR) has one line (then the usage, for status 2) that matches $3.
status_and_error() {
  [ "$1" = "$2" ] && head -n 1 "$ERR" | grep -q -- "$3" && { [ "$2" = 2 ] || [ "$(wc -l <"$ERR")" = 1 ]; }
}
# Waits for the saver's window and a tour inside $2 (default the primary monitor); shot in $1.
frames() { wait_window "$SAVER" 10 "$PID" && poll 5 shows_tour "$1" "${2:-$PRIMARY}"; }
shows_tour() { shot "$1" && has_tour "$1" "$2"; }

echo "# arguments, and no display"
check "--help: usage on stdout" sh -c "'$ROVANEL' --help | grep -q '^usage: rovanel'"
check "--version: the project's" [ "$("$ROVANEL" --version)" = "rovanel $("$HEADLESS" --version | cut -d' ' -f2)" ]
ERR=$E2E_TMP/err
"$ROVANEL" -window-id 2>"$ERR"
check "-window-id without an id: status 2 and the usage" status_and_error $? 2 window-id
"$ROVANEL" -window-id 0xgarbage 2>"$ERR"
check "-window-id with no id: status 2 and the usage" status_and_error $? 2 window-id
"$ROVANEL" --idle 5 extra 2>"$ERR"
check "--idle with another argument: status 2 and the usage" status_and_error $? 2 "--idle SECONDS takes no other argument, got 'extra'"
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
# The show of a 1920x1080 screen at 2 and 1.5 times the size, lines two pixels wide: a column
# through the middle of the scale bar, wherever it lies, crosses two red pixels.
for dpi in 192:3840x2160 144:2880x1620; do
  size=${dpi#*:} dpi=${dpi%:*}
  xvfb_start "$size"
  echo "Xft.dpi: $dpi" | xrdb -merge
  ROVANEL_SEED=319 ROVANEL_TRACE=1 start /s
  frames "$SHOTS/dpi-$dpi.png" "$size+0+0"
  check "$dpi dpi: the same run as at 1920x1080" same_run 1920x1080
  check "$dpi dpi: the bar two pixels thick" \
    [ "$(count_colour "$SHOTS/dpi-$dpi.png" "1x400+$((${size%x*} * 15 / 16))+0" ff0000)" = 2 ]
  ends_by "$dpi dpi, a key" xdotool key x
  start /c
  wait_window "$DIALOG" 10 "$PID" && shot "$SHOTS/dialog-$dpi.png"
  check "$dpi dpi: the dialog's texts where they lie at that scale" dialog_readable "$SHOTS/dialog-$dpi.png" $dpi
  kill "$X_PID"
done

echo "# rovanel --idle on the X server's own idle time: no compositor, no session bus"
xvfb_start 1024x768
DBUS_SESSION_BUS_ADDRESS='' start --idle 2
watcher=$PID t0=$(now_ms)
check "after two idle seconds the show" wait_window "$SAVER" 10
echo "  (after $(($(now_ms) - t0)) ms)"
ticks() { awk '{ print $14 + $15 }' "/proc/$watcher/stat"; }
xdotool key x
check "a key ends it" poll 5 eval '! find_window "$SAVER"'
t0=$(now_ms) before=$(ticks)
check "after two more idle seconds it starts again" wait_window "$SAVER" 10
waited=$(($(now_ms) - t0)) used=$(($(ticks) - before))
echo "  (after $waited ms)"
check "the watcher waits for the idle time without using the processor: $((used * 10)) ms in $waited ms" \
  [ "$used" -le 3 ]
PID=$watcher
ends_by "SIGTERM to the watcher" kill "$PID"
check "no show is left" poll 2 eval '! find_window "$SAVER"'
kill "$X_PID"

xorg_start right || exit 1
echo "# two monitors: $(monitors | tr '\n' ' '); the show on the primary one, input anywhere"
# What every face does, on the primary monitor; the moves over the other one.
face_start() { start "$@"; }
face_shown() { wait_window "$SAVER" 1 "$PID" && shows_tour "$1" $PRIMARY; }
face_first_move() { xdotool mousemove 101 102; }
face_move() { xdotool mousemove 1300 300; }
face_key() { xdotool key x; }
face_click() { xdotool click 1; }
face_wheel() { xdotool click 4; }
face_dialog() { wait_window "$DIALOG" 1 "$PID" && shot "$1" && dialog_readable "$1" 96; }
face_message() { wait_window Rovanel 1 "$PID" && shot "$1" && readable "$1" "$(in_window 0 0 300x40)"; }
face_close() { xdotool windowfocus --sync "$WIN" key Return; }  # a window manager would focus it
saver_contract x11 1024x768
xset s 1  # the server would blank after a second without input
xset q >"$E2E_TMP/xset-before"
check "control: the server's own saver starts when idle" poll 3 eval '[ "$(xssstate -s)" = on ]'
xset s reset
start /S
frames "$SHOTS/saver.png"
check "the frame lies in the primary monitor, the other black" frame_ok "$SHOTS/saver.png" $PRIMARY 1
sleep 1.5
check "the server's blanking suspended" [ "$(xssstate -s)" != on ]
ends_by "a key" xdotool key x
check "xset q as before" eval 'xset q | cmp -s "$E2E_TMP/xset-before" -'
check "the server's blanking works again" poll 3 eval '[ "$(xssstate -s)" = on ]'
xset s default
xset q >"$E2E_TMP/xset-before"
changed=""
for i in $(seq 10); do
  start /s
  sleep "$(awk -v s="$i" 'BEGIN { srand(s); printf "%.2f", 0.05 + rand() * 1.5 }')"
  kill -KILL "$PID" || changed="$changed $i"  # it must still be running: the last left no lock
  wait_status "$PID" 2
  xset q | cmp -s "$E2E_TMP/xset-before" - || changed="$changed $i"
done
check "SIGKILL at ten moments: each one started, xset q as before${changed:+ but$changed}" [ -z "$changed" ]

echo "# monitors that change under the show, over a root of a colour it never uses"
xsetroot -solid '#0000ff'
xdotool mousemove 500 300
ROVANEL_TRACE=1 spawn PID "$ROVANEL" /s >/dev/full 2>"$E2E_TMP/err.full"
frames "$E2E_TMP/frame.png"
xrandr --output DUMMY1 --off && xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0
check "the second monitor off and on at 1024x768: all covered, the frame on the primary" \
  poll 3 eval 'shot "$SHOTS/screen-grown.png" && frame_ok "$SHOTS/screen-grown.png" $PRIMARY 1'
xrandr --output DUMMY1 --left-of DUMMY0
check "moved left of the primary: all covered, the frame follows the primary" \
  poll 3 eval 'shot "$SHOTS/screen-moved.png" && frame_ok "$SHOTS/screen-moved.png" 1024x768+1024+0 1'
ends_by "then a key" xdotool key x
check "a trace into a full disk: said once on stderr, the show went on" \
  [ "$(grep -c 'ROVANEL_TRACE: cannot write the trace' "$E2E_TMP/err.full")$(wc -l <"$E2E_TMP/err.full")" = 11 ]
# The primary turned to portrait mid-problem (seed 319's first lasts seconds): the frame laid out
# 1024 wide is cut at the new edge until the next problem, and nothing lights the monitor right
# of it.
xorg_layout right
xrandr --newmode 768x1024_60 66.75 768 816 896 1024 1024 1027 1037 1087 -hsync +vsync
xrandr --addmode DUMMY0 768x1024_60
ROVANEL_SEED=319 start /s
frames "$E2E_TMP/frame.png"
xrandr --output DUMMY0 --mode 768x1024_60 --output DUMMY1 --right-of DUMMY0
sleep 1
shot "$SHOTS/screen-portrait.png"
check "the primary turned to 768x1024: the frame cut at its edge, nothing lit beyond it" eval \
  'has_tour "$SHOTS/screen-portrait.png" 768x1024+0+0 && [ "$(pixels_outside "$SHOTS/screen-portrait.png" 768x1024+0+0)" = 0 ]'
ends_by "then a key" xdotool key x
xrandr --output DUMMY0 --mode 1024x768 --output DUMMY1 --mode 1024x768 --left-of DUMMY0 && sleep 1
xsetroot -solid black

echo "# signals, SIGSTOP, a flood of moves (the second monitor still left of the primary)"
LEFT=1024x768+1024+0
for input in "SIGTERM:kill -TERM \$PID" "SIGHUP:kill -HUP \$PID"; do
  start abc
  frames "$E2E_TMP/frame.png" $LEFT
  eval "ends_by '${input%%:*}' ${input#*:}"
done
ROVANEL_SEED=319 ROVANEL_TRACE=1 start /s
frames "$E2E_TMP/frame.png" $LEFT
kill -STOP "$PID"
sleep 2
stopped=$(wc -l <"$OUT")
kill -CONT "$PID"
sleep 1.5
check "after SIGSTOP and SIGCONT it goes on improving" [ "$(wc -l <"$OUT")" -gt "$stopped" ]
ends_by "then a key" xdotool key x
start /s
frames "$E2E_TMP/frame.png" $LEFT
xdotool mousemove 900 100
sleep 0.5
seq 1000 | awk '{ print "mousemove " $1 % 700 + 10 " 200" }' >"$E2E_TMP/moves"
ends_by "1000 pointer moves at once" sh -c "xdotool $E2E_TMP/moves &"
check "nothing left running" [ -z "$(pgrep -f "^$ROVANEL")" ]
xorg_layout right

echo "# the lock's directory: another user or an unfit XDG_RUNTIME_DIR cannot keep the saver from starting"
xss_user
mkdir -m 1777 "$E2E_TMP/tmp"
(xss_exec mkdir -m 777 "$E2E_TMP/tmp/rovanel-$(id -u)")
check "it cannot enter the runtime directory" eval "! (xss_exec touch '$XDG_RUNTIME_DIR/rovanel.lock') 2>/dev/null"
TMPDIR=$E2E_TMP/tmp XDG_RUNTIME_DIR="" start /s
check "with its directory in the temporary one taken, it starts" wait_window "$SAVER" 10 "$PID"
check "and says it runs without the lock" grep -q 'running without it' "$ERR"
ends_by "that one, a key" xdotool key x
# XDG_RUNTIME_DIR missing, a file, relative, another user's open to all: skipped with one line,
# the lock under the temporary directory holds a second saver off.
mkdir -m 1777 "$E2E_TMP/tmp2"
touch "$E2E_TMP/file"
mkdir -m 777 "$E2E_TMP/other" && chown "$XSS_USER" "$E2E_TMP/other"
for dir in "$E2E_TMP/missing" "$E2E_TMP/file" run "$E2E_TMP/other"; do
  TMPDIR=$E2E_TMP/tmp2 XDG_RUNTIME_DIR=$dir start /s
  first=$PID err=$ERR
  wait_window "$SAVER" 10 "$PID"
  TMPDIR=$E2E_TMP/tmp2 XDG_RUNTIME_DIR=$dir start /s
  wait_status "$PID" 2
  check "XDG_RUNTIME_DIR '$dir': one line naming it; a second saver ends at once" \
    [ "$(grep -c XDG_RUNTIME_DIR "$err")$(wc -l <"$err")$STATUS" = 110 ]
  PID=$first
  ends_by "that one, a key" xdotool key x
done

echo "# the settings dialog: its size, a saver beside it, its close box"
start /C 472
if wait_window "$DIALOG" 10 "$PID"; then
  check "the dialog's client area 340x246" [ "$(xwininfo -id "$WIN" | awk '/Width|Height/ { printf "%s ", $2 }')" = "340 246 " ]
  dialog=$PID
  start /s
  ends_at_once "a saver beside the open dialog"
  PID=$dialog
  ends_by "'/C 472', the dialog's close box" "$XCLOSE" "$WIN"
fi

echo "# embedded in xev's window, a standalone saver beside it"
spawn PID xev -geometry 400x300+50+200 >"$E2E_TMP/host"
host=$PID
wait_window "Event Tester" 5
inside=400x300+52+202  # within xev's 2-pixel border
start -window-id "$WIN"  # decimal; XScreenSaver writes hex
embedded=$PID err=$ERR
check "it animates in the window" poll 5 shows_tour "$SHOTS/embedded.png" "$inside"
check "and only there" [ "$(pixels_outside "$SHOTS/embedded.png" "$inside")" = 0 ]
xdotool key x mousemove 600 600 mousemove 620 610 click 1
sleep 0.5
check "input belongs to the host" kill -0 "$embedded"
# Grown to 900x700: nothing of xev's white beyond the first 400x300, the bar in the new corner.
grown_black() {
  shot "$SHOTS/embedded-grown.png" &&
    [ $(($(count_colour "$SHOTS/embedded-grown.png" 500x700+452+202 FFFFFF) +
      $(count_colour "$SHOTS/embedded-grown.png" 400x400+52+502 FFFFFF))) -lt 1000 ]
}
xdotool windowsize "$WIN" 900 700
check "the host grown to 900x700: all of it black at once" poll 1 grown_black
bar_in() { shot "$E2E_TMP/bar.png" && [ "$(count_colour "$E2E_TMP/bar.png" "$1" FF0000)" -ge 101 ]; }
check "and the show laid out in all of it: the bar in its new corner" poll 10 bar_in 200x60+752+224
start /s
standalone=$PID
wait_window "$SAVER" 10 "$PID"
start /s
ends_at_once "beside it a standalone saver runs, and a second one"
PID=$standalone
ends_by "the standalone one, a key" xdotool key x
PID=$embedded
ends_within "$PID" 1000 kill "$host"
check "the host window gone: it ends quietly ($STATUS, $DELAY ms)" [ "$STATUS$(wc -c <"$err")" = 00 ]

echo "# the real XScreenSaver daemon, a rovanel on each monitor"
if [ -n "$DEB" ]; then
  check "lintian finds nothing in the package" [ -z "$(lintian -EvIL +pedantic "$DEB" 2>/dev/null)" ]
  tree=$E2E_TMP/deb share=$E2E_TMP/deb/usr/share
  dpkg-deb -x "$DEB" "$tree"
  # Valid, and its icon in the hicolor theme: drawn, in the small sizes too, and scalable.
  entry_ok() {
    eo_icon=$(sed -n 's/^Icon=//p' "$1")
    [ -z "$(desktop-file-validate --no-hints "$1")" ] && [ -f "$share/icons/hicolor/scalable/apps/$eo_icon.svg" ] &&
      for eo_size in 16 48 256; do
        [ "$(identify -format %wx%h "$share/icons/hicolor/${eo_size}x$eo_size/apps/$eo_icon.png")" = "${eo_size}x$eo_size" ] || return 1
      done
  }
  for entry in "$share/applications/org.example.Rovanel.desktop" "$share/applications/screensavers/rovanel.desktop"; do
    check "the desktop entry ${entry#"$share/"}: valid, its icon at 16, 48, 256 and scalable" entry_ok "$entry"
  done
  check "the AppStream metadata valid, with its menu entry" \
    eval 'appstreamcli validate-tree --no-net "$tree" | grep -q "^org.example.Rovanel.metainfo.xml\$"'
  check "apt-get installs the package" quiet apt-get install -y "$DEB"
  installed=$(dpkg -L rovanel | while read -r f; do [ -d "$f" ] || echo "$f"; done)
  check "its two programs, a link in the PATH, manual pages, description, documents, desktop entries, metadata, icons" \
    [ "$(echo "$installed" | wc -l)$(readlink -f /usr/bin/rovanel)" = 20/usr/libexec/xscreensaver/rovanel ]
  ROVANEL=/usr/libexec/xscreensaver/rovanel
fi
# STATES: for each monitor in screenshot $1, "show" (a green tour), "error" (XScreenSaver's box for
# a hack that ended: red text in a red frame, below the show's scale bar) or "blank"; true when
# every one shows.
every_monitor_shows() {
  shot "$1"
  STATES=$(for m in $(monitors); do
    # shellcheck disable=SC2046
    set -- "$1" $(echo "$m" | tr 'x+' '  ')
    if [ "$(count_colour "$1" "${2}x$(($3 - 80))+$4+$(($5 + 80))" FF0000)" -ge 100 ]; then echo error
    elif has_tour "$1" "$m"; then echo show; else echo blank; fi
  done | tr '\n' ' ')
  [ "$STATES" = "show show " ]
}
xss_start "$ROVANEL" --root
xss_command -activate >/dev/null
poll 5 every_monitor_shows "$SHOTS/xscreensaver.png"
hacks=$(xss_hacks)
check "both monitors show a show: $STATES" [ "$STATES$(echo "$hacks" | wc -l)" = "show show 2" ]
xss_command -cycle >/dev/null
sleep 1
poll 5 every_monitor_shows "$SHOTS/xscreensaver-cycled.png"
check "a cycle starts new ones, both shown: $STATES" [ "$STATES$(xss_hacks | grep -cvFx "$hacks")" = "show show 2" ]
xss_command -deactivate >/dev/null
check "deactivating ends every one" poll 5 eval '[ -z "$(xss_hacks)" ]'
kill "$XSS_PID"
if [ -n "$DEB" ]; then
  echo "# MATE's screen saver with the installed Rovanel theme, on a session bus of its own"
  mate=$E2E_TMP/mate
  mkdir -m 700 "$mate"
  export HOME="$mate" XDG_CONFIG_HOME="$mate" XDG_CURRENT_DESKTOP=MATE DBUS_SESSION_BUS_ADDRESS="unix:path=$mate/bus"
  spawn bus dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS" 2>/dev/null
  poll 5 [ -S "$mate/bus" ]
  gsettings set org.mate.screensaver mode single && gsettings set org.mate.screensaver lock-enabled false &&
    gsettings set org.mate.screensaver themes "['screensavers-rovanel']"
  spawn MATE_PID mate-screensaver --no-daemon >"$E2E_TMP/mate.log" 2>&1
  poll 10 quiet mate-screensaver-command --query && quiet mate-screensaver-command --activate
  poll 10 every_monitor_shows "$SHOTS/mate.png"
  check "activated, it shows a show on both monitors: $STATES" \
    [ "$STATES$(pgrep -c -f "^$ROVANEL --root")" = "show show 2" ]
  quiet mate-screensaver-command --deactivate
  check "deactivating ends both" poll 5 eval '[ -z "$(pgrep -f "^$ROVANEL --root")" ]'
  kill "$MATE_PID"
  check "apt-get removes the package" quiet apt-get remove --purge -y rovanel
  left=$(for f in $installed; do [ ! -e "$f" ] || echo "$f"; done)
  check "nothing of it is left" [ -z "$left$(dpkg-query -W -f '${Status}' rovanel 2>/dev/null)" ]
fi
echo "# input-to-exit delays (ms):$DELAYS; screenshots in $SHOTS"
e2e_finish
