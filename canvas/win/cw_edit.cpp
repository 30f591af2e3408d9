/*
** Hand editing: one node at a time has a "TrelkHWcn" handle window per
** vertex in the first window showing the edit target. Dragging a handle
** moves its vertex and calls the node's edit callback. Moves the program
** makes itself (creating, hover growth, shift) run with nt_paint_hold
** raised: they change no vertex and hold back paint commands.
*/
#include <stdlib.h>

#include "canvas/gi_lua.h"
#include "canvas/win/cw_canvas.h"
#include "gui/notify.h"
#include "host/base/win/state.h"

#define CW_PEN RGB(0x99, 0x1f, 0x24)

struct cw_hrec {
  int k;     /* vertex number, from 1 */
  int big;   /* 7 x 7 under the pointer, else 5 x 5 */
};

static struct cn_node *ed_node;   /* the node in edit mode, or null */
static HWND ed_wnd;               /* the window its handles live in */
static HWND *ed_handles;
static int ed_count;
static WNDPROC holder_proc;       /* the class procedure we subclass */

static struct cw_hrec *hrec(HWND h) {
  return (struct cw_hrec *)GetWindowLongPtrA(h, GWLP_USERDATA);
}

static int clamp(long long v) {
  return v > 0x3fffffff ? 0x3fffffff : v < -0x3fffffff ? -0x3fffffff : (int)v;
}

static int client_height(HWND w) {
  RECT r;
  return GetClientRect(w, &r) ? r.bottom - r.top : 0;
}

static void redraw_canvas(void) {
  if (ed_wnd && IsWindow(ed_wnd))
    RedrawWindow(ed_wnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

/* top-left of h in its parent's client area */
static POINT place_of(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  POINT p = {r.left, r.top};
  MapWindowPoints(NULL, GetParent(h), &p, 1);
  return p;
}

static void program_move(HWND h, int x, int y, int size) {
  nt_paint_hold++;
  SetWindowPos(h, NULL, x, y, size, size, SWP_NOZORDER | SWP_NOACTIVATE);
  nt_paint_hold--;
}

static void grow(HWND h, struct cw_hrec *r, int big) {
  if (r->big == big) return;
  r->big = big;
  POINT p = place_of(h);
  int d = big ? -1 : 1;
  program_move(h, p.x + d, p.y + d, big ? 7 : 5);
  if (big) {
    TRACKMOUSEEVENT t = {sizeof t, TME_LEAVE, h, 0};
    TrackMouseEvent(&t);
  }
}

static void frame(HWND h, HDC dc) {
  RECT r;
  GetClientRect(h, &r);
  HPEN pen = CreatePen(PS_SOLID, 1, CW_PEN);
  HGDIOBJ old = SelectObject(dc, pen);
  Rectangle(dc, r.left, r.top, r.right, r.bottom);
  SelectObject(dc, old);
  DeleteObject(pen);
}

/* The user moved handle h: its vertex follows; at the end of the drag the
   canvas is redrawn; the callback hears of it last, and may end edit
   mode or delete the node, so nothing is touched after it. */
static void moved(HWND h, int end) {
  struct cw_hrec *r = hrec(h);
  struct cn_node *n = ed_node;
  if (nt_paint_hold > 0 || r == NULL || n == NULL || r->k > n->count) return;
  RECT rc;
  GetWindowRect(h, &rc);
  int off = rc.right - rc.left >= 7 ? 4 : 3;
  POINT p = place_of(h);
  struct cn_vertex *v = &n->v[r->k - 1];
  v->x = clamp((long long)p.x + off - n->dx);
  v->y = clamp((long long)client_height(ed_wnd) - p.y - off - n->dy);
  InvalidateRect(h, NULL, TRUE);
  if (end) redraw_canvas();
  if (trelk.L) gi_call_edit(trelk.L, n, h, ed_wnd, r->k);
}

static void forget(HWND h) {
  for (int i = 0; i < ed_count; i++)
    if (ed_handles[i] == h) ed_handles[i] = NULL;
  free(hrec(h));
  SetWindowLongPtrA(h, GWLP_USERDATA, 0);
}

static LRESULT CALLBACK handle_proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  struct cw_hrec *r = hrec(h);
  if (r == NULL) return CallWindowProcA(holder_proc, h, m, w, l);
  switch (m) {
    case WM_MOUSEMOVE:
      grow(h, r, 1);
      break;
    case WM_MOUSELEAVE:
      grow(h, r, 0);
      return 0;
    case WM_ERASEBKGND:
      frame(h, (HDC)w);
      return 1;
    case WM_MOVE:
      moved(h, 0);
      return 0;
    case WM_EXITSIZEMOVE:
      moved(h, 1);
      return 0;
    case WM_NCDESTROY:
      forget(h);
      break;
  }
  return CallWindowProcA(holder_proc, h, m, w, l);
}

static void end_edit(void) {
  HWND *hs = ed_handles;
  int count = ed_count;
  ed_handles = NULL;
  ed_count = 0;
  for (int i = 0; i < count; i++)
    if (hs[i] && IsWindow(hs[i])) DestroyWindow(hs[i]);
  free(hs);
  redraw_canvas();
  ed_node = NULL;
  ed_wnd = NULL;
}

static HWND make_handle(HWND w, int k, int x, int y) {
  struct cw_hrec *r = (struct cw_hrec *)calloc(1, sizeof *r);
  if (r == NULL) return NULL;
  nt_paint_hold++;
  HWND h = CreateWindowExA(0, "TrelkHWcn", NULL, WS_CHILD, x, y, 5, 5, w, NULL,
                           trelk.instance, NULL);
  if (h) {
    r->k = k;
    SetWindowLongPtrA(h, GWLP_USERDATA, (LONG_PTR)r);
    WNDPROC prev = (WNDPROC)SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)handle_proc);
    if (holder_proc == NULL) holder_proc = prev;
    ShowWindow(h, SW_SHOWNOACTIVATE);
  } else {
    free(r);
  }
  nt_paint_hold--;
  return h;
}

int cw_edit(struct cn_node *n, int is_table, void *rec) {
  if (ed_node) end_edit();
  HWND w;
  if (!is_table || cw_windows_of(rec, &w, 1) == 0) return 0;
  ed_handles = (HWND *)calloc(n->count > 0 ? n->count : 1, sizeof *ed_handles);
  if (ed_handles == NULL) return 0;
  ed_node = n;
  ed_wnd = w;
  int hc = client_height(w);
  for (int k = 1; k <= n->count; k++) {
    const struct cn_vertex *v = &n->v[k - 1];
    int x = clamp((long long)v->x + n->dx - 3);
    int y = clamp((long long)hc - n->dy - v->y - 3);
    ed_handles[ed_count++] = make_handle(w, k, x, y);
  }
  redraw_canvas();
  return 1;
}

void cw_shift(struct cn_node *n, int32_t odx, int32_t ody) {
  if (n != ed_node) return;
  long long ddx = (long long)n->dx - odx, ddy = (long long)n->dy - ody;
  for (int i = 0; i < ed_count; i++) {
    HWND h = ed_handles[i];
    if (h == NULL) continue;
    RECT r;
    GetWindowRect(h, &r);
    POINT p = place_of(h);
    program_move(h, clamp(p.x + ddx), clamp(p.y - ddy), r.right - r.left);
  }
}

void cw_gone(struct cn_node *n) {
  if (n == ed_node) end_edit();
}

HWND cw_handle(int k) {
  return k >= 1 && k <= ed_count ? ed_handles[k - 1] : NULL;
}
