; SPDX-License-Identifier: MIT
; The Kestrin installer for 64-bit Windows. Built by the windows_package target
; (CMakeLists.txt beside this file), which passes VERSION, PUBLISHER, LICENSE, ICON, OUTFILE
; and FILES, the generated list of what to install and what the uninstaller removes.
; A 64-bit installer (amd64 stubs): it sees the 64-bit Program Files and registry as they
; are, with no redirection, as the 64-bit program it installs does.
;
; For all users (Program Files, HKLM; needs an administrator) or for the current user alone
; (%LOCALAPPDATA%\Programs\Kestrin, HKCU; no administrator): a page asks, and /AllUsers or
; /CurrentUser choose on the command line (an administrator's default is all users). /PATH
; selects "kestrin-cli on the PATH" for a silent install (/S). An installed older version is
; uninstalled in place first; a newer one, or a running Kestrin, stops the installer.
Target amd64-unicode
Unicode true
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrin"
; Written by kestrin.exe itself at start (common/Registration.cpp); removed with it.
!define APP_PATHS_KEY "Software\Microsoft\Windows\CurrentVersion\App Paths\kestrin.exe"
!define OWN_KEY "Software\${PUBLISHER}\Kestrin"
; "Open with" for text files.
!define OPEN_WITH_KEY "Software\Classes\Applications\kestrin.exe"
!define TXT_OPEN_WITH_KEY "Software\Classes\.txt\OpenWithList\kestrin.exe"
!define USER_ENVIRONMENT_KEY "Environment"
!define MACHINE_ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
; Held by a running kestrin.exe (app/RunningMark.h).
!define RUNNING_MARK "Tarrowby.Kestrin.Running"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR "Kestrin"
; An installed copy decides the mode and the folder: the uninstall entry says where it is.
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include "MultiUser.nsh"
!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"
!include "WinMessages.nsh"
!include "WordFunc.nsh"
!include "Sections.nsh"
!include "StrFunc.nsh"
${Using:StrFunc} StrStr
${Using:StrFunc} UnStrRep
!include "${FILES}"

Name "Kestrin ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PUBLISHER}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey "ProductName" "Kestrin"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "Kestrin ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "(c) 2026 ${PUBLISHER}, MIT licence"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\kestrin.exe"
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var OldVersion

; Refuses while Kestrin runs: its files could not all be replaced or removed.
!macro RefuseWhileRunning
  System::Call 'kernel32::OpenMutexW(i 0x00100000, i 0, w "${RUNNING_MARK}") p .r0'
  ${If} $0 P<> 0
    System::Call 'kernel32::CloseHandle(p r0)'
    MessageBox MB_OK|MB_ICONSTOP "Kestrin is running. Close it, then start again." /SD IDOK
    SetErrorLevel 3
    Quit
  ${EndIf}
!macroend

Section "Kestrin" SectionKestrin
  SectionIn RO
  ; An older (or the same) version: its own uninstaller removes it in place first, so that
  ; nothing of it is left over the new files.
  ${If} $OldVersion != ""
  ${AndIf} ${FileExists} "$INSTDIR\Uninstall.exe"
    ExecWait '"$INSTDIR\Uninstall.exe" /S _?=$INSTDIR'
    Delete "$INSTDIR\Uninstall.exe"
  ${EndIf}
  !insertmacro KestrinInstallFiles
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Kestrin.lnk" "$INSTDIR\kestrin.exe"

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "Kestrin"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kestrin.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0

  ; "Open with" Kestrin for text files: kestrin.exe FILE opens FILE to split.
  WriteRegStr SHCTX "${OPEN_WITH_KEY}" "FriendlyAppName" "Kestrin"
  WriteRegStr SHCTX "${OPEN_WITH_KEY}\shell\open\command" "" '"$INSTDIR\kestrin.exe" "%1"'
  WriteRegStr SHCTX "${OPEN_WITH_KEY}\SupportedTypes" ".txt" ""
  WriteRegStr SHCTX "${TXT_OPEN_WITH_KEY}" "" ""
SectionEnd

Section /o "kestrin-cli on the PATH" SectionPath
  ${If} $MultiUser.InstallMode == "AllUsers"
    ReadRegStr $0 HKLM "${MACHINE_ENVIRONMENT_KEY}" "Path"
  ${Else}
    ReadRegStr $0 HKCU "${USER_ENVIRONMENT_KEY}" "Path"
  ${EndIf}
  ${StrStr} $1 ";$0;" ";$INSTDIR;"
  ${If} $1 == ""
    ${If} $0 == ""
      StrCpy $0 "$INSTDIR"
    ${Else}
      StrCpy $0 "$0;$INSTDIR"
    ${EndIf}
    ${If} $MultiUser.InstallMode == "AllUsers"
      WriteRegExpandStr HKLM "${MACHINE_ENVIRONMENT_KEY}" "Path" "$0"
    ${Else}
      WriteRegExpandStr HKCU "${USER_ENVIRONMENT_KEY}" "Path" "$0"
    ${EndIf}
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
  ${EndIf}
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "OnPath" 1
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SectionKestrin} "The window, kestrin-cli and Ostrel."
  !insertmacro MUI_DESCRIPTION_TEXT ${SectionPath} "Adds the installation folder to the PATH, so that kestrin-cli runs from any command prompt."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; After the sections, whose indexes it names.
Function .onInit
  !insertmacro RefuseWhileRunning
  !insertmacro MULTIUSER_INIT
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/PATH" $R1
  ${IfNot} ${Errors}
    SectionSetFlags ${SectionPath} ${SF_SELECTED}
  ${EndIf}
  ; An installed newer version stays: installing this one would go back.
  ReadRegStr $OldVersion SHCTX "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $OldVersion != ""
    ${VersionCompare} "$OldVersion" "${VERSION}" $R2
    ${If} $R2 == 1
      MessageBox MB_OK|MB_ICONSTOP "Kestrin $OldVersion is installed, newer than ${VERSION}." /SD IDOK
      SetErrorLevel 4
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro RefuseWhileRunning
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

Section "Uninstall"
  Delete "$SMPROGRAMS\Kestrin.lnk"
  !insertmacro KestrinDeleteFiles
  ; The settings the window keeps beside itself where its folder may be written; those in
  ; %APPDATA% are the user's and stay.
  Delete "$INSTDIR\kestrin.dat"
  Delete "$INSTDIR\Uninstall.exe"
  ; Not /r: a folder that holds anything else than what was installed stays, with it.
  RMDir "$INSTDIR"

  ; The folder leaves the PATH again, wherever it stands in it.
  ReadRegDWORD $0 SHCTX "${UNINSTALL_KEY}" "OnPath"
  ${If} $0 == 1
    ${If} $MultiUser.InstallMode == "AllUsers"
      ReadRegStr $0 HKLM "${MACHINE_ENVIRONMENT_KEY}" "Path"
    ${Else}
      ReadRegStr $0 HKCU "${USER_ENVIRONMENT_KEY}" "Path"
    ${EndIf}
    ${UnStrRep} $0 ";$0;" ";$INSTDIR;" ";"
    ; Without the separators added above.
    StrCpy $0 $0 "" 1
    StrCpy $0 $0 -1
    ${If} $MultiUser.InstallMode == "AllUsers"
      WriteRegExpandStr HKLM "${MACHINE_ENVIRONMENT_KEY}" "Path" "$0"
    ${ElseIf} $0 == ""
      DeleteRegValue HKCU "${USER_ENVIRONMENT_KEY}" "Path"
    ${Else}
      WriteRegExpandStr HKCU "${USER_ENVIRONMENT_KEY}" "Path" "$0"
    ${EndIf}
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=2000
  ${EndIf}

  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  DeleteRegKey SHCTX "${OPEN_WITH_KEY}"
  DeleteRegKey SHCTX "${TXT_OPEN_WITH_KEY}"
  DeleteRegKey /ifempty SHCTX "Software\Classes\.txt\OpenWithList"
  ; The program's own entries only while they name this copy: another copy started since
  ; (from a zip, say) has made them its own. Machine-wide, where the program writes them.
  ReadRegStr $0 HKLM "${APP_PATHS_KEY}" ""
  StrCmp $0 "$INSTDIR\kestrin.exe" 0 +2
    DeleteRegKey HKLM "${APP_PATHS_KEY}"
  ReadRegStr $0 HKLM "${OWN_KEY}" ""
  StrCmp $0 "$INSTDIR" 0 +2
    DeleteRegKey HKLM "${OWN_KEY}"
  DeleteRegKey /ifempty HKLM "Software\${PUBLISHER}"
SectionEnd
