/*
** The interrupt hook and the debug library's hook functions that share it.
*/
#include <windows.h>
#include <string.h>

#include "host/intr.h"

extern "C" {
#include "lauxlib.h"
}

static int never(int) { return 0; }
struct intr_ops intr_ops = {never};

static struct {
  int pending;    /* raise "interrupted" at the next instruction */
  int depth;      /* host protected calls under way */
  int fresh;      /* the next poll sees key states from an idle time */
  int scripted;   /* some thread has had a script hook */
  DWORD last;     /* tick of the last poll */
} intr;

/* registry[&hook_key]: weak table, thread -> {function, mask, count, left} */
static const char hook_key = 'h';

static void hook(lua_State *L, lua_Debug *ar);

/* The script's hook record of L on top of the stack, or nil. */
static void push_record(lua_State *L) {
  lua_pushlightuserdata(L, (void *)&hook_key);
  lua_rawget(L, LUA_REGISTRYINDEX);
  if (lua_istable(L, -1)) {
    lua_pushthread(L);
    lua_rawget(L, -2);
    lua_remove(L, -2);
  }
  if (!lua_istable(L, -1)) {
    lua_pop(L, 1);
    lua_pushnil(L);
  }
}

static int field(lua_State *L, int idx, int n) {
  lua_rawgeti(L, idx, n);
  int v = (int)lua_tointeger(L, -1);
  lua_pop(L, 1);
  return v;
}

static void set_field(lua_State *L, int idx, int n, int v) {
  lua_pushinteger(L, v);
  lua_rawseti(L, idx, n);
}

/* Installs the hook on L with the script's mask and the instruction count
   that serves both the script's count and our look at the clock. */
static void install(lua_State *L, int mask, int count) {
  int step = count > 0 && count < INTR_COUNT ? count : INTR_COUNT;
  lua_sethook(L, hook, (mask & ~LUA_MASKCOUNT) | LUA_MASKCOUNT, step);
}

static void call_script(lua_State *L, lua_Debug *ar) {
  static const char *const names[] =
    {"call", "return", "line", "count", "tail return"};
  lua_pushstring(L, names[ar->event]);
  if (ar->currentline >= 0)
    lua_pushinteger(L, ar->currentline);
  else
    lua_pushnil(L);
  lua_getinfo(L, "lS", ar);
  lua_call(L, 2, 0);
}

/* Runs the script's hook of L for this event, if it asked for it. */
static void script_event(lua_State *L, lua_Debug *ar) {
  int top = lua_gettop(L);
  push_record(L);
  int rec = lua_gettop(L);
  if (!lua_istable(L, rec)) {
    if (ar->event == LUA_HOOKCOUNT && lua_gethookcount(L) != INTR_COUNT)
      install(L, lua_gethookmask(L), 0);   /* inherited from another thread */
    lua_settop(L, top);
    return;
  }
  int due = 1;
  if (ar->event == LUA_HOOKCOUNT) {
    int count = field(L, rec, 3), left = field(L, rec, 4);
    left -= lua_gethookcount(L);
    due = count > 0 && left <= 0;
    if (due || left <= 0) left = count;
    set_field(L, rec, 4, left);
    int step = left > 0 && left < INTR_COUNT ? left : INTR_COUNT;
    if (step != lua_gethookcount(L))
      lua_sethook(L, hook, lua_gethookmask(L), step);
  }
  if (due) {
    lua_rawgeti(L, rec, 1);
    call_script(L, ar);
  }
  lua_settop(L, top);
}

static void hook(lua_State *L, lua_Debug *ar) {
  if (ar->event == LUA_HOOKCOUNT) {
    DWORD now = GetTickCount();
    if (now - intr.last >= INTR_MS) {
      intr.last = now;
      int fresh = intr.fresh;
      intr.fresh = 0;
      if (intr_ops.poll(fresh)) intr.pending = 1;
    }
    if (intr.pending) {
      /* every instruction from here on raises, so that a pcall in a loop
         cannot swallow the interrupt */
      lua_sethook(L, hook, lua_gethookmask(L), 1);
      lua_pushliteral(L, "interrupted");
      lua_error(L);
    }
  }
  if (intr.scripted)
    script_event(L, ar);
  else if (ar->event == LUA_HOOKCOUNT && lua_gethookcount(L) != INTR_COUNT)
    install(L, 0, 0);
}

/* Optional thread as first argument, as in the debug library. */
static lua_State *thread_arg(lua_State *L, int *arg) {
  if (lua_isthread(L, 1)) {
    *arg = 1;
    return lua_tothread(L, 1);
  }
  *arg = 0;
  return L;
}

static int make_mask(const char *s, int count) {
  int mask = 0;
  if (strchr(s, 'c')) mask |= LUA_MASKCALL;
  if (strchr(s, 'r')) mask |= LUA_MASKRET;
  if (strchr(s, 'l')) mask |= LUA_MASKLINE;
  if (count > 0) mask |= LUA_MASKCOUNT;
  return mask;
}

static int db_sethook(lua_State *L) {
  int arg, mask = 0, count = 0;
  lua_State *L1 = thread_arg(L, &arg);
  if (lua_isnoneornil(L, arg + 1)) {
    lua_settop(L, arg + 1);
  } else {
    const char *smask = luaL_checkstring(L, arg + 2);
    luaL_checktype(L, arg + 1, LUA_TFUNCTION);
    count = luaL_optint(L, arg + 3, 0);
    mask = make_mask(smask, count);
    if (count < 0) count = 0;
  }
  lua_pushlightuserdata(L, (void *)&hook_key);
  lua_rawget(L, LUA_REGISTRYINDEX);
  lua_pushthread(L1);
  lua_xmove(L1, L, 1);
  if (mask) {
    lua_createtable(L, 4, 0);
    lua_pushvalue(L, arg + 1);
    lua_rawseti(L, -2, 1);
    set_field(L, lua_gettop(L), 2, mask);
    set_field(L, lua_gettop(L), 3, count);
    set_field(L, lua_gettop(L), 4, count);
    intr.scripted = 1;
  } else {
    lua_pushnil(L);
  }
  lua_rawset(L, -3);
  lua_pop(L, 1);
  install(L1, mask, count);
  return 0;
}

static int db_gethook(lua_State *L) {
  int arg;
  lua_State *L1 = thread_arg(L, &arg);
  lua_pushlightuserdata(L, (void *)&hook_key);
  lua_rawget(L, LUA_REGISTRYINDEX);
  lua_pushthread(L1);
  lua_xmove(L1, L, 1);
  lua_rawget(L, -2);
  if (!lua_istable(L, -1)) {
    lua_pushnil(L);
    lua_pushliteral(L, "");
    lua_pushinteger(L, 0);
    return 3;
  }
  int rec = lua_gettop(L);
  int mask = field(L, rec, 2);
  char smask[4], *p = smask;
  if (mask & LUA_MASKCALL) *p++ = 'c';
  if (mask & LUA_MASKRET) *p++ = 'r';
  if (mask & LUA_MASKLINE) *p++ = 'l';
  *p = '\0';
  lua_rawgeti(L, rec, 1);
  lua_pushstring(L, smask);
  lua_pushinteger(L, field(L, rec, 3));
  return 3;
}

void intr_open(lua_State *L) {
  lua_pushlightuserdata(L, (void *)&hook_key);
  lua_newtable(L);
  lua_createtable(L, 0, 1);
  lua_pushliteral(L, "k");
  lua_setfield(L, -2, "__mode");
  lua_setmetatable(L, -2);
  lua_rawset(L, LUA_REGISTRYINDEX);
  lua_getglobal(L, "debug");
  if (lua_istable(L, -1)) {
    lua_pushcfunction(L, db_sethook);
    lua_setfield(L, -2, "sethook");
    lua_pushcfunction(L, db_gethook);
    lua_setfield(L, -2, "gethook");
  }
  lua_pop(L, 1);
  install(L, 0, 0);
}

void intr_call(int entering) {
  if (entering) {
    if (intr.depth++ == 0) intr.fresh = 1;
  } else if (intr.depth > 0 && --intr.depth == 0) {
    intr.pending = 0;
  }
}

void intr_idle(void) {
  intr.pending = 0;
  intr.fresh = 1;
}

int intr_pending(void) { return intr.pending; }
