#!/usr/bin/env bash
# End-to-end checks of dialogs: a resizeable tabbed dialog with controls on
# each page is shown, its tabs are switched by clicking, it is resized with
# the grip, and a long table on the last page is scrolled with the arrow and
# the thumb. Screen grabs are checked by the colours of a few known points.
set -u
source "$(dirname "$0")/../lib.sh"

finish() {
  local c
  for c in $(pgrep -P "$pid"); do kill "$c" 2>/dev/null; done
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  poll 10 sh -c '! xdotool search --name "^Trelk Main Window$" >/dev/null 2>&1'
}
dialog_wnd() { xdotool search --onlyvisible --name '^Tabbed$' 2>/dev/null | head -n 1; }
has_dialog() { [ -n "$(dialog_wnd)" ]; }
geometry() {   # sets gx gy gw gh of the dialog frame
  eval "$(xdotool getwindowgeometry --shell "$(dialog_wnd)")"
  gx=$X; gy=$Y; gw=$WIDTH; gh=$HEIGHT
}
grab() { import -window root "$work/screen.png" 2>/dev/null; }
# colour of a screen point in the last grab, as r,g,b
pixel() {
  convert "$work/screen.png" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info: 2>/dev/null
}
is_colour() { [ "$(pixel "$1" "$2")" = "$3" ]; }
content() { [ "$(cat "$dir/$1" 2>/dev/null)" = "$2" ]; }
above() { [ "$(cat "$dir/$1" 2>/dev/null || echo 0)" -ge "$2" ] 2>/dev/null; }

TAB=186,0,0        # colour slot 4: the current tab's border
BORDER=243,243,243 # ms_border
RED=255,0,0        # the grip's squares

wfile() { wf "$1" "$2"; }
script="function atstart()
d = dialog{name = 'Tabbed', w = 420, h = 320,
  command = 'if reason == 3 then $(wfile size.txt 'd.w .. \" \" .. d.h') end'}
d.resizeable = true
d.tabbed = true
p1 = dialog{name = 'First'}
p1:ins(button{name = 'one', command = '$(wfile one.txt '\"one\"')'}, 10, 10, 80, 24)
p1:ins(checkbox{name = 'check'}, 10, 40, 80, 24)
p2 = dialog{name = 'Second'}
p2:ins(button{name = 'two', command = '$(wfile two.txt '\"two\"')'}, 10, 10, 80, 24)
p2:ins(label{name = 'a label'}, 10, 40, 80, 24)
t = table{name = 'Long'}
t.command = 'if reason == 11 then $(wfile pos.txt 'tostring(scrollCurPos)') end'
for i = 1, 60 do
  t:ins(button{name = 'row ' .. i, command = '$(wfile row.txt 'this.name')'})
end
d:ins(p1, 1) d:ins(p2, 2) d:ins(t, 3)
d:show(60, 60)
$(wfile ready.txt '""')
end
"

# Tab i of the dialog: the client starts (2, 21) into the frame, the tabs
# 1 pixel into the client, one row of 18 pixels and a gap each.
tab_x() { echo $((gx + 2 + 1 + 20)); }
tab_y() { echo $((gy + 21 + 1 + 19 * $1 + 9)); }
# the page: right of a 92-pixel column of tabs and 3 pixels, 2 down
page_x() { echo $((gx + 2 + 95)); }
page_y() { echo $((gy + 21 + 2)); }

case=tabbed-resizeable-dialog
start "$script"
if poll 60 has_window && poll 30 exists ready.txt && poll 20 has_dialog; then
  geometry
  [ "$gw" = 420 ] && [ "$gh" = 320 ] || fail "shown at ${gw}x${gh}, not 420x320"
  # shown: the first tab is current, the grip is drawn in the corner
  grab
  is_colour $((gx + 3)) "$(tab_y 0)" "$TAB" || fail "first tab not marked: $(pixel $((gx + 3)) "$(tab_y 0)")"
  is_colour $((gx + 3)) "$(tab_y 1)" "$BORDER" || fail "second tab marked: $(pixel $((gx + 3)) "$(tab_y 1)")"
  is_colour $((gx + gw - 2)) $((gy + gh - 10)) "$RED" || fail "no grip: $(pixel $((gx + gw - 2)) $((gy + gh - 10)))"
  # the first page's button, 2 pixels into the page dialog's client
  xdotool mousemove $(($(page_x) + 2 + 30)) $(($(page_y) + 2 + 22)) click 1
  poll 10 content one.txt one || fail "the first page's button did not run"

  # switch to the second tab by clicking it
  xdotool mousemove "$(tab_x)" "$(tab_y 1)" click 1
  poll 10 sh -c "import -window root '$work/screen.png' 2>/dev/null && \
    [ \"\$(convert '$work/screen.png' -format '%[fx:int(255*p{$((gx + 3)),$(tab_y 1)}.r)]' info:)\" = 186 ]" ||
    fail "the second tab did not become current"
  grab
  is_colour $((gx + 3)) "$(tab_y 0)" "$BORDER" || fail "first tab still marked"
  xdotool mousemove $(($(page_x) + 2 + 30)) $(($(page_y) + 2 + 22)) click 1
  poll 10 content two.txt two || fail "the second page's button did not run"

  # resize with the grip (an L two pixels thick along the corner's edges):
  # 60 wider, 40 taller
  xdotool mousemove $((gx + gw - 1)) $((gy + gh - 5)) mousedown 1
  for s in 1 2 3 4 5 6; do
    xdotool mousemove $((gx + gw - 1 + 10 * s)) $((gy + gh - 5 + 7 * s))
  done
  xdotool mousemove $((gx + gw - 1 + 60)) $((gy + gh - 5 + 40)) mouseup 1
  if poll 10 exists size.txt && poll 10 sh -c "[ \"\$(xdotool getwindowgeometry --shell $(dialog_wnd) | grep WIDTH)\" = WIDTH=480 ]"; then
    geometry
    [ "$gh" = 360 ] || fail "resized to ${gw}x${gh}, not 480x360"
    content size.txt "480 360" || fail "the dialog's size reads $(cat "$dir/size.txt")"
    grab
    is_colour $((gx + gw - 2)) $((gy + gh - 10)) "$RED" || fail "the grip did not follow the corner"
    is_colour $((gx + 3)) "$(tab_y 1)" "$TAB" || fail "the current tab changed with the resize"
  else fail "the grip did not resize the dialog"; fi
  geometry

  # the long table: its page is a child menu window, rows from 2 down, a
  # scroll bar on the right of the rows
  xdotool mousemove "$(tab_x)" "$(tab_y 2)" click 1
  tx=$(page_x); ty=$(page_y)
  pw=$((gw - 4 - 95 - 2)); ph=$((gh - 23 - 4))
  bar_x=$((tx + 3 + pw - 6 - 15 + 7)); bar_top=$((ty + 2)); bar_bottom=$((ty + 2 + ph - 5))
  row0_y=$((ty + 2 + 9))
  # the first row, then one step down with the arrow
  xdotool mousemove $((tx + 30)) "$row0_y" click 1
  poll 10 content row.txt "row 1" || fail "the first row is not row 1: $(cat "$dir/row.txt" 2>/dev/null)"
  xdotool mousemove "$bar_x" $((bar_bottom - 6)) mousedown 1
  poll 10 above pos.txt 1 || fail "the arrow did not step"
  xdotool mouseup 1
  xdotool mousemove $((tx + 30)) "$row0_y" click 1
  poll 10 content row.txt "row 2" || fail "after one step the first row is $(cat "$dir/row.txt" 2>/dev/null)"
  # the thumb dragged to the end of its track shows the last row at the bottom
  xdotool mousemove "$bar_x" $((bar_top + 14 + 4)) mousedown 1
  for s in 1 2 3 4 5 6 7 8; do xdotool mousemove "$bar_x" $((bar_top + 14 + 4 + 40 * s)); done
  xdotool mousemove "$bar_x" $((bar_bottom + 50)) mouseup 1
  poll 10 above pos.txt 30 || fail "the thumb did not scroll: $(cat "$dir/pos.txt" 2>/dev/null)"
  grab
  xdotool mousemove $((tx + 30)) $((bar_bottom - 9)) click 1
  poll 10 content row.txt "row 60" || fail "after the thumb the bottom row is $(cat "$dir/row.txt" 2>/dev/null)"
  [ "$failed" -eq 0 ] && ok
  finish
else fail "the dialog was not shown"; finish; fi

summary
