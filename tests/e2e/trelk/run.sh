#!/usr/bin/env bash
# End-to-end checks of trelk.exe: each case runs in a fresh folder with its
# own start.t. Waits poll for a condition with a time limit.
set -u
source "$(dirname "$0")/../lib.sh"

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
[ "$rc" = 0 ] || fail "exit code $rc"
[ -f "$dir/atexit.txt" ] && fail "atexit ran" || ok

case=error-in-atstart
start 'atstart = function() error("x") end\n'
finish
[ "$rc" = 1 ] && ok || fail "exit code $rc, not 1"

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

summary
