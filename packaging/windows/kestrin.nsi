; SPDX-License-Identifier: MIT
; The Kestrin installer for 64-bit Windows. Built by the windows_package target
; (CMakeLists.txt beside this file), which passes VERSION, PUBLISHER, LICENSE, ICON, OUTFILE
; and FILES, the generated list of what to install and what the uninstaller removes.
; A 64-bit installer (amd64 stubs): it sees the 64-bit Program Files and registry as they
; are, with no redirection, as the 64-bit program it installs does.
Target amd64-unicode
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "${FILES}"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Kestrin"
; Written by kestrin.exe itself at start (common/Registration.cpp); removed with it.
!define APP_PATHS_KEY "Software\Microsoft\Windows\CurrentVersion\App Paths\kestrin.exe"
!define OWN_KEY "Software\${PUBLISHER}\Kestrin"

Name "Kestrin ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Kestrin"
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
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Kestrin"
  ; For every user: the Start-menu entry goes to the common Programs folder.
  SetShellVarContext all
  !insertmacro KestrinInstallFiles
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Kestrin.lnk" "$INSTDIR\kestrin.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Kestrin"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\kestrin.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\Kestrin.lnk"
  !insertmacro KestrinDeleteFiles
  ; The settings the window keeps beside itself where its folder may be written; those in
  ; %APPDATA% are the user's and stay.
  Delete "$INSTDIR\kestrin.dat"
  Delete "$INSTDIR\Uninstall.exe"
  ; Not /r: a folder that holds anything else than what was installed stays, with it.
  RMDir "$INSTDIR"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ; The program's own entries only while they name this copy: another copy started since
  ; (from a zip, say) has made them its own.
  ReadRegStr $0 HKLM "${APP_PATHS_KEY}" ""
  StrCmp $0 "$INSTDIR\kestrin.exe" 0 +2
    DeleteRegKey HKLM "${APP_PATHS_KEY}"
  ReadRegStr $0 HKLM "${OWN_KEY}" ""
  StrCmp $0 "$INSTDIR" 0 +2
    DeleteRegKey HKLM "${OWN_KEY}"
  DeleteRegKey /ifempty HKLM "Software\${PUBLISHER}"
SectionEnd
