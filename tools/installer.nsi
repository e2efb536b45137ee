; MorvelVCL-<version>-setup.exe: Morvel.exe, its three tables and the manual
; in C:\MorvelVCL\, fenra.exe and the EUC-JP table in C:\fenraCxx\ (the
; fixed folders the programs search first), Start-menu entries (Morvel's
; starts it in C:\MorvelVCL\, beside its tables) and an uninstaller listed
; with the installed programs; a finish page says where Morvel works. /S
; installs and uninstalls silently, without pages. Built by the `installer`
; target:
;   makensis -DVERSION=.. -DOUTFILE=.. -DFENRA_EXE=.. -DMORVEL_EXE=..
;            -DDATA_DIR=.. -DMANUAL=.. installer.nsi
; Help and -p open the manual, so there is no installer without it.
; A 64-bit installer, as the programs are (it also runs under a 64-bit-only Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
!include "MUI2.nsh"

!if ! /FileExists "${MANUAL}"
  !error "No manual at '${MANUAL}': the installer needs MorvelVCL.pdf (-DMANUAL=...)"
!endif

!define PRODUCT "Morvel VCL"
!define MORVEL_DIR "C:\MorvelVCL"
!define FENRA_DIR "C:\fenraCxx"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\MorvelVCL"
!define MENU_DIR "$SMPROGRAMS\${PRODUCT}"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "${MORVEL_DIR}"
ShowInstDetails show
ShowUninstDetails show
!if /FileExists "${MORVEL_ICON}"
  !define MUI_ICON "${MORVEL_ICON}"
  !define MUI_UNICON "${MORVEL_ICON}"
!endif

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "LegalCopyright" "(C) 2026 the Morvel authors"

; The table search tries C:\MorvelVCL\ before the current folder, and an
; edit writes the table in the current folder: only an edit made in
; C:\MorvelVCL\ is the table that conversions load.
!define MUI_FINISHPAGE_TEXT "Morvel VCL started from the Start menu works in C:\MorvelVCL\, where Morvel and its tables are: \
the file VEL it watches is there, and a table edited with Record is the one its conversions use.$\r$\n$\r$\n\
Started in another folder, Morvel watches VEL there, and a table edited there is not used until it is copied \
over the one in C:\MorvelVCL\."
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Morvel VCL"
  SetShellVarContext all
  SetOutPath "${MORVEL_DIR}"
  File "/oname=Morvel.exe" "${MORVEL_EXE}"
  File "/oname=MS932~EUC-JP.bin" "${DATA_DIR}/MS932~EUC-JP.bin"
  File "/oname=MS932~UTF-8.bin" "${DATA_DIR}/MS932~UTF-8.bin"
  File "/oname=MS932~Shift_JIS.bin" "${DATA_DIR}/MS932~Shift_JIS.bin"
  File "/oname=MorvelVCL.pdf" "${MANUAL}"
  WriteUninstaller "${MORVEL_DIR}\Uninstall.exe"

  SetOutPath "${FENRA_DIR}"
  File "/oname=fenra.exe" "${FENRA_EXE}"
  File "/oname=MS932~EUC-JP.bin" "${DATA_DIR}/MS932~EUC-JP.bin"

  ; Started from the menu, Morvel works in C:\MorvelVCL\ (the shortcut's
  ; working folder is the output path): a Record Save there edits the table
  ; that the search finds first.
  CreateDirectory "${MENU_DIR}"
  SetOutPath "${MORVEL_DIR}"
  CreateShortcut "${MENU_DIR}\Morvel VCL.lnk" "${MORVEL_DIR}\Morvel.exe"
  CreateShortcut "${MENU_DIR}\Morvel VCL manual.lnk" "${MORVEL_DIR}\MorvelVCL.pdf"
  CreateShortcut "${MENU_DIR}\Uninstall Morvel VCL.lnk" "${MORVEL_DIR}\Uninstall.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Morvel authors"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "${MORVEL_DIR}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"${MORVEL_DIR}\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"${MORVEL_DIR}\Uninstall.exe" /S'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "${MORVEL_DIR}\Morvel.exe,0"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; Only what the installer put there goes; a folder that holds anything else
; (the user's own files) stays.
Section "Uninstall"
  SetShellVarContext all
  Delete "${MENU_DIR}\Morvel VCL.lnk"
  Delete "${MENU_DIR}\Morvel VCL manual.lnk"
  Delete "${MENU_DIR}\Uninstall Morvel VCL.lnk"
  RMDir "${MENU_DIR}"

  Delete "${MORVEL_DIR}\Morvel.exe"
  Delete "${MORVEL_DIR}\MS932~EUC-JP.bin"
  Delete "${MORVEL_DIR}\MS932~UTF-8.bin"
  Delete "${MORVEL_DIR}\MS932~Shift_JIS.bin"
  Delete "${MORVEL_DIR}\MorvelVCL.pdf"
  Delete "${MORVEL_DIR}\Uninstall.exe"
  RMDir "${MORVEL_DIR}"

  Delete "${FENRA_DIR}\fenra.exe"
  Delete "${FENRA_DIR}\MS932~EUC-JP.bin"
  RMDir "${FENRA_DIR}"

  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
