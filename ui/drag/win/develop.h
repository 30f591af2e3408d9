/*
** The designer's window: "Develop Menu" shown in the main window while a
** control is lifted or a container is Alt-clicked.
*/
#ifndef develop_h
#define develop_h

#include <windows.h>

struct gr_container;
struct gr_entry;

void dg_dev_show(int show);
HWND dg_dev_window(void);     /* null when not shown */

/* What the drag frame, entry drags and the designer records ask of this
   window: the menu while a drag starts (1) or ends (0); an Alt + click on
   something that is not movable; the entry a drag lifts; whether a
   container's entries stay put; the designer closed; a new entry placed. */
void dg_develop(int show);
void dg_dev_named(HWND clicked, POINT at);
void dg_dev_lifted(struct gr_entry *e);
int dg_dev_fixed(const struct gr_container *c);
void dg_dev_close(void);
void dg_dev_place(struct gr_entry *e);

#endif
