#!/usr/bin/env bash
# Morvel.exe asked for its usage or version with no console and no standard
# handles (as a shortcut or Explorer starts it) shows the text in a message
# box titled with the product label, under Wine on an Xvfb of its own:
# launch_exact finds the box, reads its text and presses OK. Exact text,
# exit code 0.
#
#   asked_text_box.sh WINE_RUN LAUNCH_EXACT_EXE MORVEL_EXE
#
# Exits with 77 (skipped) when Xvfb is missing.
set -uo pipefail
usage="usage: asked_text_box.sh WINE_RUN LAUNCH_EXACT_EXE MORVEL_EXE"
wine_run="$(realpath "${1:?$usage}")"
launcher="$(realpath "${2:?$usage}")"
morvel_exe="$(realpath "${3:?$usage}")"
command -v Xvfb >/dev/null 2>&1 || { echo "SKIP: Xvfb is not installed"; exit 77; }
export WINEPREFIX="${WINEPREFIX:-$(dirname "$(dirname "$launcher")")/wine-prefix}"

# shellcheck source=tests/support/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/support/xvfb.sh"

work="$(mktemp -d "${TMPDIR:-/tmp}/morvel-asked-text.XXXXXX")"
xvfb_pid=""
cleanup() {
  wineserver -k 2>/dev/null  # its desktop process holds our display
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
start_xvfb "$work" 1024x768
# Wine's screen is the display of the server's first program (CTest runs
# this test alone).
wineserver -w 2>/dev/null

failures=0
morvel_windows="Z:$(echo "$morvel_exe" | tr / '\\')"
version="$(cd "$work" && "$wine_run" "$morvel_exe" --version | tr -d '\r')"
for word in --version -h; do
  printf '%s %s' "$morvel_windows" "$word" >"$work/line.txt"
  shown="$(cd "$work" && "$wine_run" "$launcher" --box "Morvel VCL" line.txt)"
  code=$?
  expected="$version"
  [[ "$word" == -h ]] && expected="$(cd "$work" && "$wine_run" "$morvel_exe" -h | tr -d '\r' | iconv -f CP932 -t UTF-8)"
  if [[ $code -ne 0 || "$shown" != "$expected" || -z "$shown" ]]; then
    echo "FAIL: Morvel.exe $word showed (exit code $code):"
    echo "$shown"
    failures=$((failures + 1))
  fi
done
[[ $failures -eq 0 ]] && echo "PASS: the usage and the version line in a message box"
exit $((failures > 0))
