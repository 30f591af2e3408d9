/*
** Entry windows on the drag frame: every control shown in a menu (or a
** dialog) can be lifted; a drop moves its entry in the object model to
** the container under the pointer.
*/
#ifndef dragentry_h
#define dragentry_h

#include <windows.h>

#include "gui/record.h"

void de_init(void);   /* installs the drag frame's lookup for entries */

/* Containers whose entries stay put (the designer's own); null: none. */
extern int (*de_fixed_hook)(const struct gr_container *c);

/* Told which entry a drag lifts (the designer edits it). */
extern void (*de_begin_hook)(struct gr_entry *e);

/* The container shown by the window t (or by an ancestor of t) and the
   0-based list position a drop at the screen point p takes there; null
   when t shows none. */
struct gr_container *de_container_at(HWND t, POINT p, int *pos);

/* Drop callback of entry windows (argument: the entry). */
void de_drop(HWND control, HWND target, uint32_t value, void *arg);

#endif
