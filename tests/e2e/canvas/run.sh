#!/usr/bin/env bash
# End-to-end check of hand editing: a path edited in a painted button of a
# shown menu; its vertex handle is found on the screen by its frame colour,
# dragged with the mouse, and the edit callback reports the moved vertex.
# The drag stays inside the button's client area: a child window's move
# loop keeps the pointer there. Vertices 1 and 2 are the topmost handles,
# so the first frame pixel found is handle 1's.
set -u
source "$(dirname "$0")/../lib.sh"

ready() { poll 60 has_window && poll 20 exists ready.txt; }
finish() {
  local c
  for c in $(pgrep -P "$pid"); do kill "$c" 2>/dev/null; done
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  poll 10 sh -c '! xdotool search --name "^Trelk Main Window$" >/dev/null 2>&1'
}

# Top-left screen pixel of the handle frame (colour #991F24) inside the
# window titled "Canvas": sets hx, hy.
find_handle() {
  local w geo pos size x y found
  w=$(xdotool search --onlyvisible --name '^Canvas$' 2>/dev/null | head -n 1)
  [ -n "$w" ] || return 1
  geo=$(xdotool getwindowgeometry "$w")
  pos=$(awk '/Position/ {print $2}' <<<"$geo")
  size=$(awk '/Geometry/ {print $2}' <<<"$geo")
  x=${pos%,*}; y=${pos#*,}
  found=$(import -window root -crop "${size}+${x}+${y}" +repage -depth 8 txt:- 2>/dev/null |
          grep -i '#991F24' | head -n 1 | cut -d: -f1)
  [ -n "$found" ] || return 1
  hx=$((x + ${found%,*})); hy=$((y + ${found#*,}))
}

report='local f = io.open("drag.txt", "a") f:write(vertexN, " ", reason, " ", path[vertexN].x, " ", path[vertexN].y, "\\n") f:close()'

case=drag-a-vertex-handle
start "function atstart()
  cv = menu{name = 'Canvas'}
  pb = button{name = 'canvas'}
  pb.paint = true
  pb.command = [[if reason == 20 then gi:render(this) end]]
  cv:ins(pb)
  cv:show(200, 200)
  p = gi:newpath(20, 6) p:lineto(60, 6) p:lineto(60, 2) p:fill(255, 0, 0)
  p:edit(pb, function() $report end)
  $(wf ready.txt '""')
end
"
if ready; then
  if poll 20 find_handle; then
    # onto the handle (it grows under the pointer), press, drag, release
    xdotool mousemove $((hx + 2)) $((hy + 2))
    xdotool mousemove_relative 1 1
    grown() { find_handle && [ "$hx" -ne "$ox" ]; }
    ox=$hx
    poll 5 grown
    xdotool mousedown 1
    for i in 1 2 3; do xdotool mousemove_relative -- 10 -1; done
    xdotool mouseup 1
    last() { tail -n 1 "$dir/drag.txt" 2>/dev/null | tr -d '\r'; }
    moved() { [ "$(last)" = "1 4 50 9" ]; }
    if poll 10 moved; then ok
    else fail "callback saw '$(last)', not '1 4 50 9'"; fi
  else fail "no vertex handle on the screen"; fi
  finish
else fail "not ready"; finish; fi

summary
