# shellcheck shell=bash
# The X server of an end-to-end script (sourced), one per script, and its
# window manager: Xvfb picks a free display itself (-displayfd), so that
# tests side by side never share one, and writes its number once it listens.

# start_xvfb WORK WIDTHxHEIGHT [OPTION...]: starts Xvfb (its output in
# WORK/xvfb.log), waits until it listens and exports DISPLAY; sets xvfb_pid.
# Ends the script with 1 when the server does not start.
start_xvfb() {
  local work="$1" size="$2" number=""
  shift 2
  Xvfb -displayfd 3 -screen 0 "${size}x24" -nolisten tcp "$@" 3>"$work/display" >"$work/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    number="$(tr -dc 0-9 <"$work/display")"
    [[ -n "$number" ]] && break
    kill -0 "$xvfb_pid" 2>/dev/null || break
    sleep 0.1
  done
  number="$(tr -dc 0-9 <"$work/display")"
  if [[ -z "$number" ]]; then
    echo "FAIL: Xvfb did not start"
    cat "$work/xvfb.log"
    exit 1
  fi
  export DISPLAY=":$number"
}

# stop_xvfb: ends the server start_xvfb started, unless it is gone already.
stop_xvfb() {
  [[ -n "${xvfb_pid:-}" ]] && kill "$xvfb_pid" 2>/dev/null && wait "$xvfb_pid" 2>/dev/null
}

# start_openbox WORK: runs openbox on the display (its output in
# WORK/openbox.log) and waits until it manages it; sets openbox_pid.
start_openbox() {
  openbox >"$1/openbox.log" 2>&1 &
  openbox_pid=$!
  for _ in $(seq 50); do
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
    sleep 0.1
  done
}
