#!/usr/bin/env bash
# End-to-end checks of trelk.exe: each case runs in a fresh folder with its
# own start.t. Waits poll for a condition with a time limit.
set -u
source "$(dirname "$0")/../lib.sh"
source "$(dirname "$0")/term.sh"

ready() {   # window up and taking keys
  poll 60 has_window && poll 20 take_focus
}

kill_ours() {   # trelk.exe processes of this prefix only: others may be testing
  local p prefix="$top/build/wine/prefix"
  for p in $(pgrep -x trelk.exe); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null |
      grep -qx "WINEPREFIX=$prefix" && kill "$p" 2>/dev/null
  done
}

finish() {  # wait for the end; the exit code goes to $rc
  if poll 30 gone; then
    wait "$pid"; rc=$?
  else
    kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null; rc=timeout
  fi
  kill_ours
  poll 10 sh -c '! xdotool search --name "^Trelk Main Window$" >/dev/null 2>&1'
}

geometry() { xdotool getwindowgeometry "$(window)" | awk '/Geometry/ {print $2}'; }
position() { xdotool getwindowgeometry "$(window)" | awk '/Position/ {print $2}'; }

click_until() {   # click at x y until the condition holds (three tries)
  local x=$1 y=$2; shift 2
  for _ in 1 2 3; do
    xdotool mousemove "$x" "$y"
    xdotool click 1
    poll 5 "$@" && return 0
  done
  return 1
}


case=no-start-script
start ""
if ready; then
  type_line "$(wf r.txt 'type(array.insert)') exit()"
  finish
  [ "$rc" = 0 ] || fail "exit code $rc"
  [ "$(cat "$dir/r.txt" 2>/dev/null)" = function ] && ok || fail "typed line did not run"
else fail "no window"; finish; fi

hooks="function atexit() $(wf atexit.txt '"bye"') end\nfunction atstart() $(wf ready.txt '""') end\n"

case=exit-typed
start "$hooks"
if ready && poll 20 exists ready.txt; then
  type_line "exit() $(wf after.txt '"ran"')"
  finish
  [ "$rc" = 0 ] || fail "exit code $rc"
  [ "$(cat "$dir/after.txt" 2>/dev/null)" = ran ] || fail "statements after exit() did not run"
  [ "$(cat "$dir/atexit.txt" 2>/dev/null)" = bye ] && ok || fail "atexit did not run"
else fail "not ready"; finish; fi

case=exit-in-start-script
start "${hooks}exit()\n"
finish
if [ "$rc" != 0 ]; then fail "exit code $rc"
elif [ -f "$dir/atexit.txt" ]; then fail "atexit ran"
else ok; fi

case=error-in-atstart
start 'atstart = function() error("x") end\n'
# the report is readable before Trelk ends: a message box holds it
if poll 60 has_titled Trelk; then
  for _ in 1 2 3; do
    focus_titled Trelk && xdotool key Return
    poll 5 gone && break
  done
  finish
  [ "$rc" = 1 ] && ok || fail "exit code $rc, not 1"
else fail "no message box with the report"; finish; fi

case=garbage-start-script
start '\x01\x02\xff garbage \x80\x00\xfe'
if ready; then
  type_line "$(wf r.txt '"alive"') exit()"
  finish
  [ "$(cat "$dir/r.txt" 2>/dev/null)" = alive ] && ok || fail "terminal lost"
else fail "no window"; finish; fi

case=caption-buttons
start "$hooks"
if ready && poll 20 exists ready.txt; then
  full=$(geometry); pos=$(position)
  x=${pos%,*}; y=${pos#*,}; w=${full%x*}
  shrunk() { [ "$(geometry)" = "${w}x48" ]; }
  restored() { [ "$(geometry)" = "$full" ] && [ "$(position)" = "$pos" ]; }
  click_until $((x + w - 20)) $((y + 10)) shrunk || fail "Shrink Terminal did not shrink ($(geometry))"
  click_until $((x + w - 20)) $((y + 10)) restored || fail "second Shrink Terminal did not restore ($(geometry))"
  click_until $((x + 15)) $((y + 10)) gone || fail "Exit Trelk did not end the run"
  finish
  [ "$rc" = 0 ] || fail "exit code $rc"
  [ "$(cat "$dir/atexit.txt" 2>/dev/null)" = bye ] && ok || fail "atexit did not run"
else fail "not ready"; finish; fi

# The console's area in the main window: sets cx cy cw ch.
console_area() {
  local pos size
  pos=$(position); size=$(geometry)
  cx=$((${pos%,*} + 7)); cy=$((${pos#*,} + 50))
  cw=$((${size%x*} - 14)); ch=$((${size#*x} - 56))
}

# The bar entry "Main Menu" and the rows of its drop-down (as the menu
# tests place them).
origin() { local pos; pos=$(position); mx=${pos%,*}; my=${pos#*,}; }
hover() { xdotool mousemove 0 0; xdotool mousemove "$1" "$2"; xdotool mousemove_relative 1 1; }
dropped() { has_titled "Main Menu"; }
click_main_menu_row() {   # row from 0
  origin
  hover $((mx + 17)) $((my + 32))
  poll 10 dropped || return 1
  xdotool mousemove $((mx + 39)) $((my + 70 + $1 * 19))
  xdotool click 1
}
exit_button() { origin; echo "$((mx + 15)) $((my + 10))"; }
# a click in the terminal below its text, as a user gives it the keyboard
# back: the caret goes to the end of the input
to_terminal() {
  console_area
  xdotool mousemove $((cx + 300)) $((cy + ch - 10)) click 1
}

passed_if_no_fail() { [ "$failed" = "$f0" ] && ok; }

print_colour='#BE7FCF'
clip_lua='function clipboard_has(text)
  local u, k, c = ldlyb("user32.dll"), ldlyb("kernel32.dll"), ldlyb("msvcrt.dll")
  if u.OpenClipboard(nil) == 0 then return false end
  local p = k.GlobalLock(u.GetClipboardData(1))
  local found = p ~= 0 and c.strstr(p, text) ~= 0
  k.GlobalUnlock(u.GetClipboardData(1))
  u.CloseClipboard()
  return found
end
'
menu_lua='trelk:ins(button{name = "say",
  command = [[print(string.char(13) .. "from the menu" .. string.char(13))
             error("oops", 0)]]})
trelk:ins(button{name = "quit", command = "exit()"})
'

# A start.t with a byte-order mark, then the typed line in all its forms.
case=typed-lines
start "\xEF\xBB\xBF${term_lua}${clip_lua}${menu_lua}${hooks}"
if ready && poll 20 exists ready.txt; then
  f0=$failed
  # a first word longer than a display row
  long='t={'
  for i in $(seq 1 40); do long="$long$i,"; done
  long="${long%,}}print(#t)"
  type_line "$long"
  # the full 511 characters, and the 512th keystroke submits without Enter
  q=$(printf 'q%.0s' $(seq 1 501))
  xdotool type --delay 10 "print(#'$q')Z"
  read_term || fail "terminal not read"
  term_has "# $long" || fail "the long line is not shown as typed"
  grep -qx 40 "$dir/term.out" || fail "the long line did not print 40"
  term_has "unexpected symbol" && fail "the long line was corrupted"
  term_has "# print(#'$q')" || fail "the 511 characters are not the line"
  grep -qx 501 "$dir/term.out" || fail "the 511-character line did not run whole"
  term_has "trelk:" && fail "an error: $(grep trelk: "$dir/term.out")"
  term_has "dumpterm(\"term.txt\")Z" && fail "the 512th keystroke was kept"
  passed_if_no_fail

  case=output-while-typing
  xdotool type --delay 10 "print(12"
  if click_main_menu_row 0; then
    to_terminal
    type_line "3)"
    read_term || fail "terminal not read"
    got=$(grep -x -e 'from the menu' -e 'trelk: oops' -e '# print(123)' -e 123 \
           "$dir/term.out" | tr '\n' '|')
    [ "$got" = "from the menu|trelk: oops|# print(123)|123|" ] && ok || fail "terminal shows: $got"
  else fail "the main menu did not open"; fi

  case=ctrl-c-copies
  xdotool key ctrl+a ctrl+c Home
  # the value first: the file must not be there before it is written
  type_line "v = tostring(clipboard_has(\"from the menu\")) $(wf clip.txt v)"
  poll 10 exists clip.txt
  [ "$(cat "$dir/clip.txt" 2>/dev/null)" = true ] && ok || fail "the selection was not copied"

  case=ctrl-break
  type_line "while true do end"
  type_line "$(wf back.txt '"back"')"   # typed ahead: runs once stopped
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    xdotool key ctrl+Break
    poll 3 exists back.txt && break
  done
  if exists back.txt; then
    read_term
    term_has "trelk: interrupted" && ok || fail "no report of the interrupt"
  else fail "Ctrl+Break did not stop the loop"; fi

  case=long-single-line
  type_line 'print(("x"):rep(2^17))'
  type_line "$(wf long.txt '"done"')"
  poll 60 exists long.txt && ok || fail "128 KiB in one line froze the terminal"

  case=exit-from-menu-while-debug-waits
  type_line "debug.debug()"
  type_line "$(wf dbg.txt '"in"')"
  if poll 10 exists dbg.txt && click_main_menu_row 1; then
    finish
    [ "$rc" = 0 ] || fail "exit code $rc"
    [ "$(cat "$dir/atexit.txt" 2>/dev/null)" = bye ] && ok || fail "atexit did not run"
  else fail "debug loop or menu not reached"; finish; fi
else fail "not ready"; finish; fi

# Output shows while a message box of a DLL call is up; Exit Trelk while
# debug.debug waits ends the run.
case=output-before-a-dll-call
start "${term_lua}${hooks}"
if ready && poll 20 exists ready.txt; then
  type_line 'print("before") ldlyb("user32.dll").MessageBoxA(nil, "Hello", "Trelk box", 0)'
  if poll 30 has_titled "Trelk box"; then
    console_area
    shown() { [ "$(count_colour "$cw" "$ch" "$cx" "$cy" "$print_colour")" -gt 0 ]; }
    poll 10 shown && ok || fail "the output before the box is not shown"
    for _ in 1 2 3; do
      focus_titled "Trelk box" && xdotool key Return
      poll 5 sh -c '! xdotool search --onlyvisible --name "^Trelk box$" >/dev/null 2>&1' && break
    done
  else fail "no message box"; fi

  case=exit-button-while-debug-waits
  to_terminal
  type_line "debug.debug()"
  type_line "$(wf dbg.txt '"in"')"
  if poll 10 exists dbg.txt; then
    read -r ex ey <<<"$(exit_button)"
    click_until "$ex" "$ey" gone || fail "Exit Trelk did not end the run"
    finish
    [ "$rc" = 0 ] || fail "exit code $rc"
    [ "$(cat "$dir/atexit.txt" 2>/dev/null)" = bye ] && ok || fail "atexit did not run"
  else fail "the debug loop did not run the command"; finish; fi
else fail "not ready"; finish; fi

case=exit-typed-at-the-debug-prompt
start "$hooks"
if ready && poll 20 exists ready.txt; then
  type_line "debug.debug()"
  type_line "exit()"
  finish
  [ "$rc" = 0 ] || fail "exit code $rc"
  [ "$(cat "$dir/atexit.txt" 2>/dev/null)" = bye ] && ok || fail "atexit did not run"
else fail "not ready"; finish; fi

# A start-up script that never returns: its output and the window are
# painted, and Exit Trelk pressed twice stops it and ends the run.
case=runaway-start-script
start "${hooks}print(\"looping\")\nwhile true do end\n"
if poll 60 has_window; then
  f0=$failed
  console_area
  shown() { [ "$(count_colour "$cw" "$ch" "$cx" "$cy" "$print_colour")" -gt 0 ]; }
  buttons() { [ "$(count_colour 60 12 "$((cx - 5))" "$((cy - 48))" '#FFFF90')" -gt 0 ]; }
  poll 30 shown || fail "the output of the running script is not shown"
  poll 10 buttons || fail "the caption has no Exit Trelk button"
  read -r ex ey <<<"$(exit_button)"
  for _ in 1 2 3; do
    xdotool mousemove "$ex" "$ey" click --repeat 2 --delay 200 1
    poll 10 gone && break
  done
  finish
  [ "$rc" = 0 ] || fail "exit code $rc"
  [ "$(cat "$dir/atexit.txt" 2>/dev/null)" = bye ] || fail "atexit did not run"
  passed_if_no_fail
else fail "no window"; finish; fi

summary
