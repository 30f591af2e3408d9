#!/usr/bin/env bash
# End-to-end: a multi-line edit in a menu window of its own, clicked and
# typed into with the keyboard; its command writes the text at every
# keystroke. Waits poll for a condition with a time limit.
set -u
source "$(dirname "$0")/../lib.sh"

finish() {   # the runner waits for the program: end the program first
  local c
  for c in $(pgrep -P "$pid"); do kill "$c" 2>/dev/null; done
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  poll 10 sh -c '! xdotool search --name "^Trelk Main Window$" >/dev/null 2>&1'
}
editor_window() { xdotool search --onlyvisible --name '^Typing here$' 2>/dev/null | head -n 1; }
has_editor() { [ -n "$(editor_window)" ]; }
says() { [ "$(cat "$dir/typed.txt" 2>/dev/null)" = "$1" ]; }

case=typing-into-an-editor
start "local e = multiedit{name = 'x', w = 300, h = 120, command = function()
  if reason == 0 then $(wf typed.txt 'this.text') end end}
m = menu{name = 'Typing here'} m:ins(e)
function atstart() m:show(300, 300) $(wf ready.txt '""') end\n"
if poll 60 has_window && poll 20 exists ready.txt && poll 20 has_editor; then
  w=$(editor_window)
  pos=$(xdotool getwindowgeometry "$w" | awk '/Position/ {print $2}')
  x=${pos%,*}; y=${pos#*,}
  xdotool windowfocus "$w" 2>/dev/null
  # the end of the text: a click right of "x" on the first line
  xdotool mousemove $((x + 200)) $((y + 30)) click 1
  xdotool type --delay 20 "abc"
  if poll 20 says "xabc"; then ok
  else fail "typed text not seen: '$(cat "$dir/typed.txt" 2>/dev/null)'"; fi
else fail "the editor window did not come up"; fi
finish

summary
