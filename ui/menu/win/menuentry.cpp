/*
** Entry windows: one button window per entry of a shown container. They
** highlight under the pointer, drop attached objects open after the hover
** delay, ask for the entry's tip, and hand clicks to the object model.
*/
#include <windows.h>

#include "gui/gui.h"
#include "gui/notify.h"
#include "ui/frame/win/button.h"
#include "ui/colour.h"
#include "ui/menu/win/menuwin.h"
#include "ui/dialog/win/numspin.h"
#include "ui/scroll/win/scroll.h"
#include "ui/win/tooltip.h"
#include "host/base/message.h"

#define DROP_TIMER 1

struct gr_entry *mn_entry_of(HWND h) {
  struct fw_btn_record *r = fw_btn_rec(h);
  struct gr_entry *e = r ? (struct gr_entry *)r->data : NULL;
  return gr_valid_entry(e) ? e : NULL;
}

static struct mn_view *view_of(HWND h) {
  HWND inner = GetParent(h);
  for (struct mn_view *v = mn_views; v; v = v->next)
    if (v->inner == inner) return v;
  return NULL;
}

static int drops(const struct gr_entry *e) {
  return (e->flags & GR_ATTACHED) || e->sub;
}

static void unhighlight(HWND h) {
  struct fw_btn_record *r = fw_btn_rec(h);
  KillTimer(h, DROP_TIMER);
  if (r && r->colour != COL_MS_INACTIVE) {
    r->colour = COL_MS_INACTIVE;
    RedrawWindow(h, NULL, NULL, RDW_INVALIDATE | RDW_ERASE);
  }
}

static void hover(HWND h, struct gr_entry *e) {
  struct mn_view *v = view_of(h);
  if (v == NULL || v->current == h) return;
  if (v->current && IsWindow(v->current)) unhighlight(v->current);
  v->current = h;
  if (drops(e) && !gr_tabbed(e->owner))
    SetTimer(h, DROP_TIMER, (UINT)gui_drop_timeout, NULL);
  if (e->comment && e->comment[0]) tt_request(e->comment);
}

static void leave(HWND h) {
  struct mn_view *v = view_of(h);
  KillTimer(h, DROP_TIMER);
  if (v && v->current == h) v->current = NULL;
}

static void put(HWND w, int x, int y, int cw, int ch) {
  if (cw < 0) cw = 0;
  if (ch < 0) ch = 0;
  RECT r;
  GetWindowRect(w, &r);
  MapWindowPoints(NULL, GetParent(w), (POINT *)&r, 2);
  if (r.left != x || r.top != y || r.right - r.left != cw || r.bottom - r.top != ch)
    MoveWindow(w, x, y, cw, ch, TRUE);
}

#define BAR 6   /* the editor's own bars beside a multi-line edit */

void mn_entry_fit(HWND h) {
  struct gr_entry *e = mn_entry_of(h);
  if (e == NULL) return;
  HWND spin = NULL, vbar = NULL, hbar = NULL, ed = NULL;
  for (HWND c = GetWindow(h, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    struct sc_record *r = sc_rec(c);
    if (r == NULL) {
      if (ed == NULL) ed = c;
    } else if (!r->m.has_thumb) {
      spin = c;
    } else if (r->vertical) {
      vbar = c;
    } else {
      hbar = c;
    }
  }
  RECT rc;
  GetClientRect(h, &rc);
  int multi = (e->flags & GR_MULTIEDIT) == GR_MULTIEDIT;
  int in = (e->flags & GR_EDIT) && !multi ? 1 : 0;   /* inside the frame */
  int sw = spin ? DW_SPIN_WIDTH : 0, bar = vbar || hbar ? BAR : 0;
  int ew = rc.right - 2 * in - sw - bar, eh = rc.bottom - 2 * in - bar;
  if (ed) put(ed, in, in, ew, eh);
  if (vbar) put(vbar, in + ew, in, bar, eh);
  if (hbar) put(hbar, in, in + eh, ew, bar);
  if (spin) {
    put(spin, rc.right - in - sw, in, sw, rc.bottom - 2 * in);
    SetWindowPos(spin, HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
}

static void paint(HWND h, HDC dc, struct gr_entry *e) {
  struct fw_btn_record *r = fw_btn_rec(h);
  if (e->flags & GR_PAINT) {
    nt_notify(h, e, NT_PAINT);
    return;
  }
  mn_draw_entry(h, dc, e, r ? r->colour : COL_MS_INACTIVE);
}

LRESULT CALLBACK mn_entry_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  struct gr_entry *e = mn_entry_of(h);
  if (e == NULL) return fw_btn_pass(h, msg, w, l);
  switch (msg) {
    case WM_ERASEBKGND:
      paint(h, (HDC)w, e);
      return -1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(h, &ps);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_MOUSEMOVE:
      hover(h, e);
      return fw_btn_pass(h, msg, w, l);
    case WM_MOUSELEAVE:
      leave(h);
      return fw_btn_pass(h, msg, w, l);
    case WM_TIMER:
      if (w == DROP_TIMER) {
        KillTimer(h, DROP_TIMER);
        mn_drop(h, e);
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
      if (drops(e)) SetTimer(h, DROP_TIMER, 0, NULL);
      nt_click(h, e);
      return 0;   /* the window may be gone */
    case WM_RBUTTONDOWN:
      mn_rclick(h, e->rmenu);
      return 0;
    case WM_MOUSEWHEEL:
      if (mn_scroll_wheel(view_of(h), (short)HIWORD(w))) return 0;
      break;
    case WM_SIZE:
      mn_entry_fit(h);   /* a kept window moved to a new size */
      break;
    case WM_DESTROY:
      KillTimer(h, DROP_TIMER);
      break;
  }
  return fw_btn_pass(h, msg, w, l);
}
