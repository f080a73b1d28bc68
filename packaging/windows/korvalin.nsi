; The Windows installer of Korvalin, built by scripts/package-windows.sh with NSIS:
;   makensis -DVERSION=1.1 -DSTAGING=<folder with korvalin.exe, samples\, README-Windows.txt>
;            -DOUTFILE=<korvalin-1.1-setup.exe> [-DBITS=64] korvalin.nsi
; Per user by default (no administrator rights; everything under the user's own folders and
; HKCU), the .msh file type, a Start-menu entry starting in a writable folder of the user's, an
; entry in the installed programs and an uninstaller. DevIL.dll is not shipped.
Unicode true
; -DBITS=64 builds the test-only installer of the 64-bit build (scripts/package-windows.sh --64).
!ifndef BITS
  !define BITS 32
!endif
!if "${BITS}" == "64"
  Target amd64-unicode
!endif
!include "MUI2.nsh"

Name "Korvalin ${VERSION}"
OutFile "${OUTFILE}"
RequestExecutionLevel user
InstallDir "$LOCALAPPDATA\Programs\Korvalin"
SetCompressor /SOLID lzma

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Korvalin"
!define FILE_TYPE "Korvalin.MeshFile"

!define MUI_ICON "${STAGING}\korvalin.ico"
!define MUI_UNICON "${STAGING}\korvalin.ico"
!define MUI_FINISHPAGE_TITLE "Korvalin is installed: add DevIL.dll"
!define MUI_FINISHPAGE_TEXT "Korvalin reads texture images with DevIL, which is not included.$\r$\n$\r$\nPut DevIL.dll (DevIL 1.7.8 or later, the 32-bit x86 build, not the Unicode one, from https://openil.sourceforge.net/) in:$\r$\n$\r$\n$INSTDIR$\r$\n$\r$\nWithout it meshes are drawn without their textures. README-Windows.txt in that folder says more."
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README-Windows.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Show README-Windows.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Korvalin"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File "${STAGING}\korvalin.exe"
  File "${STAGING}\korvalin.ico"
  File "${STAGING}\README-Windows.txt"
  SetOutPath "$INSTDIR\samples"
  File "${STAGING}\samples\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Program Files is not writable: the viewer starts in a folder of the user's, where
  ; Korvalin.ini then lives.
  CreateDirectory "$APPDATA\Korvalin"
  SetOutPath "$APPDATA\Korvalin"
  CreateShortcut "$SMPROGRAMS\Korvalin.lnk" "$INSTDIR\korvalin.exe" "" "$INSTDIR\korvalin.ico" 0

  WriteRegStr HKCU "Software\Classes\.msh" "" "${FILE_TYPE}"
  WriteRegStr HKCU "Software\Classes\${FILE_TYPE}" "" "Ismarel Mesh File"
  WriteRegStr HKCU "Software\Classes\${FILE_TYPE}\DefaultIcon" "" "$INSTDIR\korvalin.ico,0"
  WriteRegStr HKCU "Software\Classes\${FILE_TYPE}\shell\open\command" "" '"$INSTDIR\korvalin.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)' ; SHCNE_ASSOCCHANGED

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Korvalin"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\korvalin.ico"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Everything the installer put there, the Korvalin.ini the Start-menu entry's runs wrote, and a
; DevIL.dll the user added beside the program.
Section "Uninstall"
  SetShellVarContext current
  Delete "$INSTDIR\korvalin.exe"
  Delete "$INSTDIR\korvalin.ico"
  Delete "$INSTDIR\README-Windows.txt"
  Delete "$INSTDIR\DevIL.dll"
  RMDir /r "$INSTDIR\samples"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Korvalin.lnk"
  Delete "$APPDATA\Korvalin\Korvalin.ini"
  RMDir "$APPDATA\Korvalin"

  ReadRegStr $0 HKCU "Software\Classes\.msh" ""
  StrCmp $0 "${FILE_TYPE}" 0 +2
    DeleteRegKey HKCU "Software\Classes\.msh"
  DeleteRegKey HKCU "Software\Classes\${FILE_TYPE}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
