/*
** Dialog frames: showing a description, the frame's procedure (client on
** first show, sizing and placement), owned heap blocks, and the list of
** frames for re-sizing every window that shows a description.
*/
#include <windows.h>

#include "gui/notify.h"
#include "host/base/heap.h"
#include "host/base/win/state.h"
#include "ui/frame/win/button.h"
#include "ui/frame/win/caption.h"
#include "ui/dialog/win/dialogwin.h"
#include "ui/drag/dwgeom.h"
#include "ui/frame/win/framed.h"
#include "ui/menu/win/menuwin.h"

struct dw_block {
  struct dw_block *next;
};

static struct dw_record *dw_all = NULL;

struct dw_record *dw_rec(HWND w) {
  if (w == NULL) return NULL;
  void *p = (void *)GetWindowLongPtrA(w, GWLP_USERDATA);
  for (struct dw_record *r = dw_all; r; r = r->next)
    if (r == p) return r;
  return NULL;
}

HWND dw_client(HWND dialog) {
  struct dw_record *r = dw_rec(dialog);
  return r ? r->client : NULL;
}

HWND dw_window_of(struct gr_container *desc) {
  for (struct dw_record *r = dw_all; r; r = r->next)
    if (r->desc == desc) return r->fw.own ? r->fw.own : GetParent(r->client);
  return NULL;
}

static void unlink_dialog(struct dw_record *r) {
  for (struct dw_record **p = &dw_all; *p; p = &(*p)->next)
    if (*p == r) {
      *p = r->next;
      return;
    }
}

void *dw_own(HWND dialog, size_t size) {
  struct dw_record *r = dw_rec(dialog);
  if (r == NULL) return NULL;
  struct dw_block *b = (struct dw_block *)hp_alloc(sizeof *b + size);
  b->next = r->owned;
  r->owned = b;
  return b + 1;
}

void dw_free_owned(struct dw_record *r) {
  struct dw_block *b = r->owned;
  r->owned = NULL;
  while (b) {
    struct dw_block *next = b->next;
    hp_free(b);
    b = next;
  }
}

static int has_caption(struct dw_record *r) { return r->fw.caption != NULL; }

static int shown_w(struct gr_container *c) {
  return dg_size(c->w, DG_DEFAULT_W, DG_MIN_W);
}

static int shown_h(struct gr_container *c) {
  return dg_size(c->h, DG_DEFAULT_H, DG_MIN_H);
}

void dw_resize_all(struct gr_container *desc) {
  /* the windows first: a resize command may close some or show more */
  int n = 0;
  for (struct dw_record *r = dw_all; r; r = r->next)
    if (r->desc == desc && r->client) n++;
  if (n == 0) return;
  HWND *list = (HWND *)hp_alloc(sizeof(HWND) * n);
  int i = 0;
  for (struct dw_record *r = dw_all; r && i < n; r = r->next)
    if (r->desc == desc && r->client) list[i++] = GetParent(r->client);
  for (i = 0; i < n; i++)
    if (dw_rec(list[i]) && gr_valid_container(desc))
      SetWindowPos(list[i], NULL, 0, 0, shown_w(desc), shown_h(desc),
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  hp_free(list);
}

/* the client, made when the frame is first shown */
static void make_client(HWND h, struct dw_record *r) {
  int y = has_caption(r) ? 20 : 2;
  int w = shown_w(r->desc), ht = shown_h(r->desc);
  r->client = CreateWindowExA(0, "Trelk Dialog client", "Dialog client",
                              WS_CHILD | WS_CLIPSIBLINGS, 2, y, w - 4,
                              ht - y - 2, h, NULL, trelk.instance, NULL);
  if (r->client == NULL) return;
  if (r->grip)
    SetWindowPos(r->grip, HWND_TOP, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(r->client, SW_SHOWNA);
  if (dw_rec(h) != r) return;   /* a control's command closed it */
  UpdateWindow(r->client);
  SetWindowPos(h, HWND_NOTOPMOST, 0, 0, w, ht,
               SWP_NOMOVE | SWP_NOOWNERZORDER | SWP_NOACTIVATE);
  nt_notify(h, r->desc, NT_CREATED);
}

static void owner_rect(HWND h, struct dg_rect *o, int *has) {
  HWND owner = GetWindow(h, GW_OWNER);
  RECT rc;
  *has = owner && GetWindowRect(owner, &rc);
  if (*has) *o = {rc.left, rc.top, rc.right, rc.bottom};
}

static void sized(HWND h, struct dw_record *r, int w, int ht) {
  if (has_caption(r)) {
    RECT rc;
    GetWindowRect(h, &rc);
    struct dg_rect win = {rc.left, rc.top, rc.right, rc.bottom}, o;
    int has, x, y;
    owner_rect(h, &o, &has);
    int moved = dg_place(&win, has ? &o : NULL, GetSystemMetrics(SM_CXMAXIMIZED),
                          GetSystemMetrics(SM_CYMAXIMIZED), ht, &x, &y);
    /* and never off the work area: the rule above alone may leave the
       bottom below it */
    RECT wa;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
    struct dg_rect area = {wa.left, wa.top, wa.right, wa.bottom};
    int nx = x, ny = y;
    dg_on_screen(&area, NULL, rc.right - rc.left, rc.bottom - rc.top, &nx, &ny);
    if (moved || nx != rc.left || ny != rc.top)
      SetWindowPos(h, NULL, nx, ny, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (r->grip) MoveWindow(r->grip, w - 10, ht - 10, 10, 10, TRUE);
    MoveWindow(r->fw.caption, 3, 3, w - 6, 16, TRUE);
    /* 20 down, where the client was made: right below the caption */
    MoveWindow(r->client, 2, 20, w - 4, ht - 22, TRUE);
  } else {
    MoveWindow(r->client, 2, 2, w - 4, ht - 4, TRUE);
  }
  nt_notify(h, r->desc, NT_RESIZED);
}

static LRESULT CALLBACK dw_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  struct dw_record *r = dw_rec(h);
  if (r == NULL) return fw_pass(h, msg, w, l);
  switch (msg) {
    case WM_DESTROY: {
      struct gr_container *desc = r->desc;
      unlink_dialog(r);
      /* the frame goes before its client: the client finds no frame */
      dw_free_owned(r);
      if (gr_valid_container(desc)) nt_notify(h, desc, NT_DESTROYED);
      break;
    }
    case WM_SHOWWINDOW: {
      LRESULT res = fw_pass(h, msg, w, l);
      if (w && r->client == NULL) make_client(h, r);
      return res;
    }
    case WM_SIZE: {
      LRESULT res = fw_pass(h, msg, w, l);
      if (w != SIZE_MINIMIZED && r->client && dw_rec(h) == r)
        sized(h, r, (short)LOWORD(l), (short)HIWORD(l));
      return res;
    }
  }
  return fw_pass(h, msg, w, l);
}

static void centre(int *x, int *y, int w, int h) {
  RECT wa;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  if (*x < 0) *x = wa.left + (wa.right - wa.left - w) / 2;
  if (*y < 0) *y = wa.top + (wa.bottom - wa.top - h) / 2;
}

HWND dw_grip_create(HWND dialog);

HWND dw_show(HWND parent, struct gr_container *desc, DWORD style, int finish,
             int x, int y) {
  if (!gr_valid_container(desc)) return NULL;
  if (gr_tabbed(desc) && !(desc->cflags & GR_CF_RESIZE))
    return mn_open(desc, parent, x, y, finish);
  int child = (style & WS_CHILD) != 0;
  if (!child) {
    centre(&x, &y, shown_w(desc), shown_h(desc));
    mn_on_screen(parent, shown_w(desc), shown_h(desc), &x, &y);
  }
  size_t size = sizeof(struct dw_record);
  if (size < DW_RECORD_SIZE) size = DW_RECORD_SIZE;
  HWND h = fw_create(parent, desc->name ? desc->name : "", FW_KIND_DIALOG, x,
                     y, 1, 1, size, dw_proc, finish,
                     child ? WS_CHILD : WS_POPUP, 0);
  struct fw_record *f = fw_rec(h);
  if (f == NULL) return NULL;
  struct dw_record *r = (struct dw_record *)f;
  r->desc = desc;
  r->next = dw_all;
  dw_all = r;
  if (!child && (desc->cflags & GR_CF_RESIZE)) r->grip = dw_grip_create(h);
  ShowWindow(h, SW_SHOWNA);
  if (dw_rec(h) != r) return NULL;
  UpdateWindow(h);
  SendMessageA(h, WM_ACTIVATE, WA_ACTIVE, 0);
  SendMessageA(h, WM_ACTIVATE, WA_ACTIVE, 0);
  return dw_rec(h) == r ? h : NULL;
}

/* caption double clicks and right-drags of resizable dialogs */
int dw_resizable(HWND top) {
  struct dw_record *r = dw_rec(top);
  return r && gr_valid_container(r->desc) && (r->desc->cflags & GR_CF_RESIZE);
}

/* A right-drag sizes a dialog as its grip does: the description takes the
   size and every window showing it follows. */
int dw_right_resized(HWND top, int w, int h) {
  struct dw_record *r = dw_rec(top);
  if (r == NULL || r->size_kind >= 2 || !gr_valid_container(r->desc)) return 0;
  r->desc->w = w;
  r->desc->h = h;
  dw_resize_all(r->desc);
  return 1;
}
