#!/usr/bin/env bash
# Text handed over through "VEL" by each kind of writer comes back whole
# after File > Leave, through the real window on an Xvfb of its own:
#
#   writers_e2e.sh linux   MORVEL     VEL_WRITER     DATA_DIR
#   writers_e2e.sh windows MORVEL_EXE VEL_WRITER_EXE DATA_DIR WINE_RUN
#
# Each case runs in a fresh folder holding copies of the tables, with Morvel
# started plainly in it. Once its window is there the writer
# (support/vel_writer.cpp) runs; 3 s after it is done File > Leave is typed,
# Morvel must end with exit code 0 and "VEL" hold exactly:
#   a. renames: 50 two-line versions, each renamed over "VEL", 100 ms apart;
#      -e2: all 50 once each, in order.
#   b. chunks: an 11-line letter written in place, in 4 pieces 335 ms apart,
#      each flushed to the disk, the second ending on a lead byte (0x93) and
#      the third between a CR and its LF; -e2: the 11 lines once.
#   c. appends: 5 lines appended 150 ms apart after Morvel's own space;
#      -e2: " " and the 5 lines, each once.
#   d. held: 3 versions renamed over "VEL" 200 ms apart, then "VEL" held open
#      by a reader (as fopen "rb" opens it: on Windows without sharing its
#      deletion) until after Morvel ended; the default target: the 3 versions
#      in UTF-8 with CR LF. The reader opens "VEL" only after the renames:
#      on Windows no file can be renamed over one held so.
#   e. Windows only: cmd's "type x > VEL"; -e2: the lines of x once.
# A failure shows both byte sequences in hex. WRITERS_CASES (say "b d")
# runs only the cases named. Exits with 77 (skipped) when Xvfb, xdotool or
# iconv is missing.
set -uo pipefail

usage="usage: writers_e2e.sh linux|windows MORVEL VEL_WRITER DATA_DIR [WINE_RUN]"
system="${1:?$usage}"
morvel="$(realpath "${2:?$usage}")"  # the runs start in their own folders
writer="$(realpath "${3:?$usage}")"
data="$(realpath "${4:?$usage}")"
wine_run=""
if [[ "$system" == windows ]]; then
  wine_run="$(realpath "${5:?$usage}")"
  # The build's Wine prefix, unless the test command chose one.
  export WINEPREFIX="${WINEPREFIX:-$(dirname "$(dirname "$morvel")")/wine-prefix}"
  export WINEDEBUG=-all
elif [[ "$system" != linux ]]; then
  echo "$usage" >&2
  exit 2
fi

for tool in Xvfb xdotool iconv; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

readonly settle_wait=3  # seconds after the writer, before Leave
readonly key_wait=0.3   # seconds after each key press

# shellcheck source=tests/support/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/support/xvfb.sh"

work="$(mktemp -d "${TMPDIR:-/tmp}/morvel-writers.XXXXXX")"
xvfb_pid=""
morvel_pid=""
holder_pid=""
run_dir=""
failures=0

cleanup() {
  [[ -n "$morvel_pid" ]] && kill "$morvel_pid" 2>/dev/null && wait "$morvel_pid" 2>/dev/null
  [[ -n "$holder_pid" ]] && kill "$holder_pid" 2>/dev/null && wait "$holder_pid" 2>/dev/null
  [[ -n "$wine_run" ]] && wineserver -k 2>/dev/null  # its desktop process holds our display
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

hex() { od -An -tx1 -v "$1" | tr -s ' \n' ' '; }

# What the failed case left behind.
diagnose() {
  echo "--- diagnostics of $run_dir"
  ls -l "$run_dir" 2>&1
  local name
  for name in error.txt messages.txt info.txt; do
    [[ -f "$run_dir/$name" ]] && { echo "--- $name:"; cat "$run_dir/$name"; echo; }
  done
  [[ -f "$run_dir/Morvel.txt" ]] && echo "--- Morvel.txt bytes: $(hex "$run_dir/Morvel.txt")"
  [[ -s "$work/writer.err" ]] && { echo "--- the writer said:"; cat "$work/writer.err"; }
}

fail() {
  echo "FAIL: $*"
  diagnose
  failures=$((failures + 1))
}

# Runs a program of the system under test, in the case's folder.
run_here() {
  if [[ -n "$wine_run" ]]; then
    (cd "$run_dir" && exec "$wine_run" "$@")
  else
    (cd "$run_dir" && exec "$@")
  fi
}

# --- the X server ------------------------------------------------------------
start_xvfb "$work" 1280x1024 -noreset
echo "Xvfb on $DISPLAY"
if [[ -n "$wine_run" ]]; then
  # Wine's screen is the display of the server's first program: a server
  # that other tests started without this display must be gone first.
  wineserver -w 2>/dev/null
  # Unmanaged windows: Wine never waits for a window manager.
  "$wine_run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
else
  export QT_QPA_PLATFORM=xcb
  export XDG_RUNTIME_DIR="$work/runtime"
  mkdir -m 700 "$XDG_RUNTIME_DIR"
  unset WAYLAND_DISPLAY
fi

# --- one case ------------------------------------------------------------------

# Starts Morvel with the given options in a fresh folder and waits for its
# window, which it focuses. Sets run_dir, morvel_pid and window.
start_morvel() {
  run_dir="$work/$1"
  shift
  mkdir "$run_dir"
  : >"$work/writer.err"
  cp "$data"/MS932~*.bin "$run_dir/"
  run_here "$morvel" "$@" >"$work/morvel.out" 2>&1 &
  morvel_pid=$!
  window=""
  for _ in $(seq 150); do
    if [[ -n "$wine_run" ]]; then
      window="$(xdotool search --onlyvisible --name '^Morvel$' 2>/dev/null | head -n 1)"
    else
      window="$(xdotool search --onlyvisible --pid "$morvel_pid" --name '^Morvel$' 2>/dev/null | head -n 1)"
    fi
    [[ -n "$window" ]] && break
    kill -0 "$morvel_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [[ -z "$window" ]]; then
    fail "no window titled Morvel appeared"
    return 1
  fi
  sleep 0.5
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
  sleep "$key_wait"
}

# Runs vel_writer in the case's folder. Its failure fails the case, which
# goes on to Leave all the same: "VEL" then shows what Morvel made of the
# text written until then.
write_with() {
  run_here "$writer" "$@" 2>>"$work/writer.err" || fail "vel_writer $1 failed"
}

# A case given up: its window goes (F3, else killed) so that the next
# case's window is the only one.
close_morvel() {
  press F3
  for _ in $(seq 50); do
    kill -0 "$morvel_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill "$morvel_pid" 2>/dev/null
  wait "$morvel_pid" 2>/dev/null
  morvel_pid=""
}

press() {
  xdotool key --clearmodifiers "$1"
  sleep "$key_wait"
}

# Waits for the writer's text to settle, types File > Leave and waits up to
# 10 s for Morvel to end with exit code 0.
leave() {
  sleep "$settle_wait"
  press alt+f
  press l
  local status
  for _ in $(seq 100); do
    kill -0 "$morvel_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$morvel_pid" 2>/dev/null; then
    fail "Morvel is still running 10 s after File > Leave"
    kill "$morvel_pid"
    wait "$morvel_pid"
    morvel_pid=""
    return 1
  fi
  wait "$morvel_pid"
  status=$?
  morvel_pid=""
  if [[ "$status" -ne 0 ]]; then
    fail "Morvel ended with exit code $status"
    return 1
  fi
}

# The bytes of a file in hex, one line of the text (up to its LF) a row.
hex_lines() { od -An -tx1 -v "$1" | tr -s ' \n' ' ' | sed 's/ 0a/ 0a\n/g; s/^ //; s/\n /\n/g'; echo; }

# Compares "VEL" with the file $1, byte for byte; shows the rows that
# differ ("<" expected, ">" got).
expect_vel() {
  if [[ ! -f "$run_dir/VEL" ]]; then
    fail "VEL is missing; expected: $(hex "$1")"
  elif ! cmp -s "$1" "$run_dir/VEL"; then
    fail "VEL differs: expected $(wc -c <"$1") bytes, got $(wc -c <"$run_dir/VEL"); first difference at $(
      cmp "$1" "$run_dir/VEL" 2>&1 | sed 's/.*differ: //; s/.*EOF on [^ ]*/the end of one/')
$(diff <(hex_lines "$1") <(hex_lines "$run_dir/VEL") | grep '^[<>]')"
  else
    echo "ok: VEL holds the expected $(wc -c <"$1") bytes"
  fi
}

# Shift_JIS of the UTF-8 lines given, each ending in CR LF.
sjis_lines() {
  local line
  for line in "$@"; do printf '%s\r\n' "$line"; done | iconv -f UTF-8 -t CP932
}

# How many bytes the UTF-8 text $1 is in Shift_JIS.
sjis_length() { printf '%s' "$1" | iconv -f UTF-8 -t CP932 | wc -c; }

# --- the cases -----------------------------------------------------------------

case_a() {
  echo "== a: 50 versions renamed over VEL 100 ms apart, -e2: each once, in order"
  start_morvel a -e2 || return
  write_with rename VEL 50 100 ../a.expected
  leave && expect_vel "$work/a.expected"
}

case_b() {
  echo "== b: a letter written in place in 4 pieces 335 ms apart, -e2: its 11 lines once"
  local letter=(
    "株式会社テスト　御中"
    "営業部　部長　山田太郎様"
    "拝啓　貴社ますますご清栄のこととお慶び申し上げます。"
    "平素は格別のご高配を賜り、厚く御礼申し上げます。"
    "さて、下記の通り事務所を移転いたしましたのでご案内申し上げます。"
    "住所：東京都千代田区丸の内一丁目２番３号"
    "電話：03-1234-5678"
    "移転日：令和６年５月１日"
    "今後とも変わらぬご愛顧を賜りますようお願い申し上げます。"
    "敬具"
    "株式会社サンプル　総務部"
  )
  sjis_lines "${letter[@]}" >"$work/letter.sjis"
  # The first piece ends after "拝啓"; the second after the lead byte of
  # "東" in the address; the third after the CR of line 9.
  local first second third
  first=$(($(sjis_lines "${letter[@]:0:2}" | wc -c) + $(sjis_length "拝啓")))
  second=$(($(sjis_lines "${letter[@]:0:5}" | wc -c) + $(sjis_length "住所：") + 1))
  third=$(($(sjis_lines "${letter[@]:0:8}" | wc -c) + $(sjis_length "${letter[8]}") + 1))
  if [[ "$(od -An -tx1 -j $((second - 1)) -N 1 "$work/letter.sjis" | tr -d ' ')" != 93 ]]; then
    echo "FAIL: the second piece does not end on the lead byte 0x93"
    failures=$((failures + 1))
    return
  fi
  start_morvel b -e2 || return
  write_with chunks VEL ../letter.sjis 335 "$first" "$second" "$third"
  leave && expect_vel "$work/letter.sjis"
}

case_c() {
  echo "== c: 5 lines appended 150 ms apart after Morvel's space, -e2: each once"
  sjis_lines "追記１　あいうえお" "追記２　かきくけこ" "追記３　日本語" "追記４　ｱｲｳ half-width" "追記５　おわり" \
    >"$work/appended.sjis"
  { printf ' '; cat "$work/appended.sjis"; } >"$work/c.expected"
  start_morvel c -e2 || return
  write_with append VEL ../appended.sjis 150
  leave && expect_vel "$work/c.expected"
}

case_d() {
  echo "== d: VEL held open by a reader through Leave, default target: UTF-8 with CR LF"
  start_morvel d || return
  write_with rename VEL 3 200 ../d.expected
  iconv -f CP932 -t UTF-8 "$work/d.expected" >"$work/d.utf8"
  run_here "$writer" hold VEL 8 >"$work/holder.out" 2>>"$work/writer.err" &
  holder_pid=$!
  for _ in $(seq 100); do
    grep -q held "$work/holder.out" 2>/dev/null && break
    kill -0 "$holder_pid" 2>/dev/null || break
    sleep 0.1
  done
  if ! grep -q held "$work/holder.out" 2>/dev/null; then
    fail "the reader could not open VEL"
    close_morvel
  elif leave; then
    kill -0 "$holder_pid" 2>/dev/null || fail "the reader let VEL go before Morvel ended"
    expect_vel "$work/d.utf8"
  fi
  wait "$holder_pid" 2>/dev/null
  holder_pid=""
}

case_e() {
  [[ -n "$wine_run" ]] || return
  echo "== e: cmd's type x > VEL, -e2: the lines of x once"
  sjis_lines "コマンドの出力　一行目" "二行目　ＡＢＣ" "三行目 end" >"$work/typed.sjis"
  start_morvel e -e2 || return
  cp "$work/typed.sjis" "$run_dir/x"
  run_here cmd /c "type x > VEL" 2>>"$work/writer.err" || fail "cmd /c type x > VEL failed"
  leave && expect_vel "$work/typed.sjis"
}

for case in a b c d e; do
  if [[ " ${WRITERS_CASES:-a b c d e} " == *" $case "* ]]; then "case_$case"; fi
done

if [[ "$failures" -ne 0 ]]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
