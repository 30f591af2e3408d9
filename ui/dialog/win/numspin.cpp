/*
** Numeric edit spinners. The new text is stored and the windows showing
** the edit redrawn, without a re-layout: that would remake the spinner
** under a held press and end its repeat.
*/
#include <windows.h>

#include "gui/gui.h"
#include "gui/numedit.h"
#include "gui/view.h"
#include "ui/menu/win/menuwin.h"
#include "ui/dialog/win/numspin.h"
#include "ui/scroll/win/scroll.h"

int dw_spin_step(struct gr_entry *e, int dir) {
  if (!gr_valid_entry(e) || !(e->flags & GR_EDIT) || !e->digital) return 0;
  char out[80];
  if (!ne_step(ei.text(e), e->digital, dir, out, sizeof out)) {
    MessageBeep((UINT)-1);
    return 0;
  }
  gr_set_text(&e->name, out);
  gv.redraw(e);
  return 1;
}

/* the up arrow counts up */
static void stepped(HWND bar, int pos, int zero, void *arg) {
  (void)pos;
  (void)zero;
  struct sc_record *r = sc_rec(bar);
  if (r) dw_spin_step((struct gr_entry *)arg, r->m.last_step < 0 ? 1 : -1);
}

HWND dw_spin_find(HWND entry_wnd) {
  for (HWND c = GetWindow(entry_wnd, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    struct sc_record *r = sc_rec(c);
    if (r && !r->m.has_thumb) return c;
  }
  return NULL;
}

void dw_spin_sync(HWND entry_wnd, struct gr_entry *e) {
  HWND s = dw_spin_find(entry_wnd);
  int wants = (e->flags & GR_EDIT) && e->digital >= 2 && e->digital <= 36;
  if (s && !wants) DestroyWindow(s);
  if (!s && wants) dw_spin_attach(entry_wnd, e);
  if (!s != !wants) mn_entry_fit(entry_wnd);   /* the editor takes the room */
}

HWND dw_spin_attach(HWND entry_wnd, struct gr_entry *e) {
  if (!(e->flags & GR_EDIT) || e->digital < 2 || e->digital > 36) return NULL;
  RECT rc;
  GetClientRect(entry_wnd, &rc);
  int x = rc.right - DW_SPIN_WIDTH;
  if (x < 0) x = 0;
  return sc_create(entry_wnd, 1, 1, 1, 0, x, 0, rc.right - x, rc.bottom,
                   0xFFFF, e, stepped, e);
}
