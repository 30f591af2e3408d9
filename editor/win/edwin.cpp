/*
** Editor windows and their subclass. Windows of one control share the
** component's document: the first window's document is stored with the
** control while any window is open; the text goes back into the control's
** name when the last one closes.
*/
#include <windows.h>

#include <map>
#include <string>

#include "Scintilla.h"

#include "editor/win/edwin.h"
#include "editor/lexers.h"
#include "editor/style.h"
#include "editor/unilexer.h"
#include "gui/gui.h"
#include "gui/notify.h"
#include "gui/objects.h"
#include "host/base/win/state.h"
#include "ui/colour.h"
#include "ui/scroll/win/scroll.h"

struct ew_window {
  HWND wnd;
  WNDPROC prev;
  struct gr_entry *e;             /* null for a window without a control */
  int lexer;                      /* number last selected */
  int announced;
  HWND vbar, hbar;                /* the toolkit's bars beside a multi-line */
  struct ew_lengths lengths;      /* as last set through the subclass */
  std::map<std::string, intptr_t> ints;   /* integer properties */
  struct ew_window *next;
};

struct ew_control {
  struct gr_entry *e;
  int open;                       /* windows showing it */
  LRESULT doc;                    /* their shared document */
  std::string synced;             /* the name as last loaded */
  struct ew_control *next;
};

static struct ew_window *ew_windows = NULL;    /* oldest first */
static struct ew_control *ew_controls = NULL;

static struct ew_window *rec_of(HWND h) {
  for (struct ew_window *r = ew_windows; r; r = r->next)
    if (r->wnd == h) return r;
  return NULL;
}

static struct ew_control *control_of(const struct gr_entry *e, int make) {
  for (struct ew_control *c = ew_controls; c; c = c->next)
    if (c->e == e) return c;
  if (!make) return NULL;
  struct ew_control *c = new ew_control{(struct gr_entry *)e, 0, 0, "", ew_controls};
  ew_controls = c;
  return c;
}

static void forget_control(struct ew_control *c) {
  for (struct ew_control **p = &ew_controls; *p; p = &(*p)->next)
    if (*p == c) {
      *p = c->next;
      delete c;
      return;
    }
}

static void unlink_window(struct ew_window *r) {
  for (struct ew_window **p = &ew_windows; *p; p = &(*p)->next)
    if (*p == r) {
      *p = r->next;
      return;
    }
}

static LRESULT pass(struct ew_window *r, UINT msg, WPARAM wp, LPARAM lp) {
  return CallWindowProcA(r->prev, r->wnd, msg, wp, lp);
}

static intptr_t get_int(struct ew_window *r, const char *name) {
  auto it = r->ints.find(name);
  return it == r->ints.end() ? 0 : it->second;
}

static LRESULT set_lexer(struct ew_window *r, int number) {
  r->lexer = number;
  void *lx = lx_create(number, get_int(r, "lexer"), get_int(r, "folder"));
  return pass(r, SCI_SETILEXER, 0, (LPARAM)lx);
}

static LRESULT set_int(struct ew_window *r, const char *name, intptr_t v) {
  if (name == NULL) return 0;
  r->ints[name] = v;
  struct lx_int x = {name, v};
  pass(r, SCI_PRIVATELEXERCALL, LX_SET_INT, (LPARAM)&x);
  return 0;
}

/* the last window of a control gives the text back */
static void closing(struct ew_window *r) {
  struct gr_entry *e = r->e;
  if (r->vbar && IsWindow(r->vbar)) DestroyWindow(r->vbar);
  if (r->hbar && IsWindow(r->hbar)) DestroyWindow(r->hbar);
  r->vbar = r->hbar = NULL;
  r->e = NULL;
  if (e == NULL || !gr_valid_entry(e)) return;
  struct ew_control *c = control_of(e, 0);
  if (c == NULL) return;
  if (c->open == 1) {
    LRESULT n = pass(r, SCI_GETLENGTH, 0, 0);
    std::string text((size_t)n + 1, '\0');
    pass(r, SCI_GETTEXT, (WPARAM)n + 1, (LPARAM)&text[0]);
    gr_set_text(&e->name, text.c_str());
    if (r->announced) nt_notify(r->wnd, e, NT_DESTROYED);
  }
  c = control_of(e, 0);   /* the command may have closed others */
  if (c && --c->open <= 0) forget_control(c);
}

/* typing: Enter in a single-line edit chooses it; other characters
   notify with reason 0 once the component has them */
static LRESULT on_char(struct ew_window *r, WPARAM wp, LPARAM lp) {
  struct gr_entry *e = r->e;
  HWND h = r->wnd;
  if (e && !(e->flags & GR_MULTIBIT) && (wp == '\r' || wp == '\n')) {
    nt_notify(h, e, NT_CHOSEN);
    return 0;
  }
  LRESULT res = pass(r, WM_CHAR, wp, lp);
  if (e && gr_valid_entry(e) && rec_of(h)) nt_notify(h, e, NT_CLEARED);
  return res;
}

static LRESULT CALLBACK ew_proc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  struct ew_window *r = rec_of(h);
  if (r == NULL) return DefWindowProcA(h, msg, wp, lp);
  switch (msg) {
    case SCM_SETLEXER: return set_lexer(r, (int)wp);
    case SCM_GETLEXER: return r->lexer;
    case SCM_GETSTYLEBITS: return 5;
    case SCM_SETSTYLEBITS: return 0;
    case SCM_SETPTRPROPERTY: return set_int(r, (const char *)wp, lp);
    case WM_CHAR: return on_char(r, wp, lp);
    case WM_KEYDOWN:   /* the component would break the line before the
                          Enter character arrives: a single line has none */
      if (wp == VK_RETURN && r->e && !(r->e->flags & GR_MULTIBIT)) return 0;
      break;
    case SCI_RGBAIMAGESETWIDTH: r->lengths.rgba_w = (unsigned)wp; break;
    case SCI_RGBAIMAGESETHEIGHT: r->lengths.rgba_h = (unsigned)wp; break;
    case SCI_SETLENGTHFORENCODE: r->lengths.encode = (intptr_t)wp; break;
    case WM_DESTROY: closing(r); break;
    case WM_NCDESTROY: {
      WNDPROC prev = r->prev;
      unlink_window(r);
      delete r;
      /* inside a lexing call the component is still on the stack: its
         object is left alive rather than freed under it */
      if (ul_busy > 0) return DefWindowProcA(h, msg, wp, lp);
      return CallWindowProcA(prev, h, msg, wp, lp);
    }
  }
  return pass(r, msg, wp, lp);
}

static struct ew_window *subclass(HWND h, struct gr_entry *e) {
  struct ew_window *r = new ew_window();
  r->wnd = h;
  r->e = e;
  r->lexer = 0;
  r->lengths.encode = -1;
  struct ew_window **tail = &ew_windows;
  while (*tail) tail = &(*tail)->next;
  *tail = r;
  r->prev = (WNDPROC)SetWindowLongPtrA(h, GWLP_WNDPROC, (LONG_PTR)ew_proc);
  return r;
}

LRESULT ew_send(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  return rec_of(h) ? ew_proc(h, msg, wp, lp) : 0;
}

static HWND make(HWND parent) {
  RECT rc = {0, 0, 1, 1};
  if (parent) GetClientRect(parent, &rc);
  return CreateWindowExA(0, "Scintilla", "",
                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPCHILDREN,
                         0, 0, rc.right, rc.bottom, parent, NULL,
                         trelk.instance, NULL);
}

HWND ew_create(HWND parent, struct gr_entry *e) {
  HWND h = make(parent);
  if (h == NULL) return NULL;
  struct ew_window *r = subclass(h, e);
  /* a single line has no room for scroll bars: they would cover it */
  int multi = (e->flags & GR_MULTIEDIT) == GR_MULTIEDIT;
  if (multi && parent) {   /* the toolkit's bars beside it, 6 pixels each */
    RECT rc;
    GetClientRect(parent, &rc);
    int w = rc.right > 6 ? rc.right - 6 : 0, ht = rc.bottom > 6 ? rc.bottom - 6 : 0;
    MoveWindow(h, 0, 0, w, ht, FALSE);
    r->vbar = sc_create_vertical(parent, w, 0, 6, ht, 0);
    r->hbar = sc_create_horizontal(parent, 0, ht, w, 6, 0);
  }
  ew_send(h, SCI_SETHSCROLLBAR, multi, 0);
  ew_send(h, SCI_SETVSCROLLBAR, multi, 0);
  /* the horizontal bar only when a line is wider than the window */
  ew_send(h, SCI_SETSCROLLWIDTH, 1, 0);
  ew_send(h, SCI_SETSCROLLWIDTHTRACKING, 1, 0);
  struct ew_control *c = control_of(e, 1);
  c->open++;
  int made = 0;
  if (c->doc == 0) {
    c->doc = ew_send(h, SCI_GETDOCPOINTER, 0, 0);
    made = 1;
  } else {
    ew_send(h, SCI_SETDOCPOINTER, 0, c->doc);
  }
  ew_send(h, SCI_SETMARGINWIDTHN, 1, 0);
  if (made && c->open == 1) {
    c->synced = e->name ? e->name : "";
    ew_send(h, SCI_SETTEXT, 0, (LPARAM)c->synced.c_str());
    ew_send(h, SCI_EMPTYUNDOBUFFER, 0, 0);
  }
  return h;
}

void ew_adopt(HWND h) {
  if (h && rec_of(h) == NULL) subclass(h, NULL)->announced = 1;
}

static intptr_t sink_send(void *ctx, unsigned msg, uintptr_t wp, intptr_t lp) {
  return ew_send((HWND)ctx, msg, wp, lp);
}

static void apply_style(HWND h, struct gr_entry *e) {
  lua_State *L = gui_L;
  ew_send(h, SCI_STYLESETBACK, ES_STYLE_LINENUMBER, col_get(COL_INACTIVE));
  if (e->code_pane) {  /* the host's own code editors have no style table */
    ew_lua_colours(h);
    return;
  }
  if (L == NULL || e->ref == GR_NOREF) return;
  obj_push(L, e->ref);
  struct es_sink s = {sink_send, h};
  es_apply(L, -1, h, &s);
  lua_pop(L, 1);
}

void ew_announce(void) {
  struct ew_window *r;
  /* one at a time, from the start: a command may make or close windows */
  while ((r = ew_windows) != NULL) {
    while (r && (r->announced || r->e == NULL)) r = r->next;
    if (r == NULL) return;
    r->announced = 1;
    HWND h = r->wnd;
    struct gr_entry *e = r->e;
    nt_notify(h, e, NT_CREATED);
    if (rec_of(h) && gr_valid_entry(e) && r->e == e) apply_style(h, e);
  }
}

int ew_lengths_of(HWND h, struct ew_lengths *out) {
  struct ew_window *r = rec_of(h);
  if (r) *out = r->lengths;
  return r != NULL;
}

HWND ew_first(const struct gr_entry *e) {
  for (struct ew_window *r = ew_windows; r; r = r->next)
    if (r->e == e && e) return r->wnd;
  return NULL;
}

int ew_is_editor(HWND h) { return h && rec_of(h) != NULL; }

HWND ew_find(HWND h) {
  if (ew_is_editor(h)) return h;
  for (struct ew_window *r = ew_windows; r; r = r->next)
    if (GetParent(r->wnd) == h) return r->wnd;
  return NULL;
}

void ew_redraw(const struct gr_entry *e) {
  for (struct ew_window *r = ew_windows; r; r = r->next)
    if (r->e == e)
      RedrawWindow(r->wnd, NULL, NULL,
                   RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

void ew_sync(const struct gr_entry *e) {
  struct ew_control *c = control_of(e, 0);
  HWND h = ew_first(e);
  const char *name = e->name ? e->name : "";
  if (c == NULL || h == NULL || c->synced == name) return;
  c->synced = name;
  ew_send(h, SCI_SETTEXT, 0, (LPARAM)name);
}

void ew_lua_colours(HWND h) {
  if (!ew_is_editor(h)) return;
  struct es_sink s = {sink_send, h};
  es_lua_colours(&s);
}
