/*
** Escaping for the interface writer. A backslash is always doubled: in a
** command it can only stand inside a string, a long string or a comment,
** and in all three the doubled form reads back as the one character.
*/
#include <stdio.h>

#include "gui/ssquote.h"

static void put_escape(struct sbuf *b, unsigned char c, int tabs, int single) {
  char tmp[8];
  switch (c) {
    case '\\': sb_add(b, "\\\\", 2); return;
    case '"': sb_add(b, "\\\"", 2); return;
    case '\n': sb_add(b, "\\n", 2); return;
    case '\r': sb_add(b, "\\r", 2); return;
    case '\t':
      if (tabs) sb_add(b, "\\t", 2);
      else sb_add(b, "\t", 1);
      return;
    case '\'':
      if (single) sb_add(b, "\\'", 2);
      else sb_add(b, "'", 1);
      return;
    default:
      if (c < 32 || c == 127) {
        /* three digits: a digit that follows cannot join the escape */
        snprintf(tmp, sizeof tmp, "\\%03u", (unsigned)c);
        sb_add(b, tmp, 4);
      } else {
        sb_add(b, (const char *)&c, 1);
      }
  }
}

static void escape(struct sbuf *b, const char *s, size_t n, int tabs,
                   int single) {
  size_t run = 0;
  for (size_t i = 0; i < n; i++) {
    unsigned char c = (unsigned char)s[i];
    if (c >= 32 && c != 127 && c != '\\' && c != '"' && c != '\'') continue;
    sb_add(b, s + run, i - run);
    put_escape(b, c, tabs, single);
    run = i + 1;
  }
  sb_add(b, s + run, n - run);
}

void sq_text(struct sbuf *b, const char *s, size_t n) {
  escape(b, s, n, 0, 0);
}

void sq_command(struct sbuf *b, const char *s, size_t n, int tabs) {
  escape(b, s, n, tabs, 1);
}

int sq_unquote(char *s) {
  int changed = 0;
  for (; s && *s; s++)
    if (*s == '"') {
      *s = '\'';
      changed = 1;
    }
  return changed;
}
