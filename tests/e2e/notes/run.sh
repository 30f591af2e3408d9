#!/usr/bin/env bash
# The save-and-restart loop end to end. An application built by script
# (notes.t) is saved with savestate; a fresh trelk.exe started on the saved
# file must come back with the same object tree (kinds, names, properties,
# rows, commands, global names), show its dialog by its global name, run a
# command that uses global names when clicked, and save the same text
# again. A file of the writer's first format, without global names, must
# start too. Waits poll with a time limit.
set -u
here=$(cd "$(dirname "$0")" && pwd)
source "$here/../lib.sh"

ready() { poll 60 has_window && poll 20 exists ready.txt; }
finish() {   # the runner waits for the program: end the program first
  local c
  for c in $(pgrep -P "$pid"); do kill "$c" 2>/dev/null; done
  kill "$pid" 2>/dev/null; wait "$pid" 2>/dev/null
  poll 10 sh -c '! xdotool search --name "^Trelk Main Window$" >/dev/null 2>&1'
}
# starts trelk.exe in the case's folder on the start.t file $1
start_on() {
  mkdir -p "$work/$case"
  cp "$1" "$work/$case/start.t"
  start ""
}
# position of the visible top-level window titled $1: sets wx, wy
where() {
  local w pos
  w=$(xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1)
  [ -n "$w" ] || return 1
  pos=$(xdotool getwindowgeometry "$w" | awk '/Position/ {print $2}')
  wx=${pos%,*}; wy=${pos#*,}
}
greeted() { [ "$(cat "$dir/greeted.txt" 2>/dev/null)" = "Hi Title" ]; }

case=built-by-script
start_on "$here/notes.t"
if ready && poll 10 exists saved.t && poll 10 where Note; then
  first=$dir
  grep -q '^	form = _1_;$' "$first/saved.t" || fail "the dialog's global name is not written"
  grep -q '_2_ = table{ name="Rows"' "$first/saved.t" || fail "the table is not written as a table"
  [ "$(grep -c '^		_2_:ins(__2__);$' "$first/saved.t")" -ge 40 ] ||
    fail "the rows are not written as rows"
  ok
else fail "the application was not built and saved"; first=""; fi
finish

case=restarted-on-the-saved-file
if [ -n "$first" ]; then
  start_on "$first/saved.t"
  if ready && poll 10 exists saved.t; then
    if cmp -s "$first/tree.txt" "$dir/tree.txt"; then ok
    else fail "the object tree differs: $(diff "$first/tree.txt" "$dir/tree.txt" | head -n 6)"; fi
    case=saved-again-the-same
    if cmp -s "$first/saved.t" "$dir/saved.t"; then ok
    else fail "the second text differs: $(diff "$first/saved.t" "$dir/saved.t" | head -n 6)"; fi
    # the dialog came up by its name; its Greet button's command uses
    # global names: click it
    case=a-command-with-global-names-runs
    if poll 10 where Note; then
      xdotool mousemove $((wx + 2 + 10 + 40)) $((wy + 20 + 200 + 11))
      xdotool click 1
      if poll 10 greeted; then ok
      else fail "the command did not run: $(cat "$dir/greeted.txt" 2>/dev/null)"; fi
    else fail "the dialog was not shown"; fi
  else fail "the saved file did not start"; fi
  finish
fi

# A file of the first format, without the lines that give objects their
# global names, starts as it always did.
case=a-file-without-global-names-starts
cp "$here/../../data/savestate/part_format.t" "$work/first-format.t"
cat >>"$work/first-format.t" <<'LUA'

function atstart()
  local f = io.open("ready.txt", "w")
  f:write(trelk.n, " ", trelk[1].name, " ", trelk[2].sub.w, " ", helper(4))
  f:close()
end
LUA
start_on "$work/first-format.t"
started() { [ "$(cat "$dir/ready.txt" 2>/dev/null)" = "2 Tools 200 8" ]; }
if ready && poll 10 started; then ok
else fail "it did not start: $(cat "$dir/ready.txt" 2>/dev/null)"; fi
finish

summary
