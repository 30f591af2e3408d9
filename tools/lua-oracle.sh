#!/bin/bash
# The stock interpreter's answers for the generated-program oracle test.
#   tools/lua-oracle.sh write [COUNT]   rewrite tests/unit/lua/data/stock_outputs.txt
#   tools/lua-oracle.sh diff SEED       the program, and stock against ours
#   tools/lua-oracle.sh hunt FIRST N    seeds (not stored) where the two differ
# Builds both sides natively (build/oracle, without sanitizers).
set -euo pipefail
cd "$(dirname "$0")/.."
B=build/oracle
if [ ! -f $B/build.ninja ]; then
  cmake -S . -B $B -G Ninja -DTRELK_NATIVE=ON -DTRELK_SANITIZE=OFF -DTRELK_WERROR=OFF \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ >/dev/null
fi
cmake --build $B --target luagen_stock luagen_ours >/dev/null
D=$B/tests/unit/lua
case "${1:-}" in
  write)
    out=tests/unit/lua/data/stock_outputs.txt
    { echo "# seed, FNV-1a 64 and length of the stock interpreter's output"
      echo "# (tools/lua-oracle.sh write)"
      $D/luagen_stock hashes 0 "${2:-300}"; } > $out
    echo "wrote $out" ;;
  diff)
    t=$(mktemp -d)
    $D/luagen_stock program "$2" > $t/program.lua
    $D/luagen_stock output "$2" > $t/stock.txt
    $D/luagen_ours output "$2" > $t/ours.txt
    echo "program: $t/program.lua"
    diff $t/stock.txt $t/ours.txt && echo "same output" ;;
  hunt)
    diff <($D/luagen_stock hashes "$2" "$3") <($D/luagen_ours hashes "$2" "$3") | grep '^>' |
      awk '{print "differs:", $2}' || echo "no differences" ;;
  *) sed -n '2,6p' "$0"; exit 2 ;;
esac
