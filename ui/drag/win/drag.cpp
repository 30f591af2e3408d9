/*
** The drag frame and its cover. At most one drag exists; its frame record
** lives in the frame's user data and goes with the frame, whose
** destruction puts a control still carried back where it was.
*/
#include <windows.h>

#include "host/base/heap.h"
#include "host/base/win/state.h"
#include "ui/drag/win/drag.h"
#include "ui/drag/win/draghandle.h"
#include "ui/frame/win/framed.h"
#include "ui/win/mainwin.h"
#include "ui/win/wndprocs.h"

struct dg_state dg;
static int unknown(HWND, struct dg_control *) { return 0; }
static void no_develop(int) {}
static void no_none(HWND, POINT) {}
struct dg_ops dg_ops = {unknown, no_develop, no_none};

static struct dg_frame *frame_rec(HWND w) {
  struct dg_frame *r = (struct dg_frame *)GetWindowLongPtrA(w, GWLP_USERDATA);
  return hp_valid(r) ? r : NULL;
}

static int is_ours(HWND w) {
  return w && (w == dg.frame || w == dg.cover || dg_is_handle(w));
}

int dg_movable(HWND w, struct dg_control *out) {
  struct dg_control none = {0, NULL, NULL, NULL, NULL};
  *out = none;
  if (w == NULL || w == mw_window() || is_ours(w)) return 0;
  if ((UINT)GetDlgCtrlID(w) >= 0xFFFF) return 0;
  if (dg_ops.lookup(w, out)) return (out->bits & DG_MOVABLE) != 0;
  uint32_t *r = (uint32_t *)GetWindowLongPtrA(w, GWLP_USERDATA);
  if (!hp_valid(r) || !(*r & DG_MOVABLE)) return 0;
  out->bits = *r & (DG_MOVABLE | DG_RESIZE | DG_SLIDE);
  return 1;
}

/* --- the frame --- */

static void place_handles(struct dg_frame *r, int cw, int ch) {
  static const int side[4] = {DG_LEFT, DG_TOP, DG_BOTTOM, DG_RIGHT};
  for (int i = 0; i < 4; i++) {
    POINT p = dg_handle_position(side[i], cw, ch);
    if (r->handles[i]) SetWindowPos(r->handles[i], HWND_TOP, p.x, p.y, 7, 7,
                                    SWP_NOACTIVATE);
  }
}

static void lift(HWND frame, struct dg_frame *r) {
  RECT rc, cr;
  GetClientRect(frame, &cr);
  r->cover = CreateWindowExA(WS_EX_TRANSPARENT | WS_EX_TOPMOST, "dragWinCCN",
                             NULL, WS_CHILD, 0, 0, cr.right, cr.bottom, frame,
                             NULL, trelk.instance, NULL);
  dg.cover = r->cover;
  if (r->cover) {
    SetWindowLongPtrA(r->cover, GWLP_USERDATA, (LONG_PTR)r);
    ShowWindow(r->cover, SW_SHOW);
  }
  HWND k = r->control;
  GetWindowRect(k, &rc);
  r->x = rc.left;
  r->y = rc.top;
  r->w = rc.right - rc.left;
  r->h = rc.bottom - rc.top;
  r->parent = GetAncestor(k, GA_PARENT);
  if (r->parent == GetDesktopWindow()) r->parent = NULL;
  POINT p = {rc.left, rc.top};
  if (r->parent) ScreenToClient(r->parent, &p);
  r->cx = p.x;
  r->cy = p.y;
  SetParent(k, frame);
  /* carried, it stays below its handles: its painting leaves them alone */
  r->style = GetWindowLongA(k, GWL_STYLE);
  SetWindowLongA(k, GWL_STYLE, r->style | WS_CLIPSIBLINGS);
  SetWindowPos(k, HWND_BOTTOM, 0, 0, r->w, r->h,
               SWP_NOSENDCHANGING | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  struct fw_record *fr = fw_rec(k);
  if (fr && fr->entry) fw_unlist(k);
}

/* the control's own style again, once it leaves the frame */
static void restyle(HWND k) {
  struct dg_frame *r = dg.frame ? frame_rec(dg.frame) : NULL;
  if (r && r->control == k && IsWindow(k)) SetWindowLongA(k, GWL_STYLE, r->style);
}

/* a control still carried goes back to its parent, at its old place */
static void put_back(struct dg_frame *r) {
  HWND k = r->control;
  if (k == NULL || !IsWindow(k)) return;
  SetWindowLongA(k, GWL_STYLE, r->style);
  if ((dg.info.bits & DG_TRANSIENT) || (r->parent && !IsWindow(r->parent))) {
    DestroyWindow(k);   /* its parent went away while it was carried */
    return;
  }
  SetParent(k, r->parent);
  if (r->parent)
    SetWindowPos(k, NULL, r->cx, r->cy, r->w, r->h, SWP_NOZORDER | SWP_NOACTIVATE);
  else
    SetWindowPos(k, NULL, r->x, r->y, r->w, r->h, SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK dg_frame_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  struct dg_frame *r = frame_rec(h);
  switch (msg) {
    case WM_SHOWWINDOW:
      if (w && r && r->cover == NULL) lift(h, r);
      break;
    case WM_SIZE:
      if (r) {
        int cw = LOWORD(l), ch = HIWORD(l);
        if (r->cover) MoveWindow(r->cover, 0, 0, cw, ch, TRUE);
        if (r->control && IsWindow(r->control))
          SetWindowPos(r->control, HWND_BOTTOM, 0, 0, cw, ch, SWP_NOACTIVATE);
        place_handles(r, cw, ch);
      }
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(w) != WA_INACTIVE && r && r->cover) SetFocus(r->cover);
      return 0;
    case WM_SYSCOMMAND:
      if ((w & 0xFFF0) == SC_KEYMENU) return 0;
      break;
    case WM_DESTROY:
      if (r) {
        if (dg.control) put_back(r);
        if (r->gdi) DeleteObject(r->gdi);
        SetWindowLongPtrA(h, GWLP_USERDATA, 0);
        hp_free(r);
      }
      if (dg.frame == h) {
        HWND focus = dg.focus;
        dg.frame = dg.cover = dg.control = dg.focus = NULL;
        dg.info.bits = 0;
        /* typing goes on where it was (the terminal, mostly) */
        if (focus && IsWindow(focus) && IsWindowVisible(focus)) SetFocus(focus);
      }
      return 0;
  }
  return DefWindowProcA(h, msg, w, l);
}

/* --- the cover --- */

HWND dg_target_at(POINT p) {
  HWND t = WindowFromPoint(p);
  if (t == NULL || GetWindowThreadProcessId(t, NULL) != GetCurrentThreadId())
    return NULL;
  while (t && GetDlgCtrlID(t) == -1) {
    if (!(GetWindowLongA(t, GWL_STYLE) & WS_CHILD)) return NULL;
    t = GetParent(t);
  }
  return t;
}

void dg_end(HWND target, int keep) {
  HWND frame = dg.frame, k = dg.control;
  if (frame == NULL) return;
  if (keep && k && IsWindow(k)) {
    RECT fr;
    GetWindowRect(frame, &fr);
    POINT p = {fr.left, fr.top};
    restyle(k);
    SetParent(k, target);
    if (target) ScreenToClient(target, &p);
    SetWindowPos(k, HWND_TOP, p.x, p.y, fr.right - fr.left, fr.bottom - fr.top,
                 SWP_NOACTIVATE);
    dg.control = NULL;
  }
  DestroyWindow(frame);
}

/* p: where the click went down, on the screen (the cursor position the
   system reports may lag behind a move loop) */
static void drop(POINT p) {
  fw_dragging++;
  dg_ops.develop(0);
  ShowWindow(dg.frame, SW_HIDE);
  dg.drop_at = p;
  HWND target = dg_target_at(p);
  if (dg.info.drop)
    dg.info.drop(dg.control, target, DG_REASON, dg.info.drop_arg);
  else
    dg_end(target, 1);
  fw_dragging--;
}

LRESULT CALLBACK dg_cover_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  struct dg_frame *r = frame_rec(h);
  switch (msg) {
    case WM_SHOWWINDOW:
      if (w && r && r->handles[0] == NULL) {
        RECT cr;
        GetClientRect(h, &cr);
        dg_handle_create(GetParent(h), r->handles);
        place_handles(r, cr.right, cr.bottom);
      }
      break;
    case WM_CHAR:
      if (w == 27 && dg.frame) DestroyWindow(dg.frame);
      return 0;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      return 0;   /* Alt of an Alt + click must not start menu mode */
    case WM_SYSCOMMAND:
      if ((w & 0xFFF0) == SC_KEYMENU) return 0;
      break;
    case WM_LBUTTONDOWN:
      if (dg.frame == NULL) return 0;
      if (GetKeyState(VK_MENU) & 0x8000) {
        POINT p = {(short)LOWORD(l), (short)HIWORD(l)};
        ClientToScreen(h, &p);
        drop(p);
      } else if (dg.info.bits & DG_SLIDE) {
        ReleaseCapture();
        SendMessageA(dg.frame, WM_NCLBUTTONDOWN, HTCAPTION, 0);
      }
      return 0;
    case WM_ERASEBKGND:
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(h, &ps);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_DESTROY:
      SetWindowLongPtrA(h, GWLP_USERDATA, 0);   /* the frame frees it */
      return 0;
  }
  return DefWindowProcA(h, msg, w, l);
}

/* --- beginning --- */

static void end_previous(void) {
  if (dg.frame == NULL) return;
  if (dg.info.drop)
    dg.info.drop(dg.control, mw_window(), DG_REASON, dg.info.drop_arg);
  if (dg.frame) DestroyWindow(dg.frame);
}

void dg_begin(HWND k) {
  fw_dragging++;
  struct dg_control info;
  if (k == NULL || !IsWindow(k) || k == mw_window() || is_ours(k)) {
    fw_dragging--;
    return;
  }
  dg_movable(k, &info);
  end_previous();
  if (!IsWindow(k)) {   /* the old drop took it along */
    fw_dragging--;
    return;
  }
  RECT rc;
  GetWindowRect(k, &rc);
  HWND f = CreateWindowExA(WS_EX_TOPMOST, "dragWinCN", "",
                           WS_POPUP | WS_CLIPCHILDREN, rc.left,
                           rc.top, rc.right - rc.left, rc.bottom - rc.top,
                           mw_window(), NULL, trelk.instance, NULL);
  if (f) {
    struct dg_frame *r = (struct dg_frame *)hp_alloc(sizeof *r);
    r->control = k;
    SetWindowLongPtrA(f, GWLP_USERDATA, (LONG_PTR)r);
    HWND focus = GetFocus();
    dg.frame = f;
    dg.control = k;
    dg.focus = focus;
    dg.info = info;
    ShowWindow(f, SW_SHOW);
    UpdateWindow(f);
    if (info.begin) info.begin(k, f, DG_REASON, info.begin_arg);
    if (dg.frame) dg_ops.develop(1);
  }
  fw_dragging--;
}

int dg_altclick(const MSG *msg) {
  HWND w = msg->hwnd;
  if (w && (w == dg.cover)) return 0;   /* the drop */
  struct dg_control info;
  for (HWND p = w; p; p = GetParent(p)) {
    if (p == dg.control && dg.cover) {
      /* the carried control itself (a hit test may look through the
         cover): it is the cover's click */
      POINT at = msg->pt;
      ScreenToClient(dg.cover, &at);
      SendMessageA(dg.cover, WM_LBUTTONDOWN, msg->wParam, MAKELPARAM(at.x, at.y));
      return 1;
    }
    if (p == mw_window() || is_ours(p)) return 1;
    if (dg_movable(p, &info)) {
      dg_begin(p);
      return 1;
    }
    if (!(GetWindowLongA(p, GWL_STYLE) & WS_CHILD)) break;
  }
  if (w) dg_ops.none(w, msg->pt);
  return 1;
}

void dg_init(void) { dg_handle_init(); }
