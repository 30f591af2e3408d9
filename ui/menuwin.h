/*
** Menu windows: a framed window holding two "MenuClient187561" children,
** an outer frame and an inner client with one window per entry. Docked
** menu windows share their area among the rows; floating ones are sized
** to their measured rows.
*/
#ifndef trelk_menuwin_h
#define trelk_menuwin_h

#include <windows.h>

#include "gui/record.h"

struct mn_view {
  struct gr_container *c;
  HWND wnd, outer, inner;
  HWND *entries;            /* one window per entry, in list order */
  int count;
  HWND current;             /* highlighted entry window */
  HWND open;                /* pop-up opened from one of our entries */
  struct gr_entry *from;    /* the entry a pop-up was opened from */
  int docked;
  int total;                /* content height of the rows */
  struct mn_view *next;
};

extern struct mn_view *mn_views;

void mn_init(void);   /* installs the window side of the object model */
struct mn_view *mn_view_of(HWND w);   /* the view of a menu window */
struct mn_view *mn_adopt(HWND w, struct gr_container *c, int docked);
HWND mn_open(struct gr_container *c, HWND owner, int x, int y, int finish);
void mn_build(struct mn_view *v);
void mn_drop(HWND entry_wnd, struct gr_entry *e);
int mn_content_height(HWND w);

/* The editor layer's part: a window for each edit entry inside its entry
   window, and the announcement of those made once a build is done. */
extern void (*mn_entry_hook)(HWND entry_wnd, struct gr_entry *e);
extern void (*mn_built_hook)(void);

/* entry windows */
LRESULT CALLBACK me_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
struct gr_entry *me_entry(HWND h);
void md_draw(HWND h, HDC dc, struct gr_entry *e, int colour);

#endif
