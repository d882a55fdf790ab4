#!/bin/sh
# End-to-end tests of Rovanel.scr under Wine, in a private X display and a private WINEPREFIX.
#   win32.sh ROVANEL_SCR XPROBE WINPROBE_EXE
# Screenshots are kept in $E2E_SHOTS (default /tmp/rovanel-e2e-win32).
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
. "$here/wine.sh"

[ $# -eq 3 ] || { echo "usage: win32.sh ROVANEL_SCR XPROBE WINPROBE_EXE" >&2; exit 2; }
scr=$(realpath "$1")
xprobe=$(realpath "$2")
winprobe=$(realpath "$3")
shots=${E2E_SHOTS:-/tmp/rovanel-e2e-win32}
mkdir -p "$shots"

saver_title='巡回セールスマン問題'
dialog_title='巡回セールスマン問題設定画面'
# The first problem of these seeds has 49 points (rovanel-headless --seed S --trace); in the
# first second of seed 45 an improvement, and so a frame, follows another.
seed49=319
seed49_busy=45
width=1024
height=768
# Input to exit, in milliseconds: at most, and while frames follow each other quickly (with
# frames that still waited for their time after the input, it would take one frame interval per
# improvement still to come before the driver's next yield: several hundred milliseconds).
max_delay=500
max_delay_busy=200

e2e_init
xvfb_start "${width}x${height}"
started=$(now_ms)
wine_init || exit 1
echo "Wine prefix ready in $(($(now_ms) - started)) ms"

# Pixel counts of a screenshot by colour class: black white green red yellow grey other.
census() {
  convert "$1" -format %c histogram:info:- | awk '
    { count = $1 + 0; hex = toupper(substr($0, index($0, "#"), 7)) }
    hex == "#000000" { c[1] += count; next }
    hex == "#FFFFFF" { c[2] += count; next }
    hex == "#00FF00" { c[3] += count; next }
    hex == "#FF0000" { c[4] += count; next }
    hex == "#FFFF00" { c[5] += count; next }
    substr(hex, 2, 2) == substr(hex, 4, 2) && substr(hex, 4, 2) == substr(hex, 6, 2) {
      c[6] += count; next }
    { c[7] += count }
    END { print c[1] + 0, c[2] + 0, c[3] + 0, c[4] + 0, c[5] + 0, c[6] + 0, c[7] + 0 }'
}

# A whole saver frame: black but for the palette, points below the top band (a circle is about a
# dozen pixels; at least $2 of them), a green tour, every red pixel in the scale bar's corner
# and the status text at the top left.
saver_frame_ok() {
  # shellcheck disable=SC2046
  set -- "$1" "$2" $(census "$1")
  file=$1 circles=$2 black=$3 green=$5 red=$6 other=$9
  bar=$(count_colour "$file" "150x55+$((width - 200))+25" FF0000)
  white_low=$(count_colour "$file" "${width}x$((height - 80))+0+80" FFFFFF)
  # shellcheck disable=SC2046
  set -- $(glyph_stats "$file" 510x25+0+0 light)
  status_glyphs=$1
  ok=true
  [ "$black" -ge $((width * height * 95 / 100)) ] || { echo "  mostly black: $black"; ok=false; }
  [ "$other" -eq 0 ] || { echo "  colours off the palette: $other pixels"; ok=false; }
  [ "$white_low" -ge $((circles * 8)) ] || { echo "  white: $white_low"; ok=false; }
  [ "$green" -gt 0 ] || { echo "  no green tour"; ok=false; }
  if [ "$bar" -lt 101 ] || [ "$bar" -ne "$red" ]; then
    echo "  red: $red, in the bar: $bar"
    ok=false
  fi
  [ "$status_glyphs" -ge 20 ] || { echo "  status text glyphs: $status_glyphs"; ok=false; }
  $ok
}

cursor_is() { [ "$("$xprobe" cursor)" = "$1" ]; }
screensaver_timeout() { xset q | awk '/timeout:/ { print $2 }'; }
alive() { kill -0 "$1" 2>/dev/null; }

# Labels of a window's controls (from winprobe) that must show readable text.
labels_readable() {
  file=$1
  shift
  ok=true
  for region in "$@"; do
    # shellcheck disable=SC2046
    set -- $(glyph_stats "$file" "$region")
    if [ "$1" -lt 3 ] || [ "$2" -ge 40 ]; then
      echo "  text at $region: $1 glyphs, $2% of one shape"
      ok=false
    fi
  done
  $ok
}

# A second instance, whatever its argument, ends at once while $1 runs, and $1 goes on.
second_instances_end() {
  first=$1
  ok=true
  for argument in /s /c /a; do
    t0=$(now_ms)
    wine_start "$scr" "$argument"
    wait_status "$WINE_PID" 30
    [ "$STATUS" = 0 ] || { echo "  second instance $argument: $STATUS"; ok=false; }
    echo "  second instance $argument ended in $(($(now_ms) - t0)) ms"
  done
  alive "$first" || { echo "  the first instance ended"; ok=false; }
  $ok
}

# end_by PID LIMIT WHAT COMMAND...: runs the command (input to the saver) and checks that process
# PID ends within LIMIT ms of it, with status 0.
end_by() {
  eb_pid=$1 eb_bound=$2 eb_what=$3
  shift 3
  ends_within "$eb_pid" "$eb_bound" "$@"
  eb_ok=$?
  echo "  $eb_what: ended in $DELAY ms, status $STATUS"
  return $eb_ok
}

click_centre() {
  # shellcheck disable=SC2046
  set -- $(echo "$1" | tr 'x+' '  ')
  xdotool mousemove $(($3 + $1 / 2)) $(($4 + $2 / 2)) click 1
}

# --- Previews end at once, with no window ---------------------------------------------------
# Wine's trace of window creation, for our windows: the saver, the dialog, the message box.
created_window() { grep -q -E 'WIN_CreateWindowEx .*(L"Rovanel\.|#8002)' "$1"; }
no_window() { ! created_window "$1"; }

for arguments in /P "/p 472"; do
  t0=$(now_ms)
  # shellcheck disable=SC2086
  WINEDEBUG=-all,+win wine "$scr" $arguments >"$E2E_TMP/preview.log" 2>&1 &
  preview=$!
  e2e_track "$preview"
  wait_status "$preview" 30
  check "'$arguments' ends at once with status 0 ($(($(now_ms) - t0)) ms)" test "$STATUS" = 0
  check "'$arguments' creates no window" no_window "$E2E_TMP/preview.log"
done

# --- The saver ------------------------------------------------------------------------------
# run_saver NAME ARGUMENTS SEED FLAG INPUT: starts the saver with the screen saver flag on or
# off, checks it while it runs, ends it with INPUT (move, key, click, close) and checks the end.
run_saver() {
  name=$1 arguments=$2 seed=$3 flag=$4 input=$5
  if [ "$flag" = on ]; then xset s 600; else xset s off; fi
  before=$(screensaver_timeout)
  xdotool mousemove 300 300
  ROVANEL_SEED=$seed
  export ROVANEL_SEED
  # shellcheck disable=SC2086
  wine_start "$scr" $arguments
  saver=$WINE_PID
  if ! wait_window "$saver_title" 30; then
    fail "'$arguments' runs the saver"
    return
  fi
  pass "'$arguments' runs the saver"
  # Wine's first mouse move when the window appears is only recorded.
  sleep 2
  check "$name: the first mouse move does not end it" alive "$saver"
  check "$name: the cursor is hidden" cursor_is hidden
  check "$name: the screen saver flag is on" test "$(screensaver_timeout)" != 0
  shot "$shots/$name.png"
  if [ "$seed" = "$seed49" ]; then circles=40; else circles=1; fi
  check "$name: the frame" saver_frame_ok "$shots/$name.png" "$circles"
  case $input in
    move) set -- "a mouse move" xdotool mousemove_relative 5 3 ;;
    key) set -- "a key" xdotool key x ;;
    click) set -- "a click" xdotool click 1 ;;
    close) set -- "WM_CLOSE" wine "$winprobe" close Rovanel.frmTsp ;;
  esac
  what=$1
  shift
  check "$name: $what ends it" end_by "$saver" "$max_delay" "$what" "$@"
  check "$name: the cursor is visible after" cursor_is visible
  check "$name: the screen saver flag is back ($before)" test "$(screensaver_timeout)" = "$before"
}

run_saver saver-s /s "" on move
# While it runs: no half-drawn frames, and second instances end at once.
xdotool mousemove 300 300
ROVANEL_SEED=
wine_start "$scr" /s
saver=$WINE_PID
if wait_window "$saver_title" 30; then
  sleep 1
  frames_whole=true
  for i in 1 2 3 4 5 6 7 8; do
    shot "$shots/frame-$i.png"
    saver_frame_ok "$shots/frame-$i.png" 1 || { echo "  frame $i"; frames_whole=false; }
  done
  check "screenshots never show a half-drawn frame" $frames_whole
  check "a second instance ends at once while the saver runs" second_instances_end "$saver"
  check "the saver ends on a key after that" end_by "$saver" "$max_delay" key xdotool key space
else
  fail "the saver for the frame checks"
fi

run_saver saver-S /S "" off key
run_saver saver-x /x "" on click
run_saver saver-abc abc "$seed49" on move
run_saver saver-slash / "$seed49" off key
run_saver saver-s-49 /s "$seed49" on click
run_saver saver-close /s "" off close

for wait in 0.1 0.25 0.4; do
  ROVANEL_SEED=$seed49_busy
  wine_start "$scr" /s
  saver=$WINE_PID
  if wait_window "$saver_title" 30; then
    sleep "$wait"
    check "a key $wait s into a busy problem ends it at once" \
      end_by "$saver" "$max_delay_busy" key xdotool key x
  else
    fail "the saver for a key into a busy problem"
  fi
done

# --- The settings dialog --------------------------------------------------------------------
# run_dialog NAME ARGUMENTS END: opens the dialog and closes it with END (enter, ok, cancel,
# close).
run_dialog() {
  name=$1 arguments=$2 end=$3
  # shellcheck disable=SC2086
  wine_start "$scr" $arguments
  dialog=$WINE_PID
  if ! wait_window "$dialog_title" 30; then
    fail "'$arguments' opens the settings dialog"
    return
  fi
  pass "'$arguments' opens the settings dialog"
  sleep 0.5
  controls=$(wine_run "$winprobe" controls Rovanel.frmTspConf)
  shot "$shots/$name.png"
  # shellcheck disable=SC2046
  check "$name: the labels are readable" \
    labels_readable "$shots/$name.png" $(echo "$controls" | awk '$1 == "Static" { print $3 }')
  t0=$(now_ms)
  case $end in
    enter) xdotool key Return ;;
    ok) click_centre "$(echo "$controls" | awk '$2 == 100 { print $3 }')" ;;
    cancel) click_centre "$(echo "$controls" | awk '$2 == 101 { print $3 }')" ;;
    close) wine "$winprobe" close Rovanel.frmTspConf ;;
  esac
  wait_status "$dialog" 10
  check "$name: $end ends it with status 0 ($(($(now_ms) - t0)) ms)" test "$STATUS" = 0
}

run_dialog dialog-none "" enter
run_dialog dialog-c /c ok
run_dialog dialog-C "/C 472" cancel
run_dialog dialog-c-colon /c:472 close

wine_start "$scr" /c
dialog=$WINE_PID
if wait_window "$dialog_title" 30; then
  check "a second instance ends at once while the dialog runs" second_instances_end "$dialog"
  xdotool key Return
  wait_status "$dialog" 10
else
  fail "the dialog for the second instances"
fi

# --- The password message -------------------------------------------------------------------
WINEDEBUG=-all,+win wine "$scr" /a 472 >"$E2E_TMP/box.log" 2>&1 &
box=$!
e2e_track "$box"
if wait_window Rovanel 30; then
  pass "'/a 472' shows the message box"
  sleep 0.5
  controls=$(wine_run "$winprobe" controls '#32770')
  shot "$shots/message-box.png"
  # shellcheck disable=SC2046
  check "the message is readable" labels_readable "$shots/message-box.png" \
    $(echo "$controls" | awk '$1 == "Static" { print $3 }')
  t0=$(now_ms)
  click_centre "$(echo "$controls" | awk '$1 == "Button" { print $3 }')"
  wait_status "$box" 10
  check "OK ends it with status 0 ($(($(now_ms) - t0)) ms)" test "$STATUS" = 0
  check "the trace shows the message box (so it would show a preview's window)" \
    created_window "$E2E_TMP/box.log"
else
  fail "'/a 472' shows the message box"
fi

echo "Screenshots in $shots; $(($(now_ms) - started)) ms in all"
e2e_finish
