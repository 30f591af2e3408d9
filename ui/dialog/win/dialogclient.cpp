/*
** The "Trelk Dialog client": parent of a dialog's controls. It makes them
** when first shown, reports right clicks, resizes by right-drag, and frees
** the dialog's owned blocks when it goes.
*/
#include <windows.h>

#include "gui/record.h"
#include "host/base/heap.h"
#include "ui/frame/win/button.h"
#include "ui/dialog/win/dialogwin.h"
#include "ui/menu/win/menuwin.h"
#include "ui/dialog/win/numspin.h"
#include "ui/win/wndprocs.h"

#define CLIENT_RECORD_SIZE 72

struct dc_record {
  int made;   /* the controls exist */
};

void dw_free_owned(struct dw_record *r);

static struct dc_record *dc_rec(HWND h) {
  struct dc_record *r = (struct dc_record *)GetWindowLongPtrA(h, GWLP_USERDATA);
  return hp_valid(r) ? r : NULL;
}

/* every entry as a menu entry at its own place; numeric edits get their
   spinner */
static void default_controls(HWND client, struct gr_container *desc) {
  int i = 0;
  for (struct gr_entry *e = desc->first; e; e = e->next, i++) {
    HWND b = fw_btn_create(client, e->name ? e->name : "", 0, e->x, e->y,
                        e->w > 0 ? e->w : 0, e->h > 0 ? e->h : 0, 0, mn_entry_proc,
                        i + 1, e);
    if (b == NULL) continue;
    dw_spin_attach(b, e);
    ShowWindow(b, SW_SHOWNA);
  }
}

static void default_rclick(HWND client, struct gr_container *desc) {
  struct gr_container *m = desc->rmenu;
  if (m == NULL || !gr_valid_container(m) || m->flags == GR_TABLE) return;
  POINT p;
  GetCursorPos(&p);
  if (m->flags == GR_DIALOG)
    dw_show(client, m, WS_POPUP, 0, p.x, p.y);
  else
    mn_open(m, client, p.x, p.y, 0);
}

struct dw_ops dw_ops = {default_controls, default_rclick};

static struct gr_container *desc_of(HWND client) {
  struct dw_record *d = dw_rec(GetParent(client));
  return d && gr_valid_container(d->desc) ? d->desc : NULL;
}

/* the nearest ancestor with a framed record, if it is a dialog frame */
static void free_owned(HWND h) {
  for (HWND p = GetParent(h); p; p = GetParent(p)) {
    struct dw_record *d = dw_rec(p);
    if (d) {
      dw_free_owned(d);
      return;
    }
    if (GetWindowLongPtrA(p, GWLP_USERDATA)) return;
  }
}

LRESULT CALLBACK dw_client_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  if (msg == WM_CREATE) {
    SetWindowLongPtrA(h, GWLP_USERDATA, (LONG_PTR)hp_alloc(CLIENT_RECORD_SIZE));
    return 0;
  }
  struct dc_record *r = dc_rec(h);
  if (r == NULL) return DefWindowProcA(h, msg, w, l);
  switch (msg) {
    case WM_DESTROY:
      SetWindowLongPtrA(h, GWLP_USERDATA, 0);
      hp_free(r);
      free_owned(h);
      return 0;
    case WM_SHOWWINDOW: {
      struct gr_container *desc = desc_of(h);
      if (w && !r->made && desc && desc->first) {
        r->made = 1;
        dw_ops.controls(h, desc);
      }
      break;
    }
    case WM_MOUSEMOVE:
      if (w & MK_RBUTTON) {
        fw_btn_right_drag(h);
        return 0;
      }
      break;
    case WM_RBUTTONDOWN: {
      fw_btn_right_start(h);
      struct gr_container *desc = desc_of(h);
      if (desc) dw_ops.rclick(h, desc);
      return 0;
    }
  }
  return DefWindowProcA(h, msg, w, l);
}
