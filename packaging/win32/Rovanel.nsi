; Installer of Rovanel.scr for the current user, without administrator rights. It makes Rovanel
; the current screen saver; the uninstaller puts the previous one back. /S runs either silently.
;   makensis -DVERSION=x.y.z -DSCR=Rovanel.scr -DICON=rovanel.ico
;            -DOUTFILE=Rovanel-x.y.z-setup.exe Rovanel.nsi
; A 64-bit Unicode installer, like the saver it installs.
Target amd64-unicode
RequestExecutionLevel user
ManifestDPIAware true
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh

!define APP_KEY "Software\Rovanel"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Rovanel"
!define DESKTOP_KEY "Control Panel\Desktop"
!define PUBLISHER "The Rovanel developers"

Name "Rovanel"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Rovanel"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$SYSDIR\control.exe"
!define MUI_FINISHPAGE_RUN_PARAMETERS "desk.cpl,,@screensaver"
!define MUI_FINISHPAGE_RUN_TEXT "Open the screen saver settings"
!define MUI_FINISHPAGE_RUN_NOTCHECKED
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Rovanel"
VIAddVersionKey "FileDescription" "Rovanel installer"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright 2026 ${PUBLISHER}"

Section
  SetOutPath "$INSTDIR"
  File "/oname=Rovanel.scr" "${SCR}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  ; Remember the screen saver to put back, or that there was none: the one found now, unless it
  ; is this Rovanel itself (a reinstall keeps what the first install found).
  ReadRegStr $0 HKCU "${APP_KEY}" "ScreenSaver"
  ClearErrors
  ReadRegStr $1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} ${Errors}
    DeleteRegValue HKCU "${APP_KEY}" "PreviousScreenSaver"
  ${ElseIf} $0 == ""
  ${OrIf} $1 != $0
    WriteRegStr HKCU "${APP_KEY}" "PreviousScreenSaver" $1
  ${EndIf}
  ; Windows starts the screen saver from this path without quotes: the short form has no spaces.
  GetFullPathName /SHORT $0 "$INSTDIR\Rovanel.scr"
  WriteRegStr HKCU "${APP_KEY}" "ScreenSaver" $0
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Rovanel"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Rovanel.scr,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  ; The previous screen saver comes back only if Rovanel is still the current one: a saver
  ; chosen since stays.
  ReadRegStr $0 HKCU "${APP_KEY}" "ScreenSaver"
  ReadRegStr $1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 != ""
  ${AndIf} $1 == $0
    ClearErrors
    ReadRegStr $2 HKCU "${APP_KEY}" "PreviousScreenSaver"
    ${If} ${Errors}
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${Else}
      WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $2
    ${EndIf}
  ${EndIf}

  Delete "$INSTDIR\Rovanel.scr"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${APP_KEY}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
