#!/usr/bin/env bash
# End-to-end checks of menus: a button made at the terminal and clicked,
# a drop-down opened by hovering, a tooltip after resting on an entry.
# Waits poll for a condition with a time limit.
set -u
source "$(dirname "$0")/../lib.sh"

ready() { poll 60 has_window && poll 20 take_focus && poll 20 exists ready.txt; }
finish() {   # the runner waits for the program: end the program first
  local c
  for c in $(pgrep -P "$pid"); do kill "$c" 2>/dev/null; done
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  poll 10 sh -c '! xdotool search --name "^Trelk Main Window$" >/dev/null 2>&1'
}
origin() {   # main window's top-left corner: sets mx, my
  local pos
  pos=$(xdotool getwindowgeometry "$(window)" | awk '/Position/ {print $2}')
  mx=${pos%,*}; my=${pos#*,}
}
# a top-level window titled "Main Menu": the main menu's drop-down
dropped() { [ -n "$(xdotool search --onlyvisible --name '^Main Menu$' 2>/dev/null)" ]; }
# a shown tip: a window of the program with its corner at x y (a screen
# grab would move the pointer's crossing state and restart the tip)
is_tip() {
  xwininfo -root -tree 2>/dev/null |
    grep -q "trelk.exe\").*[1-9][0-9]*x[1-9][0-9]*+$1+$2 "
}

ready_hook="function atstart() $(wf ready.txt '""') end\n"

# The bar entry "Main Menu" is at (7, 22) in the main window, 2 pixels in;
# its drop-down hangs below it with rows from 20 pixels down.
bar_x() { echo $((mx + 7 + 10)); }
bar_y() { echo $((my + 22 + 10)); }
row_x() { echo $((mx + 7 + 2 + 30)); }
row_y() { echo $((my + 22 + 2 + 18 + 20 + 8 + $1 * 19)); }

# Moves onto a point from elsewhere, so that the window sees the pointer
# arrive even when an earlier test left it there.
hover() {
  xdotool mousemove 0 0
  xdotool mousemove "$1" "$2"
  xdotool mousemove_relative 1 1
}

case=road-of-one-line-and-one-click
start "$ready_hook"
if ready; then
  type_line "trelk:ins(button{name = \"b\", command = '$(wf clicked.txt 'tostring(reason)')'}) $(wf typed.txt '""')"
  poll 20 exists typed.txt || fail "the typed line did not run"
  origin
  hover "$(bar_x)" "$(bar_y)"
  if poll 10 dropped; then
    xdotool mousemove "$(row_x)" "$(row_y 0)"
    xdotool click 1
    poll 10 exists clicked.txt
    [ "$(cat "$dir/clicked.txt" 2>/dev/null)" = 10 ] && ok || fail "the command did not run"
  else fail "hovering the bar did not open the main menu"; fi
  finish
else fail "not ready"; finish; fi

case=hover-opens-attached-menu
start "${ready_hook}sub = menu{name = 'Inner'} sub:ins(button{name = 'in', command = '$(wf inner.txt '"yes"')'}) trelk:ins(sub)\n"
if ready; then
  origin
  hover "$(bar_x)" "$(bar_y)"
  if poll 10 dropped; then
    xdotool mousemove "$(row_x)" "$(row_y 0)"
    inner() { [ -n "$(xdotool search --onlyvisible --name '^Inner$' 2>/dev/null)" ]; }
    if poll 10 inner; then
      pos=$(xdotool getwindowgeometry "$(xdotool search --onlyvisible --name '^Inner$' | head -n 1)" |
            awk '/Position/ {print $2}')
      ix=${pos%,*}; iy=${pos#*,}
      xdotool mousemove $((ix + 30)) $((iy + 28))
      xdotool click 1
      poll 10 exists inner.txt && ok || fail "the inner menu's button did not run"
    else fail "the attached menu did not open"; fi
  else fail "main menu did not open"; fi
  finish
else fail "not ready"; finish; fi

case=tooltip
start "${ready_hook}trelk:ins(button{name = 'one', comment = 'first tip'}) trelk:ins(button{name = 'two', comment = 'second tip'})\n"
if ready; then
  origin
  hover "$(bar_x)" "$(bar_y)"
  if poll 10 dropped; then
    x=$(row_x); y0=$(row_y 0); y1=$(row_y 1)
    # resting on the first entry: the tip appears below left of the pointer
    xdotool mousemove "$x" "$y0"
    if poll 5 is_tip $((x - 30)) $((y0 + 30)); then
      # leaving the second entry at once: no tip during the next two seconds
      xdotool mousemove "$x" "$y1"
      xdotool mousemove $((mx + 300)) $((my + 300))
      if poll 2 is_tip $((x - 30)) $((y1 + 30)); then
        fail "a tip appeared after the pointer had left"
      else ok; fi
    else fail "no tip after resting on the entry"; fi
  else fail "main menu did not open"; fi
  finish
else fail "not ready"; finish; fi

summary
