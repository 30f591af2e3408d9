# Shared by the end-to-end scripts: sourced with the path of trelk.exe in
# $1. Each case runs trelk.exe in a fresh folder with its own start.t;
# waits poll for a condition with a time limit, never a fixed time.
exe=$1
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
wr="$top/tools/wine-run.sh"
DISPLAY=$("$wr" --prepare) || exit 1
export DISPLAY
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0 failed=0 pid=""

fail() { echo "FAIL [$case]: $*"; failed=$((failed + 1)); }
ok() { echo "ok   [$case]"; passed=$((passed + 1)); }

# poll SECONDS CMD...: until CMD succeeds or the time is up
poll() {
  local limit=$1; shift
  local end=$((SECONDS + limit))
  until "$@"; do
    [ $SECONDS -ge $end ] && return 1
    sleep 0.1
  done
}

start() {   # start trelk.exe in a new folder holding start.t ($1, may be empty)
  dir="$work/$case"
  mkdir -p "$dir"
  [ -n "$1" ] && printf '%b' "$1" >"$dir/start.t"
  (cd "$dir" && exec "$wr" "$exe") &
  pid=$!
}

window() { xdotool search --name '^Trelk Main Window$' 2>/dev/null | head -n 1; }
has_window() { [ -n "$(window)" ]; }
focused() { [ "$(xdotool getwindowfocus 2>/dev/null)" = "$(window)" ]; }
exists() { [ -f "$dir/$1" ]; }
gone() { ! kill -0 "$pid" 2>/dev/null; }

take_focus() {   # no window manager: give the window the keyboard
  local w
  w=$(window)
  [ -n "$w" ] || return 1
  xdotool windowfocus "$w" 2>/dev/null
  focused
}

type_line() {
  xdotool type --delay 10 "$1"
  xdotool key Return
}

write_file='local f = io.open("%s", "w") f:write(%s) f:close()'
wf() { printf "$write_file" "$1" "$2"; }

summary() {
  echo "$passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}
