/*
** Style dialogs of the designer. The dialogs are static records, refilled
** for each edit control; their entries hold the values as texts and
** checked bits, which is all the write-back reads.
*/
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "gui/designer.h"
#include "gui/dzstyle.h"
#include "gui/objects.h"
#include "gui/view.h"

extern "C" {
#include "lauxlib.h"
#include "lobject.h"
}
#include "host/base/message.h"

struct dzs_state dzs;

static const char *const group_names[] = {"Lexer", "Folder", "Styles",
                                          "Wordsets", "Margins"};

/* --- reading the style table (raw: no script code runs) --- */

static int field(lua_State *L, int t, const char *key) {
  t = obj_abs(L, t);
  lua_pushstring(L, key);
  lua_rawget(L, t);
  return lua_type(L, -1);
}

static int truth(lua_State *L, int t, const char *key) {
  field(L, t, key);
  int v = lua_toboolean(L, -1);
  lua_pop(L, 1);
  return v;
}

/* --- building --- */

/* Style dialogs lay their controls out in three columns so that every one
   shows at the dialog's own size; margin dialogs have one column. Entries
   keep their list order (a value's edit comes right before its label),
   which is what the write-back reads. */
#define COL_W 108                    /* a column */
#define ROW_H 24                     /* a row, with its gap */
#define ENTRY_H 22
#define LABEL_W 44                   /* a label before its value */
#define GRID_W (3 * COL_W + 2 * 4)   /* the three columns and their gaps */

static int col_x(int col) { return 4 + col * (COL_W + 4); }

static struct gr_entry *at(struct gr_container *c, uint32_t kind,
                           const char *name, int x, int y, int w) {
  struct gr_entry *e = dz_add(c, kind, name, NULL, 0);
  e->x = x;
  e->y = y;
  e->w = w;
  e->h = ENTRY_H;
  return e;
}

static int row;   /* of a margin dialog */

static struct gr_entry *put(struct gr_container *c, uint32_t kind,
                            const char *name) {
  return at(c, kind, name, 4, 4 + ROW_H * row++, 160);
}

static void check(struct gr_entry *e, int on) {
  if (on) e->flags |= GR_CHECKED;
}

static const char *number_text(lua_State *L, int t, const char *key, int base,
                               const char *deflt, char *buf, size_t size) {
  buf[0] = '\0';
  if (field(L, t, key) == LUA_TNUMBER)
    snprintf(buf, size, base == 16 ? "%x" : "%d",
             base == 16 ? (unsigned)(long long)lua_tonumber(L, -1)
                        : obj_toint(lua_tonumber(L, -1)));
  else if (deflt)
    snprintf(buf, size, "%s", deflt);
  lua_pop(L, 1);
  return buf;
}

static struct gr_entry *number_edit(struct gr_container *c, int base,
                                    lua_State *L, int t, const char *key,
                                    const char *deflt) {
  char buf[32];
  struct gr_entry *e = put(c, GR_EDIT, number_text(L, t, key, base, deflt, buf, sizeof buf));
  e->digital = base;
  return e;
}

/* a value at x .. x + w of a row: its edit, then the label standing
   before it on the screen */
static struct gr_entry *value(struct gr_container *c, const char *label,
                              const char *text, int base, int x, int y, int w) {
  struct gr_entry *e = at(c, GR_EDIT, text, x + LABEL_W + 4, y, w - LABEL_W - 4);
  e->digital = base;
  at(c, GR_LABEL, label, x, y, LABEL_W);
  return e;
}

/* bold, italic, size, name, the "font" heading and a separator: rows at
   4 and 28, the separator at 52 */
static int font_rows(struct gr_container *c, lua_State *L, int f) {
  char buf[32];
  check(at(c, GR_CHECKBOX, "bold", col_x(1), 4, COL_W), truth(L, f, "bold"));
  check(at(c, GR_CHECKBOX, "italic", col_x(2), 4, COL_W), truth(L, f, "italic"));
  value(c, "size", number_text(L, f, "size", 10, "10", buf, sizeof buf), 10,
        col_x(0), 28, COL_W);
  const char *name = field(L, f, "name") == LUA_TSTRING ? lua_tostring(L, -1) : "";
  value(c, "name", name, 0, col_x(1), 28, GRID_W - col_x(1) + 4);
  lua_pop(L, 1);
  at(c, GR_LABEL, "font", col_x(0), 4, COL_W);
  at(c, GR_SEPARATOR, NULL, 4, 52, GRID_W)->h = 6;
  return 62;
}

static void style_dialog(struct gr_container *c, lua_State *L, int s) {
  int y = 4;
  if (field(L, s, "font") == LUA_TTABLE) y = font_rows(c, L, lua_gettop(L));
  lua_pop(L, 1);
  const char *cs = field(L, s, "case") == LUA_TSTRING ? lua_tostring(L, -1) : "";
  int lower = cs[0] == 'l' || cs[0] == 'L', upper = cs[0] == 'u' || cs[0] == 'U';
  lua_pop(L, 1);
  check(at(c, GR_RADIO, "case Lower", col_x(0), y, COL_W), lower);
  check(at(c, GR_RADIO, "case Upper", col_x(1), y, COL_W), upper);
  check(at(c, GR_RADIO, "case Mixed", col_x(2), y, COL_W), !lower && !upper);
  y += ROW_H;
  check(at(c, GR_CHECKBOX, "underline", col_x(0), y, COL_W), truth(L, s, "underline"));
  check(at(c, GR_CHECKBOX, "hotspot", col_x(1), y, COL_W), truth(L, s, "hotspot"));
  check(at(c, GR_CHECKBOX, "fill2eol", col_x(2), y, COL_W), truth(L, s, "fill2eol"));
  y += ROW_H;
  field(L, s, "visible");
  int visible = !(lua_type(L, -1) == LUA_TBOOLEAN && !lua_toboolean(L, -1));
  lua_pop(L, 1);
  check(at(c, GR_CHECKBOX, "visible", col_x(0), y, COL_W), visible);
  y += ROW_H;
  char buf[32];
  int half = GRID_W / 2;
  value(c, "back", number_text(L, s, "back", 16, NULL, buf, sizeof buf), 16, 4,
        y, half - 4);
  value(c, "fore", number_text(L, s, "fore", 16, NULL, buf, sizeof buf), 16,
        4 + half, y, GRID_W - half);
  /* the frame is as large as what it holds: 2 pixels of border each side,
     the caption above */
  c->w = 4 + GRID_W + 4 + 4;
  c->h = y + ENTRY_H + 4 + 22;
}

static void margin_dialog(struct gr_container *c, lua_State *L, int m) {
  row = 0;
  int type = m ? field(L, m, "w") : LUA_TNIL;
  if (type == LUA_TSTRING) put(c, GR_EDIT, lua_tostring(L, -1));
  if (m) lua_pop(L, 1);
  if (type != LUA_TSTRING) {
    if (m) number_edit(c, 10, L, m, "w", NULL);
    else put(c, GR_EDIT, "")->digital = 10;
  }
  put(c, GR_LABEL, "width");
  const char *t = m && field(L, m, "type") == LUA_TSTRING ? lua_tostring(L, -1) : NULL;
  char k = t ? t[0] : 'n';
  if (m) lua_pop(L, 1);
  int number = k == 'n' || k == 'N', symbol = k == 's' || k == 'S';
  check(put(c, GR_RADIO, "type Fold"), !number && !symbol);
  check(put(c, GR_RADIO, "type Number"), number);
  check(put(c, GR_RADIO, "type Symbol"), symbol);
}

size_t dzs_lexer_body(const char *text, size_t len, size_t *from) {
  size_t i = 0, end = len;
  if (len && text[0] == '(') {
    int depth = 0;
    do {
      if (text[i] == '(') depth++;
      else if (text[i] == ')') depth--;
      i++;
    } while (i < len && depth > 0);
    while (i < len && strchr(" \t\n", text[i])) i++;
  }
  while (end > i && strchr(" \t\r\n", text[end - 1])) end--;
  if (end - i >= 3 && memcmp(text + end - 3, "end", 3) == 0) end -= 3;
  /* and the line break before `end': the write-back puts one there, so
     each fill and write-back would add another */
  while (end > i && strchr(" \t\r\n", text[end - 1])) end--;
  *from = i;
  return end - i;
}

static char *lexer_text(lua_State *L, int lex) {
  const char *src = NULL;
  if (lex && field(L, lex, "lex") == LUA_TFUNCTION && !lua_iscfunction(L, -1))
    src = ((const Closure *)lua_topointer(L, -1))->l.p->srctext;
  if (lex) lua_pop(L, 1);
  if (src == NULL) return gr_strdup("");
  size_t from, n = dzs_lexer_body(src, strlen(src), &from);
  char *t = (char *)malloc(n + 1);
  if (t == NULL) return gr_strdup("");
  memcpy(t, src + from, n);
  t[n] = '\0';
  char *r = gr_strdup(t);
  free(t);
  return r;
}

/* one text pane: an entry carrying a dialog with one multi-line edit */
static struct gr_entry *pane(struct gr_container *c, const char *name) {
  struct gr_container *d = dz_attach(c, name, GR_ATT_DIALOG);
  struct gr_entry *e = dz_add(d, GR_MULTIEDIT, "", NULL, 0);
  e->x = e->y = 1;
  e->w = 194;
  e->h = 176;
  return e;
}

/* the five entries, made once and appended to the control sheet */
static void make_groups(void) {
  struct gr_container *sheet = dz.sheets[DZ_CONTROL_SHEET];
  if (dzs.lexer) return;
  dzs.lexer = pane(sheet, group_names[0]);
  dzs.folder = pane(sheet, group_names[1]);
  dzs.lexer->code_pane = dzs.folder->code_pane = 1;
  struct gr_container *styles = dz_attach(sheet, group_names[2], GR_ATT_MENU);
  struct gr_container *words = dz_attach(sheet, group_names[3], GR_ATT_MENU);
  struct gr_container *margins = dz_attach(sheet, group_names[4], GR_ATT_MENU);
  char name[32];
  for (int i = 0; i < DZS_STYLES; i++) {
    snprintf(name, sizeof name, "Style No %d", i + 1);
    dzs.styles[i] = dz_attach(styles, name, GR_ATT_DIALOG);
  }
  for (int i = 0; i < DZS_WORDSETS; i++) {
    snprintf(name, sizeof name, "Wordset No %d", i + 1);
    dzs.wordsets[i] = pane(words, name);
  }
  for (int i = 0; i < DZS_MARGINS; i++) {
    snprintf(name, sizeof name, "Margin No %d", i + 1);
    dzs.margins[i] = dz_attach(margins, name, GR_ATT_DIALOG);
  }
  for (int i = 0; i < 5; i++) dzs.groups[i] = dz_find(sheet, group_names[i]);
}

/* the sheet holds the five entries only while an edit is edited: after
   "Control Specific Flags" */
static void show_groups(int on) {
  struct gr_container *sheet = dz.sheets[DZ_CONTROL_SHEET];
  if (sheet == NULL || dzs.groups[0] == NULL) return;
  int at = gr_index(dz_find(sheet, "Control Specific Flags")) + 1;
  for (int i = 0; i < 5; i++) {
    gr_unlink(dzs.groups[i]);
    if (on) gr_insert(sheet, dzs.groups[i], at + i);
  }
  gv.refresh(sheet);
}

static void set_text(struct gr_entry *e, const char *t) {
  gr_set_text(&e->name, t ? t : "");
}

void dzs_fill(lua_State *L, struct gr_entry *e) {
  dzs_drop();
  if (e == NULL || !(e->flags & GR_EDIT) || dz.top == NULL) return;
  int top = lua_gettop(L);
  obj_push(L, e->ref);
  if (!lua_istable(L, -1) || field(L, -1, "style") != LUA_TTABLE) {
    lua_settop(L, top);
    return;
  }
  int st = lua_gettop(L);
  make_groups();
  int lex = field(L, st, "lex") == LUA_TTABLE ? lua_gettop(L) : 0;
  char *body = lexer_text(L, lex);
  set_text(dzs.lexer, body);
  gr_ops.free(body);
  set_text(dzs.folder, "");
  for (int i = 0; i < DZS_WORDSETS; i++) {
    const char *w = NULL;
    if (lex) {
      lua_rawgeti(L, lex, i + 1);
      w = lua_type(L, -1) == LUA_TSTRING ? lua_tostring(L, -1) : NULL;
    }
    set_text(dzs.wordsets[i], w);
    if (lex) lua_pop(L, 1);
  }
  for (int i = 0; i < DZS_STYLES; i++) {
    obj_clean_native(dzs.styles[i]);
    lua_rawgeti(L, st, i + 1);
    if (lua_istable(L, -1)) style_dialog(dzs.styles[i], L, lua_gettop(L));
    lua_pop(L, 1);
  }
  field(L, st, "margin");
  int mg = lua_istable(L, -1) ? lua_gettop(L) : 0;
  for (int i = 0; i < DZS_MARGINS; i++) {
    obj_clean_native(dzs.margins[i]);
    if (mg) lua_rawgeti(L, mg, i + 1);
    margin_dialog(dzs.margins[i], L, mg && lua_istable(L, -1) ? lua_gettop(L) : 0);
    if (mg) lua_pop(L, 1);
  }
  lua_settop(L, top);
  dzs.target = e;
  show_groups(1);
}

void dzs_drop(void) {
  dzs.target = NULL;
  show_groups(0);
}

/* --- writing back --- */

static const char *text_of(struct gr_entry *e) {
  const char *t = ei.text(e);
  return t ? t : "";
}

static long number_in(struct gr_entry *e, int base) {
  return strtol(text_of(e), NULL, base);
}

static void set_number(lua_State *L, int t, const char *key, long v) {
  if (v == 0) return;   /* the editor's default applies */
  lua_pushnumber(L, (lua_Number)v);
  lua_setfield(L, t, key);
}

static void set_bool(lua_State *L, int t, const char *key, int v) {
  lua_pushboolean(L, v);
  lua_setfield(L, t, key);
}

static struct gr_entry *named(struct gr_container *c, const char *name, int nth) {
  for (struct gr_entry *e = c->first; e; e = e->next)
    if (e->name && strcmp(e->name, name) == 0 && nth-- == 0) return e;
  return NULL;
}

/* the value edit of a row: the entry before the label naming it */
static struct gr_entry *before(struct gr_container *c, const char *label) {
  struct gr_entry *prev = NULL;
  for (struct gr_entry *e = c->first; e; e = e->next) {
    if ((e->flags & GR_LABEL) == GR_LABEL && e->name && strcmp(e->name, label) == 0)
      return prev;
    prev = e;
  }
  return NULL;
}

static int checked(struct gr_container *c, const char *name) {
  struct gr_entry *e = named(c, name, 0);
  return e && (e->flags & GR_CHECKED);
}

static void style_back(lua_State *L, struct gr_container *c) {
  lua_newtable(L);
  int s = lua_gettop(L);
  struct gr_entry *size = before(c, "size"), *name = before(c, "name");
  if (size) {
    lua_newtable(L);
    int f = lua_gettop(L);
    set_bool(L, f, "bold", checked(c, "bold"));
    set_bool(L, f, "italic", checked(c, "italic"));
    set_number(L, f, "size", number_in(size, 10));
    if (name && text_of(name)[0]) {
      lua_pushstring(L, text_of(name));
      lua_setfield(L, f, "name");
    }
    lua_setfield(L, s, "font");
  }
  set_bool(L, s, "underline", checked(c, "underline"));
  set_bool(L, s, "hotspot", checked(c, "hotspot"));
  set_bool(L, s, "fill2eol", checked(c, "fill2eol"));
  set_bool(L, s, "visible", checked(c, "visible"));
  lua_pushstring(L, checked(c, "case Lower") ? "l" : checked(c, "case Upper") ? "u" : "");
  lua_setfield(L, s, "case");
  struct gr_entry *back = before(c, "back"), *fore = before(c, "fore");
  if (back) set_number(L, s, "back", number_in(back, 16));
  if (fore) set_number(L, s, "fore", number_in(fore, 16));
}

static void margin_back(lua_State *L, struct gr_container *c) {
  lua_newtable(L);
  int m = lua_gettop(L);
  struct gr_entry *w = before(c, "width");
  if (w && w->digital) set_number(L, m, "w", number_in(w, 10));
  else if (w) {
    lua_pushstring(L, text_of(w));
    lua_setfield(L, m, "w");
  }
  lua_pushstring(L, checked(c, "type Number") ? "n" : checked(c, "type Symbol") ? "s" : "f");
  lua_setfield(L, m, "type");
}

static void words_back(lua_State *L, int lex) {
  for (int i = 0; i < DZS_WORDSETS; i++) {
    char *t = gr_strdup(text_of(dzs.wordsets[i]));
    for (char *p = t; p && *p; p++)
      if (*p == '\r' || *p == '\n') *p = ' ';
    lua_pushstring(L, t ? t : "");
    lua_rawseti(L, lex, i + 1);
    gr_ops.free(t);
  }
}

/* compiles the lexer text; its kept text reads back as a function */
static void lexer_back(lua_State *L, int lex) {
  const char *t = text_of(dzs.lexer);
  size_t n = strlen(t);
  if (luaL_loadbuffer(L, t, n, "lexer")) {
    const char *m = lua_tostring(L, -1);
    con_message(m ? m : "lexer does not compile");
    con_message("\n");
    lua_pop(L, 1);
    return;
  }
  Proto *p = ((const Closure *)lua_topointer(L, -1))->l.p;
  char *src = (char *)malloc(n + 12);
  if (src) {
    memcpy(src, "()\n", 3);
    memcpy(src + 3, t, n);
    memcpy(src + 3 + n, "\nend\n\n", 7);
    free(p->srctext);
    p->srctext = src;
  }
  lua_pushvalue(L, -1);
  luaL_ref(L, LUA_REGISTRYINDEX);   /* never collected */
  lua_setfield(L, lex, "lex");
}

static int rebuild(lua_State *L) {
  struct gr_entry *e = (struct gr_entry *)lua_touserdata(L, 1);
  obj_push(L, e->ref);
  if (!lua_istable(L, -1)) return 0;
  int obj = lua_gettop(L);
  lua_newtable(L);
  int st = lua_gettop(L);
  for (int i = 0; i < DZS_STYLES; i++) {
    style_back(L, dzs.styles[i]);
    lua_rawseti(L, st, i + 1);
  }
  lua_newtable(L);
  for (int i = 0; i < DZS_MARGINS; i++) {
    margin_back(L, dzs.margins[i]);
    lua_rawseti(L, -2, i + 1);
  }
  lua_setfield(L, st, "margin");
  lua_newtable(L);
  int lex = lua_gettop(L);
  words_back(L, lex);
  lexer_back(L, lex);
  lua_setfield(L, st, "lex");
  lua_pushstring(L, "style");
  lua_pushvalue(L, st);
  lua_rawset(L, obj);
  return 0;
}

void dzs_write_back(lua_State *L) {
  struct gr_entry *e = dzs.target;
  dzs_drop();
  if (L == NULL || e == NULL || !gr_valid_entry(e)) return;
  if (lua_cpcall(L, rebuild, e)) {
    const char *m = lua_tostring(L, -1);
    con_message(m ? m : "designer: error");
    con_message("\n");
    lua_pop(L, 1);
  }
}
