#!/bin/sh
# End-to-end tests of the packages: the Windows installer and zip under Wine, in a private X
# display and WINEPREFIX; the Debian package installed, run and purged with apt on this machine
# (root, or sudo).
#   packages.sh SETUP_EXE ZIP DEB
set -u
here=$(cd "$(dirname "$0")" && pwd)
. "$here/lib.sh"
. "$here/wine.sh"

[ $# -eq 3 ] || { echo "usage: packages.sh SETUP_EXE ZIP DEB" >&2; exit 2; }
setup=$(realpath "$1")
zip=$(realpath "$2")
deb=$(realpath "$3")
version=$(basename "$setup" | sed 's/^Rovanel-\(.*\)-setup\.exe$/\1/')

e2e_init
xvfb_start
wine_init || exit 1
unset ROVANEL_SEED

desktop='HKCU\Control Panel\Desktop'
app_key='HKCU\Software\Rovanel'
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Rovanel'

quiet() { "$@" >>"$E2E_TMP/tools.log" 2>&1; }

# The data of a registry value; false if there is no such value.
reg_value() {
  wine reg query "$1" /v "$2" 2>>"$E2E_TMP/wine.log" | tr -d '\r' |
    awk -v name="$2" '$1 == name { sub(/^ *[^ ]+ +REG_[A-Z_]+ +/, ""); print; found = 1 }
      END { exit !found }'
}
set_screensaver() {
  if [ -n "$1" ]; then
    quiet wine reg add "$desktop" /v SCRNSAVE.EXE /d "$1" /f
  else
    quiet wine reg delete "$desktop" /v SCRNSAVE.EXE /f
  fi
}
screensaver_is() {
  if [ -n "$1" ]; then [ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$1" ]; else
    ! reg_value "$desktop" SCRNSAVE.EXE >/dev/null; fi
}
uninstall_entry_complete() {
  for name in DisplayName DisplayVersion Publisher UninstallString QuietUninstallString \
    InstallLocation NoModify NoRepair EstimatedSize; do
    [ -n "$(reg_value "$uninstall_key" "$name")" ] || { echo "  no $name"; return 1; }
  done
  [ "$(reg_value "$uninstall_key" DisplayVersion)" = "$version" ]
}
same_file() { [ "$(realpath "$1")" = "$(realpath "$2")" ]; }
depends_on_libraries() { dpkg-deb -f "$deb" Depends | grep -q 'libgtk-3-0.*libx11-6'; }
headless_runs() { rovanel-headless --seed 5 --n 4 --type 3 --trace | grep -q '^problem 1 n=4 type=3 '; }
all_gone() {
  [ ! -e "$dir" ] && ! wine reg query "$app_key" >/dev/null 2>&1 &&
    ! wine reg query "$uninstall_key" >/dev/null 2>&1
}

# --- The installer, with a screen saver set before and with none -------------------------------
unzip -p "$zip" Rovanel.scr >"$E2E_TMP/zipped.scr"
for before in 'C:\windows\system32\before.scr' ''; do
  if [ -n "$before" ]; then case="with a screen saver before"; else case="with none before"; fi
  set_screensaver "$before"
  check "$case: the installer ends with status 0" quiet wine "$setup" /S
  dir=$(winepath -u "$(reg_value "$uninstall_key" InstallLocation)" 2>/dev/null)
  check "$case: it installs in the user's local programs folder" \
    same_file "$dir" "$WINEPREFIX/drive_c/users/$(id -un)/AppData/Local/Programs/Rovanel"
  check "$case: it installs the saver of the zip" cmp -s "$E2E_TMP/zipped.scr" "$dir/Rovanel.scr"
  saver=$(reg_value "$desktop" SCRNSAVE.EXE)
  check "$case: SCRNSAVE.EXE is the installed saver" \
    same_file "$(winepath -u "$saver" 2>/dev/null)" "$dir/Rovanel.scr"
  check "$case: the Apps & features entry is complete" uninstall_entry_complete
  if [ -n "$before" ]; then
    check "$case: installing again works too" quiet wine "$setup" /S
    wine_start "$(reg_value "$desktop" SCRNSAVE.EXE)" /s
    if wait_window '巡回セールスマン問題' 30; then
      sleep 1
      check "$case: the installed saver runs and ends on a key with status 0" \
        ends_within "$WINE_PID" 5000 xdotool key x
    else
      fail "$case: the installed saver shows its window"
    fi
  fi
  # The uninstaller runs from a copy of itself in the temp folder, and its first process ends
  # at once: wait for what it removes.
  quiet wine "$dir/Uninstall.exe" /S
  tries=0
  until all_gone || [ "$tries" -ge 60 ]; do sleep 0.5; tries=$((tries + 1)); done
  check "$case: uninstalling leaves no file, folder or key" all_gone
  check "$case: the screen saver before is back" screensaver_is "$before"
done

# --- The zip ---------------------------------------------------------------------------------
check "the zip holds Rovanel.scr and README.txt" \
  test "$(unzip -Z1 "$zip" | sort | tr '\n' ' ')" = "README.txt Rovanel.scr "
check "README.txt has CRLF line ends" \
  test "$(unzip -p "$zip" README.txt | grep -c -v "$(printf '\r')\$")" = 0

# --- The Debian package ----------------------------------------------------------------------
if [ "$(id -u)" -eq 0 ]; then sudo=; else sudo=sudo; fi
export DEBIAN_FRONTEND=noninteractive
check "lintian finds nothing, info and pedantic tags included" \
  test -z "$(lintian -EvIL +pedantic "$deb" 2>/dev/null)"
check "the dependencies come from the linked libraries" depends_on_libraries
check "apt-get installs the package" quiet $sudo apt-get install -y "$deb"
files=$(dpkg -L rovanel | while read -r f; do [ -d "$f" ] || echo "$f"; done)
check "it holds the two programs, their manual pages, description and documents only" \
  test "$(echo "$files" | sort | tr '\n' ' ')" = "/usr/bin/rovanel-headless \
/usr/libexec/xscreensaver/rovanel /usr/share/doc/rovanel/README.md.gz \
/usr/share/doc/rovanel/changelog.gz /usr/share/doc/rovanel/copyright \
/usr/share/man/man6/rovanel-headless.6.gz /usr/share/man/man6/rovanel.6.gz \
/usr/share/xscreensaver/config/rovanel.xml "
check "the installed saver ends at once for /p with status 0" /usr/libexec/xscreensaver/rovanel /p
check "rovanel-headless runs from the PATH" headless_runs
check "apt-get removes and purges it" quiet $sudo apt-get remove --purge -y rovanel
left=$(for f in $files; do [ ! -e "$f" ] || echo "$f"; done)
check "nothing of it is left${left:+: $left}" test -z "$left$(dpkg-query -W -f '${Status}' rovanel 2>/dev/null)"

e2e_finish
