; Per-user installer of the reader: no administrator rights, the program in
; the user's local programs folder, a Start-menu shortcut, an entry under the
; user's Uninstall key and the link scheme orvane: for the user. Built by tools/dist/make-dist.sh, which defines
; VERSION (1.84a), VERSION_NUMBERS (1.84.1.0), EXE, ICON and OUTFILE.
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include MUI2.nsh
!include FileFunc.nsh

!define PRODUCT "Orvane"
!define COMPANY "Quillary"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define SETTINGS_PARENT "Software\${COMPANY}"
!define SETTINGS_KEY "${SETTINGS_PARENT}\${PRODUCT}"
!define SHORTCUT "$SMPROGRAMS\${PRODUCT}.lnk"
; The link scheme orvane:REFERENCE, for the current user.
!define SCHEME_KEY "Software\Classes\orvane"
!define SCHEME_COMMAND '"$INSTDIR\orvane.exe" "%1"'

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; A second installation goes where the first one is.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${COMPANY} ${PRODUCT} ${VERSION}"

VIProductVersion "${VERSION_NUMBERS}"
VIFileVersion "${VERSION_NUMBERS}"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "CompanyName" "${COMPANY}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${COMPANY}. All rights reserved."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\orvane.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${PRODUCT} now"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH

!define MUI_COMPONENTSPAGE_NODESC
!define MUI_COMPONENTSPAGE_TEXT_TOP "The reader's settings (font, last article, window place, printer) and notes are kept unless you tick them here."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_COMPONENTS
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running reader holds its program file: ask for it to be closed first.
!macro RefuseWhileRunning
  retry:
  FindWindow $0 "${PRODUCT}" "${PRODUCT}"
  StrCmp $0 0 free
  MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} is running. Close it, then choose Retry." /SD IDCANCEL IDRETRY retry
  Abort
  free:
!macroend

Function .onInit
  !insertmacro RefuseWhileRunning
FunctionEnd

Function un.onInit
  !insertmacro RefuseWhileRunning
FunctionEnd

Section "Program"
  SetOutPath "$INSTDIR"
  File "/oname=orvane.exe" "${EXE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "${SHORTCUT}" "$INSTDIR\orvane.exe" "" "$INSTDIR\orvane.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${COMPANY}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\orvane.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0

  WriteRegStr HKCU "${SCHEME_KEY}" "" "URL:Orvane reference"
  WriteRegStr HKCU "${SCHEME_KEY}" "URL Protocol" ""
  WriteRegStr HKCU "${SCHEME_KEY}\shell\open\command" "" '${SCHEME_COMMAND}'
SectionEnd

; Only what the installer put there; a folder the user chose is removed only
; when it is empty afterwards.
Section "un.Program and Start-menu shortcut"
  SectionIn RO
  Delete "${SHORTCUT}"
  Delete "$INSTDIR\orvane.exe"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"

  ; The scheme, when it still opens this program: the values written, and
  ; the keys they leave empty.
  ReadRegStr $0 HKCU "${SCHEME_KEY}\shell\open\command" ""
  StrCmp $0 '${SCHEME_COMMAND}' 0 scheme_done
  DeleteRegValue HKCU "${SCHEME_KEY}\shell\open\command" ""
  DeleteRegKey /ifempty HKCU "${SCHEME_KEY}\shell\open\command"
  DeleteRegKey /ifempty HKCU "${SCHEME_KEY}\shell\open"
  DeleteRegKey /ifempty HKCU "${SCHEME_KEY}\shell"
  DeleteRegValue HKCU "${SCHEME_KEY}" ""
  DeleteRegValue HKCU "${SCHEME_KEY}" "URL Protocol"
  DeleteRegKey /ifempty HKCU "${SCHEME_KEY}"
  scheme_done:
SectionEnd

Section /o "un.The reader's settings"
  DeleteRegKey HKCU "${SETTINGS_KEY}"
  DeleteRegValue HKCU "${SETTINGS_PARENT}" "SurroundingGutter"
  DeleteRegKey /ifempty HKCU "${SETTINGS_PARENT}"
SectionEnd

; The notes file's folder (Quillary\Orvane in the roaming application data),
; with any copies of a damaged notes file kept beside it.
Section /o "un.The reader's notes"
  SetShellVarContext current
  RMDir /r "$APPDATA\${COMPANY}\${PRODUCT}"
  RMDir "$APPDATA\${COMPANY}"
SectionEnd
