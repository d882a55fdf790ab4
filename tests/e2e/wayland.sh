#!/bin/sh
# rovanel on Wayland end to end, on a real sway (headless, two outputs): what every face does;
# the other output black; scales; the idle starters (swayidle and --idle); the compositor
# killed; on a nested sway, outputs that come and go; on KWin and mutter, --idle and the
# fullscreen windows where there is no layer shell.
#   wayland.sh ROVANEL HEADLESS WLPOINTER      (screenshots in $E2E_SHOTS, default /tmp/rovanel-e2e-wl)
set -u
[ $# -ge 3 ] || { echo "usage: wayland.sh ROVANEL HEADLESS WLPOINTER" >&2; exit 2; }
ROVANEL=$(realpath "$1") HEADLESS=$(realpath "$2") WLPOINTER=$(realpath "$3")
. "$(dirname "$0")/lib.sh"
e2e_init
SHOTS=${E2E_SHOTS:-/tmp/rovanel-e2e-wl}
mkdir -p "$SHOTS"
export NO_AT_BRIDGE=1  # no accessibility bus for GTK
unset DISPLAY XSCREENSAVER_WINDOW ROVANEL_SEED ROVANEL_SCALE ROVANEL_TRACE
export XDG_RUNTIME_DIR="$E2E_TMP/run"  # the lock's, private
mkdir -m 700 "$XDG_RUNTIME_DIR"
DIALOG=巡回セールスマン問題設定画面 runs=0

# Starts rovanel in the background; sets PID, and OUT and ERR to the files of its output.
start() {
  runs=$((runs + 1))
  OUT=$E2E_TMP/out.$runs ERR=$E2E_TMP/err.$runs
  spawn PID "$ROVANEL" "$@" >"$OUT" 2>"$ERR"
}
wl_shot() { grim -o "$1" "$2"; }
# black OUTPUT FILE: the output shows nothing but black.
black() { wl_shot "$1" "$2" && [ "$(convert "$2" -fill white +opaque black -format '%[fx:round(mean*w*h)]' info:)" = 0 ]; }
# The window of $PID titled $1, as sway places it: WIN_X WIN_Y, its client area's corner.
window_at() {
  # shellcheck disable=SC2046
  set -- $(swaymsg -t get_tree | jq -r --arg t "$1" --argjson p "$PID" '.. | objects |
    select(.pid? == $p and .name == $t and .visible) | "\(.rect.x + .window_rect.x) \(.rect.y + .window_rect.y) \(.window_rect.width) \(.window_rect.height)"')
  [ $# = 4 ] && WIN_X=$1 WIN_Y=$2 WIN_W=$3 WIN_H=$4
}
# The dialogs' regions for readable(): at the window's client area on the first output.
in_window() { echo "$3+$((WIN_X + $1))+$((WIN_Y + $2))"; }

sway_start || exit 1
pointer_start
echo "# what every face does, on $(wl_outputs | tr '\n' ' ')"
face_start() { start "$@"; }
face_shown() { wl_shot "$OUTPUT1" "$1" && has_tour "$1" 1024x768+0+0; }
face_first_move() { wl_move 101 102; }
face_move() { wl_move 1300 300; }  # over the other output
face_key() { wl_key; }
face_click() { wl_click; }
face_wheel() { wl_wheel; }
face_dialog() {
  window_at "$DIALOG" && wl_shot "$OUTPUT1" "$1" && dialog_readable "$1" 96 && OK_AT="$((WIN_X + 156)) $((WIN_Y + 204))"
}
face_message() {
  window_at Rovanel && wl_shot "$OUTPUT1" "$1" && readable "$1" "$(in_window 20 30 310x30)" &&
    OK_AT="$((WIN_X + WIN_W / 2)) $((WIN_Y + WIN_H - 22))"
}
# shellcheck disable=SC2086
face_close() { wl_move $OK_AT && wl_click; }
saver_contract wayland 1024x768
start /s
poll 10 face_shown "$SHOTS/show.png"
check "the other output is black" black "$OUTPUT2" "$SHOTS/other.png"
ends_by "a key" wl_key

echo "# scale 2: the show of the logical size, lines two device pixels wide; a scale of 1.5"
swaymsg output "$OUTPUT1" scale 2 >/dev/null
ROVANEL_SEED=319 ROVANEL_TRACE=1 start /s
check "the show at scale 2" poll 10 face_shown "$SHOTS/scale-2.png"
check "the same run as rovanel-headless at 512x384" same_run 512x384
check "the bar two pixels thick" [ "$(count_colour "$SHOTS/scale-2.png" 1x400+784+0 ff0000)" = 2 ]
ends_by "a key" wl_key
swaymsg output "$OUTPUT1" scale 1 >/dev/null
ROVANEL_SEED=319 ROVANEL_TRACE=1 ROVANEL_SCALE=1.5 start /s
check "ROVANEL_SCALE=1.5, drawn through the viewport: the show" poll 10 face_shown "$SHOTS/scale-1.5.png"
check "the same run as rovanel-headless at 1024x768" same_run 1024x768
ends_by "a key" wl_key

echo "# the idle starters: swayidle, and rovanel --idle on org_kde_kwin_idle"
spawn idler swayidle -w timeout 2 "'$ROVANEL' /s &" >"$E2E_TMP/swayidle.log" 2>&1
t0=$(now_ms)
check "swayidle -w timeout 2 starts the show" poll 10 face_shown "$SHOTS/swayidle.png"
echo "  (after $(($(now_ms) - t0)) ms)"
show=$(pgrep -f "^$ROVANEL /s")
wl_key
check "a key ends that show" poll 1 eval '! ps -o stat= -p "$show" | grep -q "^[^Z]"'
kill "$idler"
start --idle 2
watcher=$PID
t0=$(now_ms)
check "rovanel --idle 2 starts the show after two seconds" poll 10 face_shown "$SHOTS/idle.png"
first=$(($(now_ms) - t0))
wl_key
t0=$(now_ms)
sleep 1
check "a key ends it; after another two idle seconds it starts again" poll 10 face_shown "$SHOTS/idle-again.png"
echo "  (after $first ms, then $(($(now_ms) - t0 + 1000)) ms)"
PID=$watcher
ends_by "SIGTERM ends the watcher and its show" kill "$PID"
check "no show is left" [ -z "$(pgrep -f "^$ROVANEL /s")" ]

echo "# rovanel --autostart: the login's entry, exactly one watcher, the time replaced, off"
export XDG_CONFIG_HOME="$E2E_TMP/config"
entry=$XDG_CONFIG_HOME/autostart/rovanel-idle.desktop
watchers() { pgrep -f -c "^$1 --idle" || true; }
quiet "$ROVANEL" --autostart 2
check "--autostart 2: the entry valid, running rovanel --idle 2; one watcher" eval \
  'desktop-file-validate "$entry" && grep -q -x "Exec=$ROVANEL --idle 2" "$entry" && [ "$(watchers "$ROVANEL")" = 1 ]'
check "its show starts after two idle seconds" poll 10 face_shown "$SHOTS/autostart.png"
wl_key
quiet "$ROVANEL" --autostart 3
check "run again: the entry's time replaced, still one watcher" eval \
  'grep -q -x "Exec=$ROVANEL --idle 3" "$entry" && [ "$(watchers "$ROVANEL")" = 1 ]'
quiet "$ROVANEL" --autostart off
check "off: no entry, no watcher" eval '[ ! -e "$entry" ] && [ "$(watchers "$ROVANEL")" = 0 ]'
# A program in a folder with a blank: its entry, launched as a desktop launches it, runs it.
mkdir "$E2E_TMP/a b" && cp "$ROVANEL" "$E2E_TMP/a b/rovanel"
quiet "$E2E_TMP/a b/rovanel" --autostart 2 && pkill -f "^$E2E_TMP/a b/rovanel --idle"
poll 5 eval '[ "$(watchers "$E2E_TMP/a b/rovanel")" = 0 ]' && quiet gio launch "$entry"
check "a path with a blank: quoted in the entry, which gio launch runs" poll 5 eval \
  '[ "$(watchers "$E2E_TMP/a b/rovanel")" = 1 ]'
quiet "$E2E_TMP/a b/rovanel" --autostart off
for bad in "" 0 86401 x "5 extra"; do
  # shellcheck disable=SC2086
  "$ROVANEL" --autostart $bad >/dev/null 2>"$E2E_TMP/err"
  check "--autostart '$bad': status 2 and the usage" [ "$?$(grep -c '^usage:' "$E2E_TMP/err")" = 21 ]
done
pkill -f "^$ROVANEL --idle" || true
unset XDG_CONFIG_HOME

echo "# the compositor killed under the saver"
start /s
poll 10 face_shown "$E2E_TMP/shown.png"
ends_within "$PID" 1000 kill -KILL "$SWAY_PID"
check "it ends within a second ($DELAY ms), one line naming the compositor" \
  [ "$STATUS$(wc -l <"$ERR")$(grep -c "Wayland compositor '$WAYLAND_DISPLAY'" "$ERR")" = 111 ]

echo "# outputs unplugged on a nested sway: the show moves to the first output left"
sway_start nested || exit 1
ROVANEL_SEED=319 ROVANEL_TRACE=1 start /s
check "the show on $OUTPUT1" poll 10 face_shown "$E2E_TMP/shown.png"
swaymsg -s "$SWAY_HOST_SOCK" "[title=\"^wlroots - $OUTPUT1\$\"] kill" >/dev/null
check "$OUTPUT1 unplugged: the show moves to $OUTPUT2 at once" \
  poll 2 eval 'wl_shot "$OUTPUT2" "$SHOTS/moved.png" && has_tour "$SHOTS/moved.png" 800x600+0+0'
swaymsg create_output >/dev/null
added=$(wl_outputs | tail -n 1)
check "a new output $added turns black" poll 2 black "$added" "$SHOTS/nested-added.png"
check "the run goes on: the same run, the first problem at 1024x768" same_run 1024x768
ends_by "then a key" wl_key
# compositor_runs NAME SOCKET COMMAND...: that compositor started (it makes SOCKET); the show, as
# --idle 2 starts it, runs seed 319 as rovanel-headless does at 1024x768; SIGTERM ends both.
compositor_runs() {
  cr_name=$1 WAYLAND_DISPLAY=$2
  shift 2
  spawn cr_pid "$@" >"$E2E_TMP/$cr_name.log" 2>&1
  poll 20 [ -S "$WAYLAND_DISPLAY" ] || { fail "$cr_name did not start: $(cat "$E2E_TMP/$cr_name.log")"; return; }
  ROVANEL_SEED=319 ROVANEL_TRACE=1 start --idle 2
  check "$cr_name: after two idle seconds the show runs, the same run" poll 10 same_run 1024x768
  ends_by "$cr_name: SIGTERM ends the watcher" kill "$PID"
  check "$cr_name: and its show" [ -z "$(pgrep -f "^$ROVANEL /s")" ]
}
echo "# KWin (the layer shell at version 3; ext_idle_notifier_v1), GNOME's mutter (no layer shell:"
echo "# fullscreen windows; the idle monitor on D-Bus), their virtual outputs"
# KWin's binary is a copy: this sandbox refuses to run one with a file capability.
private=$E2E_TMP/private
mkdir -m 700 "$private" && cp /usr/bin/kwin_wayland "$private/"
export HOME="$private" DBUS_SESSION_BUS_ADDRESS="unix:path=$private/bus"
compositor_runs KWin "$private/wayland-kwin" env XDG_RUNTIME_DIR="$private" \
  QT_QPA_PLATFORM=wayland-org.kde.kwin.qpa "$private/kwin_wayland" --virtual --socket wayland-kwin \
  --output-count 2 --no-lockscreen --no-global-shortcuts
spawn bus dbus-daemon --session --nofork --address="$DBUS_SESSION_BUS_ADDRESS" 2>/dev/null
poll 5 [ -S "$private/bus" ]
compositor_runs mutter "$private/wayland-gnome" env XDG_RUNTIME_DIR="$private" mutter --headless \
  --wayland --no-x11 --wayland-display=wayland-gnome --virtual-monitor 1024x768
echo "# input-to-exit delays (ms, a key's with wtype's 100 ms pause):$DELAYS; screenshots in $SHOTS"
e2e_finish
