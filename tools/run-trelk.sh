#!/usr/bin/env bash
# Starts Trelk under Wine in build/run, a folder holding the example
# start.t (kept if the user has changed it).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
run="$top/build/run"
mkdir -p "$run"
[ -f "$run/start.t" ] || cp "$top/examples/start.t" "$run/start.t"
cd "$run"
exec "$top/tools/wine-run.sh" "$exe"
