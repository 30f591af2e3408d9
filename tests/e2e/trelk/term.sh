# Reading what trelk.exe shows, for the end-to-end scripts: the terminal's
# text (the program writes it to a file when a typed line asks), the
# colours of a screen region, windows by title. Sourced after lib.sh.

# Lua that writes the terminal's text into a file: dumpterm(name)
term_lua='function dumpterm(name)
  local u, c = ldlyb("user32.dll"), ldlyb("msvcrt.dll")
  local h = u.FindWindowExA(u.FindWindowA(nil, "Trelk Main Window"), nil, "RichEdit20A", nil)
  local n = u.GetWindowTextLengthA(h)
  local p = c.malloc(n + 1)
  n = u.GetWindowTextA(h, p, n + 1)
  local f = c.fopen(name, "wb") c.fwrite(p, 1, n, f) c.fclose(f) c.free(p)
end
'

# Types a line that writes the terminal into term.txt and waits for it;
# the text goes to $dir/term.out with every line end as a newline.
read_term() {
  rm -f "$dir/term.txt"
  type_line 'dumpterm("term.txt")'
  poll 20 exists term.txt || return 1
  sed 's/\r$//' "$dir/term.txt" | tr '\r' '\n' >"$dir/term.out"
}

# term_has TEXT: the last terminal read holds TEXT (fixed string)
term_has() { grep -qF -- "$1" "$dir/term.out"; }

# pixels of colour HEX (like #BE7FCF) in the screen region W H X Y
count_colour() {
  import -window root -crop "${1}x${2}+${3}+${4}" +repage -depth 8 txt:- 2>/dev/null |
    grep -ci "$5"
}

titled() { xdotool search --onlyvisible --name "^$1\$" 2>/dev/null | head -n 1; }
has_titled() { [ -n "$(titled "$1")" ]; }

# gives the keyboard to the window titled $1 (no window manager here)
focus_titled() {
  local w
  w=$(titled "$1")
  [ -n "$w" ] || return 1
  xdotool windowfocus "$w" 2>/dev/null
  [ "$(xdotool getwindowfocus 2>/dev/null)" = "$w" ]
}
