; The Windows installer of the strip. Built by packaging/windows/CMakeLists.txt with
;   makensis -DVERSION=<x.y.z> -DSTAGE=<folder with the programs> -DOUTFILE=<setup.exe> zrm58.nsi
; A per-user installation (no administrator rights): the programs go to
; %LOCALAPPDATA%\Programs\ZRM58, which the user can write, so the settings file ZRM58.ini is
; kept beside the program. The uninstaller removes what the installer put there and leaves the
; settings file (and with it the folder) in place.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "Sections.nsh"
!include "WinMessages.nsh"

Name "ZRM58 ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\ZRM58"
InstallDirRegKey HKCU "Software\ZRM58" "InstallDir"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\ZRM58"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\zrm58.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Japanese"
!insertmacro MUI_LANGUAGE "English"

Section "ZRM58" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${STAGE}\zrm58.exe"
  File "${STAGE}\zrm58-line.exe"
  File "${STAGE}\README.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\ZRM58.lnk" "$INSTDIR\zrm58.exe"
  WriteRegStr HKCU "Software\ZRM58" "InstallDir" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "ZRM58"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zrm58.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Off unless chosen (on the components page, or /AUTOSTART=1 on a silent installation).
Section /o "Start at logon" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "ZRM58" '"$INSTDIR\zrm58.exe"'
SectionEnd

Function .onInit
  ${If} ${Silent}
    ClearErrors
    ${GetParameters} $0
    ${GetOptions} $0 "/AUTOSTART=" $1
    ${IfNot} ${Errors}
    ${AndIf} $1 == "1"
      SectionSetFlags ${SecAutostart} ${SF_SELECTED}
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  ; A running strip would keep its program file: ask it to close (it saves its settings).
  FindWindow $0 "ZRM58Strip" ""
  ${If} $0 <> 0
    SendMessage $0 ${WM_CLOSE} 0 0
    Sleep 500
  ${EndIf}
  Delete "$INSTDIR\zrm58.exe"
  Delete "$INSTDIR\zrm58-line.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  Delete "$SMPROGRAMS\ZRM58.lnk"
  DeleteRegValue HKCU "${RUN_KEY}" "ZRM58"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  DeleteRegKey HKCU "Software\ZRM58"
  ; Not /r: the folder goes only when empty, so ZRM58.ini (the settings) stays.
  RMDir "$INSTDIR"
SectionEnd
