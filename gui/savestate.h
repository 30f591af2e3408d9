/*
** The interface writer: the interface hanging under `trelk', and every
** global script function, written as a script that rebuilds them.
*/
#ifndef savestate_h
#define savestate_h

extern "C" {
#include "lua.h"
}

#include "gui/record.h"
#include "gui/sbuf.h"

/* The whole text. Double quotes in the names and comments of the objects
   written become single quotes, in the objects themselves. */
void ss_build(lua_State *L, struct sbuf *b);

/* Only the global functions, "name = function(...) ... end" each, as the
   designer shows them. */
void ss_functions(lua_State *L, struct sbuf *b);

/* The style table of the edit object at idx, for the entry variable of
   depth d (writer of the whole text). */
void ss_style(lua_State *L, int idx, int d, struct sbuf *b);

/* the tabbed and resizeable flags of a dialog or table */
int ss_tabbed(const struct gr_container *c);
int ss_resizeable(const struct gr_container *c);

/* Line prefix of depth d: a line feed and d tabs. */
void ss_prefix(struct sbuf *b, int d);

/* Writes the text of ss_build to file by way of a temporary file beside it,
   so that the file is replaced only by a complete text. Returns 1 on
   success; on failure the file is left as it was. */
int ss_save(lua_State *L, const char *file);

/* replace: renames from over to (replacing it); 1 on success. The default
   is C rename; the Windows side has its own. */
struct ss_ops {
  int (*replace)(const char *from, const char *to);
};
extern struct ss_ops ss_ops;

/* Target when `savestate' is called without one: the start-up script. */
extern const char *ss_default_file;

/* Windows build: the replacing rename (MoveFileEx); a read-only target
   stays. */
int ss_move_over(const char *from, const char *to);

int ss_savestate(lua_State *L);   /* the global `savestate' */
void ss_open(lua_State *L);       /* registers it */

#endif
