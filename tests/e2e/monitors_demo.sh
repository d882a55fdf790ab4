#!/bin/sh
# Two monitors from the Xorg dummy driver, in both layouts: the real XScreenSaver daemon runs
# rovanel on each monitor, and (with WINPROBE_EXE) what Windows programs see of them under Wine.
#   monitors_demo.sh ROVANEL [WINPROBE_EXE]
# Screenshots are kept in $E2E_SHOTS (default /tmp/rovanel-e2e-monitors).
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
. "$here/wine.sh"

if [ $# -lt 1 ] || [ ! -x "$1" ]; then
  echo "usage: monitors_demo.sh ROVANEL [WINPROBE_EXE]" >&2
  exit 2
fi
rovanel=$1
winprobe=${2:+$(realpath "$2")}
shots=${E2E_SHOTS:-/tmp/rovanel-e2e-monitors}
mkdir -p "$shots"

# What monitor $2 (WxH+X+Y) of screenshot $1 shows: "error" for XScreenSaver's box for a hack
# that ended (a red frame and red text in the middle; the show's only red is its scale bar in
# the top 80 rows), "show" for a green tour, else "blank".
monitor_state() {
  # shellcheck disable=SC2046
  set -- "$1" "$2" $(echo "$2" | tr 'x+' '  ')
  if [ "$(count_colour "$1" "${3}x$(($4 - 80))+$5+$(($6 + 80))" FF0000)" -ge 100 ]; then
    echo error
  elif [ "$(count_colour "$1" "$2" 00FF00)" -ge 50 ]; then
    echo show
  else
    echo blank
  fi
}

# Waits up to 10 s until every monitor shows the tour; false at once on an error box (final until
# the next cycle). Screenshot in $1, states in STATES.
every_monitor_shows() {
  ems_i=0
  while [ "$ems_i" -lt 25 ]; do
    shot "$1"
    STATES=$(for m in $(monitors); do monitor_state "$1" "$m"; done | tr '\n' ' ')
    case $STATES in *error*) return 1 ;; *blank*) ;; *) return 0 ;; esac
    ems_i=$((ems_i + 1))
    sleep 0.2
  done
  return 1
}

e2e_init
started=$(now_ms)
xorg_start right || exit 1
echo "# Xorg on $DISPLAY in $(($(now_ms) - started)) ms"
if [ -n "$winprobe" ]; then
  started=$(now_ms)
  wine_init || exit 1
  echo "# Wine prefix ready in $(($(now_ms) - started)) ms"
fi

for layout in right left; do
  xorg_layout "$layout"
  echo "# second monitor $layout of the primary: $(monitors | tr '\n' ' ')"
  shot "$shots/$layout-desktop.png"
  check "a screenshot covers both monitors" \
    [ "$(identify -format %wx%h "$shots/$layout-desktop.png")" = 1824x768 ]
  # shellcheck disable=SC2046
  set -- $(monitors | sed -n 2p | tr 'x+' '  ')
  xdotool mousemove $(($3 + 10)) $(($4 + 10))
  check "the pointer moves onto the second monitor" \
    [ "$(xdotool getmouselocation | cut -d' ' -f1-2)" = "x:$(($3 + 10)) y:$(($4 + 10))" ]

  xss_start "$rovanel" --root || exit 1
  started=$(now_ms)
  xss_command -activate >/dev/null
  every_monitor_shows "$shots/$layout-xss.png"
  hacks=$(xss_hacks)
  check "XScreenSaver runs rovanel on every monitor: $STATES($(($(now_ms) - started)) ms)" \
    [ "$STATES$(echo "$hacks" | wc -l)" = "show show 2" ]
  xss_command -cycle >/dev/null
  sleep 1
  every_monitor_shows "$shots/$layout-cycled.png"
  check "a cycle starts new ones on every monitor: $STATES" \
    [ "$STATES$(xss_hacks | grep -cvFx "$hacks")" = "show show 2" ]
  xss_command -deactivate >/dev/null
  check "deactivating ends every hack" xss_no_hacks 5
  check "the daemon stops and no hack is left" xss_stop

  if [ -n "$winprobe" ]; then
    wine_run "$winprobe" monitors >"$E2E_TMP/monitors"
    sed 's/^/  /' "$E2E_TMP/monitors"
    case $layout in
      right) expected="monitor 800x600+1024+0 dpi=96
virtual 1824x768+0+0" ;;
      left) expected="monitor 800x600-800+0 dpi=96
virtual 1824x768-800+0" ;;
    esac
    check "Wine: the primary at the origin, the other beside it" \
      [ "$(head -3 "$E2E_TMP/monitors")" = "monitor 1024x768+0+0 dpi=96 primary
$expected" ]
  fi
done

if [ -n "$winprobe" ]; then
  wine_dpi 192
  check "Wine at 192 dpi" \
    [ "$(wine_run "$winprobe" monitors | tail -1)" = "window dpi=192 logpixels=192" ]
fi
e2e_finish
