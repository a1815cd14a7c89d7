; The VEXO installer for 64-bit Windows: vexo.exe and its console twin vexo.com for all users in
; Program Files; their folder on the PATH of every user and vexo.exe in App Paths; a Start-menu
; entry; .bvh files offered to VEXO (Open with) and opening with it unless another program has them;
; an entry in the installed programs; the uninstaller. Both run silently with /S.
; An NSIS uninstaller hands its work to a copy of itself in %TEMP% and returns at once; with _?=FOLDER
; it does the work itself, but then holds its own file in the folder open. The quiet uninstall that
; the installed programs list names (QuietUninstallString) therefore copies the uninstaller to %TEMP%
; and runs the copy with _?=: whoever runs it waits until all is done, and it gives the exit status.
; Built by packaging/windows/CMakeLists.txt: makensis -DVERSION=... -DPROGRAM=... -DCONSOLE_PROGRAM=...
;   -DPATH_HELPER=... -DREADME=... -DLICENSE=... -DNOTICES=... -DICON=... -DOUTFILE=... vexo.nsi

; A 64-bit installer for the 64-bit program: it writes the 64-bit Program Files and registry.
Target amd64-unicode
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "WinMessages.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VEXO"
!define APP_PATHS_KEY "Software\Microsoft\Windows\CurrentVersion\App Paths\vexo.exe"
!define VEXO_KEY "Software\VEXO"  ; where the install was made, and what it must give back
!define BVH_KEY "Software\Classes\.bvh"
!define PROGID "VEXO.bvh"

Name "VEXO"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\VEXO"
InstallDirRegKey HKLM "${VEXO_KEY}" "InstallDir"  ; a reinstall goes where the last install went
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ManifestDPIAware true  ; sharp pages above 100% scaling
BrandingText "VEXO ${VERSION}"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "VEXO"
VIAddVersionKey /LANG=1033 "FileDescription" "VEXO setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "The VEXO team"
VIAddVersionKey /LANG=1033 "LegalCopyright" "MIT licence. Free to use, no warranty."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE leaveDirectory
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; ---- VEXO running ------------------------------------------------------------------------------
; A running program's file cannot be opened for writing, nor replaced or deleted.

!macro IN_USE FILE
  ${If} ${FileExists} "${FILE}"
    ClearErrors
    FileOpen $1 "${FILE}" a
    ${If} ${Errors}
      StrCpy $0 1
    ${Else}
      FileClose $1
    ${EndIf}
  ${EndIf}
!macroend

!macro RUNNING_FUNCTIONS un
; $0 = 1 while VEXO runs from $INSTDIR (a window, or a command at work), else 0.
Function ${un}vexoRunning
  StrCpy $0 0
  !insertmacro IN_USE "$INSTDIR\vexo.exe"
  !insertmacro IN_USE "$INSTDIR\vexo.com"
FunctionEnd

; Asks to close VEXO and retry for as long as it runs. $0 = 0 once it does not run, 1 when the user
; cancels (a silent run cancels at once).
Function ${un}waitUntilClosed
  ${Do}
    Call ${un}vexoRunning
    ${IfThen} $0 == 0 ${|} Return ${|}
    ${IfNot} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "VEXO is running from $INSTDIR.$\r$\n$\r$\nClose its windows and wait for any vexo command to finish, then choose Retry." /SD IDCANCEL IDRETRY`
      Return
    ${EndIf}
  ${Loop}
FunctionEnd

; Ends a run that cannot go on while VEXO runs, with exit status 2.
Function ${un}refuseWhileRunning
  Call ${un}waitUntilClosed
  ${If} $0 != 0
    SetErrorLevel 2
    Quit
  ${EndIf}
FunctionEnd
!macroend
!insertmacro RUNNING_FUNCTIONS ""
!insertmacro RUNNING_FUNCTIONS "un."

Function .onInit
  SetShellVarContext all
  Call refuseWhileRunning
FunctionEnd

; A folder chosen on the page may hold a running VEXO too: the page stays until it is closed.
Function leaveDirectory
  Call waitUntilClosed
  ${IfThen} $0 != 0 ${|} Abort ${|}
FunctionEnd

Function un.onInit
  SetShellVarContext all
  Call un.refuseWhileRunning
FunctionEnd

; ---- .bvh files ---------------------------------------------------------------------------------
; VEXO is always offered for them (Open with). It becomes their default only when no program has
; them (the default is absent or empty) or it has them already, and the uninstaller gives back what
; was there before; another program's default is left alone.

Function takeBvhDefault
  ClearErrors
  ReadRegStr $0 HKLM "${BVH_KEY}" ""
  ${If} ${Errors}
    DeleteRegValue HKLM "${VEXO_KEY}" "BvhDefaultBefore"  ; there was none
    WriteRegStr HKLM "${BVH_KEY}" "" "${PROGID}"
  ${ElseIf} $0 == ""
    WriteRegStr HKLM "${VEXO_KEY}" "BvhDefaultBefore" ""
    WriteRegStr HKLM "${BVH_KEY}" "" "${PROGID}"
  ${EndIf}
  ClearErrors
  ReadRegStr $0 HKLM "${BVH_KEY}" "Content Type"
  ${If} ${Errors}
    WriteRegStr HKLM "${BVH_KEY}" "Content Type" "text/x-bvh"
    WriteRegDWORD HKLM "${VEXO_KEY}" "AddedBvhContentType" 1
  ${EndIf}
FunctionEnd

Function un.giveBackBvh
  ReadRegStr $0 HKLM "${BVH_KEY}" ""
  ${If} $0 == "${PROGID}"
    ClearErrors
    ReadRegStr $1 HKLM "${VEXO_KEY}" "BvhDefaultBefore"
    ${If} ${Errors}
      DeleteRegValue HKLM "${BVH_KEY}" ""
    ${Else}
      WriteRegStr HKLM "${BVH_KEY}" "" $1
    ${EndIf}
  ${EndIf}
  ReadRegDWORD $0 HKLM "${VEXO_KEY}" "AddedBvhContentType"
  ${If} $0 == 1
    DeleteRegValue HKLM "${BVH_KEY}" "Content Type"
  ${EndIf}
  DeleteRegValue HKLM "${BVH_KEY}\OpenWithProgids" "${PROGID}"
  DeleteRegKey /ifempty HKLM "${BVH_KEY}\OpenWithProgids"
  DeleteRegKey /ifempty HKLM "${BVH_KEY}"
  DeleteRegKey HKLM "Software\Classes\${PROGID}"
FunctionEnd

; ---- Install and uninstall ----------------------------------------------------------------------

Section "VEXO"
  SetOutPath "$INSTDIR"
  File "/oname=vexo.exe" "${PROGRAM}"
  File "/oname=vexo.com" "${CONSOLE_PROGRAM}"
  File "/oname=vexo-shell.ico" "${ICON}"
  File "/oname=README.txt" "${README}"
  File "/oname=LICENSE.txt" "${LICENSE}"
  File "/oname=THIRD-PARTY.txt" "${NOTICES}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\VEXO.lnk" "$INSTDIR\vexo.exe" "" "$INSTDIR\vexo.exe" 0
  WriteRegStr HKLM "${VEXO_KEY}" "InstallDir" "$INSTDIR"

  ; Consoles find "vexo" on the PATH (vexo.com first); Run and ShellExecute find vexo.exe by App Paths.
  ; The PATH is edited by a helper: NSIS strings would cut a long PATH short.
  InitPluginsDir
  File "/oname=$PLUGINSDIR\vexo-path.exe" "${PATH_HELPER}"
  ExecWait '"$PLUGINSDIR\vexo-path.exe" add "$INSTDIR"' $0
  ${IfThen} $0 != 0 ${|} DetailPrint "The PATH could not be changed: run VEXO from $INSTDIR." ${|}
  WriteRegStr HKLM "${APP_PATHS_KEY}" "" "$INSTDIR\vexo.exe"
  WriteRegStr HKLM "${APP_PATHS_KEY}" "Path" "$INSTDIR"

  WriteRegStr HKLM "Software\Classes\${PROGID}" "" "BVH motion capture"
  WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" '"$INSTDIR\vexo-shell.ico",0'
  WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\vexo.exe" "%1"'
  WriteRegNone HKLM "${BVH_KEY}\OpenWithProgids" "${PROGID}"
  Call takeBvhDefault

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "VEXO"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The VEXO team"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\vexo-shell.ico",0'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" \
    'cmd.exe /c copy /y "$INSTDIR\uninstall.exe" "%TEMP%\vexo-uninstall.exe" >nul && "%TEMP%\vexo-uninstall.exe" /S _?=$INSTDIR'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0  ; in KiB

  ; New consoles see the PATH, and Explorer the icon and verb of .bvh files (SHCNE_ASSOCCHANGED), at once.
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  InitPluginsDir
  File "/oname=$PLUGINSDIR\vexo-path.exe" "${PATH_HELPER}"
  ExecWait '"$PLUGINSDIR\vexo-path.exe" remove "$INSTDIR"' $0
  DeleteRegKey HKLM "${APP_PATHS_KEY}"
  Call un.giveBackBvh
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  DeleteRegKey HKLM "${VEXO_KEY}"

  Delete "$INSTDIR\vexo.exe"
  Delete "$INSTDIR\vexo.com"
  Delete "$INSTDIR\vexo-shell.ico"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\THIRD-PARTY.txt"
  Delete "$SMPROGRAMS\VEXO.lnk"
  ; Run in the folder itself with _?=, the uninstaller holds its own file open to the end: the file
  ; and the folder then go at the next start.
  Delete /REBOOTOK "$INSTDIR\uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"

  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
