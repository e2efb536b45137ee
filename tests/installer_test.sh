#!/usr/bin/env bash
# The Windows installer under Wine, end to end, on an Xvfb of its own:
#
#   installer_test.sh WINE_RUN SETUP_EXE DATA_DIR WINDOW_TEXTS_EXE
#
# 1. Its pages, walked through as a user clicks (window_texts reads them and
#    presses the buttons): the welcome; the two fixed folders shown, with
#    nothing to choose; the finish page. Then what is installed: the files,
#    the tables as shipped, the manual, the Start-menu entries in the
#    all-users menu (Morvel's starts it in C:\MorvelVCL\), the entry among
#    the installed programs; an installer that asks for an administrator.
#    Then the uninstaller's pages.
# 2. Silently (/S, no page waits for an answer): installed again, checked
#    again, then the installed fenra.exe (-V, a list edit of its EUC-JP
#    table: exact bytes, and the note that the installed tables are read
#    first) and Morvel.exe (a conversion, exact bytes; an edit made in
#    C:\MorvelVCL\, which the next conversion uses); uninstalled silently.
# After each uninstallation nothing of it is left: no folder, Start-menu
# folder or key of it, and, after a restart (which removes the uninstaller's
# copy of itself in the temporary folder), no file in C:\ and no registry
# line naming Morvel or fenra that was not there before the installation.
# Wine's own host menu entries for the shortcuts are Wine's, not the
# installer's: kept out (winemenubuilder off), so the test writes nothing
# into the home folder. Exits with 77 (skipped) when the installer was not
# built (cmake --build build-windows --target installer) or Xvfb is missing.
set -uo pipefail

usage="usage: installer_test.sh WINE_RUN SETUP_EXE DATA_DIR WINDOW_TEXTS_EXE"
wine_run="$(realpath "${1:?$usage}")"
setup="${2:?$usage}"
data="$(realpath "${3:?$usage}")"
window_texts="$(realpath "${4:?$usage}")"
[[ -f "$setup" ]] || { echo "SKIP: $setup is not built"; exit 77; }
command -v Xvfb >/dev/null 2>&1 || { echo "SKIP: Xvfb is not installed"; exit 77; }
setup="$(realpath "$setup")"
version="$(basename "$setup" | sed -n 's/^MorvelVCL-\(.*\)-setup\.exe$/\1/p')"
export WINEPREFIX="${WINEPREFIX:-$(dirname "$setup")/wine-prefix}"
export WINEDLLOVERRIDES="winemenubuilder.exe=d"

# shellcheck source=tests/support/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/support/xvfb.sh"

work="$(mktemp -d "${TMPDIR:-/tmp}/morvel-installer.XXXXXX")"
xvfb_pid=""
setup_pid=""
cleanup() {
  [[ -n "$setup_pid" ]] && kill "$setup_pid" 2>/dev/null
  wineserver -k 2>/dev/null  # its desktop process holds our display
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

start_xvfb "$work" 1024x768

"$wine_run" cmd /c exit >/dev/null 2>&1  # the prefix, made once
drive_c="$WINEPREFIX/drive_c"
menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Morvel VCL"
own_menus=("$drive_c"/users/*/AppData/Roaming/Microsoft/Windows/"Start Menu"/Programs)
key='Software\Microsoft\Windows\CurrentVersion\Uninstall\MorvelVCL'
leftovers() {
  local found=() own
  [[ -e "$drive_c/MorvelVCL" ]] && found+=("C:\\MorvelVCL")
  [[ -e "$drive_c/fenraCxx" ]] && found+=("C:\\fenraCxx")
  [[ -e "$menu" ]] && found+=("the all-users Start-menu folder")
  for own in "${own_menus[@]}"; do
    [[ -e "$own/Morvel VCL" ]] && found+=("a Start-menu folder in ${own#"$drive_c/"}")
  done
  "$wine_run" reg query "HKLM\\$key" >/dev/null 2>&1 && found+=("HKLM\\$key")
  "$wine_run" reg query "HKCU\\$key" >/dev/null 2>&1 && found+=("HKCU\\$key")
  echo "${found[*]}"
}
# The files in C:\ and the registry lines that name the programs (key
# times left out), once the server has ended and written the registry (the
# next one starts on this test's display).
snapshot() {
  wineserver -k 2>/dev/null
  wineserver -w
  (cd "$drive_c" && find . | sort) >"$work/$1.files"
  grep -a -i -h -e morvel -e fenra "$WINEPREFIX/system.reg" "$WINEPREFIX/user.reg" |
    sed -E 's/^(\[.*\]) [0-9]+$/\1/' | sort >"$work/$1.registry"
}
# Waits until the uninstaller, which runs from a copy of itself in the
# temporary folder and so ends after the command returns, has removed its
# folders, Start-menu folder and key; then restarts and compares with before.
uninstalled() {
  for _ in $(seq 100); do
    [[ -z "$(leftovers)" ]] && break
    sleep 0.2
  done
  local after
  after="$(leftovers)"
  [[ -z "$after" ]] || fail "left after the uninstallation ($1): $after"
  wineserver -w  # the uninstaller's copy has ended
  "$wine_run" wineboot --restart >/dev/null 2>&1
  snapshot after
  local new
  new="$(comm -13 "$work/before.files" "$work/after.files")"
  [[ -z "$new" ]] || fail "files left in C:\\ after a restart ($1): $new"
  new="$(comm -13 "$work/before.registry" "$work/after.registry")"
  [[ -z "$new" ]] || fail "registry lines left ($1): $new"
}
# The working folder a shortcut starts its program in: the WORKING_DIR
# string of the .lnk (MS-SHLLINK), after the header (76 bytes), the item
# list and the link information its flags say it has, and the name and
# relative path strings before it; UTF-16 when the flags say Unicode.
# ASCII only, which is what the installer writes.
lnk_working_dir() {
  local -a b
  read -ra b <<<"$(od -An -tu1 -v "$1" | tr '\n' ' ')"
  local flags=$((b[20] | b[21] << 8)) at=76 width=1 field count i text=""
  ((flags & 0x1)) && at=$((at + 2 + (b[at] | b[at + 1] << 8)))
  ((flags & 0x2)) && at=$((at + (b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24)))
  ((flags & 0x80)) && width=2
  ((flags & 0x10)) || return 0
  for field in 0x4 0x8; do
    ((flags & field)) && at=$((at + 2 + (b[at] | b[at + 1] << 8) * width))
  done
  count=$((b[at] | b[at + 1] << 8))
  for ((i = 0; i < count && b[at + 2 + i * width] != 0; i++)); do  # Wine counts a closing NUL
    text+="$(printf "\\$(printf '%03o' "${b[at + 2 + i * width]}")")"
  done
  printf '%s\n' "$text"
}

# What an installation put in place, however it was made.
check_installed() {
  local file table link
  for file in MorvelVCL/Morvel.exe MorvelVCL/MorvelVCL.pdf MorvelVCL/Uninstall.exe fenraCxx/fenra.exe; do
    [[ -f "$drive_c/$file" ]] || fail "$file is not installed ($1)"
  done
  for table in MorvelVCL/MS932~EUC-JP.bin MorvelVCL/MS932~UTF-8.bin MorvelVCL/MS932~Shift_JIS.bin \
      fenraCxx/MS932~EUC-JP.bin; do
    cmp -s "$drive_c/$table" "$data/$(basename "$table")" || fail "$table differs from the shipped table ($1)"
  done
  # Help and -p open it: the built manual, not an empty or foreign file.
  if command -v pdftotext >/dev/null 2>&1; then
    pdftotext "$drive_c/MorvelVCL/MorvelVCL.pdf" "$work/manual.txt" 2>/dev/null
    grep -q "Morvel and fenra: user manual" "$work/manual.txt" 2>/dev/null || fail "MorvelVCL.pdf is not the manual ($1)"
  fi
  for link in "Morvel VCL" "Morvel VCL manual" "Uninstall Morvel VCL"; do
    [[ -f "$menu/$link.lnk" ]] || fail "no entry \"$link\" in the all-users Start menu ($1)"
  done
  for own in "${own_menus[@]}"; do
    [[ -e "$own/Morvel VCL" ]] && fail "a Start-menu folder in ${own#"$drive_c/"}, not only for all users ($1)"
  done
  working="$(lnk_working_dir "$menu/Morvel VCL.lnk" 2>/dev/null)"
  [[ "$working" == 'C:\MorvelVCL' ]] || fail "the Start-menu entry starts Morvel in '$working', not C:\\MorvelVCL ($1)"
  "$wine_run" reg query "HKLM\\$key" /v DisplayName 2>/dev/null | grep -q "Morvel VCL" ||
    fail "not listed among the installed programs ($1)"
}
# One page of the setup program: window_texts waits for the window titled
# $1 to show $2, writes what it shows into page.txt and presses button $3.
# Without that page the walk cannot go on.
page() {
  "$wine_run" "$window_texts" "$@" >"$work/page.txt" 2>&1 || {
    fail "page \"$2\": $(cat "$work/page.txt")"
    exit 1
  }
}
shows() { grep -q -F -e "$1" "$work/page.txt" || fail "$2 does not show \"$1\": $(cat "$work/page.txt")"; }

snapshot before
before="$(leftovers)"
if [[ -n "$before" ]]; then
  echo "FAIL: already there before the installation: $before"
  exit 1
fi
grep -a -q requireAdministrator "$setup" || fail "the installer does not ask for an administrator"

echo "== the installer's pages"
"$wine_run" "$setup" &
setup_pid=$!
title="Morvel VCL $version Setup"
page "$title" "Welcome to Morvel VCL $version Setup" "&Next >"
shows "for all users of this computer" "the welcome page"
page "$title" 'C:\MorvelVCL\' "&Install"
for shown in 'C:\MorvelVCL\' 'C:\fenraCxx\' "the folders cannot be changed"; do
  shows "$shown" "the page of the folders"
done
# A folder cannot be typed or browsed for: the programs only look in these.
grep -q -e "^Edit:" -e "Browse" "$work/page.txt" && fail "the page of the folders offers a choice: $(cat "$work/page.txt")"
page "$title" "Completing Morvel VCL $version Setup" "&Finish"
shows 'works in C:\MorvelVCL\' "the finish page"
wait "$setup_pid"
status=$?
setup_pid=""
[[ "$status" -eq 0 ]] || fail "the installer ended with exit code $status after its pages"
check_installed "pages"

echo "== the uninstaller's pages"
"$wine_run" 'C:\MorvelVCL\Uninstall.exe' || fail "the uninstaller ended with exit code $?"
title="Morvel VCL $version Uninstall"
page "$title" 'is removed from C:\MorvelVCL\ and C:\fenraCxx\' "&Uninstall"
page "$title" "Uninstall was completed successfully" "&Close"
uninstalled "pages"

echo "== silent installation"
timeout 120 "$wine_run" "$setup" /S || fail "the silent installer ended with exit code $? (124: it waited)"
check_installed "silent"

echo "== the installed fenra.exe"
cd "$work"
"$wine_run" 'C:\fenraCxx\fenra.exe' -V >version.out 2>&1
status=$?
[[ "$status" -eq 1 ]] || fail "fenra.exe -V ended with exit code $status, not 1"
grep -q "^fenra C++ Version " version.out || fail "fenra.exe -V printed: $(head -c 200 version.out)"
# Half-width NA (0xC5) takes the entry of N: the table found in C:\fenraCxx\
# is written, edited, under its name in the current folder: the record's
# target becomes "N" and a zero byte, nothing else changes, and the
# installed tables stay as they are.
printf '\xc5N\n' >bars.txt
"$wine_run" 'C:\fenraCxx\fenra.exe' -f bars.txt >edit.out 2>&1 || fail "fenra.exe -f bars.txt failed: $(cat edit.out)"
table="$data/MS932~EUC-JP.bin"
record="$(od -An -tx1 -v -w4 "$table" | awk 'NR <= 158 && $1 == "c5" { print NR - 1; exit }')"
{ head -c $((record * 4 + 2)) "$table"; printf 'N\0'; tail -c +$((record * 4 + 5)) "$table"; } >expected.bin
cmp -s expected.bin "MS932~EUC-JP.bin" || fail "the edited table is not the expected bytes"
printf '%s\r\n' 'MS932~EUC-JP.bin was edited, but '"Morvel's"' conversions from this folder load C:\MorvelVCL\MS932~EUC-JP.bin and the next edit starts again from C:\fenraCxx\MS932~EUC-JP.bin, which are searched first, so the edit is not used. To use it, copy MS932~EUC-JP.bin over C:\MorvelVCL\MS932~EUC-JP.bin and over C:\fenraCxx\MS932~EUC-JP.bin.' >note.expected
cmp -s note.expected edit.out || fail "fenra.exe -f bars.txt said: $(cat edit.out)"
for installed in fenraCxx MorvelVCL; do
  cmp -s "$table" "$drive_c/$installed/MS932~EUC-JP.bin" || fail "the table in C:\\$installed changed"
done

echo "== the installed Morvel.exe"
mkdir "$work/morvel" && cd "$work/morvel"
printf '\x82\xa0\r\nabc\r\n' >in.txt  # hiragana a
"$wine_run" 'C:\MorvelVCL\Morvel.exe' -e1 -u -a in.txt out.txt -q >morvel.out 2>&1
status=$?
[[ "$status" -eq 0 ]] || fail "Morvel.exe -e1 -u -a in.txt out.txt -q ended with exit code $status"
printf '\xa4\xa2\nabc\n' >expected.txt
cmp -s expected.txt out.txt || fail "Morvel.exe converted to: $(od -An -tx1 out.txt 2>&1)"
# Where the entry starts it, an edit is the table conversions load: no
# note, and circled one (0x8740) then converts as full-width one (A3B1).
(cd "$drive_c/MorvelVCL" &&
  LC_ALL=C.UTF-8 "$wine_run" 'C:\MorvelVCL\Morvel.exe' -e1 $'-s\xe2\x91\xa0' $'-g\xef\xbc\x91' -q >edit.out 2>&1) ||
  fail "Morvel.exe -e1 -s -g -q in C:\MorvelVCL failed: $(cat "$drive_c/MorvelVCL/edit.out")"
[[ -e "$drive_c/MorvelVCL/messages.txt" ]] && fail "the edit in C:\MorvelVCL was noted: $(cat "$drive_c/MorvelVCL/messages.txt")"
rm -f "$drive_c/MorvelVCL/edit.out" "$drive_c/MorvelVCL/info.txt" "$drive_c/MorvelVCL/messages.txt"
printf '\x87\x40\r\n' >circled.txt
"$wine_run" 'C:\MorvelVCL\Morvel.exe' -e1 -u -a circled.txt full.txt -q >morvel.out 2>&1 ||
  fail "Morvel.exe converted nothing: $(cat morvel.out)"
printf '\xa3\xb1\n' >expected.txt
cmp -s expected.txt full.txt || fail "after the edit in C:\MorvelVCL, circled one converted to: $(od -An -tx1 full.txt 2>&1)"
cd "$work"

echo "== silent uninstallation"
timeout 120 "$wine_run" 'C:\MorvelVCL\Uninstall.exe' /S || fail "the uninstaller ended with exit code $? (124: it waited)"
uninstalled "silent"

if [[ "$failures" -ne 0 ]]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "All passed"
