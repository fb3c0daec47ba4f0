; The Windows installer of the strip. Built by packaging/windows/CMakeLists.txt with
;   makensis -DVERSION=<x.y.z> -DSTAGE=<folder with the programs> -DOUTFILE=<setup.exe> zrm58.nsi
; A per-user installation (no administrator rights): the programs go to
; %LOCALAPPDATA%\Programs\ZRM58, which the user can write, so the settings file ZRM58.ini is
; kept beside the program. The uninstaller removes what the installer put there and leaves the
; settings file (and with it the folder) in place.
; One installation per user: a later installer finds the folder of the earlier one (the Apps
; entry's InstallLocation) and updates it in place, so the Start-menu entry, the Apps entry and
; the logon entry always lead to the one copy; an uninstaller run from any other folder leaves
; them to that copy.
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
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipDirectoryOnUpdate
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
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Off unless chosen (on the components page, or /AUTOSTART=1 on a silent installation).
Section /o "Start at logon" SecAutostart
  WriteRegStr HKCU "${RUN_KEY}" "ZRM58" '"$INSTDIR\zrm58.exe"'
SectionEnd

; The folder of the installation already there ("" when none): named by the Apps entry (or the
; older key) and still holding the program.
Var Installed

Function .onInit
  ReadRegStr $Installed HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $Installed == ""
    ReadRegStr $Installed HKCU "Software\ZRM58" "InstallDir"
  ${EndIf}
  ${If} $Installed != ""
  ${AndIfNot} ${FileExists} "$Installed\zrm58.exe"
    StrCpy $Installed ""
  ${EndIf}
  ; Updated in place, whatever folder /D= or the directory page would give.
  ${If} $Installed != ""
    StrCpy $INSTDIR $Installed
  ${EndIf}
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

; An update has its folder already: the directory page is not shown.
Function SkipDirectoryOnUpdate
  ${If} $Installed != ""
    Abort
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
  ; The entries belong to the folder the registry names; a copy elsewhere leaves them to it.
  ReadRegStr $1 HKCU "Software\ZRM58" "InstallDir"
  ${If} $1 == ""
  ${OrIf} $1 == $INSTDIR
    Delete "$SMPROGRAMS\ZRM58.lnk"
    DeleteRegValue HKCU "${RUN_KEY}" "ZRM58"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
    DeleteRegKey HKCU "Software\ZRM58"
  ${EndIf}
  ; Not /r: the folder goes only when empty, so ZRM58.ini (the settings) stays.
  RMDir "$INSTDIR"
SectionEnd
