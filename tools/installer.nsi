; MorvelVCL-<version>-setup.exe: Morvel.exe, its three tables and the manual
; in C:\MorvelVCL\, fenra.exe and the EUC-JP table in C:\fenraCxx\ (the
; fixed folders the programs search first), Start-menu entries for all users
; (Morvel's starts it in C:\MorvelVCL\, beside its tables) and an
; uninstaller listed with the installed programs. Pages: welcome, where it
; installs (shown, not chosen: the programs only look in those folders),
; progress, and a finish page saying where Morvel works. /S installs and
; uninstalls silently, without pages. Built by the `installer` target:
;   makensis -DVERSION=.. -DOUTFILE=.. -DFENRA_EXE=.. -DMORVEL_EXE=..
;            -DDATA_DIR=.. -DMANUAL=.. installer.nsi
; Help and -p open the manual, so there is no installer without it.
; A 64-bit installer, as the programs are (it also runs under a 64-bit-only Wine).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin
!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "nsDialogs.nsh"

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
BrandingText "${PRODUCT} ${VERSION}"
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

!define MUI_ABORTWARNING
!define MUI_WELCOMEPAGE_TEXT "This installs ${PRODUCT} ${VERSION} for all users of this computer: Morvel, which \
converts the Shift_JIS text another program hands it in the file VEL, with its tables and manual, and fenra, which \
edits the EUC-JP table.$\r$\n$\r$\nIt needs administrator rights.$\r$\n$\r$\n$_CLICK"
!insertmacro MUI_PAGE_WELCOME
Page custom placesPage
!insertmacro MUI_PAGE_INSTFILES
; The table search tries C:\MorvelVCL\ before the current folder, and an
; edit writes the table in the current folder: only an edit made in
; C:\MorvelVCL\ is the table that conversions load.
!define MUI_FINISHPAGE_TEXT "Morvel VCL started from the Start menu works in C:\MorvelVCL\, where Morvel and its tables are: \
the file VEL it watches is there, and a table edited with Record is the one its conversions use.$\r$\n$\r$\n\
Started in another folder, Morvel watches VEL there, and a table edited there is not used until it is copied \
over the one in C:\MorvelVCL\."
!insertmacro MUI_PAGE_FINISH
!define MUI_UNCONFIRMPAGE_TEXT_TOP "${PRODUCT} is removed from ${MORVEL_DIR}\ and ${FENRA_DIR}\, with its Start-menu \
entries. Files of your own in these folders stay."
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Files in C:\ and the all-users Start menu, a key in HKLM: an
; administrator's work, refused plainly otherwise (740: elevation required).
!macro REQUIRE_ADMIN
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP "${PRODUCT} is installed for all users: run this as an administrator." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
  SetShellVarContext all
!macroend

Function .onInit
  !insertmacro REQUIRE_ADMIN
FunctionEnd

Function un.onInit
  !insertmacro REQUIRE_ADMIN
FunctionEnd

; The folders are shown, not chosen: the programs search these two for
; their tables, so a folder chosen elsewhere would not be found.
Function placesPage
  !insertmacro MUI_HEADER_TEXT "Where ${PRODUCT} is installed" "Two fixed folders, where the programs look for their tables."
  nsDialogs::Create 1018
  Pop $0
  ${If} $0 == error
    Abort
  ${EndIf}
  ${NSD_CreateLabel} 0 0 100% 12u "${PRODUCT} is installed for all users of this computer, in these folders:"
  ${NSD_CreateLabel} 8u 18u 70u 12u "${MORVEL_DIR}\"
  ${NSD_CreateLabel} 80u 18u -80u 20u "Morvel.exe, its three tables and the manual MorvelVCL.pdf"
  ${NSD_CreateLabel} 8u 40u 70u 12u "${FENRA_DIR}\"
  ${NSD_CreateLabel} 80u 40u -80u 20u "fenra.exe and its EUC-JP table"
  ${NSD_CreateLabel} 0 64u 100% 30u "Morvel and fenra look for their tables in these folders first, so the folders cannot be \
changed. Files of the same names already there, edited tables too, are replaced; other files there stay."
  ${NSD_CreateLabel} 0 98u 100% 30u "In the Start menu, for all users: the folder ${PRODUCT}, with Morvel VCL (it starts \
Morvel in ${MORVEL_DIR}\), the manual and the uninstaller."
  ; The next step installs, as after MUI's own directory page.
  GetDlgItem $0 $HWNDPARENT 1
  SendMessage $0 ${WM_SETTEXT} 0 "STR:$(^InstallBtn)"
  nsDialogs::Show
FunctionEnd

Section "Morvel VCL"
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

  ; This runs as a copy of the uninstaller in the temporary folder, which
  ; goes at the next restart: the copy before its folder, which the other
  ; order would leave behind, empty.
  Delete /REBOOTOK "$EXEPATH"
  RMDir /REBOOTOK "$EXEDIR"
SectionEnd
