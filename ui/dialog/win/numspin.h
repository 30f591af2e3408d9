/*
** Spinners of numeric edits: a thumbless scroll bar at the right end of an
** edit's window whose steps count the edit's number up or down.
*/
#ifndef numspin_h
#define numspin_h

#include <windows.h>

#include "gui/record.h"

#define DW_SPIN_WIDTH 15

/* Gives the window showing e its spinner when e is a numeric edit;
   returns the spinner or null. */
HWND dw_spin_attach(HWND entry_wnd, struct gr_entry *e);

/* Gives the window showing e a spinner, or takes it away, as e's base now
   asks. */
void dw_spin_sync(HWND entry_wnd, struct gr_entry *e);
HWND dw_spin_find(HWND entry_wnd);   /* the spinner in an entry window, or null */

/* One step of e's number: dir > 0 counts up. Returns 0 (and beeps) when
   the text is not a number in e's base. */
int dw_spin_step(struct gr_entry *e, int dir);

#endif
