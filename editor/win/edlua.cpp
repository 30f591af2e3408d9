/*
** Script side of the editor: `mes' and `grep' of edit objects, the edit
** operations of the object model (text, caret line, selection, undo), the
** hooks of folding calls, and the layer's start-up.
*/
#include <windows.h>

#include <string.h>

#include <string>

#include "Scintilla.h"

#include "editor/editor.h"
#include "editor/edregex.h"
#include "editor/win/edwin.h"
#include "editor/mesargs.h"
#include "editor/unilexer.h"
#include "gui/controls.h"
#include "gui/gui.h"
#include "gui/objects.h"
#include "gui/view.h"
#include "host/base/win/state.h"
#include "ui/menu/win/menuwin.h"

extern "C" {
#include "lauxlib.h"
}
#include "host/base/message.h"

static void ed_message(const char *fmt, unsigned msg) {
  char buf[160];
  wsprintfA(buf, fmt, msg);
  con_message(buf);
}

static struct gr_entry *edit_of(lua_State *L, int idx) {
  void *rec = obj_record(L, idx);
  if (rec == NULL || gr_is_container(rec)) return NULL;
  struct gr_entry *e = (struct gr_entry *)rec;
  return (e->flags & GR_EDIT) ? e : NULL;
}

/* a message parameter: a number truncated, a string's address, else 0 */
struct ed_param {
  uintptr_t v;
  int type;
  size_t len;
};

static struct ed_param param(lua_State *L, int idx) {
  struct ed_param p = {0, lua_type(L, idx), 0};
  if (p.type == LUA_TNUMBER) {
    lua_Number n = lua_tonumber(L, idx);
    if (n != n) n = 0;
    if (n > 4294967295.0) n = 4294967295.0;
    if (n < -2147483648.0) n = -2147483648.0;
    p.v = (uintptr_t)(long long)n;
  } else if (p.type == LUA_TSTRING) {
    p.v = (uintptr_t)lua_tolstring(L, idx, &p.len);
  } else {
    p.type = LUA_TNIL;
  }
  return p;
}

/* a parameter the component reads as text must be a text or 0 */
static int text_ok(const struct ed_param *p) {
  return p->type == LUA_TSTRING || p->v == 0;
}

static void as_text(struct ed_param *p, const char *s) {
  p->type = LUA_TSTRING;
  p->v = (uintptr_t)s;
  p->len = strlen(s);
}

/* messages that fill a buffer: the size is asked first, the component
   writes into a buffer of ours, and the text is the second result */
static int send_out(lua_State *L, HWND h, unsigned msg, int kind,
                    uintptr_t wp) {
  LRESULT need = ew_send(h, msg, wp, 0);
  if (need < 0) need = 0;
  size_t size = (size_t)need + 1;
  if ((kind & MA_WP_SIZE) && wp > size) wp = size;
  std::string buf(size + 1, '\0');
  LRESULT r = ew_send(h, msg, wp, (LPARAM)&buf[0]);
  lua_pushnumber(L, (lua_Number)r);
  lua_pushstring(L, buf.c_str());
  return 2;
}

/* texts the component reads for a length it knows from elsewhere: an image
   it parses, pixels of a size set before, styles for a line's text */
static int lengths_ok(HWND h, unsigned msg, int kind,
                      const struct ed_param *wp, const struct ed_param *lp) {
  /* style -1 would make the component empty its style array, a count
     that brings the next style to -1 likewise */
  if (((kind & MA_WP_STYLE) && wp->v >= MA_STYLES_MAX) ||
      ((kind & MA_LP_STYLE) && lp->v >= MA_STYLES_MAX)) {
    ed_message("mes: message %u needs a style number from 0 to 65535\n", msg);
    return 0;
  }
  if (((kind & MA_WP_COLUMNS) && wp->v > MA_COLUMNS_MAX) ||
      ((kind & MA_LP_COLUMNS) && lp->v > MA_COLUMNS_MAX)) {
    ed_message("mes: message %u takes a width of 0 to 65535 columns\n", msg);
    return 0;
  }
  if (kind & MA_WP_NEWSTYLES) {
    LRESULT next = ew_send(h, msg, 0, 0);   /* a count of 0 asks the next */
    if (wp->v > MA_STYLES_MAX || (uintptr_t)next + wp->v > MA_STYLES_MAX) {
      ed_message("mes: message %u would number styles past 65535\n", msg);
      return 0;
    }
  }
  if ((kind & MA_WP_SELECTION) && wp->v >= (uintptr_t)ew_send(h, SCI_GETSELECTIONS, 0, 0)) {
    ed_message("mes: message %u needs the number of a selection (from 0)\n", msg);
    return 0;
  }
  if (kind & MA_WP_LINE) {
    intptr_t line = (intptr_t)wp->v;
    if (line < 0 || line >= (intptr_t)ew_send(h, SCI_GETLINECOUNT, 0, 0)) {
      ed_message("mes: message %u needs the number of a line of the text (from 0)\n", msg);
      return 0;
    }
  }
  if ((kind & MA_LP_XPM) && !ma_xpm_ok((const char *)lp->v)) {
    ed_message("mes: message %u needs an XPM image in text form\n", msg);
    return 0;
  }
  struct ew_lengths n;
  if ((kind & MA_LP_RGBA) && ew_lengths_of(h, &n)) {
    unsigned long long need = (unsigned long long)n.rgba_w * n.rgba_h * 4;
    if (n.rgba_w > MA_IMAGE_MAX || n.rgba_h > MA_IMAGE_MAX || need > lp->len) {
      ed_message("mes: message %u needs width x height x 4 bytes of pixels "
                 "(at most 4096 each way)\n", msg);
      return 0;
    }
  }
  if (kind & MA_LP_STYLES) {
    LRESULT need = ew_send(h, ma_styles_text(msg), wp->v, 0);
    if (need > 0 && (size_t)need > lp->len) {
      ed_message("mes: message %u needs a style for every byte of the text\n", msg);
      return 0;
    }
  }
  return 1;
}

static int l_mes(lua_State *L) {
  if (lua_gettop(L) < 2 || lua_type(L, 2) != LUA_TNUMBER) return 0;
  unsigned msg = (unsigned)param(L, 2).v;
  struct gr_entry *e = edit_of(L, 1);
  HWND h = e ? ew_first(e) : NULL;
  if (h == NULL) {
    lua_pushinteger(L, 0);
    return 1;
  }
  int kind = ma_classify(msg);
  struct ed_param wp = param(L, 3), lp = param(L, 4);
  if ((kind & 0xF) == MA_REFUSED) {
    ed_message("mes: message %u is not available to scripts\n", msg);
    return 0;
  }
  if (((kind & MA_WP_TEXT) && !text_ok(&wp)) ||
      ((kind & MA_LP_TEXT) && !text_ok(&lp))) {
    ed_message("mes: message %u needs a text (or 0) where a number was given\n", msg);
    return 0;
  }
  /* a zero text is none where the component takes it so, else empty: it
     would read through the null */
  if ((kind & MA_WP_TEXT) && wp.type != LUA_TSTRING) as_text(&wp, "");
  if ((kind & MA_LP_TEXT) && lp.type != LUA_TSTRING && !(kind & MA_LP_ABSENT))
    as_text(&lp, "");
  if ((kind & MA_WP_LENGTH) && lp.type == LUA_TSTRING && wp.v > lp.len)
    wp.v = lp.len;
  if (!lengths_ok(h, msg, kind, &wp, &lp)) return 0;
  if (kind & MA_WP_FROMLINE) {   /* from the last line: the same answer */
    intptr_t last = (intptr_t)ew_send(h, SCI_GETLINECOUNT, 0, 0) - 1;
    if ((intptr_t)wp.v > last) wp.v = (uintptr_t)last;
  }
  /* the length set for encoding is cut to the text for this call */
  struct ew_lengths was;
  int cut = (kind & MA_WP_ENCODE) && ew_lengths_of(h, &was) &&
            was.encode >= 0 && (size_t)was.encode > wp.len;
  if (cut) ew_send(h, SCI_SETLENGTHFORENCODE, wp.len, 0);
  int n;
  if ((kind & 0xF) == MA_OUT && lp.v != 0) {
    n = send_out(L, h, msg, kind, wp.v);
  } else {
    lua_pushnumber(L, (lua_Number)ew_send(h, msg, wp.v, (LPARAM)lp.v));
    n = 1;
  }
  if (cut) ew_send(h, SCI_SETLENGTHFORENCODE, (WPARAM)was.encode, 0);
  if (gr_valid_entry(e)) ew_redraw(e);
  return n;
}

static int l_grep(lua_State *L) {
  if (lua_gettop(L) < 2) return 0;
  int t = lua_type(L, 1);
  if (t != LUA_TLIGHTUSERDATA && t != LUA_TUSERDATA) {
    con_message("This function needs a window handle!\n");
    return 0;
  }
  if (lua_type(L, 2) != LUA_TSTRING) return 0;
  HWND h = ew_find((HWND)lua_touserdata(L, 1));
  if (h == NULL) {
    con_message("grep: not an editor window\n");
    return 0;
  }
  size_t len;
  const char *pattern = lua_tolstring(L, 2, &len);
  /* the component answers "not found" for a pattern it cannot compile */
  if (!er_pattern_ok(pattern, len)) {
    con_message("grep: the pattern is not a valid expression\n");
    return 0;
  }
  struct Sci_TextToFind ft;
  ft.chrg.cpMin = 0;
  ft.chrg.cpMax = (Sci_PositionCR)ew_send(h, SCI_GETLENGTH, 0, 0);
  ft.lpstrText = pattern;
  ft.chrgText.cpMin = ft.chrgText.cpMax = -1;
  LRESULT r = ew_send(h, SCI_FINDTEXT, SCFIND_REGEXP | SCFIND_POSIX,
                      (LPARAM)&ft);
  if (r < 0 || ft.chrgText.cpMin < 0) return 0;
  lua_pushnumber(L, (lua_Number)ft.chrgText.cpMin);
  lua_pushnumber(L, (lua_Number)ft.chrgText.cpMax);
  return 2;
}

/* --- edit operations of the object model ------------------------------- */

static const char *ed_text(struct gr_entry *e) {
  static std::string buf;
  HWND h = ew_first(e);
  if (h == NULL) return e->name;
  LRESULT n = ew_send(h, SCI_GETLENGTH, 0, 0);
  buf.assign((size_t)n + 1, '\0');
  ew_send(h, SCI_GETTEXT, (WPARAM)n + 1, (LPARAM)&buf[0]);
  return buf.c_str();
}

static int ed_line(struct gr_entry *e) {
  HWND h = (e->flags & GR_MULTIBIT) ? ew_first(e) : NULL;
  if (h == NULL) return 0;
  LRESULT pos = ew_send(h, SCI_GETCURRENTPOS, 0, 0);
  return (int)ew_send(h, SCI_LINEFROMPOSITION, (WPARAM)pos, 0);
}

static void ed_set_line(struct gr_entry *e, int line) {
  HWND h = (e->flags & GR_MULTIBIT) ? ew_first(e) : NULL;
  if (h == NULL) return;
  ew_send(h, SCI_SETYCARETPOLICY, CARET_STRICT | CARET_EVEN, 0);
  ew_send(h, SCI_GOTOLINE, (WPARAM)(line < 0 ? 0 : line), 0);
  ew_send(h, SCI_SETYCARETPOLICY, CARET_EVEN, 0);
}

static int ed_sel(struct gr_entry *e, const char **text, int *b, int *end) {
  static std::string buf;
  if (!(e->flags & GR_MULTIBIT)) return 0;
  HWND h = ew_first(e);
  *text = "";
  *b = *end = 0;
  if (h == NULL) return 1;
  *b = (int)ew_send(h, SCI_GETSELECTIONSTART, 0, 0);
  *end = (int)ew_send(h, SCI_GETSELECTIONEND, 0, 0);
  LRESULT n = ew_send(h, SCI_GETSELTEXT, 0, 0);
  buf.assign((size_t)(n < 0 ? 0 : n) + 2, '\0');
  ew_send(h, SCI_GETSELTEXT, 0, (LPARAM)&buf[0]);
  *text = buf.c_str();
  return 1;
}

static void ed_undo(struct gr_entry *e, int undo) {
  HWND h = (e->flags & GR_MULTIBIT) ? ew_first(e) : NULL;
  if (h) ew_send(h, undo ? SCI_UNDO : SCI_REDO, 0, 0);
}

/* --- folding calls: focus and the refresh switch ------------------------ */

static void *focus_now(void) { return GetFocus(); }

static void focus_back(void *w) {
  HWND h = (HWND)w;
  if (GetFocus() != h && (h == NULL || IsWindow(h))) SetFocus(h);
}

static int hold_refresh(void) {
  int was = gui_rearrange;
  gui_rearrange = 0;
  return was;
}

static void release_refresh(int was) { gui_rearrange = was; }

void ed_sync(void *rec) {
  if (rec && !gr_is_container(rec) && gr_valid_entry(rec) &&
      (((struct gr_entry *)rec)->flags & GR_EDIT))
    ew_sync((struct gr_entry *)rec);
}

static void entry_window(HWND w, struct gr_entry *e) {
  if (e->flags & GR_EDIT) ew_create(w, e);
}

extern "C" int Scintilla_RegisterClasses(void *instance);
extern "C" int Scintilla_ReleaseResources(void);

int ed_register_classes(void) {
  return Scintilla_RegisterClasses(trelk.instance);
}

const struct ei_ops ed_edit_ops = {ed_text, ed_line, ed_set_line, ed_sel,
                                   ed_undo};
const struct ul_hooks ed_lexer_hooks = {focus_now, focus_back, hold_refresh,
                                        release_refresh};
const struct mn_ops ed_menu_ops = {entry_window, ew_announce};
const struct ctl_ops ed_control_ops = {l_mes, l_grep};

void ed_release(void) { Scintilla_ReleaseResources(); }
