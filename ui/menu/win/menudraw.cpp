/*
** Drawing of one entry, with the colours of the colour table read at each
** paint.
*/
#include <windows.h>

#include "gui/gui.h"
#include "gui/view.h"
#include "ui/colour.h"
#include "ui/menu/win/menuwin.h"

static void fill(HDC dc, const RECT *r, int slot) {
  HBRUSH b = CreateSolidBrush(col_get(slot));
  FillRect(dc, r, b);
  DeleteObject(b);
}

static void frame(HDC dc, const RECT *r, int slot) {
  HBRUSH b = CreateSolidBrush(col_get(slot));
  FrameRect(dc, r, b);
  DeleteObject(b);
}

static void separator(HDC dc, const RECT *rc) {
  FillRect(dc, rc, (HBRUSH)GetStockObject(WHITE_BRUSH));
  HPEN pen = CreatePen(PS_SOLID, 1, col_get(COL_MS_SEPARATOR));
  HGDIOBJ op = SelectObject(dc, pen);
  int y = (rc->top + rc->bottom) / 2;
  MoveToEx(dc, rc->left + 3, y, NULL);
  LineTo(dc, rc->right - 5, y);
  SelectObject(dc, op);
  DeleteObject(pen);
}

static void check_mark(HDC dc, const struct gr_entry *e, int x, int y) {
  HPEN pen = CreatePen(PS_SOLID, 1, col_get(COL_MS_CHECKRADIO));
  HGDIOBJ op = SelectObject(dc, pen);
  HGDIOBJ ob = SelectObject(dc, GetStockObject(NULL_BRUSH));
  int radio = (e->flags & GR_RADIO) != 0;
  if (radio) Ellipse(dc, x, y, x + 9, y + 9);
  else Rectangle(dc, x, y, x + 9, y + 9);
  SelectObject(dc, op);
  DeleteObject(pen);
  if (e->flags & GR_CHECKED) {
    COLORREF c = col_get(COL_MS_CHECKED);
    pen = CreatePen(PS_SOLID, 2, c);
    HBRUSH b = CreateSolidBrush(c);
    op = SelectObject(dc, pen);
    SelectObject(dc, b);
    if (radio) {
      Ellipse(dc, x + 3, y + 3, x + 7, y + 7);
    } else {
      MoveToEx(dc, x + 2, y + 4, NULL);
      LineTo(dc, x + 4, y + 7);
      LineTo(dc, x + 8, y + 1);
    }
    SelectObject(dc, op);
    SelectObject(dc, ob);
    DeleteObject(pen);
    DeleteObject(b);
  } else {
    SelectObject(dc, ob);
  }
}

static void marker(HDC dc, const struct gr_entry *e, const RECT *rc) {
  int x = rc->right - 10, y = (rc->top + rc->bottom) / 2;
  HBRUSH b = CreateSolidBrush(col_get(COL_MS_SEPARATOR));
  HPEN pen = CreatePen(PS_SOLID, 1, col_get(COL_MS_SEPARATOR));
  HGDIOBJ ob = SelectObject(dc, b), op = SelectObject(dc, pen);
  if (e->flags & GR_ATT_DIALOG) {
    Rectangle(dc, x, y - 3, x + 6, y + 3);
  } else if (e->flags & GR_VERTDROP) {
    POINT p[3] = {{x, y - 2}, {x + 6, y - 2}, {x + 3, y + 2}};
    Polygon(dc, p, 3);
  } else {
    POINT p[3] = {{x + 1, y - 4}, {x + 5, y}, {x + 1, y + 4}};
    Polygon(dc, p, 3);
  }
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(b);
  DeleteObject(pen);
}

static const char *shown_text(struct gr_entry *e) {
  const char *t = (e->flags & GR_EDIT) ? ei.text(e) : e->name;
  return t ? t : "";
}

void mn_draw_entry(HWND h, HDC dc, struct gr_entry *e, int colour) {
  RECT rc;
  GetClientRect(h, &rc);
  int label = (e->flags & GR_LABEL) == GR_LABEL;
  if ((e->flags & 0xFFFF) == GR_SEPARATOR) {
    separator(dc, &rc);
    return;
  }
  if (label) {
    FillRect(dc, &rc, (HBRUSH)GetStockObject(WHITE_BRUSH));
    frame(dc, &rc, COL_MS_LABELBORDER);
  } else {
    fill(dc, &rc, colour);
    /* a single-line edit shows where to type: the frame colour of windows
       round the editor inside */
    int edit = (e->flags & (GR_EDIT | GR_MULTIBIT)) == GR_EDIT;
    frame(dc, &rc, mn_is_tab(e) ? COL_TAB_BORDER : edit ? COL_W_BORDER : COL_MS_BORDER);
  }
  const struct gr_container *c = e->owner;
  int icons = gr_any(c, GR_ICON), boxes = gr_any(c, GR_CHECKBOX | GR_RADIO);
  int x = 4 + (icons ? 20 : 0) + (boxes ? 13 : 0);
  if (x > 4 && !label) {
    RECT m = {rc.left + 1, rc.top + 1, x - 2, rc.bottom - 1};
    fill(dc, &m, COL_MS_BORDER);
  }
  /* the floating width is the widest text + 6, so the widest text ends 2
     pixels before the edge; a 4-pixel margin would cut it */
  RECT t = {x, rc.top, rc.right - 2 - (gr_any(c, GR_ATTACHED) ? 10 : 0), rc.bottom};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, col_get(label ? COL_MS_LABELTEXT : COL_MS_TEXT));
  DrawTextA(dc, shown_text(e), -1, &t,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  int mid = (rc.top + rc.bottom) / 2;
  if ((e->flags & GR_ICON) && e->icon)
    DrawIconEx(dc, 4, mid - 8, (HICON)e->icon, 16, 16, 0, NULL, DI_NORMAL);
  if (e->flags & (GR_CHECKBOX | GR_RADIO))
    check_mark(dc, e, icons ? 24 : 4, mid - 4);
  if (e->flags & (GR_ATT_MENU | GR_ATT_DIALOG | GR_VERTDROP)) marker(dc, e, &rc);
}
