# Driving the main window of a started trelk.exe (tests/e2e/lib.sh's
# start): its "Main Menu" -> "Examples" entries and its terminal.

finish() {   # the trelk.exe of this Wine prefix only: others may be testing
  local p prefix="$top/build/wine/prefix"
  for p in $(pgrep -x trelk.exe); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null |
      grep -qx "WINEPREFIX=$prefix" && kill "$p" 2>/dev/null
  done
  [ -n "$pid" ] && wait "$pid" 2>/dev/null
  poll 10 sh -c '! xdotool search --name "^Trelk Main Window$" >/dev/null 2>&1'
}

origin() { local p; p=$(xdotool getwindowgeometry "$(window)" | awk '/Position/ {print $2}'); mx=${p%,*}; my=${p#*,}; }
hover() { xdotool mousemove 0 0; xdotool mousemove "$1" "$2"; xdotool mousemove_relative 1 1; }

# Opens "Main Menu", rests on its first entry "Examples" and then on the
# row-th example (from 0); sets ex, ey to that row.
rest_on_example() {
  local w X Y
  origin
  hover $((mx + 17)) $((my + 32))
  poll 10 has_titled "Main Menu" || return 1
  hover $((mx + 39)) $((my + 70))
  poll 10 has_titled "Examples" || return 1
  w=$(titled Examples)
  eval "$(xdotool getwindowgeometry --shell "$w")"
  ex=$((X + 30)); ey=$((Y + 28 + 19 * $1))
  hover "$ex" "$ey"
}

# open ROW TITLE: clicks the example until a window titled TITLE shows
open_example() {
  local _
  for _ in 1 2 3; do
    rest_on_example "$1" || continue
    xdotool click 1
    poll 10 has_titled "$2" && return 0
  done
  return 1
}

# a click in the terminal below its text gives it the keyboard back
to_terminal() {
  local g p
  g=$(xdotool getwindowgeometry "$(window)")
  p=$(awk '/Position/ {print $2}' <<<"$g")
  xdotool mousemove $((${p%,*} + 300)) $((${p#*,} + 900)) click 1
  # keys typed before the click has given the focus are lost
  poll 5 focused || poll 5 take_focus
}
