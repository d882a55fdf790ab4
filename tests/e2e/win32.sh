#!/bin/sh
# Rovanel.scr under Wine end to end, on a two-monitor Xorg (the primary right of the other, at
# negative coordinates for Windows) and at 192 dpi in Xvfb: the show and every way it ends, second
# instances, the dialog and the message box; rovanel-headless.exe's golden traces; the packages;
# the icon of every program.
#   win32.sh ROVANEL_SCR HEADLESS_EXE HEADLESS [SETUP_EXE ZIP]   (screenshots in $E2E_SHOTS)
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
[ $# -ge 3 ] || { echo "usage: win32.sh ROVANEL_SCR HEADLESS_EXE HEADLESS [SETUP_EXE ZIP]" >&2; exit 2; }
scr=$(realpath "$1") headless_exe=$(realpath "$2") HEADLESS=$(realpath "$3")
setup=${4:+$(realpath "$4")} zip=${5:+$(realpath "$5")}
shots=${E2E_SHOTS:-/tmp/rovanel-e2e-win32}
mkdir -p "$shots"
unset ROVANEL_SEED ROVANEL_TRACE
saver=巡回セールスマン問題 dialog=巡回セールスマン問題設定画面 desktop='HKCU\Control Panel\Desktop'
e2e_init
# Wine keeps the monitors it finds when the prefix is made: the layout comes first.
xorg_start left || exit 1
primary=1024x768+800+0
# The prefix: no Mono or Gecko (their installers would download them), unmanaged windows (closing
# a managed one waits 2 s for a window manager), a Japanese font for the system's dialogs.
export WINEPREFIX="$E2E_TMP/wineprefix" WINEARCH=win64 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null; e2e_cleanup' EXIT
mkdir -p "$WINEPREFIX"
{ wineserver -p && wineboot -i; } >"$E2E_TMP/wine.log" 2>&1 || { cat "$E2E_TMP/wine.log"; exit 1; }
printf 'REGEDIT4\n[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\n"Managed"="N"\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n"MS UI Gothic"="IPAPGothic"\n' >"$E2E_TMP/prefix.reg"
quiet wine regedit /S "$E2E_TMP/prefix.reg"

# Starts a Windows program in the background, its output to OUT; sets PID.
wine_start() {
  OUT=$E2E_TMP/out.$(now_ms)
  spawn PID wine "$@" >"$OUT" 2>>"$E2E_TMP/wine.log"
}
wine_run() { wine "$@" 2>>"$E2E_TMP/wine.log" | tr -d '\r'; }
flag() { xset q | awk '/timeout:/ { print $2 }'; }
# The images of a program's first icon group, the one Explorer shows: "WxH digest" lines.
icon_of() {
  io_name=$(wrestool -l --type=14 "$1" | sed -n '1s/.*--name=\([^ ]*\) .*/\1/p')
  [ -n "$io_name" ] && wrestool -x --type=14 --name="$io_name" "$1" | identify -format '%wx%h %#\n' ico:- | sort -n
}
icon=$(icon_of "$scr")
sizes=$(echo "$icon" | cut -d' ' -f1 | paste -sd' ' -)
echo "# the icon of Rovanel.scr, $sizes, in each program"
check "Rovanel.scr: the icon at every size from 16 to 256" [ "$sizes" = "16x16 24x24 32x32 48x48 64x64 256x256" ]
for program in "$headless_exe" ${setup:+"$setup"}; do
  check "$(basename "$program"): the same icon" [ "$(icon_of "$program")" = "$icon" ]
done
echo "# a preview ends at once and shows nothing"
WINEDEBUG=-all,+win wine "$scr" /p 472 >"$E2E_TMP/preview.log" 2>&1
check "'/p 472' ends with status 0" [ $? = 0 ]
check "and creates no window" eval "! grep -q -E 'WIN_CreateWindowEx .*(L\"Rovanel\\.|#8002)' '$E2E_TMP/preview.log'"

echo "# what every face does, on two monitors: $(monitors | tr '\n' ' ')"
SHOTS=$shots START_SECONDS=30
face_start() { wine_start "$scr" "$@"; }
face_shown() { wait_window "$saver" 1 && shot "$1" && has_tour "$1" $primary; }
face_first_move() { :; }  # Wine moves the pointer once over a window that appears under it
face_move() { xdotool mousemove 200 300; }
face_key() { xdotool key x; }
face_click() { xdotool click 1; }
face_wheel() { xdotool click 6; }  # a horizontal wheel: WM_MOUSEHWHEEL
face_dialog() { wait_window "$dialog" 1 && sleep 0.5 && shot "$1" && dialog_readable "$1" 96; }
face_message() { wait_window Rovanel 1 && sleep 0.5 && shot "$1" && readable "$1" "$(in_window 3 22 200x20)"; }
face_close() { xdotool key Return; }
saver_contract win32 1024x768

# run_saver ARGUMENTS FLAG WHAT INPUT...: the saver with the screen-saver flag on or off, checked
# while it runs; the input (WHAT) ends it, and the flag is back.
run_saver() {
  arguments=$1 what=$3
  if [ "$2" = on ]; then xset s 600; else xset s off; fi
  shift 3
  before=$(flag)
  # shellcheck disable=SC2086
  wine_start "$scr" $arguments
  wait_window "$saver" 30 || { fail "'$arguments' runs the saver"; return; }
  sleep 2
  check "'$arguments': the screen-saver flag on" [ "$(kill -0 "$PID" && flag)" -gt 0 ]
  shot "$shots/saver.png"
  check "'$arguments': the frame, in the primary monitor only" frame_ok "$shots/saver.png" $primary 1
  ends_by "'$arguments': $what" "$@"
  check "'$arguments': the flag back ($before)" [ "$(flag)" = "$before" ]
}
echo "# the screen-saver flag, WM_CLOSE, the session's end, SIGKILL, /c:472's Cancel"
run_saver abc off "WM_CLOSE (taskkill)" quiet wine taskkill /im Rovanel.scr
run_saver / on "the session's end (wineboot)" quiet wineboot --end-session
wine_start "$scr" /s
wait_window "$saver" 30 && sleep 1
kill -KILL "$PID"
wait_status "$PID" 10
ROVANEL_SEED=45 wine_start "$scr" /s  # improvements follow each other in its first second
wait_window "$saver" 30 && sleep 0.25
ends_within "$PID" 200 xdotool key x
check "after SIGKILL a new one starts, and a key in a busy problem ends it ($DELAY ms)" [ $? = 0 ]
wine_start "$scr" /c:472
wait_window "$dialog" 30 && sleep 0.5
ends_by "'/c:472': Cancel" xdotool key Tab space

echo "# 192 dpi on a 3840x2160 screen: the show of a 1920x1080 one, crisp; the dialog readable"
xvfb_start 3840x2160
wineserver -k  # its desktop lives on the other display
wineserver -w
quiet wine reg add "$desktop" /v LogPixels /t REG_DWORD /d 192 /f
ROVANEL_SEED=319 ROVANEL_TRACE=1 wine_start "$scr" /s
wait_window "$saver" 30 && sleep 2 && shot "$shots/dpi-192.png"
check "the frame" frame_ok "$shots/dpi-192.png" 3840x2160+0+0 2
check "the same run as rovanel-headless at 1920x1080" same_run 1920x1080
check "the bar two pixels thick" [ "$(count_colour "$shots/dpi-192.png" 1x400+3600+0 FF0000)" = 2 ]
ends_by "a key" xdotool key x
wine_start "$scr" /c
wait_window "$dialog" 30 && sleep 0.5 && shot "$shots/dialog-192.png"
check "the dialog's labels are readable, where twice as large they lie" dialog_readable "$shots/dialog-192.png" 192
ends_by "Enter" xdotool key Return
quiet wine reg delete "$desktop" /v LogPixels /f

check "rovanel-headless.exe prints the golden traces" sh "$here/../golden_trace_test.sh" wine "$headless_exe"

if [ -n "$setup" ]; then
  echo "# the installer, for the current user, and the zip"
  reg_value() { wine_run reg query "$1" /v "$2" | awk -v v="$2" '$1 == v { sub(/^ *[^ ]+ +REG_[A-Z_]+ +/, ""); print }'; }
  uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Rovanel'
  all_gone() { [ ! -e "$dir" ] && ! quiet wine reg query "$uninstall_key" && ! quiet wine reg query 'HKCU\Software\Rovanel'; }
  before='C:\windows\system32\before.scr'
  quiet wine reg add "$desktop" /v SCRNSAVE.EXE /d "$before" /f
  check "the installer with /S ends with status 0" quiet wine "$setup" /S
  dir=$(winepath -u "$(reg_value "$uninstall_key" InstallLocation)" 2>/dev/null)
  check "it installs the zip's Rovanel.scr in the user's programs" eval "unzip -p '$zip' Rovanel.scr | cmp -s - '$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/Rovanel/Rovanel.scr'"
  installed=$(reg_value "$desktop" SCRNSAVE.EXE)
  check "it is the screen saver now" [ "$(realpath "$(winepath -u "$installed" 2>/dev/null)")" = "$(realpath "$dir/Rovanel.scr")" ]
  check "with an uninstaller in Apps & features" [ "$(wine_run reg query "$uninstall_key" | grep -c -E '^ +(DisplayName|DisplayVersion|DisplayIcon|Publisher|UninstallString|QuietUninstallString|InstallLocation|NoModify|NoRepair|EstimatedSize) ')" = 10 ]
  display_icon=$(reg_value "$uninstall_key" DisplayIcon)
  check "its icon there: the installed Rovanel.scr's first" \
    [ "$(realpath "$(winepath -u "${display_icon%,*}" 2>/dev/null)") ${display_icon##*,}" = "$(realpath "$dir/Rovanel.scr") 0" ]
  check "the uninstaller: the same icon" [ "$(icon_of "$dir/Uninstall.exe")" = "$icon" ]
  wine_start "$installed" /s
  wait_window "$saver" 30 && sleep 1
  ends_by "the installed saver runs; a key" xdotool key x
  quiet wine "$dir/Uninstall.exe" /S  # it runs on from a copy of itself
  check "the uninstaller with /S leaves no file, folder or key" poll 30 all_gone
  check "and puts the screen saver before back" [ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$before" ]
  check "the zip: Rovanel.scr and a README.txt with CRLF line ends" \
    [ "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')$(unzip -p "$zip" README.txt | grep -c -v "$(printf '\r')\$")" = "README.txt Rovanel.scr 0" ]
fi
echo "# input-to-exit delays (ms):$DELAYS; screenshots in $shots"
e2e_finish
