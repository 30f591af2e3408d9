#!/usr/bin/env bash
# Runs a Windows program under Wine: a project-local 32-bit prefix (made on
# first use, without Mono and Gecko), quiet debug output, a persistent
# wineserver so each start is quick, and a private Xvfb display when none is
# set (windows cannot be created without one). Exit code: the program's.
set -u
top=$(cd "$(dirname "$0")/.." && pwd)
state=${TRELK_WINE_STATE:-$top/build/wine}
mkdir -p "$state"
export WINEPREFIX="$state/prefix"
export WINEARCH=win32
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="

exec 9>"$state/lock"
flock 9

if [ -z "${DISPLAY:-}" ]; then
  disp=""
  if [ -f "$state/display" ]; then
    disp=$(cat "$state/display")
    n=${disp#:}
    [ -S "/tmp/.X11-unix/X$n" ] && kill -0 "$(cat "$state/xvfb.pid" 2>/dev/null)" 2>/dev/null || disp=""
  fi
  if [ -z "$disp" ]; then
    n=91
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    setsid Xvfb ":$n" -screen 0 1600x1000x24 -nolisten tcp >/dev/null 2>&1 &
    echo $! >"$state/xvfb.pid"
    for _ in $(seq 1 100); do [ -S "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done
    disp=":$n"
    echo "$disp" >"$state/display"
  fi
  export DISPLAY=$disp
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
  wineserver -w
fi
# A server with -p stays up between runs; starting one when it is already up
# does nothing. The first program of a new server starts Wine's system
# services, which live as long as the server and keep whatever output they
# inherited: let them inherit nothing of ours.
services_up() {
  local p
  for p in $(pgrep -f 'services\.exe'); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null |
      grep -qx "WINEPREFIX=$WINEPREFIX" && return 0
  done
  return 1
}
setsid -f wineserver -p >/dev/null 2>&1 </dev/null
services_up || wine cmd.exe /c exit >/dev/null 2>&1 </dev/null
# Our private display has no window manager: Wine would wait two seconds
# for one on every top-level window it hides. There windows are unmanaged;
# on the user's display the window manager manages them as usual.
managed=Y
[ "$DISPLAY" = "$(cat "$state/display" 2>/dev/null)" ] && managed=N
if [ "$(cat "$state/managed" 2>/dev/null)" != "$managed" ]; then
  wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d $managed /f \
    >/dev/null 2>&1 </dev/null
  echo $managed >"$state/managed"
fi
flock -u 9
exec 9>&-

# --prepare: only set everything up, and say which display is in use.
if [ "${1:-}" = "--prepare" ]; then
  echo "$DISPLAY"
  exit 0
fi
if [ -t 1 ]; then
  exec wine "$@"
fi
# Output to a pipe goes through a file, so that no process the program may
# leave behind holds the reader's pipe open.
out=$(mktemp "$state/out.XXXXXX")
wine "$@" >"$out" 2>&1
rc=$?
cat "$out"
rm -f "$out"
exit $rc
