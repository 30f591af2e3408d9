#!/bin/bash
# Builds PCRE's own pcretest (8-bit, UTF-8, Unicode properties, JIT) from
# deps/pcre3-8.39 as shipped, without our patches/pcre3, into a folder of the
# caller's choice (default: a new temporary one) and prints the program's
# path. tools/gen_rx_cases.py runs it (its interpreter, unstudied, is the
# reference); no test needs it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
src=$root/deps/pcre3-8.39
out=${1:-$(mktemp -d)}
[ -f "$src/pcretest.c" ] || { echo "no PCRE sources at $src (run tools/setup.sh)" >&2; exit 1; }
mkdir -p "$out"
cp "$src/config.h.generic" "$out/config.h"
cp "$src/pcre.h.generic" "$out/pcre.h"
cp "$src/pcre_chartables.c.dist" "$out/pcre_chartables.c"
libs=""
for m in byte_order compile config dfa_exec exec fullinfo get globals jit_compile \
         maketables newline ord2utf8 refcount string_utils study tables ucd \
         valid_utf8 version xclass printint; do
  libs="$libs $src/pcre_$m.c"
done
gcc -O2 -w -DHAVE_CONFIG_H -DSUPPORT_PCRE8 -DSUPPORT_UTF -DSUPPORT_UCP -DSUPPORT_JIT \
    -DHAVE_STDINT_H -DHAVE_INTTYPES_H -DHAVE_STRING_H -DHAVE_STDLIB_H -DHAVE_MEMMOVE -DHAVE_STRERROR \
    -DNOPOSIX -I"$out" -I"$src" -o "$out/pcretest" \
    "$src/pcretest.c" $libs "$out/pcre_chartables.c"
echo "$out/pcretest"
