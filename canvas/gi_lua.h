/*
** The script side of the canvas: the global `gi` and canvas objects, full
** userdata holding one node reference (null: the root). Platform-neutral;
** what needs windows comes through gi_ops, which the window glue fills.
*/
#ifndef gi_lua_h
#define gi_lua_h

#include <stdint.h>

extern "C" {
#include "lua.h"
}

#include "canvas/cn_node.h"

/* Registers `gi` (the root, given its first move vertex). */
void gi_open(lua_State *L);

/* Pushes a new object for n. */
void gi_push(lua_State *L, struct cn_node *n);

/* Calls n's edit callback for a moved handle of vertex k (from 1). */
void gi_call_edit(lua_State *L, struct cn_node *n, void *handle,
                  void *canvas_wnd, int k);

/* Window glue. rec is the toolkit record of the target table (its
   msHANDLE, else its HANDLE), possibly null. Defaults draw nothing, never
   edit and call plainly. */
struct gi_ops {
  void (*render)(struct cn_node *n, void *rec);
  /* ends edit mode, then starts it in the first window showing rec unless
     !is_table; 1 when editing started */
  int (*edit)(struct cn_node *n, int is_table, void *rec);
  /* n's translation changed from (odx, ody) */
  void (*shift)(struct cn_node *n, int32_t odx, int32_t ody);
  /* appends the outline of s; 0 when it cannot */
  int (*text)(struct cn_node *n, const char *s, int32_t height,
              const char *face);
  void (*gone)(struct cn_node *n);   /* a node is about to be freed */
  /* protected call of the edit callback, nargs arguments, no results */
  int (*pcall)(lua_State *L, int nargs);
};
extern struct gi_ops gi_ops;

#endif
