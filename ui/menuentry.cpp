/*
** Entry windows: one button window per entry of a shown container. They
** highlight under the pointer, drop attached objects open after the hover
** delay, ask for the entry's tip, and hand clicks to the object model.
*/
#include <windows.h>

#include "gui/gui.h"
#include "gui/notify.h"
#include "ui/button.h"
#include "ui/colors.h"
#include "ui/menuwin.h"
#include "ui/tooltip.h"

extern void con_message(const char *text);

#define DROP_TIMER 1

struct gr_entry *me_entry(HWND h) {
  struct btn_record *r = btn_rec(h);
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
  struct btn_record *r = btn_rec(h);
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

static void right_click(HWND h, struct gr_entry *e) {
  struct gr_container *c = e->rmenu;
  if (c == NULL || !gr_valid_container(c) || c->flags == GR_TABLE) return;
  POINT p;
  GetCursorPos(&p);
  mn_show(c, h, WS_POPUP, 0, p.x, p.y);
}

static void paint(HWND h, HDC dc, struct gr_entry *e) {
  struct btn_record *r = btn_rec(h);
  if (e->flags & GR_PAINT) {
    nt_notify(h, e, NT_PAINT);
    return;
  }
  md_draw(h, dc, e, r ? r->colour : COL_MS_INACTIVE);
}

LRESULT CALLBACK me_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  struct gr_entry *e = me_entry(h);
  if (e == NULL) return btn_pass(h, msg, w, l);
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
      return btn_pass(h, msg, w, l);
    case WM_MOUSELEAVE:
      leave(h);
      return btn_pass(h, msg, w, l);
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
      right_click(h, e);
      return 0;
    case WM_MOUSEWHEEL:
      if (ms_wheel(view_of(h), (short)HIWORD(w))) return 0;
      break;
    case WM_DESTROY:
      KillTimer(h, DROP_TIMER);
      break;
  }
  return btn_pass(h, msg, w, l);
}
