; The VEXO installer for 64-bit Windows: the program for all users in Program Files, a Start-menu
; entry, .bvh files opening with VEXO (shown with its icon), an entry in the list of installed
; programs, and the uninstaller. Both run silently with /S.
; Built by packaging/windows/CMakeLists.txt: makensis -DVERSION=... -DPROGRAM=... -DREADME=...
;   -DLICENSE=... -DICON=... -DOUTFILE=... vexo.nsi

; A 64-bit installer for the 64-bit program: it writes the 64-bit Program Files and registry.
Target amd64-unicode
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\VEXO"
!define PROGID "VEXO.bvh"

Name "VEXO"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\VEXO"
RequestExecutionLevel admin
SetCompressor /SOLID lzma
Icon "${ICON}"
UninstallIcon "${ICON}"
LicenseData "${LICENSE}"

VIProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "VEXO"
VIAddVersionKey /LANG=1033 "FileDescription" "VEXO setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "CompanyName" "The VEXO team"
VIAddVersionKey /LANG=1033 "LegalCopyright" "MIT licence. Free to use, no warranty."

Page license
Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "VEXO"
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${PROGRAM}"
  File "/oname=README.txt" "${README}"
  File "/oname=LICENSE.txt" "${LICENSE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\VEXO.lnk" "$INSTDIR\vexo.exe" "" "$INSTDIR\vexo.exe" 0

  WriteRegStr HKLM "Software\Classes\.bvh" "" "${PROGID}"
  WriteRegStr HKLM "Software\Classes\.bvh" "Content Type" "text/x-bvh"
  WriteRegStr HKLM "Software\Classes\${PROGID}" "" "BVH motion capture"
  WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" '"$INSTDIR\vexo.exe",0'
  WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\vexo.exe" "%1"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "VEXO"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The VEXO team"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\vexo.exe",0'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1

  ; Explorer shows the new icon and verb of .bvh files at once (SHCNE_ASSOCCHANGED).
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  Delete "$INSTDIR\vexo.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\VEXO.lnk"

  ; .bvh is left to whatever other program took it over since.
  ReadRegStr $0 HKLM "Software\Classes\.bvh" ""
  ${If} $0 == "${PROGID}"
    DeleteRegValue HKLM "Software\Classes\.bvh" ""
    DeleteRegValue HKLM "Software\Classes\.bvh" "Content Type"
    DeleteRegKey /ifempty HKLM "Software\Classes\.bvh"
  ${EndIf}
  DeleteRegKey HKLM "Software\Classes\${PROGID}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
