#!/bin/sh
# Manual.PdfReadsBack: the text of the built manual reads back from the PDF,
# the options of both programs and the Japanese examples intact.
# Usage: sh manual_reads_back.sh MorvelVCL.pdf
# Exits with 77 (skipped) when pdftotext (poppler-utils) is missing.
pdf="$1"
command -v pdftotext >/dev/null 2>&1 || {
  echo "pdftotext not found (poppler-utils): skipped"
  exit 77
}
[ -s "$pdf" ] || {
  echo "no manual at $pdf: build the target manual first"
  exit 1
}
text="$(mktemp)"
trap 'rm -f "$text"' EXIT
pdftotext -enc UTF-8 "$pdf" "$text" || exit 1

missing=0
expect() {
  grep -q -F -e "$1" "$text" || {
    echo "not in the PDF's text: $1"
    missing=1
  }
}
# Morvel's options and examples
for option in -e1 -e2 -e3 --unix -CRLF -LF -t- -d- -w- -i- -n- -VC --help "-u -a sjis.txt euc.txt -q" "-s① -g１"; do
  expect "$option"
done
# fenra's options, in its own examples and table
expect "fenra -f bars.txt -d -w"
expect "fenra -kﾅ -aN mytable.bin"
expect "fenra -s① -e１"
expect "take the table from the name on line 11 of setting.txt only"
# Japanese text, full-width and half-width
for word in 廿 ⑳ あいうえお ＡＢ①２ ﾅ "8753 ⇒ 93F9"; do
  expect "$word"
done
# the fixed folders and the title
expect /opt/MorvelVCL/
expect /opt/fenraCxx/
expect "Morvel and fenra: user manual"
exit "$missing"
