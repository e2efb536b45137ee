#!/usr/bin/env bash
# Morvel's Win32 windows under Wine, on an Xvfb of their own:
#
#   win32_window_e2e.sh WINE_RUN WINDOW_TEST_EXE MORVEL_EXE DATA_DIR
#
# 1. The window tests (win32_window_test.exe): geometry, rows, hand-off and
#    dialogs, keys posted through the program's own message loop.
# 2. Typed through X11 by xdotool into the windows of Morvel.exe (Wine's
#    windows are X11 windows), each run in a fresh folder with the tables:
#    Shift_JIS through "VEL", End, File > Leave by the keyboard: "VEL"
#    holds EUC-JP, and the window stood at its corner in its standard size;
#    Home: "VEL" holds UTF-8 and the window stays; Large, then F5 brings the
#    standard size back at the corner; F3: "VEL" is gone;
#    the Record dialog's Save writes "info.txt"; the Version dialog opens
#    and Esc closes both dialogs. Exact bytes.
# Wine's windows are left unmanaged (its own frames, no window manager), so
# the outer geometry is exactly what the program sets. Exits with 77
# (skipped) when Xvfb or xdotool is missing.
set -uo pipefail

wine_run="$(realpath "${1:?usage: win32_window_e2e.sh WINE_RUN TEST_EXE MORVEL_EXE DATA_DIR}")"
test_exe="$(realpath "${2:?}")"
morvel_exe="$(realpath "${3:?}")"
data="$(realpath "${4:?}")"

for tool in Xvfb xdotool; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

# The runs work in a temporary folder: the build's Wine prefix, unless the
# test command chose one.
export WINEPREFIX="${WINEPREFIX:-$(dirname "$(dirname "$test_exe")")/wine-prefix}"

readonly screen_width=1280 screen_height=1024
work="$(mktemp -d "${TMPDIR:-/tmp}/morvel-win32-e2e.XXXXXX")"
xvfb_pid=""
run_pid=""
run_dir=""
failures=0

cleanup() {
  [[ -n "$run_pid" ]] && kill "$run_pid" 2>/dev/null && wait "$run_pid" 2>/dev/null
  wineserver -k 2>/dev/null  # its desktop process holds our display
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

hex() { od -An -tx1 -v "$1" | tr -s ' \n' ' '; }

fail() {
  echo "FAIL: $*"
  if [[ -n "$run_dir" ]]; then
    ls -l "$run_dir"
    [[ -f "$run_dir/error.txt" ]] && { echo "--- error.txt:"; cat "$run_dir/error.txt"; echo; }
    [[ -f "$run_dir/VEL" ]] && echo "--- VEL bytes: $(hex "$run_dir/VEL")"
  fi
  failures=$((failures + 1))
}

Xvfb -displayfd 3 -screen 0 "${screen_width}x${screen_height}x24" -nolisten tcp 3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
for _ in $(seq 50); do
  [[ -s "$work/display" ]] && break
  sleep 0.1
done
export DISPLAY=":$(head -n1 "$work/display")"
# Wine's screen is the display of the server's first program: a server
# that other tests started without this display must be gone first (CTest
# runs this test alone).
wineserver -w 2>/dev/null
# Unmanaged windows: Wine frames them itself and never waits for a window
# manager that is not there.
"$wine_run" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1

echo "== 1: the window tests"
(cd "$work" && "$wine_run" "$test_exe") || fail "win32_window_test.exe failed"

# --- typed through X11 --------------------------------------------------------

start_run() {  # start_run NAME WORDS...: the windows in a fresh folder
  run_dir="$work/$1"
  shift
  mkdir -p "$run_dir"
  cp "$data"/MS932~*.bin "$run_dir/"
  (cd "$run_dir" && exec "$wine_run" "$morvel_exe" "$@") >"$run_dir/run.out" 2>&1 &
  run_pid=$!
  window=""
  for _ in $(seq 100); do
    window="$(xdotool search --onlyvisible --name '^Morvel$' 2>/dev/null | head -n1)"
    [[ -n "$window" ]] && break
    sleep 0.1
  done
  if [[ -z "$window" ]]; then
    fail "no window named Morvel appeared"
    return 1
  fi
  sleep 0.5
  xdotool windowfocus --sync "$window" 2>/dev/null || xdotool windowfocus "$window"
}

press() {
  xdotool key --clearmodifiers "$@"
  sleep 0.3
}

expect_end() {
  for _ in $(seq 100); do
    kill -0 "$run_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$run_pid" 2>/dev/null; then
    fail "the window is still open 10 s after it was told to close"
    kill "$run_pid"
  fi
  wait "$run_pid"
  local status=$?
  run_pid=""
  [[ "$status" -eq 0 ]] || { fail "ended with exit code $status"; return 1; }
}

expect_vel() {
  printf "$1" >"$work/expected"
  if [[ ! -f "$run_dir/VEL" ]]; then
    fail "VEL is missing; expected: $(hex "$work/expected")"
  elif ! cmp -s "$work/expected" "$run_dir/VEL"; then
    fail "VEL differs; expected: $(hex "$work/expected") got: $(hex "$run_dir/VEL")"
  fi
}

echo "== 2: Shift_JIS in, End, File > Leave typed: EUC-JP out"
expect_geometry() {  # expect_geometry X Y WIDTH HEIGHT WHEN: the outer geometry
  local geometry
  geometry="$(xdotool getwindowgeometry "$window")"
  if [[ "$geometry" != *"Position: $1,$2 "* || "$geometry" != *"Geometry: $3x$4"* ]]; then
    fail "$5: the window is not $3x$4 at $1,$2: $geometry"
  fi
}

if start_run leave -LF; then
  expect_geometry $((screen_width - 677)) $((screen_height - 534)) 677 491 "at start"
  printf 'A\x82\xa0\r\n\x93\xfa\x96\x7b\r\n' >"$run_dir/VEL"  # "A", hiragana a; the kanji of Japan
  sleep 1
  press End
  press alt+f
  press l
  expect_end && expect_vel 'A\xa4\xa2\n\xc6\xfc\xcb\xdc\n'
fi

echo "== 3: Home writes UTF-8 and the window stays; Large, F5; F3 closes and deletes VEL"
if start_run home; then
  printf '\x82\xa0\r\n' >"$run_dir/VEL"  # hiragana a
  sleep 1
  press Home
  sleep 0.3
  expect_vel '\xe3\x81\x82\r\n'
  kill -0 "$run_pid" 2>/dev/null || fail "the window closed after Home"
  press alt+h
  press a  # Large
  expect_geometry 0 0 "$screen_width" $((screen_height - 43)) "after Large"
  press F5
  expect_geometry $((screen_width - 677)) $((screen_height - 534)) 677 491 "after F5"
  press F3
  if expect_end && [[ -e "$run_dir/VEL" ]]; then
    fail "VEL is still there after F3"
  fi
fi

echo "== 4: the dialogs by the keyboard: Record's Save, Version and Esc"
if start_run dialogs; then
  press alt+e
  press c
  press r
  record="$(xdotool search --onlyvisible --name '^Record$' 2>/dev/null | head -n1)"
  if [[ -z "$record" ]]; then
    fail "Encoding > EUC-JP > Record showed no dialog"
  else
    press Return  # the focus is on Save
    printf '8753 \x81\xcb ' >"$work/expected"  # circled twenty, the arrow, then what the table makes of it
    if ! cmp -s -n 7 "$work/expected" "$run_dir/info.txt" 2>/dev/null || [[ "$(tail -c 2 "$run_dir/info.txt" | od -An -tx1)" != " 0d 0a" ]]; then
      fail "Save wrote info.txt: $(hex "$run_dir/info.txt" 2>&1)"
    fi
    press Escape
    xdotool search --onlyvisible --name '^Record$' >/dev/null 2>&1 && fail "Esc left the Record dialog open"
  fi
  xdotool windowfocus --sync "$window" 2>/dev/null || true
  press alt+h
  press v
  version="$(xdotool search --onlyvisible --name '^Version$' 2>/dev/null | head -n1)"
  if [[ -z "$version" ]]; then
    fail "Help > Version showed no dialog"
  else
    # Focused as a user's click focuses it: on the dialog, off its button.
    eval "$(xdotool getwindowgeometry --shell "$version")"
    xdotool mousemove --sync $((X + 12)) $((Y + HEIGHT - 12)) click 1
    sleep 0.3
    press Escape
    xdotool search --onlyvisible --name '^Version$' >/dev/null 2>&1 && fail "Esc left the clicked Version dialog open"
  fi
  press F3
  expect_end
fi

if [[ "$failures" -ne 0 ]]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "All passed"
