; MorvelVCL-<version>-setup.exe: Morvel.exe, its three tables and the manual
; in C:\MorvelVCL\, fenra.exe and the EUC-JP table in C:\fenraCxx\ (the
; fixed folders the programs search first), Start-menu entries and an
; uninstaller listed with the installed programs. /S installs and
; uninstalls silently. Built by the `installer` target:
;   makensis -DVERSION=.. -DOUTFILE=.. -DFENRA_EXE=.. -DMORVEL_EXE=..
;            -DDATA_DIR=.. -DMANUAL=.. installer.nsi
; A manual that does not exist is left out.
; A 64-bit installer, as the programs are (it also runs under a 64-bit-only Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

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
  Icon "${MORVEL_ICON}"
  UninstallIcon "${MORVEL_ICON}"
!endif

VIProductVersion "${VERSION}.0.0"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "${PRODUCT} ${VERSION} setup"
VIAddVersionKey "LegalCopyright" "(C) 2026 the Morvel authors"

Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Morvel VCL"
  SetShellVarContext all
  SetOutPath "${MORVEL_DIR}"
  File "/oname=Morvel.exe" "${MORVEL_EXE}"
  File "/oname=MS932~EUC-JP.bin" "${DATA_DIR}/MS932~EUC-JP.bin"
  File "/oname=MS932~UTF-8.bin" "${DATA_DIR}/MS932~UTF-8.bin"
  File "/oname=MS932~Shift_JIS.bin" "${DATA_DIR}/MS932~Shift_JIS.bin"
  !if /FileExists "${MANUAL}"
    File "/oname=MorvelVCL.pdf" "${MANUAL}"
  !endif
  WriteUninstaller "${MORVEL_DIR}\Uninstall.exe"

  SetOutPath "${FENRA_DIR}"
  File "/oname=fenra.exe" "${FENRA_EXE}"
  File "/oname=MS932~EUC-JP.bin" "${DATA_DIR}/MS932~EUC-JP.bin"

  ; Started from the menu, Morvel works in the user's own folder.
  CreateDirectory "${MENU_DIR}"
  SetOutPath "$PROFILE"
  CreateShortcut "${MENU_DIR}\Morvel VCL.lnk" "${MORVEL_DIR}\Morvel.exe"
  !if /FileExists "${MANUAL}"
    CreateShortcut "${MENU_DIR}\Morvel VCL manual.lnk" "${MORVEL_DIR}\MorvelVCL.pdf"
  !endif
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
