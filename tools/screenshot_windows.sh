#!/usr/bin/env bash
# Takes the README's picture of Morvel's window on Windows, under Wine:
# docs/morvel-windows.png.
#
#   bash tools/screenshot_windows.sh [MORVEL_EXE [GRAB_WINDOW [OUTPUT.png]]]
#
# MORVEL_EXE defaults to build-windows/bin/Morvel.exe; GRAB_WINDOW (a Linux
# program) to build/bin/grab_window. Nothing is built here. Needs Wine, Xvfb,
# xdotool, iconv and the Japanese fonts (Wine takes them from the system).
#
# As tools/screenshot.sh: Japanese text handed over as Shift_JIS through
# "VEL", End chooses EUC-JP, the window is saved, F3 closes it. Wine frames
# the window itself (no window manager), in its own prefix.
set -euo pipefail
cd "$(dirname "$0")/.."

morvel="${1:-build-windows/bin/Morvel.exe}"
morvel="$(realpath "$morvel")"
grab="$(realpath "${2:-build/bin/grab_window}")"
output="$(realpath -m "${3:-docs/morvel-windows.png}")"
data="$PWD/data"
wine_run="$PWD/cmake/wine-run.sh"
for program in "$morvel" "$grab"; do
  [[ -f "$program" ]] || { echo "missing $program: build it first" >&2; exit 1; }
done
for tool in Xvfb xdotool iconv wine; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

sample='日本語のテキストを受け渡します。
漢字・ひらがな・カタカナ・ｶﾀｶﾅ（半角）
Shift_JIS → EUC-JP / UTF-8
東京都千代田区１丁目　〒100-0001
ﾓﾙﾍﾞﾙ: ABC abc 0123456789'

work="$(mktemp -d "${TMPDIR:-/tmp}/morvel-shot.XXXXXX")"
export WINEPREFIX="$work/prefix"
xvfb_pid=""
morvel_pid=""
cleanup() {
  [[ -n "$morvel_pid" ]] && kill "$morvel_pid" 2>/dev/null && wait "$morvel_pid" 2>/dev/null
  wineserver -k 2>/dev/null || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ "$(cat "$work/display")" == *[0-9]* ]] && break
  sleep 0.1
done
export DISPLAY=":$(tr -dc 0-9 <"$work/display")" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
"$wine_run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

run="$work/run"
mkdir "$run"
cp "$data/MS932~EUC-JP.bin" "$data/MS932~UTF-8.bin" "$data/MS932~Shift_JIS.bin" "$run/"
(cd "$run" && exec "$wine_run" "$morvel" -e3 >morvel.out 2>&1) &
morvel_pid=$!
window=""
for _ in $(seq 150); do
  window="$(xdotool search --onlyvisible --name '^Morvel$' 2>/dev/null | head -n 1 || true)"
  [[ -n "$window" ]] && break
  sleep 0.1
done
[[ -n "$window" ]] || { cat "$run/morvel.out" >&2; echo "no Morvel window" >&2; exit 1; }

printf '%s\n' "$sample" | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$run/VEL.new"
mv -f "$run/VEL.new" "$run/VEL"
sleep 1.5
xdotool windowfocus --sync "$window" 2>/dev/null || true
xdotool key End
sleep 0.5

mkdir -p "$(dirname "$output")"
"$grab" "$window" "$output"
xdotool key F3
wait "$morvel_pid" || true
morvel_pid=""
echo "wrote $output ($(stat -c %s "$output") bytes)"
