/*
** The editor's own regular expressions, as `grep' hands them to it: the
** component's search answers "not found" for a pattern it cannot compile,
** so the pattern is compiled here first with the same engine.
*/
#ifndef edregex_h
#define edregex_h

#include <stddef.h>

/* 1 when the editor's search compiles the pattern (POSIX groups, no case);
   a pattern holding a NUL or an empty one is not an expression for it */
int er_pattern_ok(const char *pattern, size_t len);

#endif
