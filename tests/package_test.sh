#!/usr/bin/env bash
# Checks the Debian package: its metadata and file list, its desktop entry,
# and, when run as root on a machine without Morvel installed, that the
# installed programs work from an empty folder with the installed tables,
# that an edit made there is noted and not used while one made in
# /opt/MorvelVCL is, and that removing the package leaves nothing behind.
# Usage: package_test.sh PACKAGE.deb VERSION_H
# VERSION_H is the build's generated version.h, which holds the version.
set -euo pipefail
deb="$(realpath "$1")"
version="$(sed -n 's/.*kMorvelVersion = "\(.*\)";.*/\1/p' "$2")"
[ -n "$version" ] || { echo "package test: no version in $2" >&2; exit 1; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
fail() { echo "package test: $*" >&2; exit 1; }

info="$(dpkg-deb --info "$deb")"
for field in "Package: morvel" "Version: $version" "Recommends: fonts-noto-cjk"; do
  grep -q "^ $field\$" <<<"$info" || fail "missing '$field'"
done
grep -q '^ Depends: .*libqt6widgets6' <<<"$info" || fail "no dependency on the Qt widgets"
dpkg-deb --ctrl-tarfile "$deb" | tar -t | grep -Eq '(pre|post)(inst|rm)' && fail "maintainer scripts found"

files="$(dpkg-deb --contents "$deb" | awk '{print $6}')"
for path in ./usr/bin/Morvel ./usr/bin/fenra \
  './opt/MorvelVCL/MS932~EUC-JP.bin' './opt/MorvelVCL/MS932~UTF-8.bin' './opt/MorvelVCL/MS932~Shift_JIS.bin' \
  ./opt/MorvelVCL/MorvelVCL.pdf './opt/fenraCxx/MS932~EUC-JP.bin' \
  ./usr/share/man/man1/Morvel.1.gz ./usr/share/man/man1/fenra.1.gz \
  ./usr/share/applications/morvel.desktop ./usr/share/icons/hicolor/48x48/apps/morvel.png; do
  grep -qxF "$path" <<<"$files" || fail "the package lacks $path"
done

grep -q '/morvel/libmorvel_windows\.so$' <<<"$files" || fail "the package lacks the windows module"

dpkg-deb --extract "$deb" "$work/root"
desktop-file-validate "$work/root/usr/share/applications/morvel.desktop"

if [ "$(id -u)" -ne 0 ] || dpkg-query -W -f='${Status}' morvel 2>/dev/null | grep -q installed ||
  [ -e /opt/MorvelVCL ] || [ -e /opt/fenraCxx ]; then
  echo "package test: metadata, files and desktop entry checked; not installed (needs root and a machine without Morvel)"
  exit 0
fi

trap 'dpkg --purge morvel >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
dpkg --install "$deb" >/dev/null
mkdir "$work/empty" && cd "$work/empty"
set +e
Morvel -V; [ $? -eq 1 ] || fail "Morvel -V did not end with 1"
fenra -V 2>/dev/null; [ $? -eq 1 ] || fail "fenra -V did not end with 1"
set -e
head -n 1 version.txt | grep -qxF "Morvel VCL Version $version"$'\r' || fail "no version.txt"
fenra -s$'\x87\x40' -e$'\x82\x50' >/dev/null 2>fenra.err || fail "the table edit failed"  # circled one by full-width one
cmp -s 'MS932~EUC-JP.bin' '/opt/fenraCxx/MS932~EUC-JP.bin' && fail "the edited table equals the installed one"
grep -qF 'load /opt/MorvelVCL/MS932~EUC-JP.bin and the next edit starts again from /opt/fenraCxx/MS932~EUC-JP.bin' \
  fenra.err || fail "fenra did not note the installed tables: $(cat fenra.err)"
rm 'MS932~EUC-JP.bin'
printf 'A\x82\xa0\r\n' >sjis.txt  # A and hiragana a
Morvel -e1 -u -a sjis.txt euc.txt -q || fail "the conversion failed: $(cat error.txt 2>/dev/null)"
[ "$(od -An -tx1 euc.txt | tr -d ' \n')" = "41a4a20a" ] || fail "wrong EUC-JP: $(od -An -tx1 euc.txt)"
QT_QPA_PLATFORM=offscreen Morvel -p 2>/dev/null || fail "the window did not open and close: $(cat error.txt 2>/dev/null)"
[ ! -e error.txt ] || fail "the window reported: $(cat error.txt)"

# Circled one by full-width one here: written here, noted, and not used by
# the conversion, which still loads the installed table (circled one AD A1).
hex() { od -An -tx1 "$1" | tr -d ' \n'; }
printf '\x87\x40\r\n' >circled.txt
Morvel -e1 -s$'\x87\x40' -g$'\x82\x50' -q || fail "the edit failed: $(cat error.txt 2>/dev/null)"
installed=/opt/MorvelVCL/MS932~EUC-JP.bin
printf '%s\r\n' "MS932~EUC-JP.bin was edited, but conversions from this folder load $installed, which is searched first, so the edit is not used and the next edit starts again from that table. To use it, copy MS932~EUC-JP.bin over $installed, or make the edit in /opt/MorvelVCL/." >note.expected
cmp -s note.expected messages.txt || fail "messages.txt after the edit: $(cat messages.txt 2>/dev/null)"
Morvel -e1 -u -a circled.txt circled.euc -q || fail "the conversion failed: $(cat error.txt 2>/dev/null)"
[ "$(hex circled.euc)" = "ada10a" ] || fail "the edit here was used: $(hex circled.euc)"
# The documented way: the edit made in the fixed folder is the table read,
# without a note; from an empty folder circled one then converts as
# full-width one (A3 B1).
(cd /opt/MorvelVCL && Morvel -e1 -s$'\x87\x40' -g$'\x82\x50' -q) || fail "the edit in /opt/MorvelVCL failed"
[ ! -e /opt/MorvelVCL/messages.txt ] || fail "the edit in /opt/MorvelVCL was noted: $(cat /opt/MorvelVCL/messages.txt)"
rm -f /opt/MorvelVCL/info.txt
mkdir "$work/other" && mv circled.txt "$work/other/" && cd "$work/other"
Morvel -e1 -u -a circled.txt circled.euc -q || fail "the conversion failed: $(cat error.txt 2>/dev/null)"
[ "$(hex circled.euc)" = "a3b10a" ] || fail "the edit in /opt/MorvelVCL is not used: $(hex circled.euc)"
cd /
dpkg --purge morvel >/dev/null 2>&1
for path in /usr/bin/Morvel /usr/bin/fenra /opt/MorvelVCL /opt/fenraCxx /usr/share/applications/morvel.desktop; do
  [ ! -e "$path" ] || fail "$path is left after removal"
done
echo "package test: installed, used from an empty folder, edited where it is used and removed cleanly"
