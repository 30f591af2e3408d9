#!/usr/bin/env bash
# The Windows download as its user meets it: the zip ($1) unpacked into an
# empty folder, its manual read, trelk.exe started in the unpacked folder
# (as a double click does), the welcome read from the terminal and two
# examples opened through "Main Menu" -> "Examples". $2 is the Python that
# packed the zip: packing the unpacked folder again gives the same bytes.
set -u
here=$(dirname "$0")
zip=$1 python=$2
source "$here/../lib.sh" ""
source "$here/../trelk/term.sh"
repo=$(cd "$here/../../.." && pwd)

source "$here/../examples/menu.sh"

# The terminal's text into $work/term.out, written from the unpacked
# folder to a file beside it (the folder gets nothing of the test's).
read_app_term() {
  to_terminal
  rm -f "$work/term.txt"
  type_line 'dumpterm("../../term.txt")'
  poll 20 test -f "$work/term.txt" || return 1
  sed 's/\r$//' "$work/term.txt" | tr '\r' '\n' >"$work/term.out"
}
dir=$work   # where term_has reads term.out

colour_in() {   # pixels of colour HEX ($2) in the window titled $1
  local w
  w=$(titled "$1")
  [ -n "$w" ] || { echo 0; return; }
  eval "$(xdotool getwindowgeometry --shell "$w")"
  count_colour "$WIDTH" "$HEIGHT" "$X" "$Y" "$2"
}

case=unpack
dest="$work/unpacked"
mkdir "$dest"
app=""
if [ ! -f "$zip" ]; then
  fail "no zip $zip"
elif ! unzip -tq "$zip" >/dev/null; then
  fail "unzip finds faults in $zip"
elif ! unzip -q "$zip" -d "$dest"; then
  fail "unzip failed"
else
  tops=$(ls -A "$dest")
  app="$dest/$tops"
  f0=$failed
  [ "$(wc -l <<<"$tops")" = 1 ] && [ -d "$app" ] ||
    fail "the zip holds more than one folder: $tops"
  [[ $tops == trelk-* ]] && [ "${zip##*/}" = "$tops-win32.zip" ] ||
    fail "folder $tops in ${zip##*/}"
  [ -f "$app/trelk.exe" ] || fail "no trelk.exe"
  for f in "$repo"/examples/*.t; do   # start.t among them
    cmp -s "$f" "$app/${f##*/}" || fail "${f##*/} is not the shipped one"
  done
  [ -f "$app/manual/index.html" ] || fail "no manual/index.html"
  [ "$failed" = "$f0" ] && ok

  case=repack
  "$python" "$repo/tools/zipdir.py" "$app" "$work/again.zip" &&
    cmp -s "$zip" "$work/again.zip" && ok ||
    fail "packing the unpacked folder again gives other bytes"
fi

case=manual
if [ -d "$app/manual" ]; then
  out=$(python3 "$here/check_manual.py" "$app/manual" "$repo/docs") && ok || fail "$out"
fi

case=welcome
if [ -f "$app/trelk.exe" ]; then
  printf '%s' "$term_lua" >"$work/term.lua"
  (cd "$app" && exec "$wr" "$app/trelk.exe") &
  pid=$!
  if poll 60 has_window && poll 20 take_focus; then
    type_line 'dofile("../../term.lua")'
    if read_app_term; then
      term_has "Welcome to Trelk!" && ok || fail "no welcome: $(head -c 300 "$work/term.out")"
    else fail "terminal not read"; fi

    case=examples-menu
    f0=$failed
    if open_example 3 Drawing; then
      red() { [ "$(colour_in Drawing '#C81[EF]1[EF]')" -gt 100 ]; }   # 200, 30, 30 after gamma
      poll 10 red || fail "the canvas example drew no red frame"
    else fail "Examples -> Canvas opened no window Drawing"; fi
    if open_example 4 "Inline assembly"; then
      read_app_term
      term_has "2 + 3 = 5 (asmfunc add)" || fail "the assembly example did not answer"
    else fail "Examples -> Inline assembly opened no window"; fi
    read_app_term
    term_has "is not in" && fail "an example was not found: $(grep -m1 'is not in' "$work/term.out")"
    term_has "trelk:" && fail "an error: $(grep -m1 -A2 trelk: "$work/term.out")"
    [ "$failed" = "$f0" ] && ok
  else fail "no window"; fi
  finish
fi

summary
