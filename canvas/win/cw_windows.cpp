/*
** Windows that show a toolkit record: an entry's windows in every shown
** container, a container's client windows.
*/
#include "canvas/win/cw_canvas.h"

#include "gui/record.h"
#include "gui/view.h"
#include "ui/menu/win/menuwin.h"

static int add(HWND w, HWND *out, int n, int max) {
  if (w == NULL || !IsWindow(w) || n >= max) return n;
  for (int i = 0; i < n; i++)
    if (out[i] == w) return n;
  out[n] = w;
  return n + 1;
}

int cw_windows_of(void *rec, HWND *out, int max) {
  int n = 0;
  if (rec == NULL) return 0;
  int container = gr_valid_container(rec);
  if (!container && !gr_valid_entry(rec)) return 0;
  for (struct mn_view *v = mn_views; v; v = v->next) {
    if (container) {
      if (v->c == rec) n = add(v->inner, out, n, max);
      continue;
    }
    for (int i = 0; i < v->count; i++)
      if (v->entries[i] && mn_entry_of(v->entries[i]) == rec)
        n = add(v->entries[i], out, n, max);
  }
  if (n == 0 && gv.window_of) n = add((HWND)gv.window_of(rec), out, n, max);
  return n;
}
