/*
** Texts inside double-quoted script strings, as the interface writer puts
** them: every text written between quotes reads back as the same bytes.
*/
#ifndef ssquote_h
#define ssquote_h

#include <stddef.h>

#include "gui/sbuf.h"

/* A plain text (name, comment, style strings): backslash, double quote,
   line feed, carriage return and other control bytes but tab escaped. */
void sq_text(struct sbuf *b, const char *s, size_t n);

/* A command: as sq_text, and a single quote gets a backslash too; with
   tabs, a tab becomes backslash-t (otherwise it stays a tab). */
void sq_command(struct sbuf *b, const char *s, size_t n, int tabs);

/* Double quotes of a stored text become single quotes, in place; returns
   whether anything changed. */
int sq_unquote(char *s);

#endif
