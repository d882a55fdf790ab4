# Helpers of the Windows end-to-end tests (POSIX sh): a private WINEPREFIX in the test's temp
# dir and programs run under Wine. Source after lib.sh; call wine_init after xvfb_start.

# Creates the prefix (about 15 s); its wine server runs until wine_cleanup.
wine_init() {
  WINEPREFIX=$E2E_TMP/wineprefix
  WINEARCH=win64
  WINEDEBUG=-all
  # No Mono or Gecko: their installers would ask to download them.
  WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEPREFIX WINEARCH WINEDEBUG WINEDLLOVERRIDES
  trap 'wine_cleanup; e2e_cleanup' EXIT
  # A persistent wine server: each start is faster.
  mkdir -p "$WINEPREFIX"
  wineserver -p || return 1
  wineboot -i >"$E2E_TMP/wineboot.log" 2>&1 || { cat "$E2E_TMP/wineboot.log"; return 1; }
  # Unmanaged windows (closing a managed one waits 2 s for a window manager), and a Japanese
  # font for what the system dialogs ask of MS UI Gothic.
  cat >"$E2E_TMP/prefix.reg" <<'REG'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]
"MS UI Gothic"="IPAPGothic"
REG
  wine regedit /S "$E2E_TMP/prefix.reg" >>"$E2E_TMP/wine.log" 2>&1
}

# Ends every Wine process of the test's prefix, and its wine server.
wine_cleanup() { wineserver -k 2>/dev/null || true; }

# Starts a Windows program in the background; sets WINE_PID.
wine_start() {
  wine "$@" >>"$E2E_TMP/wine.log" 2>&1 &
  WINE_PID=$!
  e2e_track "$WINE_PID"
}

# Runs a Windows console program and prints its output without carriage returns.
wine_run() { wine "$@" 2>>"$E2E_TMP/wine.log" | tr -d '\r'; }

# Makes the programs started from now on see $1 dots per inch, on every monitor (Wine 8 has one
# scale for all, and reports every program as per-monitor DPI aware).
wine_dpi() {
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f \
    >>"$E2E_TMP/wine.log" 2>&1
}
