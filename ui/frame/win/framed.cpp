/*
** Framed windows, their records and the window list.
*/
#include <windows.h>

#include "host/base/heap.h"
#include "host/base/win/state.h"
#include "ui/frame/win/caption.h"
#include "ui/colour.h"
#include "ui/win/focus.h"
#include "ui/frame/win/framed.h"
#include "ui/win/mainwin.h"

struct fw_list_entry *fw_list_head = NULL;
int fw_creating = 0;
int fw_dragging = 0;
static void not_listed(HWND, int) {}
struct fw_ops fw_ops = {not_listed};

struct fw_record *fw_rec(HWND w) {
  if (w == NULL) return NULL;
  struct fw_record *r = (struct fw_record *)GetWindowLongPtrA(w, GWLP_USERDATA);
  return hp_valid(r) ? r : NULL;
}

static void fw_list_link(HWND w, struct fw_record *r, DWORD style) {
  struct fw_list_entry *e = (struct fw_list_entry *)hp_alloc(sizeof *e);
  e->wnd = w;
  e->rec = r;
  e->style = style;
  e->next = fw_list_head;
  if (fw_list_head) fw_list_head->prev = e;
  fw_list_head = e;
  r->entry = e;
}

static void fw_list_unlink(struct fw_list_entry *e) {
  if (e == NULL) return;
  if (e->prev) e->prev->next = e->next; else fw_list_head = e->next;
  if (e->next) e->next->prev = e->prev;
  hp_free(e);
}

void fw_unlist(HWND w) {
  struct fw_record *r = fw_rec(w);
  if (r == NULL || r->entry == NULL) return;
  fw_list_unlink(r->entry);
  r->entry = NULL;
}

/* The first top-level window at or above w. */
static HWND top_of(HWND w) {
  while (w && (GetWindowLongA(w, GWL_STYLE) & WS_CHILD)) w = GetParent(w);
  return w;
}

static void attach(HWND w, struct fw_record *r, DWORD style) {
  r->focus = fc_create(w);
  SetWindowLongPtrA(w, GWLP_USERDATA, (LONG_PTR)r);
  fw_list_link(w, r, style);
  if (style & WS_CHILD) return;
  r->own = w;
  struct fw_record *orec = fw_rec(top_of(r->owner));
  if (orec) {
    r->owner_rec = orec;
    orec->popup = w;
  }
  struct fw_record *direct = fw_rec(r->owner);
  if (direct) direct->owner = w;
}

HWND fw_create(HWND owner, const char *title, int kind, int x, int y, int w,
               int h, size_t recsize, WNDPROC proc, int finish, DWORD style,
               uint32_t user) {
  if (recsize < sizeof(struct fw_record)) recsize = sizeof(struct fw_record);
  struct fw_record *r = (struct fw_record *)hp_alloc(recsize);
  r->kind = (uint32_t)kind | FW_KIND_BIT;
  if (!finish) r->owner = owner;
  r->user = user;
  style &= WS_POPUP | WS_CHILD;
  HWND parent = (style & WS_CHILD) ? owner : mw_window();
  fw_creating++;
  HWND wnd = CreateWindowExA(0, "WtrelkUWcn", title, style, x, y, w, h,
                             parent, NULL, trelk.instance, NULL);
  fw_creating--;
  if (wnd == NULL) {
    MessageBeep((UINT)-1);
    hp_free(r);
    return NULL;
  }
  if (proc)
    r->class_proc = (WNDPROC)SetWindowLongPtrA(wnd, GWLP_WNDPROC, (LONG_PTR)proc);
  else
    r->class_proc = fw_class_proc;
  attach(wnd, r, style);
  if (!(style & WS_CHILD)) {
    RECT rc;
    GetClientRect(wnd, &rc);
    r->caption = CreateWindowExA(0, "CtrelkCapcn", title,
        WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
        3, 3, rc.right - 6, 16, wnd, (HMENU)0xFFFF, trelk.instance, NULL);
    if (finish) fw_cap_finish(wnd);
  }
  return wnd;
}

LRESULT fw_pass(HWND h, UINT msg, WPARAM w, LPARAM l) {
  struct fw_record *r = fw_rec(h);
  WNDPROC p = r && r->class_proc ? r->class_proc : fw_class_proc;
  return CallWindowProcA(p, h, msg, w, l);
}

/* Does `w' belong to the chain of owner records starting at `r'? */
static int on_chain(struct fw_record *r, HWND w) {
  for (; r && hp_valid(r); r = r->owner_rec)
    if (r->own == w) return 1;
  return 0;
}

/* Activating a window closes every top-level framed window that does not
   belong to it: this is how open pop-up menus close. Finished windows
   (free windows with caption buttons) belong to nobody and stay. */
void fw_close_strays(HWND active) {
  /* a child window (a page, an embedded dialog) is active for its top */
  if (active && (GetWindowLongA(active, GWL_STYLE) & WS_CHILD))
    active = GetAncestor(active, GA_ROOT);
  struct fw_record *r = fw_rec(active);
  struct fw_list_entry *e = fw_list_head;
  while (e) {
    struct fw_list_entry *next = e->next;
    HWND w = e->wnd;
    if (!(e->style & WS_CHILD) && w != active && !on_chain(r, w) &&
        !(e->rec && e->rec->buttons_made)) {
      if (DestroyWindow(w))
        next = fw_list_head;   /* the list changed under us: start again */
    }
    e = next;
  }
}

static void on_destroy(HWND h, struct fw_record *r) {
  fc_release(r->focus);
  fw_list_unlink(r->entry);
  if (r->buttons_made) fw_ops.listed(h, 0);
  if (r->owner_rec && hp_valid(r->owner_rec)) r->owner_rec->popup = NULL;
  struct fw_record *direct = fw_rec(r->owner);
  if (direct && direct->owner == h) direct->owner = NULL;
  SetWindowLongPtrA(h, GWLP_USERDATA, 0);
  hp_free(r);
}

static void erase(HWND h, HDC dc) {
  RECT rc;
  GetClientRect(h, &rc);
  FillRect(dc, &rc, (HBRUSH)GetStockObject(WHITE_BRUSH));
  HBRUSH b = CreateSolidBrush(col_get(COL_W_BORDER));
  FrameRect(dc, &rc, b);
  DeleteObject(b);
}

LRESULT CALLBACK fw_class_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  struct fw_record *r = fw_rec(h);
  if (r == NULL) return DefWindowProcA(h, msg, w, l);
  switch (msg) {
    case WM_DESTROY:
      on_destroy(h, r);
      return 0;
    case WM_SIZE:
      if (w != SIZE_MINIMIZED) {
        if (r->caption)
          MoveWindow(r->caption, 3, 3, LOWORD(l) - 6, 16, TRUE);
        InvalidateRect(h, NULL, TRUE);
      }
      return 0;
    case WM_ACTIVATE:
      /* losing activation to a window of ours: that window closes what
         does not belong to it when its own activation arrives */
      if (LOWORD(w) == WA_INACTIVE && l != 0) break;
      if (!fw_creating && !fw_dragging) fw_close_strays(h);
      break;
    case WM_ACTIVATEAPP:
      if (!fw_creating && !fw_dragging) fw_close_strays(h);
      break;
    case WM_ERASEBKGND:
      erase(h, (HDC)w);
      return -1;
    case WM_SHOWWINDOW:
      if (!w) fc_relink(r->focus);
      break;
  }
  return DefWindowProcA(h, msg, w, l);
}
