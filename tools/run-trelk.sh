#!/usr/bin/env bash
# Starts Trelk under Wine in build/run, a folder holding the examples and
# their start.t, a tour of them (each file is copied once: a changed one is
# kept).
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
exe=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
run="$top/build/run"
mkdir -p "$run"
for f in "$top"/examples/*.t; do
  [ -f "$run/${f##*/}" ] || cp "$f" "$run/"
done
cd "$run"
exec "$top/tools/wine-run.sh" "$exe"
