/*
** Notifications: a window event handed to a record's native callback and
** its command, with the stack of notifications in progress; and what a
** left click does to an entry.
*/
#ifndef notify_h
#define notify_h

#include "gui/record.h"

enum {
  NT_CLEARED = 0, NT_CREATED = 1, NT_DESTROYED = 2, NT_RESIZED = 3,
  NT_CHECKED = 4, NT_CHOSEN = 10, NT_SCROLL = 11, NT_PAINT = 20
};

extern int nt_paint_hold;   /* canvas handle moves under way: no paint
                               commands */

void nt_notify(void *wnd, void *rec, int reason);
/* A scroll step to pos: reason 11 with `scrollCurPos' set during the
   command (nested steps each see their own position). */
void nt_scroll(void *wnd, void *rec, int pos);
int nt_in_progress(const void *rec);
int nt_depth(void);

/* Checks a radio and clears (and notifies with reason 0) the other checked
   radios of its group; the radio itself is not notified. */
void nt_radio_check(struct gr_entry *e);

/* A left click on an entry shown in wnd: flips a check box, checks a
   radio, then notifies with reason 4, 0 or 10. */
void nt_click(void *wnd, struct gr_entry *e);

#endif
