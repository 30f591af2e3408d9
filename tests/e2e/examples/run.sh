#!/usr/bin/env bash
# The first minutes of a newcomer: trelk.exe started on the shipped start.t
# with the examples beside it. The welcome's suggested lines are typed and
# their output read; every entry of "Main Menu" -> "Examples" is clicked and
# the windows, pixels, terminal output and objects it makes are checked.
set -u
here=$(dirname "$0")
source "$here/../lib.sh"
source "$here/../trelk/term.sh"
examples=$(cd "$here/../../../examples" && pwd)

source "$here/menu.sh"

# a typed line for the terminal, which may have lost the keyboard
type_to_terminal() { to_terminal; type_line "$1"; }

# pixels of colour HEX in the window titled TITLE
colour_in() {
  local w
  w=$(titled "$1")
  [ -n "$w" ] || { echo 0; return; }
  eval "$(xdotool getwindowgeometry --shell "$w")"
  count_colour "$WIDTH" "$HEIGHT" "$X" "$Y" "$2"
}

case=welcome
dir="$work/$case"
mkdir -p "$dir"
cp "$examples"/*.t "$dir/"
printf '%s' "$term_lua" >"$dir/term.lua"
(cd "$dir" && exec "$wr" "$exe") &
pid=$!
if poll 60 has_window && poll 20 take_focus; then
  f0=$failed
  type_line 'dofile("term.lua")'
  type_line 'print(math.pi)'
  type_line 'print(("hello"):upper(), #"hello")'
  type_line 't = {} for i = 1, 5 do t[i] = i * i end print(array.concat(t, ", "))'
  read_term || fail "terminal not read"
  term_has "Welcome to Trelk!" || fail "no welcome"
  for line in 'print(math.pi)' 'print(("hello"):upper(), #"hello")' \
              't = {} for i = 1, 5 do t[i] = i * i end print(array.concat(t, ", "))'; do
    term_has "    $line" || fail "the welcome does not suggest $line"
  done
  grep -qx '3.1415926535898' "$dir/term.out" || fail "print(math.pi)"
  grep -qx "$(printf 'HELLO\t5')" "$dir/term.out" || fail "upper and length"
  grep -qx '1, 4, 9, 16, 25' "$dir/term.out" || fail "the squares"
  term_has "trelk:" && fail "an error: $(grep -m1 trelk: "$dir/term.out")"
  [ "$failed" = "$f0" ] && ok

  case=menus
  if open_example 0 Floating; then
    type_to_terminal "v = trelk[2].name .. ',' .. trelk[4].name .. ',' .. trelk[10].name .. ',' .. trelk.n $(wf menus.txt v)"
    poll 10 exists menus.txt
    [ "$(cat "$dir/menus.txt")" = "Date,Verbose,Tools,10" ] && ok ||
      fail "Main Menu holds $(cat "$dir/menus.txt")"
  else fail "no window Floating"; fi

  case=dialogs
  if open_example 1 Dialogs && poll 10 has_titled Embedded; then
    type_to_terminal "v = demo[1].name .. ',' .. demo[2].name .. ',' .. demo[3].name .. ',' .. demo[3].n $(wf dialogs.txt v)"
    poll 10 exists dialogs.txt
    [ "$(cat "$dir/dialogs.txt")" = "Form,Choice,Long list,100" ] && ok ||
      fail "the dialog holds $(cat "$dir/dialogs.txt")"
  else fail "no windows Dialogs and Embedded"; fi

  case=lexer
  if open_example 2 "Settings editor"; then
    # section headers in navy, numbers in blue, comments in grey
    navy() { [ "$(colour_in "Settings editor" '#000080')" -gt 20 ]; }
    blue() { [ "$(colour_in "Settings editor" '#0000FF')" -gt 20 ]; }
    poll 10 navy && poll 10 blue && ok || fail "the lexer's colours are not shown"
  else fail "no window Settings editor"; fi

  case=canvas
  if open_example 3 Drawing; then
    red() { [ "$(colour_in Drawing '#C81[EF]1[EF]')" -gt 100 ]; }   # 200, 30, 30 after gamma
    poll 10 red && ok || fail "the red frame is not drawn"
  else fail "no window Drawing"; fi

  case=inline-assembly
  if open_example 4 "Inline assembly"; then
    to_terminal; read_term
    term_has "2 + 3 = 5 (asmfunc add)" && term_has "12 squared is 144" && ok ||
      fail "the assembled functions did not answer"
  else fail "no window Inline assembly"; fi

  case=database
  if open_example 5 "People by birth"; then
    type_to_terminal "v = db_example.n .. ',' .. db_example[1].name $(wf db.txt v)"
    poll 10 exists db.txt
    to_terminal; read_term
    [ "$(cat "$dir/db.txt")" = "6,1815  Ada, London" ] && term_has "born in London: 2" && ok ||
      fail "the table holds $(cat "$dir/db.txt")"
  else fail "no window People by birth"; fi

  case=regular-expressions
  if open_example 6 "Regular expressions"; then
    to_terminal; read_term
    term_has "date 2024-05-17: day 17 of month 05" && term_has "first number at offset 6" &&
      term_has "built on 17.05.2024;" && ok || fail "the matches are not shown"
  else fail "no window Regular expressions"; fi

  case=no-errors
  to_terminal; read_term
  term_has "trelk:" && fail "an example reported: $(grep -m1 -A2 trelk: "$dir/term.out")" || ok
  finish
else fail "not ready"; finish; fi

summary
