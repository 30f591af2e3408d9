#!/usr/bin/env bash
# End-to-end checks of the designer: savestate's text read back by a fresh
# start writes the same text again; Alt + click lifts a control into the
# drag frame, a handle drag resizes it, Escape puts it back, and a drop
# on another menu moves it there. Waits poll with a time limit.
set -u
source "$(dirname "$0")/../lib.sh"

ready() { poll 60 has_window && poll 20 take_focus && poll 20 exists ready.txt; }
finish() {   # the runner waits for the program: end the program first
  local c
  for c in $(pgrep -P "$pid"); do kill "$c" 2>/dev/null; done
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  poll 10 sh -c '! xdotool search --name "^Trelk Main Window$" >/dev/null 2>&1'
}
ready_hook="function atstart() $(wf ready.txt '""') end\n"

# position of the visible top-level window titled $1: sets wx, wy
where() {
  local w pos
  w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
  [ -n "$w" ] || return 1
  pos=$(xdotool getwindowgeometry "$w" | awk '/Position/ {print $2}')
  wx=${pos%,*}; wy=${pos#*,}
}
# a window of the program with its corner at x y: sets fid, fw, fh
frame_at() {
  local line
  line=$(xwininfo -root -tree 2>/dev/null | grep "trelk.exe\").* [0-9]*x[0-9]*+$1+$2 " | head -n 1)
  [ -n "$line" ] || return 1
  fid=$(echo "$line" | awk '{print $1}')
  local geo
  geo=$(echo "$line" | grep -o '[0-9]*x[0-9]*+-*[0-9]*+-*[0-9]*' | head -n 1)
  fw=${geo%%x*}; geo=${geo#*x}; fh=${geo%%+*}
}
no_frame_at() { ! frame_at "$@"; }
frame_wide() { frame_at "$1" "$2" && [ "$fw" -eq "$3" ]; }
# runs a line at the terminal that writes the value of $2 into $1; a
# click in the terminal first gives it the keyboard back from the frame
ask() {
  rm -f "$dir/$1"
  poll 10 take_focus || return 1
  local pos
  pos=$(xdotool getwindowgeometry "$(window)" | awk '/Position/ {print $2}')
  xdotool mousemove $((${pos%,*} + 200)) $((${pos#*,} + 500)) click 1
  type_line "$(wf "$1" "tostring($2)")"
  poll 20 exists "$1"
}

# --- savestate read back ---

builder='local m = menu{name = "Tools", comment = "the \\"tools\\""}
m:ins(button{name = "run", command = "print(\\"it\x27s\\", [[a\\\\b]])\\n\\tprint(1)"})
m:ins(separator{})
local c = checkbox{name = "on"} c.checked = true m:ins(c)
m:ins(radio{name = "r1"}) local r = radio{name = "r2"} r.checked = true m:ins(r)
local e = edit{name = "ff"} e.digital = 16 m:ins(e)
local me = multiedit{name = "code"} me.style[1].font.name = "Arial"
me.style[2].fore = 0xFF me.style.lex[1] = "and or not" m:ins(me)
local inner = menu{name = "inner"} inner:ins(label{name = "deep"})
local att = m:ins(inner) att.vertdrop = true att.command = "print(2)"
local d = dialog{name = "dlg", w = 150, h = 90} d:ins(button{name = "in dialog"})
local ad = m:ins(d) ad.container = true ad.x = 1 ad.y = 2 ad.w = 3 ad.h = 4
local b = button{name = "with sub"} b.sub = menu{name = "side"} m:ins(b)
local rc = button{name = "rc"} rc.onRBUTTONCLICK = menu{name = "rmenu"} m:ins(rc)
local t = dialog{name = "tabs", w = 200, h = 100} t.tabbed = true t.resizeable = true
t:ins(dialog{name = "page", w = 10, h = 10}) t:ins(label{name = "l"}, 1, 2, 3, 4) m:ins(t)
trelk:ins(m)
function helper(x)
  return x * 2
end
function atstart()
  savestate("first.t")
  local f = io.open("ready.txt", "w") f:write("") f:close()
end
'

case=savestate-read-back-by-a-fresh-start
start "$builder"
if ready && poll 10 exists first.t; then
  first="$dir/first.t"
  finish
  saved="$work/saved.t"
  cp "$first" "$saved"
  case=savestate-read-back-by-a-fresh-start-2
  start "$(sed 's/\\/\\\\/g' "$saved")"
  if ready && poll 10 exists first.t; then
    if cmp -s "$saved" "$dir/first.t"; then ok
    else fail "the second text differs: $(diff "$saved" "$dir/first.t" | head -n 5)"; fi
    grep -q '^_0_ = trelk;' "$dir/first.t" || fail "no first line"
  else fail "the written start.t did not run"; fi
  finish
else fail "not ready"; finish; fi

# --- the drag frame ---

menus="${ready_hook}a = menu{name = 'A'} x = button{name = 'x'} a:ins(x) a:show(100, 100)
b = menu{name = 'B'} z = button{name = 'z'} b:ins(z) b:show(400, 100)\n"

case=alt-click-lifts-handle-resizes-escape-puts-back
start "$menus"
if ready && poll 10 where A; then
  ex=$((wx + 3)); ey=$((wy + 20))   # the first entry of a shown menu
  xdotool mousemove $((ex + 20)) $((ey + 6))
  xdotool keydown alt click 1 keyup alt
  if poll 10 frame_at "$ex" "$ey"; then
    w0=$fw h0=$fh
    # the right handle: 7 x 7 at the right edge, mid-height
    xdotool mousemove $((ex + w0 - 4)) $((ey + h0 / 2))
    xdotool mousedown 1
    xdotool mousemove $((ex + w0 + 26)) $((ey + h0 / 2))
    xdotool mouseup 1
    if poll 10 frame_wide "$ex" "$ey" $((w0 + 30)); then
      frame_at "$ex" "$ey"
      xdotool windowfocus "$fid" 2>/dev/null
      xdotool key Escape
      if poll 10 no_frame_at "$ex" "$ey"; then
        ask n.txt "a.n .. ' ' .. b.n .. ' ' .. tostring(a[1] == x)"
        [ "$(cat "$dir/n.txt" 2>/dev/null)" = "1 1 true" ] && ok ||
          fail "the model changed: $(cat "$dir/n.txt" 2>/dev/null)"
      else fail "Escape did not end the drag"; fi
    else fail "the handle drag did not widen the frame ($w0 -> $fw)"; fi
  else fail "Alt + click did not lift the control"; fi
  finish
else fail "not ready"; finish; fi

case=alt-click-on-the-cover-drops-into-another-menu
start "$menus"
if ready && poll 10 where A; then
  ax=$wx ay=$wy
  where B; bx=$wx by=$wy
  ex=$((ax + 3)); ey=$((ay + 20))
  xdotool mousemove $((ex + 20)) $((ey + 6))
  xdotool keydown alt click 1 keyup alt
  if poll 10 frame_at "$ex" "$ey"; then
    # a plain drag on the cover carries the frame over B's entry
    xdotool mousedown 1
    xdotool mousemove $((bx + 3 + 20)) $((by + 20 + 3))
    xdotool mousemove $((bx + 3 + 21)) $((by + 20 + 4))
    xdotool mouseup 1
    xdotool keydown alt click 1 keyup alt
    if poll 10 no_frame_at $((bx + 4)) $((by + 18)); then
      ask m.txt "a.n .. ' ' .. b.n .. ' ' .. tostring(x.parent == b)"
      [ "$(cat "$dir/m.txt" 2>/dev/null)" = "0 2 true" ] && ok ||
        fail "not moved: $(cat "$dir/m.txt" 2>/dev/null)"
    else fail "the drop did not end the drag"; fi
  else fail "Alt + click did not lift the control"; fi
  finish
else fail "not ready"; finish; fi

case=alt-click-drops-into-another-dialog
start "${ready_hook}d1 = dialog{name = 'D1', w = 200, h = 120} x = button{name = 'x'}
d1:ins(x, 10, 10, 80, 22) d1:show(100, 300)
d2 = dialog{name = 'D2', w = 200, h = 120} d2:show(450, 300)\n"
if ready && poll 10 where D1; then
  ax=$wx ay=$wy
  where D2; bx=$wx by=$wy
  ex=$((ax + 2 + 10)); ey=$((ay + 20 + 10))   # x in D1's client
  xdotool mousemove $((ex + 20)) $((ey + 6))
  xdotool keydown alt click 1 keyup alt
  if poll 10 frame_at "$ex" "$ey"; then
    xdotool mousemove $((ex + 5)) $((ey + 5))
    xdotool mousedown 1
    xdotool mousemove $((bx + 2 + 50)) $((by + 20 + 40))
    xdotool mousemove $((bx + 2 + 60)) $((by + 20 + 45))
    xdotool mouseup 1
    poll 10 take_focus
    xdotool keydown alt click 1 keyup alt
    ask dd.txt "d1.n .. ' ' .. d2.n .. ' ' .. tostring(x.parent == d2) .. ' ' .. x.x .. ' ' .. x.y .. ' ' .. x.w"
    [ "$(cat "$dir/dd.txt" 2>/dev/null)" = "0 1 true 55 40 80" ] && ok ||
      fail "not moved: $(cat "$dir/dd.txt" 2>/dev/null)"
  else fail "Alt + click did not lift the dialog's control"; fi
  finish
else fail "not ready"; finish; fi

case=add-control-is-placed-where-it-is-dropped
start "$menus"
if ready && poll 10 where A; then
  ax=$wx ay=$wy
  where B; bx=$wx by=$wy
  # Alt + click on A's caption: nothing movable there, A is edited
  xdotool mousemove $((ax + 40)) $((ay + 8))
  xdotool keydown alt click 1 keyup alt
  # the Develop Menu sits at the main window's top right; its entry drops
  # the sheet open below it
  pos=$(xdotool getwindowgeometry "$(window)" | awk '/Position/ {print $2}')
  mx=${pos%,*}; my=${pos#*,}
  mw=$(xdotool getwindowgeometry "$(window)" | awk '/Geometry/ {print $2}')
  mw=${mw%x*}
  xdotool mousemove 0 0
  xdotool mousemove $((mx + mw - 7 - 40)) $((my + 22 + 10))
  xdotool mousemove_relative 1 1
  sheet() { where "Develop Menu"; }
  if poll 10 sheet; then
    sh=$(xdotool getwindowgeometry "$(xdotool search --onlyvisible --name '^Develop Menu$' | head -n 1)" |
         awk '/Geometry/ {print $2}')
    sh=${sh#*x}
    xdotool mousemove $((wx + 30)) $((wy + sh - 12))
    xdotool click 1
    # the new button hangs at the pointer: carry it over B and drop it
    px=$((wx + 30)) py=$((wy + sh - 12))
    if poll 10 frame_at "$px" "$py"; then
      xdotool mousemove $((px + 5)) $((py + 5))
      xdotool mousedown 1
      xdotool mousemove $((bx + 3 + 20)) $((by + 20 + 3))
      xdotool mousemove $((bx + 3 + 21)) $((by + 20 + 4))
      xdotool mouseup 1
      poll 10 take_focus   # the program has the keyboard: Alt reaches it
      xdotool keydown alt click 1 keyup alt
      ask add.txt "a.n .. ' ' .. b.n .. ' ' .. b[1].TYPE .. ' ' .. tostring(b[2] == z)"
      [ "$(cat "$dir/add.txt" 2>/dev/null)" = "1 2 MenuString true" ] && ok ||
        fail "not placed: $(cat "$dir/add.txt" 2>/dev/null)"
    else fail "Add Control gave nothing to carry"; fi
  else fail "the sheet did not drop open"; fi
  finish
else fail "not ready"; finish; fi

summary
