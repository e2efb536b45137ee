#!/usr/bin/env bash
# Checks the Debian package: its metadata and file list, its desktop entry,
# and, when run as root on a machine without Morvel installed, that the
# installed programs work from an empty folder with the installed tables and
# that removing the package leaves nothing behind.
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
fenra -s$'\x87\x40' -e$'\x82\x50' >/dev/null || fail "the table edit failed"  # circled one by full-width one
cmp -s 'MS932~EUC-JP.bin' '/opt/fenraCxx/MS932~EUC-JP.bin' && fail "the edited table equals the installed one"
rm 'MS932~EUC-JP.bin'
printf 'A\x82\xa0\r\n' >sjis.txt  # A and hiragana a
Morvel -e1 -u -a sjis.txt euc.txt -q || fail "the conversion failed: $(cat error.txt 2>/dev/null)"
[ "$(od -An -tx1 euc.txt | tr -d ' \n')" = "41a4a20a" ] || fail "wrong EUC-JP: $(od -An -tx1 euc.txt)"
QT_QPA_PLATFORM=offscreen Morvel -p 2>/dev/null || fail "the window did not open and close: $(cat error.txt 2>/dev/null)"
[ ! -e error.txt ] || fail "the window reported: $(cat error.txt)"
cd /
dpkg --purge morvel >/dev/null 2>&1
for path in /usr/bin/Morvel /usr/bin/fenra /opt/MorvelVCL /opt/fenraCxx /usr/share/applications/morvel.desktop; do
  [ ! -e "$path" ] || fail "$path is left after removal"
done
echo "package test: installed, used from an empty folder and removed cleanly"
