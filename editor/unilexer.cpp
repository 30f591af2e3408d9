/*
** Scripted lexer core. A colouring call gives the function's environment a
** metatable whose __index and __newindex serve the style-context names; a
** folding call stores its fields in the environment. Both are bound to a
** box (full userdata) that points at the call's context while the call
** runs and is cleared when it returns, so that names and functions kept
** by a script afterwards never reach a finished call: they read nil (`more'
** reads false) and do nothing.
**
** Everything that touches the interpreter runs under lua_cpcall: this is
** entered from the editor component's C++ frames, which an error must not
** unwind. lua_cpcall restores the stack and the C call depth on error.
*/
#include <assert.h>
#include <string.h>

#include "editor/unilexer.h"

extern "C" {
#include "lauxlib.h"
}
#include "host/base/message.h"

static void *no_focus(void) { return 0; }
static void no_set_focus(void *w) { (void)w; }
static int no_hold(void) { return 0; }
static void no_release(int on) { (void)on; }

struct ul_hooks ul_hooks = {no_focus, no_set_focus, no_hold, no_release};
int ul_busy = 0;

static const char UL_FUNCTIONS[] = "trelk.unilexer.functions";
static const char UL_NAMES[] = "trelk.unilexer.names";
static const char UL_CHARS[] = "trelk.unilexer.chars";

struct ul_ctx {
  const struct ul_doc *d;
  long end, pos, seg;
  int at_start, at_end, state;
  int prev, ch, next;   /* a double-byte character is lead * 256 + trail */
};

struct ul_box {
  struct ul_ctx *c;           /* colouring context, null when finished */
  const struct ul_doc *d;     /* the document, null when finished */
};

enum {
  N_CH = 1, N_CHNEXT, N_CHPREV, N_STATE, N_POS, N_ATSTART, N_ATEND, N_MORE,
  N_CURRENT, N_LOWERED, N_FORWARD, N_SETSTATE, N_CHANGESTATE, N_COMPLETE,
  N_THIS, N_GETCURRENT
};
#define N_IGNORED 0x100   /* assignments to it are dropped */

static const struct { const char *name; int code; } ul_names[] = {
    {"ch", N_CH | N_IGNORED}, {"chNext", N_CHNEXT | N_IGNORED},
    {"chPrev", N_CHPREV | N_IGNORED}, {"state", N_STATE},
    {"currentPos", N_POS}, {"atLineStart", N_ATSTART},
    {"atLineEnd", N_ATEND}, {"more", N_MORE | N_IGNORED},
    {"current", N_CURRENT}, {"currentLowered", N_LOWERED},
    {"forward", N_FORWARD | N_IGNORED}, {"setstate", N_SETSTATE | N_IGNORED},
    {"changestate", N_CHANGESTATE | N_IGNORED},
    {"complete", N_COMPLETE | N_IGNORED}, {"this", N_THIS | N_IGNORED},
    {"getcurrent", N_GETCURRENT | N_IGNORED}};

/* --- the document ------------------------------------------------------ */

static int byte_at(const struct ul_doc *d, long p) {
  return (p < 0 || p >= d->length) ? ' ' : (d->byte(d->ctx, p) & 0xFF);
}

static int char_at(const struct ul_doc *d, long p) {
  int b = byte_at(d, p);
  if (p >= 0 && p + 1 < d->length && d->lead && d->lead(d->ctx, b))
    return b * 256 + byte_at(d, p + 1);
  return b;
}

static long width(int ch) { return ch > 255 ? 2 : 1; }

static long to_long(lua_Number n) {
  if (n != n) return 0;
  if (n > 2147483647.0) return 2147483647L;
  if (n < -2147483647.0) return -2147483647L;
  return (long)n;
}

/* script style s is editor style s - 1; the style bits are five */
static int style_arg(lua_State *L, int idx) {
  return (int)((to_long(luaL_checknumber(L, idx)) - 1) & 31);
}

/* --- the style context ------------------------------------------------- */

static void read_next(struct ul_ctx *c) {
  c->next = char_at(c->d, c->pos + width(c->ch));
  c->at_end = (c->ch == '\r' && c->next != '\n') || c->ch == '\n' ||
              c->pos >= c->end;
}

static void ctx_init(struct ul_ctx *c, const struct ul_doc *d, long start,
                     long length) {
  memset(c, 0, sizeof *c);
  c->d = d;
  c->pos = c->seg = start;
  c->end = start + length;
  c->at_start = 1;
  d->start(d->ctx, start);
  c->ch = char_at(d, start);
  read_next(c);
}

static void ctx_forward(struct ul_ctx *c) {
  if (c->pos < c->end) {
    c->at_start = c->at_end;
    c->prev = c->ch;
    c->pos += width(c->ch);
    c->ch = c->next;
    read_next(c);
  } else {
    c->at_start = 0;
    c->prev = c->ch = c->next = ' ';
    c->at_end = 1;
  }
}

/* colours the segment up to the current position */
static void ctx_complete(struct ul_ctx *c) {
  long last = c->pos - 1;
  if (last > c->d->length - 1) last = c->d->length - 1;
  if (last < c->seg) return;
  c->d->colour(c->d->ctx, last, c->state);
  c->seg = last + 1;
}

/* one-byte strings come from a table made once (upvalue 4 of __index):
   cheaper than interning a new string at every read */
static void push_char(lua_State *L, int ch) {
  lua_rawgeti(L, lua_upvalueindex(4), ch == 0 ? 256 : (ch & 0xFF));
}

static void push_current(lua_State *L, const struct ul_ctx *c, int lower) {
  char buf[UL_CURRENT_MAX];
  long n = c->pos - c->seg;
  if (n < 0) n = 0;
  if (n > UL_CURRENT_MAX) n = UL_CURRENT_MAX;
  for (long i = 0; i < n; i++) {
    int b = byte_at(c->d, c->seg + i);
    if (lower && b >= 'A' && b <= 'Z') b += 'a' - 'A';
    buf[i] = (char)b;
  }
  lua_pushlstring(L, buf, (size_t)n);
}

static struct ul_box *box_of(lua_State *L) {
  return (struct ul_box *)lua_touserdata(L, lua_upvalueindex(1));
}

static int l_forward(lua_State *L) {
  struct ul_box *b = box_of(L);
  if (b->c) ctx_forward(b->c);
  return 0;
}

static int l_setstate(lua_State *L) {
  struct ul_box *b = box_of(L);
  if (b->c == NULL) return 0;
  int s = style_arg(L, 1);
  ctx_complete(b->c);
  b->c->state = s;
  return 0;
}

static int l_changestate(lua_State *L) {
  struct ul_box *b = box_of(L);
  if (b->c) b->c->state = style_arg(L, 1);
  return 0;
}

static int l_complete(lua_State *L) {
  struct ul_box *b = box_of(L);
  if (b->c) ctx_complete(b->c);
  return 0;
}

/* the code of the name at idx, 0 for any other key */
static int name_code(lua_State *L, int idx) {
  lua_pushvalue(L, idx);
  lua_rawget(L, lua_upvalueindex(2));
  int code = (int)lua_tointeger(L, -1);
  lua_pop(L, 1);
  return code;
}

static int push_name(lua_State *L, const struct ul_ctx *c, int code) {
  switch (code) {
    case N_CH: push_char(L, c->ch); break;
    case N_CHNEXT: push_char(L, c->next); break;
    case N_CHPREV: push_char(L, c->prev); break;
    case N_STATE: lua_pushinteger(L, c->state + 1); break;
    case N_POS: lua_pushnumber(L, (lua_Number)c->pos); break;
    case N_ATSTART: lua_pushboolean(L, c->at_start); break;
    case N_ATEND: lua_pushboolean(L, c->at_end); break;
    case N_MORE: lua_pushboolean(L, c->pos < c->end); break;
    case N_CURRENT: push_current(L, c, 0); break;
    case N_LOWERED: push_current(L, c, 1); break;
    case N_FORWARD: case N_SETSTATE: case N_CHANGESTATE: case N_COMPLETE:
      lua_rawgeti(L, lua_upvalueindex(3), code);
      break;
    default: return 0;
  }
  return 1;
}

/* __index(E, key): upvalues box, names, methods, chars */
static int l_index(lua_State *L) {
  int code = name_code(L, 2) & ~N_IGNORED;
  struct ul_box *b = box_of(L);
  if (code == 0) return 0;
  if (b->c == NULL) {
    if (code != N_MORE) return 0;
    lua_pushboolean(L, 0);
    return 1;
  }
  return push_name(L, b->c, code);
}

/* __newindex(E, key, value): upvalues box, names */
static int l_newindex(lua_State *L) {
  int code = name_code(L, 2);
  if (code == N_STATE) {
    struct ul_box *b = box_of(L);
    if (b->c) b->c->state = style_arg(L, 3);
    return 0;
  }
  if (code & N_IGNORED) return 0;
  lua_settop(L, 3);
  lua_rawset(L, 1);
  return 0;
}

static int l_inlist(lua_State *L) {
  struct ul_box *b = box_of(L);
  int set = (int)lua_tointeger(L, lua_upvalueindex(2));
  int yes = 0;
  if (b->d && lua_type(L, 1) == LUA_TSTRING && b->d->in_list)
    yes = b->d->in_list(b->d->ctx, set - 1, lua_tostring(L, 1)) != 0;
  lua_pushboolean(L, yes);
  return 1;
}

/* --- folding ----------------------------------------------------------- */

static const struct ul_doc *fold_doc(lua_State *L, int nargs) {
  const struct ul_box *b = box_of(L);
  return lua_gettop(L) >= nargs ? b->d : NULL;
}

static int l_getline(lua_State *L) {
  const struct ul_doc *d = fold_doc(L, 1);
  if (d == NULL) return 0;
  long pos = to_long(luaL_checknumber(L, 1));
  if (pos < 0) pos = 0;
  if (pos > d->length) pos = d->length;
  lua_pushnumber(L, (lua_Number)d->line(d->ctx, pos));
  return 1;
}

static int l_getlevel(lua_State *L) {
  const struct ul_doc *d = fold_doc(L, 1);
  if (d == NULL) return 0;
  lua_pushinteger(L, d->level(d->ctx, to_long(luaL_checknumber(L, 1))));
  return 1;
}

static int l_setlevel(lua_State *L) {
  const struct ul_doc *d = fold_doc(L, 2);
  if (d == NULL) return 0;
  long line = to_long(luaL_checknumber(L, 1));
  int level = (int)to_long(luaL_checknumber(L, 2));
  d->set_level(d->ctx, line, level);
  return 0;
}

static int l_getchar(lua_State *L) {
  const struct ul_doc *d = fold_doc(L, 1);
  if (d == NULL) return 0;
  char ch = (char)byte_at(d, to_long(luaL_checknumber(L, 1)));
  lua_pushlstring(L, &ch, 1);
  return 1;
}

/* --- registry ---------------------------------------------------------- */

/* pushes the registry table named key, making it with make() once */
static void registry_table(lua_State *L, const char *key,
                           void (*make)(lua_State *L)) {
  lua_getfield(L, LUA_REGISTRYINDEX, key);
  if (lua_istable(L, -1)) return;
  lua_pop(L, 1);
  make(L);
  lua_pushvalue(L, -1);
  lua_setfield(L, LUA_REGISTRYINDEX, key);
}

static void make_functions(lua_State *L) {
  lua_newtable(L);
  lua_newtable(L);
  lua_pushliteral(L, "v");
  lua_setfield(L, -2, "__mode");
  lua_setmetatable(L, -2);
}

static void make_chars(lua_State *L) {
  lua_createtable(L, 257, 0);
  for (int i = 0; i < 256; i++) {
    char b = (char)i;
    lua_pushlstring(L, &b, 1);
    lua_rawseti(L, -2, i);
  }
  lua_pushliteral(L, "");
  lua_rawseti(L, -2, 256);
}

static void make_names(lua_State *L) {
  int n = (int)(sizeof ul_names / sizeof ul_names[0]);
  lua_createtable(L, 0, n);
  for (int i = 0; i < n; i++) {
    lua_pushinteger(L, ul_names[i].code);
    lua_setfield(L, -2, ul_names[i].name);
  }
}

intptr_t ul_bind(lua_State *L, int idx) {
  if (!lua_isfunction(L, idx)) return 0;
  if (idx < 0 && idx > LUA_REGISTRYINDEX) idx = lua_gettop(L) + idx + 1;
  intptr_t id = (intptr_t)lua_topointer(L, idx);
  registry_table(L, UL_FUNCTIONS, make_functions);
  lua_pushlightuserdata(L, (void *)id);
  lua_pushvalue(L, idx);
  lua_rawset(L, -3);
  lua_pop(L, 1);
  return id;
}

/* --- calls ------------------------------------------------------------- */

struct ul_call {
  int fold;
  intptr_t fn;
  const struct ul_doc *d;
  long start, length;
  struct ul_ctx ctx;
  int box_ref;
};

static void rawset_closure(lua_State *L, int t, const char *key, int box,
                           lua_CFunction f) {
  lua_pushstring(L, key);
  lua_pushvalue(L, box);
  lua_pushcclosure(L, f, 1);
  lua_rawset(L, t);
}

static void set_fold_fields(lua_State *L, int env, int box,
                            const struct ul_call *k) {
  lua_pushliteral(L, "startPos");
  lua_pushnumber(L, (lua_Number)k->start);
  lua_rawset(L, env);
  lua_pushliteral(L, "length");
  lua_pushnumber(L, (lua_Number)k->length);
  lua_rawset(L, env);
  rawset_closure(L, env, "getLine", box, l_getline);
  rawset_closure(L, env, "getLevel", box, l_getlevel);
  rawset_closure(L, env, "setLevel", box, l_setlevel);
  rawset_closure(L, env, "getChar", box, l_getchar);
}

/* wl[1..9] of the environment get InList bound to keyword sets 0..8 */
static void set_inlist(lua_State *L, int env, int box) {
  lua_pushliteral(L, "wl");
  lua_rawget(L, env);
  if (lua_istable(L, -1))
    for (int k = 1; k <= 9; k++) {
      lua_rawgeti(L, -1, k);
      if (lua_istable(L, -1)) {
        lua_pushliteral(L, "InList");
        lua_pushvalue(L, box);
        lua_pushinteger(L, k);
        lua_pushcclosure(L, l_inlist, 2);
        lua_rawset(L, -3);
      }
      lua_pop(L, 1);
    }
  lua_pop(L, 1);
}

static void set_metatable(lua_State *L, int env, int box) {
  int names = lua_gettop(L) + 1;
  registry_table(L, UL_NAMES, make_names);
  lua_createtable(L, 0, 4);
  int methods = names + 1;
  static const struct { int code; lua_CFunction f; } fns[] = {
      {N_FORWARD, l_forward}, {N_SETSTATE, l_setstate},
      {N_CHANGESTATE, l_changestate}, {N_COMPLETE, l_complete}};
  for (int i = 0; i < 4; i++) {
    lua_pushvalue(L, box);
    lua_pushcclosure(L, fns[i].f, 1);
    lua_rawseti(L, methods, fns[i].code);
  }
  registry_table(L, UL_CHARS, make_chars);
  int chars = methods + 1;
  lua_createtable(L, 0, 3);
  lua_pushvalue(L, box);
  lua_pushvalue(L, names);
  lua_pushvalue(L, methods);
  lua_pushvalue(L, chars);
  lua_pushcclosure(L, l_index, 4);
  lua_setfield(L, -2, "__index");
  lua_pushvalue(L, box);
  lua_pushvalue(L, names);
  lua_pushcclosure(L, l_newindex, 2);
  lua_setfield(L, -2, "__newindex");
  lua_pushvalue(L, box);
  lua_setfield(L, -2, "__ul");
  lua_setmetatable(L, env);
  lua_settop(L, names - 1);
}

/* After a nested call the outer call's metatable comes back, so that the
   outer script goes on reading its own context. */
static void restore_outer(lua_State *L, int env, int old) {
  if (!lua_istable(L, old)) return;
  lua_getfield(L, old, "__ul");
  struct ul_box *b = (struct ul_box *)lua_touserdata(L, -1);
  lua_pop(L, 1);
  if (b && b->c) {
    lua_pushvalue(L, old);
    lua_setmetatable(L, env);
  }
}

static int run(lua_State *L) {
  struct ul_call *k = (struct ul_call *)lua_touserdata(L, 1);
  registry_table(L, UL_FUNCTIONS, make_functions);
  lua_pushlightuserdata(L, (void *)k->fn);
  lua_rawget(L, -2);
  if (!lua_isfunction(L, -1)) return 0;
  int f = lua_gettop(L);
  lua_getfenv(L, f);
  int env = lua_gettop(L);
  struct ul_box *b = (struct ul_box *)lua_newuserdata(L, sizeof *b);
  b->c = NULL;
  b->d = NULL;
  lua_pushvalue(L, -1);
  k->box_ref = luaL_ref(L, LUA_REGISTRYINDEX);
  int box = lua_gettop(L);
  b->d = k->d;
  if (!k->fold) {
    ctx_init(&k->ctx, k->d, k->start, k->length);
    b->c = &k->ctx;
  }
  int old = 0;
  if (lua_istable(L, env)) {
    if (k->fold) {
      set_fold_fields(L, env, box, k);
    } else {
      if (!lua_getmetatable(L, env)) lua_pushnil(L);
      old = lua_gettop(L);
      set_inlist(L, env, box);
      set_metatable(L, env, box);
    }
  }
  lua_pushvalue(L, f);
  lua_call(L, 0, 0);
  if (old) restore_outer(L, env, old);
  return 0;
}

static void finish(lua_State *L, int ref) {
  if (ref == LUA_NOREF || ref == LUA_REFNIL) return;
  lua_rawgeti(L, LUA_REGISTRYINDEX, ref);
  struct ul_box *b = (struct ul_box *)lua_touserdata(L, -1);
  if (b) b->c = NULL, b->d = NULL;
  lua_pop(L, 1);
  luaL_unref(L, LUA_REGISTRYINDEX, ref);
}

static int call(lua_State *L, int fold, intptr_t fn, const struct ul_doc *d,
                long start, long length) {
  if (L == NULL || fn == 0 || d == NULL || length < 0) return 0;
  if (!lua_checkstack(L, 4)) return -1;
  [[maybe_unused]] int top = lua_gettop(L);
  struct ul_call k;
  memset(&k, 0, sizeof k);
  k.fold = fold;
  k.fn = fn;
  k.d = d;
  k.start = start;
  k.length = length;
  k.box_ref = LUA_NOREF;
  void *focus = NULL;
  int held = 0;
  if (fold) {
    focus = ul_hooks.focus();
    held = ul_hooks.hold();
  }
  ul_busy++;
  int status = lua_cpcall(L, run, &k);
  ul_busy--;
  if (fold) {
    ul_hooks.release(held);
    ul_hooks.set_focus(focus);
  }
  finish(L, k.box_ref);
  assert(lua_gettop(L) == top + (status != 0));   /* only the message */
  if (status == 0) return 0;
  lua_pop(L, 1);
  con_message(UL_MESSAGE);
  return -1;
}

int ul_colour(lua_State *L, intptr_t fn, const struct ul_doc *d, long start,
              long length) {
  return call(L, 0, fn, d, start, length);
}

int ul_fold(lua_State *L, intptr_t fn, const struct ul_doc *d, long start,
            long length) {
  return call(L, 1, fn, d, start, length);
}
