/*
** What the object model asks of the window side. Every operation has a
** harmless default, so the model runs (and is tested) without windows; the
** menu-window layer installs the real ones.
*/
#ifndef gui_view_h
#define gui_view_h

#include "gui/record.h"

struct gv_ops {
  void (*refresh)(struct gr_container *c);   /* re-lay out windows showing c */
  void (*redraw)(void *rec);                 /* repaint windows showing rec */
  void (*entry_gone)(struct gr_entry *e);    /* destroy windows showing e */
  void (*move)(struct gr_entry *e);          /* position or size changed */
  void (*show)(struct gr_container *c, int x, int y);
  void *(*window_of)(void *rec);             /* first window showing rec */
  int (*instance_of)(void *wnd);             /* instance number, 0 if none */
  int (*window_exists)(void *wnd);
  int (*term_shrinked)(void);
  void (*set_term_shrinked)(int on);
  void *(*icon_load)(const char *file);      /* null if it does not load */
  void (*icon_drop)(void *icon);
};

extern struct gv_ops gv;

/* Edit controls: the editor layer replaces these. Until then an edit is a
   menu entry whose text is its name. */
struct ei_ops {
  const char *(*text)(struct gr_entry *e);   /* current text */
  int (*line)(struct gr_entry *e);           /* caret line, from 0 */
  void (*set_line)(struct gr_entry *e, int line);
  /* selection: text, start and end; 0 when there is none to give */
  int (*sel)(struct gr_entry *e, const char **text, int *b, int *end);
  void (*undo)(struct gr_entry *e, int undo);   /* 1 undo, 0 redo */
};

extern struct ei_ops ei;

#endif
