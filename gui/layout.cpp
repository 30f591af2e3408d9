/*
** Row layout of menus and tables.
*/
#include "gui/layout.h"
#include "gui/record.h"

#define SEP_H 5

static int is_sep(const struct lay_row *r) {
  return (r->flags & 0xFFFF) == GR_SEPARATOR;
}

int lay_floating(struct lay_row *rows, int n, int *total) {
  int tallest = 0, widest = 0;
  uint32_t any = 0;
  for (int i = 0; i < n; i++) {
    const struct lay_row *r = &rows[i];
    any |= r->flags;
    if (is_sep(r)) continue;
    if (r->text_h > tallest) tallest = r->text_h;
    int w = r->text_w + (r->has_sub ? 15 : 0);
    if (w > widest) widest = w;
  }
  if (any & (GR_ATT_MENU | GR_ATT_DIALOG)) widest += 18;
  if (any & (GR_CHECKBOX | GR_RADIO)) widest += 13;
  if (any & GR_ICON) widest += 20;
  int width = widest + 6;
  if (width < 92) width = 92;
  int y = 0;
  for (int i = 0; i < n; i++) {
    rows[i].y = y;
    rows[i].h = is_sep(&rows[i]) ? SEP_H : tallest + 2;
    y += rows[i].h + 1;
  }
  *total = y;
  return width;
}

void lay_docked(struct lay_row *rows, int n, int height) {
  int seps = 0;
  for (int i = 0; i < n; i++) seps += is_sep(&rows[i]);
  int others = n - seps;
  int rest = height - seps * (SEP_H + 1);
  if (rest < 0) rest = 0;
  int each = others ? rest / others : 0;
  int extra = others ? rest - each * others : 0;
  int y = 0;
  for (int i = 0; i < n; i++) {
    rows[i].y = y;
    if (is_sep(&rows[i])) {
      rows[i].h = SEP_H;
      y += SEP_H + 1;
    } else {
      rows[i].h = each + (extra > 0 ? 1 : 0);
      if (extra > 0) extra--;
      y += rows[i].h;
    }
  }
}

int lay_size(int v) { return v < 0 ? 0 : v > LAY_MAX ? LAY_MAX : v; }

int lay_coord(int v) {
  return v < -LAY_MAX ? -LAY_MAX : v > LAY_MAX ? LAY_MAX : v;
}

int lay_last_first(const struct lay_row *rows, int n, int view) {
  if (n <= 0) return 0;
  int end = rows[n - 1].y + rows[n - 1].h;
  for (int i = 0; i < n; i++)
    if (end - rows[i].y <= view) return i;
  return n - 1;   /* even the last row is taller than the view */
}

int lay_clamp_first(const struct lay_row *rows, int n, int view, int first) {
  int last = lay_last_first(rows, n, view);
  return first < 0 ? 0 : first > last ? last : first;
}

int lay_table_width(int own_w, int total, int limit) {
  int w = own_w - 6 - (total > limit ? 15 : 0);
  return w < 0 ? 0 : w;
}

void lay_tab_page(int w, int h, int tab_col, int captioned, int *pw, int *ph) {
  *pw = lay_size(w - tab_col - 3);
  *ph = lay_size(h - (captioned ? 25 : 6));
}
