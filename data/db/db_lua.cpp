/*
** The script library `db`: storages, views, rows and field descriptors as
** full userdata holding one engine handle each. Interpreter errors unwind
** these functions with longjmp, so they hold only plain values; the engine
** objects live behind the handles and are freed by __gc.
*/
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

extern "C" {
#include "lauxlib.h"
#include "lua.h"
}

#include "data/db/db_lua.h"
#include "data/db/dbapi.h"
#include "host/base/message.h"

#define DBL_STORAGE "trelk.db.storage"
#define DBL_VIEW "trelk.db.view"
#define DBL_ROW "trelk.db.row"
#define DBL_FIELD "trelk.db.field"
#define DBL_CRIT "trelk.db.crit"

static void dbl_msg(const char *what, const char *detail) {
  char buf[600];
  snprintf(buf, sizeof buf, "db: %s%s\n", what, detail ? detail : "");
  con_message(buf);
}

/* The handle in the userdata at idx when it has the metatable mt and still
** refers to something; NULL otherwise. */
static void *dbl_handle(lua_State *L, int idx, const char *mt) {
  if (lua_type(L, idx) != LUA_TUSERDATA || !lua_getmetatable(L, idx)) return NULL;
  lua_getfield(L, LUA_REGISTRYINDEX, mt);
  int same = lua_rawequal(L, -1, -2);
  lua_pop(L, 2);
  return same ? *(void **)lua_touserdata(L, idx) : NULL;
}

/* A new userdata with an empty handle, filled by the caller afterwards, so
** that an allocation error cannot leak an engine object. */
static void **dbl_push(lua_State *L, const char *mt) {
  void **ud = (void **)lua_newuserdata(L, sizeof(void *));
  *ud = NULL;
  luaL_getmetatable(L, mt);
  lua_setmetatable(L, -2);
  return ud;
}

static int dbl_push_view(lua_State *L, DbView *v) {
  if (!v) return 0;
  void **ud = (void **)lua_newuserdata(L, sizeof(void *));
  *ud = v;
  luaL_getmetatable(L, DBL_VIEW);
  lua_setmetatable(L, -2);
  return 1;
}

/* Field argument at idx: a name (any letter case) or a number from 1.
** Returns the field number from 0, or -1. */
static int dbl_field(lua_State *L, DbView *v, int idx) {
  if (lua_type(L, idx) == LUA_TNUMBER) {
    lua_Number n = lua_tonumber(L, idx);
    if (n >= 1 && n <= dbapi_nfields(v) && n == (int)n) return (int)n - 1;
    return -1;
  }
  if (lua_type(L, idx) == LUA_TSTRING) {
    size_t len;
    const char *s = lua_tolstring(L, idx, &len);
    return dbapi_field_named(v, s, len);
  }
  return -1;
}

/* ---- rows and criteria ---- */

/* Writes the value at idx into field k by the field's type. False (with a
** message) when the value does not suit the field; fields that do not exist
** and values that are ignored by rule are not failures. */
static int dbl_write(lua_State *L, DbRow *r, int k, int idx) {
  const char *name;
  char type;
  if (k < 0 || !dbapi_field(dbapi_row_of(r), k, &name, &type)) return 1;
  int t = lua_type(L, idx);
  if (type == 'I' || type == 'F' || type == 'D') {
    if (t == LUA_TNUMBER || (t == LUA_TSTRING && lua_isnumber(L, idx)))
      dbapi_set_num(r, k, (double)lua_tonumber(L, idx));
    else
      return dbl_msg("a number is needed for field ", name), 0;
  } else if (type == 'S') {
    if (t == LUA_TNUMBER || t == LUA_TSTRING) {
      size_t len;
      lua_pushvalue(L, idx); /* converting a copy leaves the original alone */
      const char *s = lua_tolstring(L, -1, &len);
      dbapi_set_str(r, k, s, len);
      lua_pop(L, 1);
    } else {
      return dbl_msg("a string is needed for field ", name), 0;
    }
  } else if (type == 'V') {
    DbView *src = (DbView *)dbl_handle(L, idx, DBL_VIEW);
    char err[200] = "out of memory";
    if (src && !dbapi_set_view(r, k, src, err, sizeof err)) return dbl_msg(err, NULL), 0;
  }
  return 1;
}

static int dbl_row_index(lua_State *L) {
  DbRow *r = (DbRow *)dbl_handle(L, 1, DBL_ROW);
  if (!r) return 0;
  int k = dbl_field(L, dbapi_row_of(r), 2);
  DbValue val;
  if (k < 0 || !dbapi_get(r, k, &val)) return 0;
  switch (val.type) {
    case 'I': case 'F': case 'D':
      lua_pushnumber(L, (lua_Number)val.num);
      return 1;
    case 'S':
      lua_pushlstring(L, val.str, val.len);
      return 1;
    case 'V': {
      char err[200] = "out of memory";
      void **ud = dbl_push(L, DBL_VIEW);
      *ud = dbapi_get_view(r, k, err, sizeof err);
      if (*ud) return 1;
      dbl_msg(err, NULL);
      return 0;
    }
    default: return 0; /* B and L read as nothing */
  }
}

static int dbl_row_newindex(lua_State *L) {
  DbRow *r = (DbRow *)dbl_handle(L, 1, DBL_ROW);
  if (r) dbl_write(L, r, dbl_field(L, dbapi_row_of(r), 2), 3);
  return 0;
}

/* Criteria record from the table at idx: pairs with a key that names a
** field, converted as writes are. Left on the stack (freed by __gc). NULL
** when a value does not suit its field: no row could be meant. */
static DbRow *dbl_crit(lua_State *L, DbView *v, int idx) {
  if (lua_type(L, idx) != LUA_TTABLE) {
    dbl_msg("a table of field values is needed", NULL);
    return NULL;
  }
  void **ud = dbl_push(L, DBL_CRIT);
  DbRow *c = dbapi_crit(v);
  *ud = c;
  if (!c) {
    dbl_msg("out of memory", NULL);
    return NULL;
  }
  int ok = 1;
  lua_pushnil(L);
  while (lua_next(L, idx)) {
    ok &= dbl_write(L, c, dbl_field(L, v, -2), lua_gettop(L));
    lua_pop(L, 1);
  }
  return ok ? c : NULL;
}

/* ---- views ---- */

static int dbl_v_addfield(lua_State *L) {
  DbView *v = (DbView *)dbl_handle(L, 1, DBL_VIEW);
  if (!v) return 0;
  const char *name = lua_tostring(L, 2), *type = lua_tostring(L, 3);
  if (!name || !type) {
    dbl_msg("addfield needs a name and a type", NULL);
    return 0;
  }
  static const char letters[] = "bdfisv";
  char lower = (char)(type[0] >= 'A' && type[0] <= 'Z' ? type[0] + 32 : type[0]);
  const char *at = lower ? strchr(letters, lower) : NULL;
  if (!at) return 0;
  char err[300] = "out of memory";
  long n = dbapi_addfield(v, name, "BDFISV"[at - letters], err, sizeof err);
  if (n < 0) {
    dbl_msg(err, NULL);
    return 0;
  }
  lua_pushnumber(L, (lua_Number)n);
  return 1;
}

static int dbl_v_sort(lua_State *L) {
  DbView *v = (DbView *)dbl_handle(L, 1, DBL_VIEW);
  if (!v) return 0;
  int n = lua_gettop(L) - 1;
  int *keys = (int *)lua_newuserdata(L, (size_t)(n > 0 ? n : 1) * sizeof(int));
  for (int a = 0; a < n; a++) {
    keys[a] = dbl_field(L, v, a + 2);
    if (keys[a] < 0) {
      lua_pushvalue(L, a + 2);
      dbl_msg("sort: no such field ", lua_tostring(L, -1));
      return 0;
    }
  }
  void **ud = dbl_push(L, DBL_VIEW);
  *ud = dbapi_sort(v, keys, n);
  if (*ud) return 1;
  dbl_msg("sort: out of memory", NULL);
  return 0;
}

static int dbl_v_select(lua_State *L) {
  DbView *v = (DbView *)dbl_handle(L, 1, DBL_VIEW);
  if (!v) return 0;
  DbRow *c = dbl_crit(L, v, 2);
  if (!c) return 0;
  void **ud = dbl_push(L, DBL_VIEW);
  *ud = dbapi_select(v, c);
  if (*ud) return 1;
  dbl_msg("select: out of memory", NULL);
  return 0;
}

static int dbl_v_find(lua_State *L) {
  DbView *v = (DbView *)dbl_handle(L, 1, DBL_VIEW);
  if (!v) return 0;
  DbRow *c = dbl_crit(L, v, 2);
  if (!c) return 0;
  lua_pushnumber(L, (lua_Number)(dbapi_find(v, c) + 1));
  return 1;
}

static int dbl_v_del(lua_State *L) {
  DbView *v = (DbView *)dbl_handle(L, 1, DBL_VIEW);
  if (!v) return 0;
  if (lua_type(L, 2) != LUA_TNUMBER || !(lua_isnone(L, 3) || lua_type(L, 3) == LUA_TNUMBER)) {
    dbl_msg("del needs a row number and an optional count", NULL);
    return 0;
  }
  lua_Number i = lua_tonumber(L, 2), count = lua_isnone(L, 3) ? 1 : lua_tonumber(L, 3);
  if (i >= 1 && count >= 1 && i < 4e9 && count < 4e9) dbapi_del(v, (size_t)i - 1, (size_t)count);
  return 0;
}

static void dbl_fields(lua_State *L, DbView *v) {
  int n = dbapi_nfields(v);
  lua_createtable(L, n, 1);
  for (int k = 0; k < n; k++) {
    const char *name;
    char type;
    dbapi_field(v, k, &name, &type);
    void **ud = dbl_push(L, DBL_FIELD);
    size_t len = strlen(name);
    char *fd = (char *)malloc(len + 2);
    if (fd) {
      fd[0] = type;
      memcpy(fd + 1, name, len + 1);
    }
    *ud = fd;
    lua_rawseti(L, -2, k + 1);
  }
  lua_pushnumber(L, n);
  lua_setfield(L, -2, "n");
}

static int dbl_view_row(lua_State *L, DbView *v, lua_Number i) {
  if (!(i >= 1 && i <= 2e9)) return 0;
  void **ud = dbl_push(L, DBL_ROW);
  *ud = dbapi_row(v, (size_t)i - 1);
  if (*ud) return 1;
  dbl_msg("cannot grow the view to that many rows", NULL);
  return 0;
}

static int dbl_view_index(lua_State *L) {
  DbView *v = (DbView *)dbl_handle(L, 1, DBL_VIEW);
  if (!v) return 0;
  if (lua_type(L, 2) == LUA_TNUMBER) return dbl_view_row(L, v, lua_tonumber(L, 2));
  const char *key = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : "";
  if (!strcmp(key, "size")) {
    lua_pushnumber(L, (lua_Number)dbapi_size(v));
  } else if (!strcmp(key, "fieldsnum")) {
    lua_pushnumber(L, dbapi_nfields(v));
  } else if (!strcmp(key, "fields")) {
    if (dbapi_nfields(v) == 0) return 0;
    dbl_fields(L, v);
  } else if (!strcmp(key, "addfield")) {
    lua_pushcfunction(L, dbl_v_addfield);
  } else if (!strcmp(key, "sort")) {
    lua_pushcfunction(L, dbl_v_sort);
  } else if (!strcmp(key, "select")) {
    lua_pushcfunction(L, dbl_v_select);
  } else if (!strcmp(key, "find")) {
    lua_pushcfunction(L, dbl_v_find);
  } else if (!strcmp(key, "del")) {
    lua_pushcfunction(L, dbl_v_del);
  } else {
    return 0;
  }
  return 1;
}

/* v.del = k removes the row at k counted from 0. */
static int dbl_view_newindex(lua_State *L) {
  DbView *v = (DbView *)dbl_handle(L, 1, DBL_VIEW);
  if (!v || lua_type(L, 2) != LUA_TSTRING || strcmp(lua_tostring(L, 2), "del")) return 0;
  if (lua_type(L, 3) != LUA_TNUMBER) return 0;
  lua_Number k = lua_tonumber(L, 3);
  if (k >= 0 && k < 4e9) dbapi_del(v, (size_t)k, 1);
  return 0;
}

/* ---- field descriptors ---- */

static int dbl_field_index(lua_State *L) {
  const char *fd = (const char *)dbl_handle(L, 1, DBL_FIELD);
  const char *key = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : "";
  if (!fd) return 0;
  if (!strcmp(key, "name"))
    lua_pushstring(L, fd + 1);
  else if (!strcmp(key, "type"))
    lua_pushlstring(L, fd, 1);
  else
    return 0;
  return 1;
}

/* ---- storages ---- */

static int dbl_st_table(lua_State *L) {
  DbStorage *st = (DbStorage *)dbl_handle(L, 1, DBL_STORAGE);
  if (!st) return 0;
  const char *desc = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : NULL;
  if (!desc) {
    dbl_msg("table needs a description", NULL);
    return 0;
  }
  char err[400] = "out of memory";
  void **ud = dbl_push(L, DBL_VIEW);
  *ud = dbapi_table(st, desc, err, sizeof err);
  if (*ud) return 1;
  dbl_msg(err, NULL);
  return 0;
}

/* true, or nil and the message (which also goes to the terminal). A true
** argument rewrites the file whole. */
static int dbl_st_flush(lua_State *L) {
  DbStorage *st = (DbStorage *)dbl_handle(L, 1, DBL_STORAGE);
  char err[600] = "out of memory";
  if (!st) return 0;
  if (dbapi_commit(st, lua_toboolean(L, 2), err, sizeof err)) {
    lua_pushboolean(L, 1);
    return 1;
  }
  dbl_msg(err, NULL);
  lua_pushnil(L);
  lua_pushfstring(L, "db: %s", err);
  return 2;
}

static int dbl_st_index(lua_State *L) {
  DbStorage *st = (DbStorage *)dbl_handle(L, 1, DBL_STORAGE);
  if (!st) return 0;
  if (lua_type(L, 2) == LUA_TNUMBER) {
    lua_Number i = lua_tonumber(L, 2);
    if (!(i >= 1 && i < 2e9)) return 0;
    return dbl_push_view(L, dbapi_view_at(st, (long)i));
  }
  const char *key = lua_type(L, 2) == LUA_TSTRING ? lua_tostring(L, 2) : "";
  if (!strcmp(key, "table"))
    lua_pushcfunction(L, dbl_st_table);
  else if (!strcmp(key, "flush"))
    lua_pushcfunction(L, dbl_st_flush);
  else
    return 0;
  return 1;
}

static int dbl_ignore(lua_State *L) {
  (void)L;
  return 0;
}

/* ---- collection: release the handle, then the metatable ---- */

static int dbl_gc(lua_State *L, const char *mt, void (*release)(void *)) {
  void *h = dbl_handle(L, 1, mt);
  if (h) {
    *(void **)lua_touserdata(L, 1) = NULL;
    release(h);
  }
  lua_pushnil(L);
  lua_setmetatable(L, 1);
  return 0;
}

static void dbl_free_storage(void *h) { dbapi_close((DbStorage *)h); }
static void dbl_free_view(void *h) { dbapi_view_free((DbView *)h); }
static void dbl_free_row(void *h) { dbapi_row_free((DbRow *)h); }
static int dbl_st_gc(lua_State *L) { return dbl_gc(L, DBL_STORAGE, dbl_free_storage); }
static int dbl_view_gc(lua_State *L) { return dbl_gc(L, DBL_VIEW, dbl_free_view); }
static int dbl_row_gc(lua_State *L) { return dbl_gc(L, DBL_ROW, dbl_free_row); }
static int dbl_crit_gc(lua_State *L) { return dbl_gc(L, DBL_CRIT, dbl_free_row); }
static int dbl_field_gc(lua_State *L) { return dbl_gc(L, DBL_FIELD, free); }

/* ---- the library ---- */

/* db.use([list,] [filename]) */
static int dbl_use(lua_State *L) {
  const char *path = NULL;
  int top = lua_gettop(L);
  for (int a = 1; a <= top && !path; a++)
    if (lua_type(L, a) == LUA_TSTRING) path = lua_tostring(L, a);
  char err[600] = "out of memory";
  void **ud = dbl_push(L, DBL_STORAGE);
  *ud = dbapi_open(path, err, sizeof err);
  if (!*ud) {
    dbl_msg(err, NULL);
    return 0;
  }
  if (lua_type(L, 1) == LUA_TTABLE) {
    int n = (int)lua_objlen(L, 1);
    lua_pushvalue(L, -1);
    lua_rawseti(L, 1, n + 1);
    lua_pushnumber(L, n + 1);
    lua_setfield(L, 1, "n");
  }
  return 1;
}

static void dbl_meta(lua_State *L, const char *name, lua_CFunction index,
                     lua_CFunction newindex, lua_CFunction gc) {
  luaL_newmetatable(L, name);
  lua_pushcfunction(L, index);
  lua_setfield(L, -2, "__index");
  lua_pushcfunction(L, newindex);
  lua_setfield(L, -2, "__newindex");
  lua_pushcfunction(L, gc);
  lua_setfield(L, -2, "__gc");
  lua_pop(L, 1);
}

static const luaL_Reg dbl_lib[] = {{"use", dbl_use}, {NULL, NULL}};

int db_open(lua_State *L) {
  dbl_meta(L, DBL_STORAGE, dbl_st_index, dbl_ignore, dbl_st_gc);
  dbl_meta(L, DBL_VIEW, dbl_view_index, dbl_view_newindex, dbl_view_gc);
  dbl_meta(L, DBL_ROW, dbl_row_index, dbl_row_newindex, dbl_row_gc);
  dbl_meta(L, DBL_FIELD, dbl_field_index, dbl_ignore, dbl_field_gc);
  dbl_meta(L, DBL_CRIT, dbl_ignore, dbl_ignore, dbl_crit_gc);
  luaL_register(L, "db", dbl_lib);
  return 1;
}
