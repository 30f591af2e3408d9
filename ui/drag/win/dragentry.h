/*
** Entry windows on the drag frame: every control shown in a menu (or a
** dialog) can be lifted; a drop moves its entry in the object model to
** the container under the pointer.
*/
#ifndef dragentry_h
#define dragentry_h

#include <windows.h>

#include "gui/record.h"

struct dg_control;

/* The drag frame's lookup for entry windows. */
int dg_entry_lookup(HWND w, struct dg_control *out);

/* What entry drags ask of the designer. fixed: containers whose entries
   stay put (the designer's own). begin: told which entry a drag lifts (the
   designer edits it). Defaults: none fixed, nothing told. */
struct dg_entry_ops {
  int (*fixed)(const struct gr_container *c);
  void (*begin)(struct gr_entry *e);
};
extern struct dg_entry_ops dg_entry_ops;

/* The container shown by the window t (or by an ancestor of t) and the
   0-based list position a drop at the screen point p takes there; null
   when t shows none. */
struct gr_container *dg_container_at(HWND t, POINT p, int *pos);

/* Drop callback of entry windows (argument: the entry). */
void dg_entry_drop(HWND control, HWND target, uint32_t value, void *arg);

#endif
