/*
** Button class: hover colours, outline drawing, right-drag resizing.
*/
#include <windows.h>

#include "host/base/heap.h"
#include "host/base/win/state.h"
#include "ui/frame/win/button.h"
#include "ui/colour.h"
#include "ui/drag/dwgeom.h"
#include "ui/win/focus.h"

static POINT drag_at;      /* pointer at the previous right-drag step */
static HWND drag_top;      /* top-level window of the right-drag */

static int never_resizable(HWND) { return 0; }
static int not_resized(HWND, int, int) { return 0; }
struct fw_btn_ops fw_btn_ops = {never_resizable, not_resized};

struct fw_btn_record *fw_btn_rec(HWND w) {
  struct fw_btn_record *r = (struct fw_btn_record *)GetWindowLongPtrA(w, GWLP_USERDATA);
  return hp_valid(r) ? r : NULL;
}

static HWND top_of(HWND w) {
  while (w && (GetWindowLongA(w, GWL_STYLE) & WS_CHILD)) w = GetParent(w);
  return w;
}

static HWND owner_of(HWND w) {
  for (HWND p = GetParent(w); p; p = GetParent(p))
    if (GetDlgCtrlID(p) != -1) return p;
  return NULL;
}

HWND fw_btn_create(HWND parent, const char *caption, uint32_t value, int x, int y,
                int w, int h, size_t recsize, WNDPROC proc, int id, void *data) {
  if (recsize < sizeof(struct fw_btn_record)) recsize = sizeof(struct fw_btn_record);
  HWND b = CreateWindowExA(0, "BtrelkUBcn", caption, WS_CHILD, x, y, w, h,
                           parent, (HMENU)(INT_PTR)id, trelk.instance, NULL);
  if (b == NULL) return NULL;
  struct fw_btn_record *r = (struct fw_btn_record *)hp_alloc(recsize);
  r->data = data;
  r->owner = owner_of(b);
  r->value = value;
  r->colour = COL_MS_INACTIVE;
  r->focus = fc_create(b);
  SetWindowLongPtrA(b, GWLP_USERDATA, (LONG_PTR)r);
  if (proc)
    r->class_proc = (WNDPROC)SetWindowLongPtrA(b, GWLP_WNDPROC, (LONG_PTR)proc);
  else
    r->class_proc = fw_btn_class_proc;
  return b;
}

LRESULT fw_btn_pass(HWND h, UINT msg, WPARAM w, LPARAM l) {
  struct fw_btn_record *r = fw_btn_rec(h);
  WNDPROC p = r && r->class_proc ? r->class_proc : fw_btn_class_proc;
  return CallWindowProcA(p, h, msg, w, l);
}

static void track(HWND h, DWORD flags) {
  TRACKMOUSEEVENT t = {sizeof t, flags, h, HOVER_DEFAULT};
  TrackMouseEvent(&t);
}

static void paint(HWND h, HDC dc, struct fw_btn_record *r) {
  if (r->painter) {
    r->painter(h, dc);
    return;
  }
  RECT rc;
  GetClientRect(h, &rc);
  HBRUSH b = CreateSolidBrush(col_get(r->colour));
  FillRect(dc, &rc, b);
  DeleteObject(b);
  HPEN pen = CreatePen(PS_SOLID, 1, col_get(COL_MS_BORDER));
  HGDIOBJ op = SelectObject(dc, pen);
  HGDIOBJ ob = SelectObject(dc, GetStockObject(NULL_BRUSH));
  int rop = SetROP2(dc, R2_MASKPEN);
  Rectangle(dc, rc.left, rc.top, rc.right, rc.bottom);
  SetROP2(dc, rop);
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(pen);
}

static void set_colour(HWND h, struct fw_btn_record *r, int slot) {
  r->colour = slot;
  RedrawWindow(h, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void fw_btn_right_start(HWND h) {
  GetCursorPos(&drag_at);
  drag_top = top_of(h);
}

/* the size never drops below what the caption and grip need */
void fw_btn_right_drag(HWND h) {
  POINT p;
  GetCursorPos(&p);
  HWND top = top_of(h);
  if (top == drag_top && fw_btn_ops.resizable(top)) {
    RECT rc;
    GetWindowRect(top, &rc);
    int w = dg_size(rc.right - rc.left + p.x - drag_at.x, DG_MIN_W, DG_MIN_W);
    int ht = dg_size(rc.bottom - rc.top + p.y - drag_at.y, DG_MIN_H, DG_MIN_H);
    if (!fw_btn_ops.resize(top, w, ht))
      SetWindowPos(top, NULL, 0, 0, w, ht,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
  drag_at = p;
}

LRESULT CALLBACK fw_btn_class_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  struct fw_btn_record *r = fw_btn_rec(h);
  switch (msg) {
    case WM_CREATE:
      track(h, TME_LEAVE);
      return 0;
  }
  if (r == NULL) return DefWindowProcA(h, msg, w, l);
  switch (msg) {
    case WM_DESTROY:
      SetWindowLongPtrA(h, GWLP_USERDATA, 0);
      fc_release(r->focus);
      hp_free(r);
      return 0;
    case WM_ERASEBKGND:
      paint(h, (HDC)w, r);
      return -1;
    case WM_MOUSEMOVE:
      if (w & MK_RBUTTON) fw_btn_right_drag(h);
      track(h, TME_LEAVE);
      if (r->colour != COL_ACTIVE) set_colour(h, r, COL_ACTIVE);
      return 0;
    case WM_MOUSELEAVE:
      track(h, TME_HOVER);
      set_colour(h, r, COL_MS_INACTIVE);
      return 0;
    case WM_LBUTTONDOWN:
      BringWindowToTop(top_of(h));
      return 0;
    case WM_RBUTTONDOWN:
      fw_btn_right_start(h);
      return 0;
    case WM_SHOWWINDOW:
      if (!w) fc_relink(r->focus);
      break;
  }
  return DefWindowProcA(h, msg, w, l);
}
