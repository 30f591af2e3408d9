/*
** Window side of the designer: its menu window in the main window, the
** record a drag lifts or an Alt + click names, and a new control's window
** handed to the drag frame.
*/
#include <windows.h>

#include "gui/designer.h"
#include "host/base/win/state.h"
#include "ui/frame/win/button.h"
#include "ui/drag/win/develop.h"
#include "ui/drag/win/drag.h"
#include "ui/drag/win/dragentry.h"
#include "ui/frame/win/framed.h"
#include "ui/win/mainwin.h"
#include "ui/menu/win/menuwin.h"

static HWND shown;

HWND dg_dev_window(void) { return shown && IsWindow(shown) ? shown : NULL; }

/* the sheet dropped open from the menu, if it is no longer the one the
   edited record needs, goes */
static void drop_stale_sheet(void) {
  struct mn_view *v = mn_view_of(shown);
  if (v == NULL || v->open == NULL || !IsWindow(v->open)) return;
  struct mn_view *o = mn_view_of(v->open);
  if (o && o->c != dz.drop->sub) DestroyWindow(v->open);
}

static void create(void) {
  HWND main = mw_window();
  if (main == NULL || dz.top == NULL) return;
  fw_dragging++;
  shown = fw_create(main, "Develop Menu", FW_KIND_MENU, 10000, 10000, 100, 22,
                    0, NULL, 0, WS_CHILD, 0);
  if (shown && mn_adopt(shown, dz.top, 0)) {
    RECT c, r;
    GetClientRect(main, &c);
    GetWindowRect(shown, &r);
    SetWindowPos(shown, HWND_TOP, c.right - (r.right - r.left) - 7, 22, 0, 0,
                 SWP_NOSIZE | SWP_NOACTIVATE);
    ShowWindow(shown, SW_SHOWNA);
  }
  fw_dragging--;
}

void dg_dev_show(int show) {
  if (!show) {
    if (dg_dev_window()) DestroyWindow(shown);
    shown = NULL;
    return;
  }
  if (dg_dev_window()) drop_stale_sheet();
  else create();
}

void dg_dev_close(void) {
  dg_dev_show(0);
  if (dg.frame) DestroyWindow(dg.frame);
}

/* a new control: its own window at the pointer, carried until dropped */
void dg_dev_place(struct gr_entry *e) {
  HWND main = mw_window();
  if (main == NULL) return;
  POINT p;
  GetCursorPos(&p);
  ScreenToClient(main, &p);
  HWND w = fw_btn_create(main, e->name ? e->name : "", 0, p.x, p.y, 128, 22, 0,
                      mn_entry_proc, 1, e);
  if (w == NULL) return;
  ShowWindow(w, SW_SHOWNA);
  dg_begin(w);
}

void dg_dev_lifted(struct gr_entry *e) { dz_edit(e); }

void dg_dev_named(HWND clicked, POINT at) {
  int pos;
  struct gr_container *c = dg_container_at(clicked, at, &pos);
  if (c == NULL || dz_is_designer(c)) return;
  dz_edit(c);
  if (dz.edited) dg_dev_show(1);
}

int dg_dev_fixed(const struct gr_container *c) { return dz_is_designer(c); }

void dg_develop(int show) {
  if (!show || dz.edited) dg_dev_show(show);
}
