/*
** Built-in menus of the main window. Each is a docked menu window holding
** one entry of its own name that drops its menu below it.
*/
#include <windows.h>

#include "gui/gui.h"
#include "gui/notify.h"
#include "gui/view.h"
#include "ui/frame/win/framed.h"
#include "ui/menu/win/freemenu.h"
#include "ui/win/mainwin.h"
#include "ui/menu/win/menuwin.h"

struct gr_container *mn_free_windows = NULL;

static void choose(void *wnd, struct gr_entry *e, int reason, void *data) {
  (void)wnd; (void)e;
  HWND w = (HWND)data;
  if (reason != NT_CHOSEN || !IsWindow(w)) return;
  ShowWindow(w, SW_RESTORE);
  SetForegroundWindow(w);
  SetActiveWindow(w);
}

static struct gr_entry *find(HWND w) {
  for (struct gr_entry *e = mn_free_windows->first; e; e = e->next)
    if (e->cb_data == w) return e;
  return NULL;
}

void mn_free_listed(HWND w, int added) {
  struct gr_entry *e = find(w);
  if (added && e == NULL) {
    char title[256];
    GetWindowTextA(w, title, sizeof title);
    e = gr_entry_new(GR_BUTTON, title, NULL, NULL);
    e->callback = choose;
    e->cb_data = w;
    gr_insert(mn_free_windows, e, -1);
  } else if (!added && e) {
    gv.entry_gone(e);
    gr_entry_free(e);
  } else {
    return;
  }
  gui_refresh(mn_free_windows);
}

/* A docked bar: one entry of the bar's own name dropping `sub' below. */
static void bar(HWND w, const char *name, struct gr_container *sub) {
  if (w == NULL) return;
  struct gr_container *c = gr_container_new(GR_MENU, name, NULL);
  struct gr_entry *e = gr_entry_new(GR_ATT_MENU | GR_VERTDROP, name, NULL, NULL);
  e->sub = sub;
  gr_insert(c, e, -1);
  HDC dc = GetDC(NULL);
  SIZE sz;
  GetTextExtentPoint32A(dc, name, lstrlenA(name), &sz);
  ReleaseDC(NULL, dc);
  RECT r;
  GetClientRect(w, &r);
  SetWindowPos(w, NULL, 0, 0, sz.cx + 22, r.bottom,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  mn_adopt(w, c, 1);
}

void mn_free_init(void) {
  if (gui_main_menu == NULL)
    gui_main_menu = gr_container_new(GR_MENU, "Main Menu", NULL);
  mn_free_windows = gr_container_new(GR_MENU, "Free Windows Menu", NULL);
  for (struct fw_list_entry *l = fw_list_head; l; l = l->next)
    if (l->rec && l->rec->buttons_made) mn_free_listed(l->wnd, 1);
  bar(mw_main_menu(), "Main Menu", gui_main_menu);
  bar(mw_free_menu(), "Free Windows Menu", mn_free_windows);
  /* the second bar sits 4 pixels right of the first */
  RECT a, m;
  HWND main = mw_window();
  if (main && mw_main_menu() && mw_free_menu()) {
    GetWindowRect(mw_main_menu(), &a);
    GetWindowRect(main, &m);
    SetWindowPos(mw_free_menu(), NULL, a.right - m.left + 4, a.top - m.top,
                 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  }
}
