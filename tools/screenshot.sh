#!/usr/bin/env bash
# Takes the README's picture of Morvel's window: docs/morvel.png.
#
#   bash tools/screenshot.sh [MORVEL [OUTPUT.png]]
#
# MORVEL defaults to build/bin/Morvel; grab_window must have been built
# beside it (cmake --build build --target Morvel grab_window). Nothing is
# built here. Needs Xvfb, xdotool, iconv and the Japanese fonts.
#
# Morvel runs under its own Xvfb in a temporary folder holding the tables;
# a few lines of Japanese text are handed over as Shift_JIS through "VEL",
# End chooses EUC-JP so that the status bar shows it, and the window is
# saved. F3 closes it afterwards.
set -euo pipefail
cd "$(dirname "$0")/.."

morvel="$(realpath "${1:-build/bin/Morvel}")"
output="$(realpath -m "${2:-docs/morvel.png}")"
grab="$(dirname "$morvel")/grab_window"
data="$PWD/data"
for program in "$morvel" "$grab"; do
  [[ -x "$program" ]] || { echo "missing $program: build it first" >&2; exit 1; }
done
for tool in Xvfb xdotool iconv; do
  command -v "$tool" >/dev/null || { echo "missing $tool" >&2; exit 1; }
done

# Kanji, hiragana, katakana, half-width katakana and ASCII.
sample='日本語のテキストを受け渡します。
漢字・ひらがな・カタカナ・ｶﾀｶﾅ（半角）
Shift_JIS → EUC-JP / UTF-8
東京都千代田区１丁目　〒100-0001
ﾓﾙﾍﾞﾙ: ABC abc 0123456789'

work="$(mktemp -d "${TMPDIR:-/tmp}/morvel-shot.XXXXXX")"
xvfb_pid=""
morvel_pid=""
cleanup() {
  [[ -n "$morvel_pid" ]] && kill "$morvel_pid" 2>/dev/null && wait "$morvel_pid" 2>/dev/null
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number once it listens.
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$work/display" >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
for _ in $(seq 100); do
  [[ "$(cat "$work/display")" == *[0-9]* ]] && break
  sleep 0.1
done
display_number="$(tr -dc 0-9 <"$work/display")"
[[ -n "$display_number" ]] || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$display_number" QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

run="$work/run"
mkdir "$run"
cp "$data/MS932~EUC-JP.bin" "$data/MS932~UTF-8.bin" "$data/MS932~Shift_JIS.bin" "$run/"
(cd "$run" && exec "$morvel" -e3 >morvel.out 2>&1) &
morvel_pid=$!
window=""
for _ in $(seq 100); do
  window="$(xdotool search --onlyvisible --pid "$morvel_pid" --name '^Morvel$' 2>/dev/null | head -n 1 || true)"
  [[ -n "$window" ]] && break
  sleep 0.1
done
[[ -n "$window" ]] || { cat "$run/morvel.out" >&2; echo "no Morvel window" >&2; exit 1; }

# The hand-over: Shift_JIS with CR LF line ends, put in place in one step.
printf '%s\n' "$sample" | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$run/VEL.new"
mv -f "$run/VEL.new" "$run/VEL"
sleep 1  # a poll and a reload

xdotool windowfocus --sync "$window"
xdotool mousemove --window "$window" 600 300 click 1  # into the memo, below the text
sleep 0.3
xdotool key End  # EUC-JP, shown in the status bar
sleep 0.5

mkdir -p "$(dirname "$output")"
"$grab" "$window" "$output"
xdotool key F3
wait "$morvel_pid" || true
morvel_pid=""
echo "wrote $output ($(stat -c %s "$output") bytes)"
