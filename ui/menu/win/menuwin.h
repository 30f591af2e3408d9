/*
** Menu windows: a framed window holding two "MenuClient187561" children,
** an outer frame and an inner client with one window per entry. Docked
** menu windows share their area among the rows; floating ones are sized
** to their measured rows.
*/
#ifndef menuwin_h
#define menuwin_h

#include <windows.h>

#include "gui/layout.h"
#include "gui/record.h"

#define MN_MENU 0     /* a menu window: rows, or tabs beside a page */
#define MN_DIALOG 1   /* a dialog client: controls at their own places */

struct mn_view {
  int kind;                 /* MN_MENU, MN_DIALOG */
  struct gr_container *c;
  HWND wnd, outer, inner;
  HWND *entries;            /* one window per entry, in list order */
  struct gr_entry **shown;  /* the entry each of them was made for */
  int count;
  HWND current;             /* highlighted entry window */
  HWND open;                /* pop-up opened from one of our entries */
  struct gr_entry *from;    /* the entry a pop-up was opened from */
  int docked;
  int total;                /* content height of the rows */
  struct lay_row *rows;     /* the rows as last laid out */
  int first;                /* first row shown when the rows scroll */
  int view_h;               /* height the rows are shown in */
  HWND bar;                 /* scroll bar while the rows do not fit */
  HWND page;                /* page of a tabbed container */
  WNDPROC prev;             /* dialog client: the procedure we wrap */
  struct mn_view *next;
};

extern struct mn_view *mn_views;

/* The window side of the object model, for gv. */
extern const struct gv_ops mn_view_ops;
LRESULT CALLBACK mn_client_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
void mn_init(void);   /* the main window's built-in menus */
struct mn_view *mn_view_of(HWND w);   /* the view of a menu window */
struct mn_view *mn_adopt(HWND w, struct gr_container *c, int docked);
HWND mn_open(struct gr_container *c, HWND owner, int x, int y, int finish);
/* c in a child window of parent, c->w by c->h; rows that do not fit
   scroll. */
HWND mn_open_child(struct gr_container *c, HWND parent, int x, int y);
/* Opens c where the object model asks: a dialog in a dialog frame (a
   tabbed one in a menu window), anything else in a menu window. */
HWND mn_show(struct gr_container *c, HWND owner, DWORD style, int finish,
             int x, int y);
void mn_build(struct mn_view *v);
/* A top-level menu or dialog window being opened lies on the work area:
   one that would pass the right edge goes to the left of mn_from, the
   screen rectangle it opens from (an entry, the pointer), or else of its
   owner, level with it; then it is held inside. mn_from is taken by the
   first window placed and cleared. */
extern const RECT *mn_from;
void mn_on_screen(HWND owner, int w, int h, int *x, int *y);
void mn_clear_entries(struct mn_view *v);   /* destroys the entry windows */
void mn_unlink_view(struct mn_view *v);
void mn_drop(HWND entry_wnd, struct gr_entry *e);
/* A right-click object opened at the pointer (a table is not opened). */
void mn_rclick(HWND h, struct gr_container *c);
int mn_content_height(HWND w);

/* Entry windows kept across re-layouts (menukeep.cpp): a build takes the
   windows it has, keeps those whose entries it still holds, and makes
   windows only for new entries. */
struct mn_keep_old {
  HWND *wnd;
  struct gr_entry **shown;
  int n;
  HWND current;
};
/* Takes v's windows; those it cannot keep go at once. */
void mn_keep_take(struct mn_view *v, struct mn_keep_old *o);
void mn_keep_alloc(struct mn_view *v, int n);   /* room for n entry windows */
/* The i-th entry window of v at x, y, w, h: the kept one, moved, or a new
   one (with its editor when edits is set). */
HWND mn_keep_entry(struct mn_view *v, struct mn_keep_old *o, int i, struct gr_entry *e,
              int x, int y, int w, int h, int edits);
HWND mn_keep_claim(struct mn_keep_old *o, struct gr_entry *e);   /* the kept window */
void mn_keep_embedded(struct mn_view *v, int i, struct gr_entry *e, HWND w);
void mn_keep_drop(struct mn_view *v, struct mn_keep_old *o);   /* the rest goes */

/* The editor layer's part: a window for each edit entry inside its entry
   window, and the announcement of those made once a build is done.
   Defaults do nothing. */
struct mn_ops {
  void (*entry)(HWND entry_wnd, struct gr_entry *e);
  void (*built)(void);
};
extern struct mn_ops mn_ops;

/* scrolled rows (menuscroll.cpp) */
int mn_scroll_limit(struct mn_view *v, int top_level);   /* -1: no limit */
void mn_scroll_place(struct mn_view *v, int scroll, int x, int y, int width);
void mn_scroll_free(struct mn_view *v);
int mn_scroll_wheel(struct mn_view *v, int delta);   /* 0: nothing to scroll */

/* tabs and pages (menutabs.cpp) */
void mn_tab_size(struct mn_view *v, int width, int total, int *w, int *h);
void mn_tab_open_page(struct mn_view *v, struct gr_entry *tab);
void mn_tab_keep_page(struct mn_view *v);   /* the current tab's page, kept */
int mn_is_tab(struct gr_entry *e);   /* e is the current tab of its container */

/* dialogs (dlgview.cpp) */
void dw_controls(HWND client, struct gr_container *desc);   /* first shown */
void dw_right_click(HWND client, struct gr_container *desc);
void dw_build(struct mn_view *v);
struct mn_view *dw_view_of_frame(HWND frame);

/* entry windows */
LRESULT CALLBACK mn_entry_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
struct gr_entry *mn_entry_of(HWND h);
/* Lays out what an entry window holds: its editor, the editor's bars and
   the spinner of a numeric edit, side by side so that none paints over
   another; a single-line edit sits inside a one-pixel frame. */
void mn_entry_fit(HWND h);
void mn_draw_entry(HWND h, HDC dc, struct gr_entry *e, int colour);

#endif
