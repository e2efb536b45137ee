# shellcheck shell=bash
# Where an X window stands, for the end-to-end scripts (sourced; they define
# `fail`). Read from the X server with xwininfo and xprop, not from the
# program: the window manager's frame and the window inside it.

# "X Y WIDTH HEIGHT" of an X window on the screen.
rectangle_of() {
  xwininfo -id "$1" | awk '/Absolute upper-left X:/ {x = $NF} /Absolute upper-left Y:/ {y = $NF}
    /^ *Width:/ {w = $NF} /^ *Height:/ {h = $NF} END {print x, y, w, h}'
}

# The top-level X window that holds $1: the window manager's frame, or the
# window itself when nothing reparented it.
outermost_of() {
  local window="$1" tree
  for _ in 1 2 3 4 5 6 7 8; do
    tree="$(xwininfo -id "$window" -tree)" || break
    [[ "$tree" == *"Parent window id: "*"(the root window)"* ]] && break
    window="$(sed -n 's/.*Parent window id: *\(0x[0-9a-f]*\).*/\1/p' <<<"$tree")"
  done
  echo "$window"
}

# "frame X Y W H client X Y W H": the outer rectangle and the window's own.
placement_of() {
  echo "frame $(rectangle_of "$(outermost_of "$1")") client $(rectangle_of "$1")"
}

# What placement_of must show for a window whose outer rectangle is
# "X Y W H" ($2): the window manager's frame there (_NET_FRAME_EXTENTS
# says how wide it is), the window inside it; unframed, both the same.
placement_for() {
  local x y w h extents l r t b
  read -r x y w h <<<"$2"
  extents="$(xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.*= //p' | tr -d ' ')"
  IFS=, read -r l r t b <<<"${extents:-0,0,0,0}"
  echo "frame $x $y $w $h client $((x + l)) $((y + t)) $((w - l - r)) $((h - t - b))"
}

# expect_placed WINDOW "X Y W H" WHEN [SECONDS]: the window's outer
# rectangle is X Y W H, waiting up to SECONDS (default 0) for the window
# manager's answer to settle it.
expect_placed() {
  local got="" wanted=""
  for _ in $(seq 0 $((${4:-0} * 10))); do
    got="$(placement_of "$1")"
    wanted="$(placement_for "$1" "$2")"
    [[ "$got" == "$wanted" ]] && return 0
    sleep 0.1
  done
  fail "$3: the window stands at $got, not at $wanted (xdotool: $(xdotool getwindowgeometry "$1" 2>&1 | tr -s '\n ' ' '))"
}
