#!/usr/bin/env bash
# Morvel's window end to end, under its own Xvfb and driven by xdotool.
#
#   window_e2e.sh MORVEL DATA_DIR
#
# Morvel is started as a user starts it: from a shell, in a fresh folder
# holding copies of the tables, no arguments beyond the run's own. Where the
# window stands is read from the X server (xwininfo: the window manager's
# frame, the window itself) when it has settled and again seconds later.
#   1. Shift_JIS text handed over through "VEL", End (EUC-JP), File > Leave
#      by the keyboard: "VEL" holds the text in EUC-JP with LF line ends; the
#      window sat at the bottom-right corner in its standard size.
#   2. At the top-left corner (-c1), also after F5; F3 closes the window:
#      "VEL" is gone.
#   3. Started for EUC-JP, "VEL" rewritten twice within one second, Page Up
#      (UTF-8), File > Leave: both texts come back in UTF-8, in order.
#   4. A write racing Leave: "VEL" rewritten while the File menu is open and
#      Leave pressed at once, before any poll could read it: the rewrite
#      comes back too.
# Then, under a window manager (openbox), which frames the windows:
#   5. the window, frame included, stands 677 x 491 at its corner at start,
#      seconds later, and after Large and F5; the Version dialog is
#      166 x 166, centred.
#   7. the write racing Leave of run 4 again, before
#   6. the display goes away under the window, centred (-c0): it closes as
#      its close box does ("VEL" deleted, exit code 0).
# Every run must end with exit code 0. Exits with 77 (skipped) when Xvfb or
# xdotool is missing; runs 5 to 7 are left out without openbox.
set -uo pipefail

morvel="${1:?usage: window_e2e.sh MORVEL DATA_DIR}"
data="${2:?usage: window_e2e.sh MORVEL DATA_DIR}"
morvel="$(realpath "$morvel")"  # the runs start in their own folders
data="$(realpath "$data")"

for tool in Xvfb xdotool xwininfo xprop; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed"
    exit 77
  fi
done

readonly screen_width=1280 screen_height=1024
readonly pickup_wait=1    # seconds: a poll (300 ms) and a reload (200 ms) with room to spare
readonly key_wait=0.3     # seconds after each key press
# The standard outer rectangle at the default corner: right edge on the
# screen's, top 534 px above its bottom.
readonly corner="$((screen_width - 677)) $((screen_height - 534)) 677 491"

work="$(mktemp -d "${TMPDIR:-/tmp}/morvel-e2e.XXXXXX")"
xvfb_pid=""
openbox_pid=""
morvel_pid=""
run_dir=""
failures=0

cleanup() {
  [[ -n "$morvel_pid" ]] && kill "$morvel_pid" 2>/dev/null && wait "$morvel_pid" 2>/dev/null
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

# What the failed run left behind.
diagnose() {
  echo "--- diagnostics of $run_dir"
  ls -l "$run_dir" 2>&1
  local name
  for name in error.txt messages.txt info.txt morvel.out; do
    [[ -f "$run_dir/$name" ]] && { echo "--- $name:"; cat "$run_dir/$name"; echo; }
  done
  [[ -f "$run_dir/VEL" ]] && echo "--- VEL bytes: $(hex "$run_dir/VEL")"
  echo "--- windows named Morvel: $(xdotool search --name Morvel 2>&1 | tr '\n' ' ')"
  echo "--- Xvfb log:"
  cat "$work/xvfb.log"
}

fail() {
  echo "FAIL: $*"
  diagnose
  failures=$((failures + 1))
}

# --- the X server ------------------------------------------------------------
# -noreset keeps it serving while no client is connected between the runs.
start_xvfb "$work" "${screen_width}x${screen_height}" -noreset
export QT_QPA_PLATFORM=xcb
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"
unset WAYLAND_DISPLAY
echo "Xvfb on $DISPLAY"

# --- one Morvel run ------------------------------------------------------------

# Starts Morvel with the given options in a fresh folder and waits for its
# window, which it focuses. Sets run_dir, morvel_pid and window.
start_morvel() {
  run_dir="$work/run$1"
  shift
  mkdir "$run_dir"
  cp "$data/MS932~EUC-JP.bin" "$data/MS932~UTF-8.bin" "$data/MS932~Shift_JIS.bin" "$run_dir/"
  (cd "$run_dir" && exec "$morvel" "$@" >morvel.out 2>&1) &
  morvel_pid=$!
  window=""
  for _ in $(seq 100); do
    window="$(xdotool search --onlyvisible --pid "$morvel_pid" --name '^Morvel$' 2>/dev/null | head -n 1)"
    [[ -n "$window" ]] && break
    kill -0 "$morvel_pid" 2>/dev/null || break
    sleep 0.1
  done
  if [[ -z "$window" ]]; then
    fail "no window titled Morvel appeared"
    return 1
  fi
  xdotool windowfocus --sync "$window"
  xdotool mousemove --window "$window" 200 150 click 1  # into the memo
  sleep "$key_wait"
}

# Hands text over to the window: the bytes go to "VEL" in one step.
hand_over() {
  printf "$1" >"$run_dir/VEL.new" && mv -f "$run_dir/VEL.new" "$run_dir/VEL"
}

press() {
  xdotool key "$1"
  sleep "$key_wait"
}

leave_by_menu() {
  press alt+f
  press l
}

# Waits up to 10 s for Morvel to end and checks its exit code is 0.
expect_exit_0() {
  local status
  for _ in $(seq 100); do
    kill -0 "$morvel_pid" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$morvel_pid" 2>/dev/null; then
    fail "Morvel is still running 10 s after it was told to close"
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

# Compares "VEL" with the bytes of the printf format $1.
expect_vel() {
  printf "$1" >"$work/expected"
  if [[ ! -f "$run_dir/VEL" ]]; then
    fail "VEL is missing; expected: $(hex "$work/expected")"
  elif ! cmp -s "$work/expected" "$run_dir/VEL"; then
    fail "VEL differs; expected: $(hex "$work/expected") got: $(hex "$run_dir/VEL")"
  fi
}

# --- the runs ------------------------------------------------------------------

echo "== 1: Shift_JIS in, End, File > Leave: EUC-JP with LF out"
if start_morvel 1 -e3; then
  expect_placed "$window" "$corner" "at start" 2
  hand_over 'A\x82\xa0\r\n\x93\xfa\x96\x7b\r\n'  # "A", hiragana a; then the kanji of Japan
  sleep "$pickup_wait"
  expect_placed "$window" "$corner" "seconds after start"
  press End
  leave_by_menu
  expect_exit_0 && expect_vel 'A\xa4\xa2\n\xc6\xfc\xcb\xdc\n'
fi

echo "== 2: at the top-left corner, also after F5; F3 closes and deletes VEL"
if start_morvel 2 -e3 -c1; then
  expect_placed "$window" "0 0 677 491" "-c1 at start" 2
  hand_over 'kept?\r\n'
  sleep "$pickup_wait"
  press F5
  expect_placed "$window" "0 0 677 491" "-c1 after F5"
  press F3
  if expect_exit_0 && [[ -e "$run_dir/VEL" ]]; then
    fail "VEL is still there after F3"
  fi
fi

echo "== 3: two texts within one second, Page Up, File > Leave: both in UTF-8"
if start_morvel 3 -e1 -u; then
  hand_over 'first \x82\xa0\r\n'  # hiragana a
  sleep 0.6
  hand_over 'second \x93\xfa\x96\x7b\r\n'  # the kanji of Japan
  sleep "$pickup_wait"
  press Prior  # Page Up
  leave_by_menu
  expect_exit_0 && expect_vel 'first \xe3\x81\x82\nsecond \xe6\x97\xa5\xe6\x9c\xac\n'
fi

# The writer rewrites "VEL" while the user is already in the File menu, and
# Leave follows at once: the window reads the rewrite before it converts.
write_racing_leave() {
  echo "== $1: a write racing Leave is handed back too"
  start_morvel "$1" -e3 || return
  hand_over 'one \x82\xa0\r\n'  # hiragana a
  sleep "$pickup_wait"
  press alt+f
  hand_over 'two\r\n'
  xdotool key l
  expect_exit_0 && expect_vel 'one \xe3\x81\x82\ntwo\n'
}
write_racing_leave 4

# --- under a window manager ----------------------------------------------------

if command -v openbox >/dev/null; then
  start_openbox "$work"

  echo "== 5: under openbox, framed 677x491 at its corner at start, seconds later, after Large and F5; Version 166x166"
  if start_morvel 5; then
    expect_placed "$window" "$corner" "framed at start" 2
    sleep 2
    expect_placed "$window" "$corner" "framed seconds after start"
    press alt+h
    press a  # Large
    expect_placed "$window" "0 0 $screen_width $((screen_height - 43))" "framed after Large" 2
    press F5
    expect_placed "$window" "$corner" "framed after F5" 2
    press alt+h
    press v  # Version
    version="$(xdotool search --all --onlyvisible --pid "$morvel_pid" --name '^Version$' 2>/dev/null | head -n 1)"
    if [[ -z "$version" ]]; then
      fail "no Version dialog"
    else
      expect_placed "$version" "$(((screen_width - 166) / 2)) $(((screen_height - 166) / 2)) 166 166" "Version" 2
      press Escape
    fi
    press F3
    expect_exit_0
  fi

  write_racing_leave 7

  echo "== 6: centred (-c0); the display goes away: the window closes as its close box does"
  if start_morvel 6 -c0; then
    expect_placed "$window" "$(((screen_width - 677) / 2)) $(((screen_height - 491) / 2)) 677 491" "-c0 framed" 2
    kill "$openbox_pid" "$xvfb_pid"
    wait "$openbox_pid" "$xvfb_pid" 2>/dev/null
    xvfb_pid=""
    if expect_exit_0 && [[ -e "$run_dir/VEL" ]]; then
      fail "VEL is still there after the display went away"
    fi
  fi
else
  echo "openbox missing: the runs under a window manager are left out"
fi

if [[ "$failures" -ne 0 ]]; then
  echo "$failures check(s) failed"
  exit 1
fi
echo "all checks passed"
