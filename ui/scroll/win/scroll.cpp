/*
** Scroll bars: creation, layout, the client, repeating presses, set and
** get, notifications.
*/
#include <windows.h>

#include "gui/notify.h"
#include "gui/record.h"
#include "host/base/heap.h"
#include "host/base/win/state.h"
#include "ui/frame/win/button.h"
#include "ui/colour.h"
#include "ui/frame/win/framed.h"
#include "ui/scroll/win/scroll.h"
#include "ui/win/wndprocs.h"

#define SC_RECORD_SIZE 192
#define SC_BTN_RECORD_SIZE 88
#define THUMB_THICK 12
#define FIRST_DELAY 1000
#define NEXT_DELAY 100

static struct sc_record *sc_all = NULL;

static int key_down(void) { return GetKeyState(VK_LBUTTON) < 0; }
struct sc_ops sc_ops = {key_down};

struct sc_record *sc_rec(HWND bar) {
  if (bar == NULL) return NULL;
  void *p = (void *)GetWindowLongPtrA(bar, GWLP_USERDATA);
  for (struct sc_record *r = sc_all; r; r = r->next)
    if (r == p) return r;
  return NULL;
}

static void unlink_bar(struct sc_record *r) {
  for (struct sc_record **p = &sc_all; *p; p = &(*p)->next)
    if (*p == r) {
      *p = r->next;
      return;
    }
}

static void link_bar(struct sc_record *r) {
  struct sc_record **p = &sc_all;
  while (*p) p = &(*p)->next;
  *p = r;
}

HWND sc_create(HWND parent, int range, int page, int vertical, int thumb,
               int x, int y, int w, int h, int id, void *command,
               sc_notify_fn notify, void *arg) {
  if (w < 0) w = 0;
  if (h < 0) h = 0;
  HWND bar = CreateWindowExA(0, "BtrelkScrollcn", "", WS_CHILD, x, y, w, h,
                             parent, (HMENU)(INT_PTR)id, trelk.instance, NULL);
  if (bar == NULL) return NULL;
  size_t size = sizeof(struct sc_record);
  struct sc_record *r =
      (struct sc_record *)hp_alloc(size > SC_RECORD_SIZE ? size : SC_RECORD_SIZE);
  sc_model_init(&r->m, range, page, thumb);
  r->vertical = vertical ? 1 : 0;
  r->x = x, r->y = y, r->w = w, r->h = h;
  r->id = id;
  r->command = command;
  r->notify = notify;
  r->arg = arg;
  r->parent = parent;
  r->bar = bar;
  link_bar(r);
  SetWindowLongPtrA(bar, GWLP_USERDATA, (LONG_PTR)r);
  ShowWindow(bar, SW_SHOWNA);
  UpdateWindow(bar);
  return bar;
}

static void to_parent(HWND bar, int pos, int zero, void *arg) {
  (void)zero;
  (void)arg;
  struct sc_record *r = sc_rec(bar);
  if (r == NULL || !IsWindow(r->parent)) return;
  SendMessageA(r->parent, r->vertical ? WM_VSCROLL : WM_HSCROLL,
               MAKEWPARAM(SB_THUMBPOSITION, pos & 0xFFFF), (LPARAM)bar);
}

HWND sc_create_vertical(HWND parent, int x, int y, int w, int h, int id) {
  return sc_create(parent, 1, h, 1, 1, x, y, w, h, id, NULL, to_parent, NULL);
}

HWND sc_create_horizontal(HWND parent, int x, int y, int w, int h, int id) {
  return sc_create(parent, 1, w, 0, 1, x, y, w, h, id, NULL, to_parent, NULL);
}

HWND sc_create_for(HWND parent, void *desc, int range, int page,
                   int vertical, int thumb, int x, int y, int w, int h,
                   int id) {
  HWND bar = sc_create(parent, range, page, vertical, thumb, x, y, w, h, id,
                       NULL, NULL, NULL);
  struct sc_record *r = sc_rec(bar);
  if (r) r->desc = desc;
  return bar;
}

/* length along the bar and thickness across it */
static void extent(struct sc_record *r, int *len, int *thick) {
  RECT rc;
  GetClientRect(r->client, &rc);
  *len = r->vertical ? rc.bottom : rc.right;
  *thick = r->vertical ? rc.right : rc.bottom;
}

static void move_along(struct sc_record *r, HWND w, int at, int len,
                       int cross, int thick) {
  if (w == NULL) return;
  if (r->vertical)
    MoveWindow(w, cross, at, thick, len, TRUE);
  else
    MoveWindow(w, at, cross, len, thick, TRUE);
}

void sc_place_thumb(struct sc_record *r) {
  if (r->thumb == NULL) return;
  int len, thick;
  extent(r, &len, &thick);
  r->placing++;
  move_along(r, r->thumb, r->m.thumb_off, r->m.thumb_len, 0,
             thick < THUMB_THICK ? thick : THUMB_THICK);
  r->placing--;
}

static HWND make_button(struct sc_record *r, int kind) {
  HWND b = fw_btn_create(r->client, "", 0, 0, 0, 1, 1, SC_BTN_RECORD_SIZE, sc_btn_proc,
                      0xFFFF, r);
  struct sc_btn_record *br = b ? (struct sc_btn_record *)fw_btn_rec(b) : NULL;
  if (br == NULL) return NULL;
  br->kind = kind;
  br->bar = r;
  ShowWindow(b, SW_SHOWNA);
  return b;
}

void sc_layout(struct sc_record *r) {
  int len, thick;
  extent(r, &len, &thick);
  int arrow = sc_model_layout(&r->m, len, thick);
  int cross = thick - 2 < 0 ? 0 : thick - 2;
  move_along(r, r->first, 0, arrow, 1, cross);
  move_along(r, r->second, len - arrow, arrow, 1, cross);
  sc_model_place(&r->m);
  sc_place_thumb(r);
}

/* the client and its buttons, made when the bar is first shown */
static void build(HWND bar, struct sc_record *r) {
  RECT rc;
  GetClientRect(bar, &rc);
  r->client = CreateWindowExA(0, "BtrelkScrollClntcn", "",
      WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0,
      rc.right, rc.bottom, bar, (HMENU)0xFFFF, trelk.instance, NULL);
  if (r->client == NULL) return;
  SetWindowLongPtrA(r->client, GWLP_USERDATA, (LONG_PTR)r);
  r->first = make_button(r, r->vertical ? SC_BTN_UP : SC_BTN_LEFT);
  r->second = make_button(r, r->vertical ? SC_BTN_DOWN : SC_BTN_RIGHT);
  if (r->m.has_thumb)
    r->thumb = make_button(r, r->vertical ? SC_BTN_VTHUMB : SC_BTN_HTHUMB);
  sc_layout(r);
}

LRESULT CALLBACK sc_bar_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  struct sc_record *r = sc_rec(h);
  if (r == NULL) return DefWindowProcA(h, msg, w, l);
  switch (msg) {
    case WM_SHOWWINDOW:
      if (w && r->client == NULL) build(h, r);
      break;
    case WM_SIZE:
      if (r->client && w != SIZE_MINIMIZED) {
        MoveWindow(r->client, 0, 0, LOWORD(l), HIWORD(l), TRUE);
        sc_layout(r);
      }
      return 0;
    case WM_ERASEBKGND:
      return 0;
    case WM_DESTROY:
      unlink_bar(r);
      SetWindowLongPtrA(h, GWLP_USERDATA, 0);
      hp_free(r);
      return 0;
  }
  return DefWindowProcA(h, msg, w, l);
}

/* the client's record is its bar's, while the bar lives */
static struct sc_record *client_bar(HWND client) {
  return sc_rec(GetParent(client));
}

static void paint_client(HWND h, HDC dc, struct sc_record *r) {
  RECT rc;
  GetClientRect(h, &rc);
  FillRect(dc, &rc, (HBRUSH)GetStockObject(WHITE_BRUSH));
  COLORREF c = col_get(COL_SCROLLBAR_FRAME) & col_get(COL_MS_INACTIVE);
  HPEN pen = CreatePen(PS_SOLID, 1, c);
  HGDIOBJ old = SelectObject(dc, pen);
  if (r->vertical) {
    MoveToEx(dc, rc.right / 2, 0, NULL);
    LineTo(dc, rc.right / 2, rc.bottom);
  } else {
    MoveToEx(dc, 0, rc.bottom / 2, NULL);
    LineTo(dc, rc.right, rc.bottom / 2);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

LRESULT CALLBACK sc_client_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  struct sc_record *r = client_bar(h);
  if (r == NULL) return DefWindowProcA(h, msg, w, l);
  switch (msg) {
    case WM_ERASEBKGND:
      paint_client(h, (HDC)w, r);
      return -1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      BeginPaint(h, &ps);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      sc_press(h, r, -1, l);
      return 0;
    case WM_TIMER:
      sc_repeat(h, r, -1, w);
      return 0;
  }
  return DefWindowProcA(h, msg, w, l);
}

/* A press on an arrow (kind) or the track (kind -1, w the client). The
   timer's identifier is the pressed point. */
#define NO_POINT 0xFFFFFFFFu   /* stands for (0, 0): (-1, -1) is never
                                  pressed in a window */

void sc_press(HWND w, struct sc_record *r, int kind, LPARAM at) {
  (void)kind;
  r->m.last_step = 0;
  UINT_PTR id = (UINT_PTR)(DWORD)at;
  SetTimer(w, id ? id : NO_POINT, 0, NULL);
}

static int press_kind(int kind) {
  if (kind == SC_BTN_UP || kind == SC_BTN_LEFT) return SC_BACK;
  if (kind == SC_BTN_DOWN || kind == SC_BTN_RIGHT) return SC_FORWARD;
  return SC_TRACK;
}

void sc_repeat(HWND w, struct sc_record *r, int kind, UINT_PTR id) {
  KillTimer(w, id);
  if (!sc_ops.left_down()) return;
  SetTimer(w, id, r->m.last_step == 0 ? FIRST_DELAY : NEXT_DELAY, NULL);
  DWORD at = id == NO_POINT ? 0 : (DWORD)id;
  int along = r->vertical ? (short)HIWORD(at) : (short)LOWORD(at);
  if (!sc_model_step(&r->m, press_kind(kind), along)) return;
  sc_place_thumb(r);
  sc_notify(r);
}

/* descriptions and commands may be deleted while a bar still shows */
static int live(void *rec) {
  return gr_valid_entry(rec) || gr_valid_container(rec);
}

void sc_notify(struct sc_record *r) {
  HWND bar = r->bar;
  int pos = r->m.position;
  if (r->desc) {
    if (live(r->desc)) nt_scroll(bar, r->desc, pos);
    return;
  }
  void *command = r->command;
  if (r->notify) r->notify(bar, pos, 0, r->arg);
  if (command && sc_rec(bar) && live(command)) nt_scroll(bar, command, pos);
}

static struct sc_record *nth_bar(HWND container, int which) {
  struct fw_record *f = fw_rec(container);
  if (f == NULL || (f->kind & ~FW_KIND_BIT) != 2 || which < 0 || which > 1)
    return NULL;
  for (struct sc_record *r = sc_all; r; r = r->next)
    if (r->parent == container && which-- == 0) return r;
  return NULL;
}

static int set_rec(HWND bar, struct sc_record *r, struct sc_info *info) {
  if (info->mask & SC_HIDE) ShowWindow(bar, SW_HIDE);
  int pos = sc_model_set(&r->m, info);
  sc_place_thumb(r);
  return pos;
}

int sc_set_bar(HWND bar, struct sc_info *info) {
  struct sc_record *r = sc_rec(bar);
  return r && info ? set_rec(bar, r, info) : 0;
}

int sc_get_bar(HWND bar, struct sc_info *info) {
  struct sc_record *r = sc_rec(bar);
  return r && info ? sc_model_get(&r->m, info) : 0;
}

int sc_set(HWND container, int which, struct sc_info *info) {
  struct sc_record *r = nth_bar(container, which);
  return r && info ? set_rec(r->bar, r, info) : 0;
}

int sc_get(HWND container, int which, struct sc_info *info) {
  struct sc_record *r = nth_bar(container, which);
  return r && info ? sc_model_get(&r->m, info) : 0;
}
