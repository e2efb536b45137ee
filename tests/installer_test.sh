#!/usr/bin/env bash
# The Windows installer under Wine, end to end:
#
#   installer_test.sh WINE_RUN SETUP_EXE DATA_DIR
#
# Installs silently (/S), then checks the files in C:\MorvelVCL\ and
# C:\fenraCxx\, the Start-menu entries (Morvel's starts it in C:\MorvelVCL\)
# and the entry among the installed programs; runs the installed fenra.exe
# (-V, then a list edit of its EUC-JP table, with exact bytes and the note
# that the installed tables are read first) and Morvel.exe (a command-line
# conversion, exact bytes, and an edit made in C:\MorvelVCL\, which the next
# conversion uses); uninstalls silently and checks that nothing of it
# remains. Exits with 77 (skipped) when the installer was not built
# (cmake --build build-windows --target installer).
set -uo pipefail

wine_run="$(realpath "${1:?usage: installer_test.sh WINE_RUN SETUP_EXE DATA_DIR}")"
setup="${2:?}"
data="$(realpath "${3:?}")"
[[ -f "$setup" ]] || { echo "SKIP: $setup is not built"; exit 77; }
setup="$(realpath "$setup")"
export WINEPREFIX="${WINEPREFIX:-$(dirname "$setup")/wine-prefix}"

work="$(mktemp -d "${TMPDIR:-/tmp}/morvel-installer.XXXXXX")"
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

"$wine_run" cmd /c exit >/dev/null 2>&1  # the prefix, made once
drive_c="$WINEPREFIX/drive_c"
menu="$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Morvel VCL"
key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\MorvelVCL'
leftovers() {
  local found=()
  [[ -e "$drive_c/MorvelVCL" ]] && found+=("C:\\MorvelVCL")
  [[ -e "$drive_c/fenraCxx" ]] && found+=("C:\\fenraCxx")
  [[ -e "$menu" ]] && found+=("the Start-menu folder")
  "$wine_run" reg query "$key" >/dev/null 2>&1 && found+=("$key")
  echo "${found[*]}"
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

before="$(leftovers)"
if [[ -n "$before" ]]; then
  echo "FAIL: already there before the installation: $before"
  exit 1
fi

echo "== silent installation"
"$wine_run" "$setup" /S || fail "the installer ended with exit code $?"
for file in MorvelVCL/MS932~EUC-JP.bin MorvelVCL/MS932~UTF-8.bin MorvelVCL/MS932~Shift_JIS.bin \
    MorvelVCL/Uninstall.exe fenraCxx/fenra.exe fenraCxx/MS932~EUC-JP.bin; do
  [[ -f "$drive_c/$file" ]] || fail "$file is not installed"
done
for table in MorvelVCL/MS932~EUC-JP.bin MorvelVCL/MS932~UTF-8.bin MorvelVCL/MS932~Shift_JIS.bin \
    fenraCxx/MS932~EUC-JP.bin; do
  cmp -s "$drive_c/$table" "$data/$(basename "$table")" || fail "$table differs from the shipped table"
done
[[ -f "$menu/Uninstall Morvel VCL.lnk" ]] || fail "no Start-menu entry for the uninstaller"
"$wine_run" reg query "$key" /v DisplayName 2>/dev/null | grep -q "Morvel VCL" ||
  fail "not listed among the installed programs"

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
printf '%s\n' 'MS932~EUC-JP.bin was edited, but '"Morvel's"' conversions from this folder load C:\MorvelVCL\MS932~EUC-JP.bin and the next edit starts again from C:\fenraCxx\MS932~EUC-JP.bin, which are searched first, so the edit is not used. To use it, copy MS932~EUC-JP.bin over C:\MorvelVCL\MS932~EUC-JP.bin and over C:\fenraCxx\MS932~EUC-JP.bin.' >note.expected
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
[[ -f "$menu/Morvel VCL.lnk" ]] || fail "no Start-menu entry for Morvel"
working="$(lnk_working_dir "$menu/Morvel VCL.lnk")"
[[ "$working" == 'C:\MorvelVCL' ]] || fail "the Start-menu entry starts Morvel in '$working', not C:\MorvelVCL"
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
# The uninstaller runs from a copy of itself in the temporary folder, so it
# ends after the command returns: wait until the folders are gone.
"$wine_run" 'C:\MorvelVCL\Uninstall.exe' /S || fail "the uninstaller ended with exit code $?"
for _ in $(seq 100); do
  [[ -z "$(leftovers)" ]] && break
  sleep 0.2
done
after="$(leftovers)"
[[ -z "$after" ]] || fail "left after the uninstallation: $after"

if [[ "$failures" -ne 0 ]]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "All passed"
