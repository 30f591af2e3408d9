/*
** The scripted lexer's core: colouring and folding calls that hand a
** document to a script function through the names of the style context.
** Platform-neutral: the document is reached through ul_doc, which the
** component's lexer module (or a test) fills in.
*/
#ifndef unilexer_h
#define unilexer_h

#include <stdint.h>

extern "C" {
#include "lua.h"
}

#define UL_MESSAGE "Runtime error in control callback.\n"
#define UL_CURRENT_MAX 4095

struct ul_doc {
  void *ctx;
  long length;                                 /* of the whole document */
  int (*byte)(void *ctx, long pos);            /* 0 <= pos < length */
  int (*lead)(void *ctx, int byte);            /* DBCS lead byte */
  void (*start)(void *ctx, long pos);          /* styling starts at pos */
  void (*colour)(void *ctx, long last, int style);   /* through last */
  int (*in_list)(void *ctx, int set, const char *word);
  long (*line)(void *ctx, long pos);
  int (*level)(void *ctx, long line);
  void (*set_level)(void *ctx, long line, int level);
};

/* What a folding call does around the script: the focus is given back and
   the toolkit's refreshing is held and released. Defaults do nothing. */
struct ul_hooks {
  void *(*focus)(void);
  void (*set_focus)(void *wnd);
  int (*hold)(void);            /* returns the earlier switch */
  void (*release)(int earlier);
};
extern struct ul_hooks ul_hooks;

/* Calls in progress (nested ones count). */
extern int ul_busy;

/* The identity of the function at idx, by which the calls below find it
   again. The function is not kept alive by this: once it is collected the
   identity finds nothing. */
intptr_t ul_bind(lua_State *L, int idx);

/* Colouring and folding of [start, start + length). Each returns 0, or -1
   when the script failed (the message is on the terminal). An identity of
   0, or one whose function is gone, does nothing. */
int ul_colour(lua_State *L, intptr_t fn, const struct ul_doc *d, long start,
              long length);
int ul_fold(lua_State *L, intptr_t fn, const struct ul_doc *d, long start,
            long length);

#endif
