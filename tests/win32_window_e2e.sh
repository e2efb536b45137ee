#!/usr/bin/env bash
# Morvel's Win32 windows under Wine, on an Xvfb of their own:
#
#   win32_window_e2e.sh WINE_RUN WINDOW_TEST_EXE MORVEL_EXE DATA_DIR
#
# 1. The window tests (win32_window_test.exe, its windows unmanaged):
#    geometry, rows, hand-off and dialogs, keys posted through the program's
#    own message loop.
# 2. Typed through X11 by xdotool into the windows of Morvel.exe (Wine's
#    windows are X11 windows), each started as a user starts it, from a
#    shell in a fresh folder with the tables, Wine as installed (its windows
#    managed): Shift_JIS through "VEL", End, File > Leave by the keyboard:
#    "VEL" holds EUC-JP, and the window stood at its corner in its standard
#    size at start, seconds later and after F5, with no window manager.
#    Then under openbox: Home: "VEL" holds UTF-8 and the window stays; the
#    window framed at its corner at start and seconds later; Large, then F5
#    brings the standard size back at the corner; F3: "VEL" is gone; at the
#    top-right corner (-c2), the Record dialog's Save writes "info.txt"; the
#    Version dialog opens, 166 x 166 and centred, and Esc closes both
#    dialogs. Exact bytes. Where a window stands is read from the X server
#    (the frame and the window).
# Exits with 77 (skipped) when Xvfb or xdotool is missing; the runs under
# openbox are left out without it.
set -uo pipefail

wine_run="$(realpath "${1:?usage: win32_window_e2e.sh WINE_RUN TEST_EXE MORVEL_EXE DATA_DIR}")"
test_exe="$(realpath "${2:?}")"
morvel_exe="$(realpath "${3:?}")"
data="$(realpath "${4:?}")"

for tool in Xvfb xdotool xwininfo xprop; do
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
openbox_pid=""
run_pid=""
run_dir=""
failures=0

cleanup() {
  [[ -n "$run_pid" ]] && kill "$run_pid" 2>/dev/null && wait "$run_pid" 2>/dev/null
  wineserver -k 2>/dev/null  # its desktop process holds our display
  [[ -n "$openbox_pid" ]] && kill "$openbox_pid" 2>/dev/null && wait "$openbox_pid" 2>/dev/null
  stop_xvfb
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' INT TERM

hex() { od -An -tx1 -v "$1" | tr -s ' \n' ' '; }

# shellcheck source=tests/support/window_placement.sh
source "$(dirname "${BASH_SOURCE[0]}")/support/window_placement.sh"
# shellcheck source=tests/support/xvfb.sh
source "$(dirname "${BASH_SOURCE[0]}")/support/xvfb.sh"

fail() {
  echo "FAIL: $*"
  if [[ -n "$run_dir" ]]; then
    ls -l "$run_dir"
    [[ -f "$run_dir/error.txt" ]] && { echo "--- error.txt:"; cat "$run_dir/error.txt"; echo; }
    [[ -f "$run_dir/VEL" ]] && echo "--- VEL bytes: $(hex "$run_dir/VEL")"
  fi
  failures=$((failures + 1))
}

start_xvfb "$work" "${screen_width}x${screen_height}"
# Wine's screen is the display of the server's first program: a server
# that other tests started without this display must be gone first (CTest
# runs this test alone).
wineserver -w 2>/dev/null
# The window tests alone keep Wine's windows unmanaged (Wine frames them and
# hides them at once, not waiting 2 s for a window manager that is not
# there); Morvel.exe runs as installed, so a prefix-wide setting from an
# earlier run goes.
"$wine_run" reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1
"$wine_run" reg add "HKCU\\Software\\Wine\\AppDefaults\\$(basename "$test_exe")\\X11 Driver" /v Managed /d N /f \
  >/dev/null 2>&1

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

readonly corner="$((screen_width - 677)) $((screen_height - 534)) 677 491"

echo "== 2: Shift_JIS in, F5, End, File > Leave typed: EUC-JP out; at its corner with no window manager"
if start_run leave -LF; then
  expect_placed "$window" "$corner" "at start" 2
  printf 'A\x82\xa0\r\n\x93\xfa\x96\x7b\r\n' >"$run_dir/VEL"  # "A", hiragana a; the kanji of Japan
  sleep 1
  expect_placed "$window" "$corner" "seconds after start"
  press F5
  expect_placed "$window" "$corner" "after F5"
  press End
  press alt+f
  press l
  expect_end && expect_vel 'A\xa4\xa2\n\xc6\xfc\xcb\xdc\n'
fi

# The rest under a window manager, which frames the windows.
if command -v openbox >/dev/null; then
  start_openbox "$work"
else
  echo "openbox missing: the runs under a window manager are left out"
fi

echo "== 3: Home writes UTF-8 and the window stays; framed at its corner, Large, F5; F3 closes and deletes VEL"
if [[ -n "$openbox_pid" ]] && start_run home; then
  expect_placed "$window" "$corner" "framed at start" 2
  printf '\x82\xa0\r\n' >"$run_dir/VEL"  # hiragana a
  sleep 1
  press Home
  sleep 0.3
  expect_vel '\xe3\x81\x82\r\n'
  kill -0 "$run_pid" 2>/dev/null || fail "the window closed after Home"
  expect_placed "$window" "$corner" "framed seconds after start"
  press alt+h
  press a  # Large
  expect_placed "$window" "0 0 $screen_width $((screen_height - 43))" "framed after Large" 2
  press F5
  expect_placed "$window" "$corner" "framed after F5" 2
  press F3
  if expect_end && [[ -e "$run_dir/VEL" ]]; then
    fail "VEL is still there after F3"
  fi
fi

echo "== 4: at the top-right corner (-c2), the dialogs by the keyboard: Record's Save, Version and Esc"
if [[ -n "$openbox_pid" ]] && start_run dialogs -c2; then
  expect_placed "$window" "$((screen_width - 677)) 0 677 491" "-c2 framed" 2
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
    expect_placed "$version" "$(((screen_width - 166) / 2)) $(((screen_height - 166) / 2)) 166 166" "Version" 2
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
