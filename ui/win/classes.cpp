/*
** Window classes, in the order the program registers them. Procedures of
** windows built later (dialog and menu clients, scroll bars, the drag frame)
** start as plain default procedures until their layer replaces them.
*/
#include <windows.h>

#include "host/base/heap.h"
#include "host/base/win/state.h"
#include "ui/frame/win/button.h"
#include "ui/frame/win/caption.h"
#include "ui/win/classes.h"
#include "ui/colour.h"
#include "ui/frame/win/framed.h"
#include "ui/win/tooltip.h"
#include "ui/win/wndprocs.h"

struct cls_ops cls_ops = {DefWindowProcA, DefWindowProcA, DefWindowProcA,
                          DefWindowProcA, DefWindowProcA, DefWindowProcA};

/* Class procedures are fixed at registration; these trampolines let a layer
   built later install its procedure. */
#define TRAMPOLINE(name, var) \
  static LRESULT CALLBACK name(HWND h, UINT m, WPARAM w, LPARAM l) { \
    return var(h, m, w, l); \
  }
TRAMPOLINE(dialog_client, cls_ops.dialog_client)
TRAMPOLINE(menu_client, cls_ops.menu_client)
TRAMPOLINE(scroll, cls_ops.scroll)
TRAMPOLINE(scroll_client, cls_ops.scroll_client)
TRAMPOLINE(drag, cls_ops.drag)
TRAMPOLINE(drag_cover, cls_ops.drag_cover)

/* Holder windows: a left press moves them; all else is default. */
static LRESULT CALLBACK holder_proc(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_LBUTTONDOWN) return DefWindowProcA(h, WM_NCLBUTTONDOWN, HTCAPTION, 0);
  return DefWindowProcA(h, m, w, l);
}

static int reg(const char *name, UINT style, WNDPROC proc, int extra,
               HBRUSH bg, HICON icon, HCURSOR cursor) {
  WNDCLASSA wc = {style, proc, 0, extra, trelk.instance, icon, cursor, bg,
                  NULL, name};
  return RegisterClassA(&wc) != 0;
}

int cls_register_first(void) {
  HBRUSH white = CreateSolidBrush(RGB(255, 255, 255));
  HICON icon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
  HCURSOR arrow = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  if (!reg("Trelk Dialog client", CS_VREDRAW | CS_HREDRAW | CS_SAVEBITS,
           dialog_client, 0, white, icon, arrow))
    return 0;
  return reg("MenuClient187561", CS_VREDRAW | CS_HREDRAW, menu_client, 0,
             white, icon, arrow);
}

void cls_register_rest(void) {
  HCURSOR arrow = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
  HBRUSH white = (HBRUSH)GetStockObject(WHITE_BRUSH);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  const UINT vh = CS_VREDRAW | CS_HREDRAW;
  reg("CtrelkCapcn", vh | CS_DBLCLKS, fw_cap_proc, 0,
      CreateSolidBrush(col_get(COL_CAP_BG)), NULL, arrow);
  reg("BtrelkUBcn", vh, fw_btn_class_proc, 8,
      CreateSolidBrush(col_get(COL_INACTIVE)), NULL, arrow);
  reg("WtrelkUWcn", vh, fw_class_proc, 4, red, NULL, arrow);
  reg("BtrelkScrollcn", vh, scroll, 4, white, NULL, arrow);
  reg("BtrelkScrollClntcn", vh, scroll_client, 4, white, NULL, NULL);
  reg("dragWinCN", vh, drag, 4, white, NULL, NULL);
  reg("dragWinCCN", vh, drag_cover, 4, white, NULL, NULL);
  reg("TrelkHWcn", vh, holder_proc, 4, red, NULL, NULL);
  reg("187561TT", vh | CS_SAVEBITS, tt_proc, 8,
      CreateSolidBrush(RGB(255, 255, 224)), NULL, NULL);
  hp_bounds_init();
  LOGFONTA lf;
  ZeroMemory(&lf, sizeof lf);
  lf.lfHeight = 16;
  lf.lfWeight = 600;
  lf.lfPitchAndFamily = FF_SWISS;
  lstrcpyA(lf.lfFaceName, "system");
  fw_font = CreateFontIndirectA(&lf);
}
