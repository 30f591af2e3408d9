/*
** Canvas objects. `__index` serves the methods and fields; `__newindex`
** ignores every assignment. Wrong argument types read as 0 or end the call
** silently; only `bm` writes a message. Numbers come back unsigned 32-bit.
** No C++ object with a destructor lives in these frames: an interpreter
** error unwinds them with longjmp.
*/
#include "canvas/gi_lua.h"

#include <math.h>
#include <string.h>

extern "C" {
#include "lauxlib.h"
}

#include "canvas/cn_node.h"
#include "canvas/image/img.h"
#include "host/base/message.h"

#define GI_CANVAS "trelk.canvas"
#define GI_PATHS "trelk.canvas.paths"

static int plain_pcall(lua_State *L, int nargs) {
  return lua_pcall(L, nargs, 0, 0);
}

static void no_render(struct cn_node *, void *) {}
static int no_edit(struct cn_node *, int, void *) { return 0; }
static void no_shift(struct cn_node *, int32_t, int32_t) {}
static int no_text(struct cn_node *, const char *, int32_t, const char *) {
  return 0;
}
static void no_gone(struct cn_node *) {}

struct gi_ops gi_ops = {no_render, no_edit, no_shift, no_text, no_gone,
                        plain_pcall};

static lua_State *gi_L;

struct gi_ref {
  struct cn_node *node;   /* null: the root */
  uint32_t serial;
};

/* ---- arguments ---- */

static int32_t gi_int(lua_State *L, int i) {
  if (!lua_isnumber(L, i)) return 0;
  double v = trunc(lua_tonumber(L, i));
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return (int32_t)v;
}

static struct gi_ref *gi_ref_at(lua_State *L, int i) {
  void *p = lua_touserdata(L, i);
  if (p == nullptr || !lua_getmetatable(L, i)) return nullptr;
  lua_getfield(L, LUA_REGISTRYINDEX, GI_CANVAS);
  lua_getfield(L, LUA_REGISTRYINDEX, GI_PATHS);
  int ok = lua_rawequal(L, -1, -3) || lua_rawequal(L, -2, -3);
  lua_pop(L, 3);
  return ok ? (struct gi_ref *)p : nullptr;
}

/* The node of the object at i; a deleted node's objects fall back to the
   root. Null when i is no canvas object. */
static struct cn_node *gi_node(lua_State *L, int i) {
  struct gi_ref *r = gi_ref_at(L, i);
  if (r == nullptr) return nullptr;
  if (r->node == nullptr || !cn_live(r->node, r->serial)) return cn_root();
  return r->node;
}

static void push_ref(lua_State *L, struct cn_node *n, const char *mt) {
  struct gi_ref *r = (struct gi_ref *)lua_newuserdata(L, sizeof *r);
  r->node = n == cn_root() ? nullptr : n;
  r->serial = n ? n->serial : 0;
  luaL_getmetatable(L, mt);
  lua_setmetatable(L, -2);
}

void gi_push(lua_State *L, struct cn_node *n) { push_ref(L, n, GI_CANVAS); }

static void push_u32(lua_State *L, int32_t v) {
  lua_pushnumber(L, (lua_Number)(uint32_t)v);
}

static void set_u32(lua_State *L, const char *k, int32_t v) {
  push_u32(L, v);
  lua_setfield(L, -2, k);
}

/* ---- outline methods ---- */

static int m_moveto(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (n) cn_add(n, CN_MOVE, gi_int(L, 2), gi_int(L, 3), 0, 0);
  return 0;
}

static int m_lineto(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (n) cn_add(n, CN_LINE, gi_int(L, 2), gi_int(L, 3), 0, 0);
  return 0;
}

static int m_ellipse(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (!n || !lua_isnumber(L, 2) || !lua_isnumber(L, 3) || !lua_isnumber(L, 4))
    return 0;
  int32_t rx = gi_int(L, 4), ry = lua_isnumber(L, 5) ? gi_int(L, 5) : rx;
  cn_add(n, CN_ELLIPSE, gi_int(L, 2), gi_int(L, 3), rx, ry);
  return 0;
}

/* a missing coordinate takes the one before it */
static int32_t or_prev(lua_State *L, int i, int32_t prev) {
  return lua_isnumber(L, i) ? gi_int(L, i) : prev;
}

static int m_bezierto(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (!n) return 0;
  int32_t x1 = gi_int(L, 2), y1 = gi_int(L, 3);
  int32_t x2 = or_prev(L, 4, x1), y2 = or_prev(L, 5, y1);
  int32_t x3 = or_prev(L, 6, x2), y3 = or_prev(L, 7, y2);
  if (cn_add(n, CN_CONTROL, x1, y1, 0, 0) && cn_add(n, CN_CONTROL, x2, y2, 0, 0))
    cn_add(n, CN_CURVE, x3, y3, 0, 0);
  return 0;
}

static int m_splineto(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (!n) return 0;
  int top = lua_gettop(L);
  int32_t x = 0, y = 0;
  for (int i = 2; i <= top; i += 2) {
    x = or_prev(L, i, x);
    y = or_prev(L, i + 1, y);
    if (!cn_add(n, CN_SPLINE, x, y, 0, 0)) break;
  }
  return 0;
}

static int m_text(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (!n || lua_type(L, 2) != LUA_TSTRING) return 0;
  int32_t height = gi_int(L, 3);
  if (height == 0) height = -72;
  const char *face = lua_type(L, 4) == LUA_TSTRING ? lua_tostring(L, 4) : "arial";
  gi_ops.text(n, lua_tostring(L, 2), height, face);
  return 0;
}

/* ---- colour, image, children ---- */

static int m_fill(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (!n) return 0;
  n->r = gi_int(L, 2);
  n->g = gi_int(L, 3);
  n->b = gi_int(L, 4);
  n->a = lua_isnumber(L, 5) ? gi_int(L, 5) : 255;
  return 0;
}

static int m_clear(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (!n) return 0;
  cn_clear(n);
  n->r = gi_int(L, 2);
  n->g = gi_int(L, 3);
  n->b = gi_int(L, 4);
  n->a = 255;
  return 0;
}

static int m_bm(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (!n || lua_type(L, 2) != LUA_TSTRING) return 0;
  img_image *im = img_load(lua_tostring(L, 2));
  if (im == nullptr) {
    con_message(img_lasterror());
    con_message("\n");
  } else if (im->pixels == nullptr || im->width <= 0 || im->height <= 0) {
    cn_set_image(n, nullptr, 0, 0, 3);   /* a file without pixels */
  } else if (!cn_set_image(n, im->pixels, im->width, im->height,
                           (int)img_bpp(im))) {
    con_message("Not enough memory for the image\n");
  }
  img_free(im);
  return 0;
}

static int m_newpath(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (!n) return 0;
  struct cn_node *k = cn_new(n);
  if (k == nullptr) return 0;
  cn_add(k, CN_MOVE, gi_int(L, 2), gi_int(L, 3), 0, 0);
  gi_push(L, k);
  return 1;
}

static int m_del(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (!n || n == cn_root() || n->owner == nullptr) return 0;
  cn_del(n);
  gi_ref_at(L, 1)->node = nullptr;
  return 0;
}

/* ---- placement ---- */

static int m_shift(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (!n) return 0;
  int32_t odx = n->dx, ody = n->dy;
  n->dx = gi_int(L, 2);
  n->dy = gi_int(L, 3);
  gi_ops.shift(n, odx, ody);
  return 0;
}

static int32_t fixed(lua_State *L, int i) {
  double v = lua_isnumber(L, i) ? trunc(lua_tonumber(L, i) * 65536.0) : 0;
  if (!(v == v)) return 0;
  if (v >= 2147483647.0) return INT32_MAX;
  if (v <= -2147483648.0) return INT32_MIN;
  return (int32_t)v;
}

static int m_magnify(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (!n) return 0;
  n->sx = fixed(L, 2);
  n->sy = fixed(L, 3);
  return 0;
}

static int m_angle(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (!n) return 0;
  double a = lua_isnumber(L, 2) ? lua_tonumber(L, 2) : 0;
  n->angle = a == a && fabs(a) < 1e15 ? a : 0;
  return 0;
}

/* ---- windows ---- */

/* the toolkit record of the table at i, or null */
static void *target_record(lua_State *L, int i) {
  lua_pushstring(L, "msHANDLE");
  lua_rawget(L, i);
  if (lua_isnil(L, -1)) {
    lua_pop(L, 1);
    lua_pushstring(L, "HANDLE");
    lua_rawget(L, i);
  }
  void *rec = lua_islightuserdata(L, -1) ? lua_touserdata(L, -1) : nullptr;
  lua_pop(L, 1);
  return rec;
}

static int m_render(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (!n || !lua_istable(L, 2)) return 0;
  void *rec = target_record(L, 2);
  if (rec) gi_ops.render(n, rec);
  return 0;
}

static int m_edit(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (!n) return 0;
  int is_table = lua_istable(L, 2);
  void *rec = is_table ? target_record(L, 2) : nullptr;
  if (!gi_ops.edit(n, is_table, rec)) return 0;
  if (n->callback != CN_NOREF) luaL_unref(L, LUA_REGISTRYINDEX, n->callback);
  n->callback = CN_NOREF;
  if (lua_isfunction(L, 3)) {
    lua_pushvalue(L, 3);
    n->callback = luaL_ref(L, LUA_REGISTRYINDEX);
  }
  return 0;
}

void gi_call_edit(lua_State *L, struct cn_node *n, void *handle,
                  void *canvas_wnd, int k) {
  if (n->callback == CN_NOREF || !lua_checkstack(L, 8)) return;
  int top = lua_gettop(L);
  lua_rawgeti(L, LUA_REGISTRYINDEX, n->callback);
  if (!lua_isfunction(L, -1)) {
    lua_settop(L, top);
    return;
  }
  lua_getfenv(L, -1);
  if (lua_istable(L, -1)) {
    lua_pushlightuserdata(L, handle);
    lua_setfield(L, -2, "hWnd");
    lua_pushlightuserdata(L, canvas_wnd);
    lua_setfield(L, -2, "hCanvasWnd");
    lua_pushinteger(L, 4);
    lua_setfield(L, -2, "reason");
    lua_pushinteger(L, k);
    lua_setfield(L, -2, "vertexN");
    gi_push(L, n);
    lua_setfield(L, -2, "path");
  }
  lua_pop(L, 1);
  gi_ops.pcall(L, 0);
  lua_settop(L, top);
}

/* ---- reading ---- */

static const luaL_Reg methods[] = {
  {"moveto", m_moveto}, {"lineto", m_lineto}, {"ellipse", m_ellipse},
  {"bezierto", m_bezierto}, {"splineto", m_splineto}, {"text", m_text},
  {"fill", m_fill}, {"clear", m_clear}, {"bm", m_bm},
  {"newpath", m_newpath}, {"del", m_del}, {"shift", m_shift},
  {"magnify", m_magnify}, {"angle", m_angle}, {"render", m_render},
  {"edit", m_edit}, {nullptr, nullptr}};

static void push_vertex(lua_State *L, const struct cn_node *n, lua_Number i) {
  lua_createtable(L, 0, 5);
  if (!(i >= 1 && i <= n->count)) return;   /* out of range: empty */
  const struct cn_vertex *v = &n->v[(int32_t)i - 1];
  set_u32(L, "x", v->x);
  set_u32(L, "y", v->y);
  set_u32(L, "Rx", v->rx);
  set_u32(L, "Ry", v->ry);
  set_u32(L, "type", v->kind);
}

static int push_field(lua_State *L, struct cn_node *n, const char *k) {
  if (strcmp(k, "n") == 0) {
    push_u32(L, n->count);
  } else if (strcmp(k, "dx") == 0) {
    push_u32(L, n->dx);
  } else if (strcmp(k, "dy") == 0) {
    push_u32(L, n->dy);
  } else if (strcmp(k, "color") == 0) {
    lua_createtable(L, 0, 4);
    set_u32(L, "r", n->r);
    set_u32(L, "g", n->g);
    set_u32(L, "b", n->b);
    set_u32(L, "a", n->a);
  } else if (strcmp(k, "paths") == 0) {
    push_ref(L, n, GI_PATHS);
  } else {
    return 0;
  }
  return 1;
}

static int canvas_index(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (n == nullptr) return 0;
  if (lua_type(L, 2) == LUA_TNUMBER) {
    push_vertex(L, n, lua_tonumber(L, 2));
    return 1;
  }
  if (lua_type(L, 2) != LUA_TSTRING) return 0;
  const char *k = lua_tostring(L, 2);
  for (const luaL_Reg *m = methods; m->name; m++)
    if (strcmp(k, m->name) == 0) {
      lua_pushcfunction(L, m->func);
      return 1;
    }
  return push_field(L, n, k);
}

static int paths_index(lua_State *L) {
  struct cn_node *n = gi_node(L, 1);
  if (n == nullptr) return 0;
  if (lua_type(L, 2) == LUA_TSTRING && strcmp(lua_tostring(L, 2), "n") == 0) {
    push_u32(L, n->nkids);
    return 1;
  }
  if (lua_type(L, 2) != LUA_TNUMBER) return 0;
  lua_Number i = lua_tonumber(L, 2);
  if (!(i >= 1 && i <= n->nkids)) return 0;
  gi_push(L, n->kids[(int32_t)i - 1]);
  return 1;
}

static int ignore(lua_State *L) {
  (void)L;
  return 0;
}

static void gone(struct cn_node *n) {
  gi_ops.gone(n);
  if (n->callback != CN_NOREF && gi_L)
    luaL_unref(gi_L, LUA_REGISTRYINDEX, n->callback);
  n->callback = CN_NOREF;
}

static void metatable(lua_State *L, const char *name, lua_CFunction index) {
  luaL_newmetatable(L, name);
  lua_pushcfunction(L, index);
  lua_setfield(L, -2, "__index");
  lua_pushcfunction(L, ignore);
  lua_setfield(L, -2, "__newindex");
  lua_pushboolean(L, 0);
  lua_setfield(L, -2, "__metatable");
  lua_pop(L, 1);
}

void gi_open(lua_State *L) {
  gi_L = nullptr;   /* references of an earlier state are not ours */
  cn_ops.gone = gone;
  cn_reset();
  gi_L = L;
  metatable(L, GI_CANVAS, canvas_index);
  metatable(L, GI_PATHS, paths_index);
  gi_push(L, cn_root());
  lua_setglobal(L, "gi");
}
