/*
** Command texts and running commands.
*/
#include <ctype.h>
#include <string.h>

#include "gui/command.h"

extern "C" {
#include "lauxlib.h"
#include "lobject.h"   /* the source text kept in function prototypes */
}
#include <stdlib.h>
#include "host/base/message.h"

static int plain_pcall(lua_State *L, int nargs) {
  int status = lua_pcall(L, nargs, 0, 0);
  if (status) {
    const char *m = lua_tostring(L, -1);
    con_message(m ? m : "(error object is not a string)");
    con_message("\n");
    lua_pop(L, 1);
  }
  return status;
}

struct cmd_ops cmd_ops = {plain_pcall};

static size_t blanks_off(const char *text, size_t from, size_t end) {
  while (end > from && strchr("\t\n\r ", text[end - 1])) end--;
  return end;
}

static int ends_with_end(const char *text, size_t from, size_t end) {
  return end - from >= 3 && memcmp(text + end - 3, "end", 3) == 0;
}

size_t cmd_body(const char *text, size_t len, size_t *from) {
  *from = 0;
  if (len == 0 || text[0] != '(') return len;
  size_t i = 0;
  int depth = 0;
  do {
    if (text[i] == '(') depth++;
    else if (text[i] == ')') depth--;
    i++;
  } while (i < len && depth > 0);
  if (depth > 0) i = len;   /* unbalanced: nothing is left */
  size_t end = blanks_off(text, i, len);
  /* the interpreter's kept text may hold the one character the lexer read
     past `end'; a name character can never follow `end' */
  if (!ends_with_end(text, i, end) && end > i &&
      !isalnum((unsigned char)text[end - 1]) && text[end - 1] != '_' &&
      ends_with_end(text, i, blanks_off(text, i, end - 1)))
    end = blanks_off(text, i, end - 1);
  if (ends_with_end(text, i, end)) end -= 3;
  *from = i;
  return end - i;
}

static Proto *proto_of(lua_State *L, int idx) {
  if (!lua_isfunction(L, idx) || lua_iscfunction(L, idx)) return NULL;
  return ((const Closure *)lua_topointer(L, idx))->l.p;
}

const char *cmd_text(lua_State *L, int idx, size_t *len) {
  if (lua_type(L, idx) == LUA_TSTRING) return lua_tolstring(L, idx, len);
  Proto *p = proto_of(L, idx);
  if (p && p->srctext) {
    *len = strlen(p->srctext);
    return p->srctext;
  }
  *len = 0;
  return "";
}

const char *cmd_push_body(lua_State *L, const char *text, size_t len) {
  size_t from, n = cmd_body(text, len, &from);
  lua_pushlstring(L, text + from, n);
  return lua_tostring(L, -1);
}

/* A compiled command reads back as a function with the same body. */
static void keep_source(lua_State *L, int idx, const char *body, size_t n) {
  Proto *p = proto_of(L, idx);
  char *text = p ? (char *)malloc(n + 12) : NULL;
  if (text == NULL) return;
  memcpy(text, "()\n", 3);
  memcpy(text + 3, body, n);
  memcpy(text + 3 + n, "\nend\n\n", 7);
  free(p->srctext);
  p->srctext = text;
}

void cmd_set(lua_State *L, int idx, const char *text, size_t len) {
  if (idx < 0) idx = lua_gettop(L) + idx + 1;
  size_t from, n = cmd_body(text, len, &from);
  /* the chunk is named by its body */
  lua_pushlstring(L, text + from, n);
  int status = luaL_loadbuffer(L, text + from, n, lua_tostring(L, -1));
  lua_remove(L, -2);
  if (status) {
    const char *m = lua_tostring(L, -1);
    con_message(m ? m : "command does not compile");
    con_message("\n");
    lua_pop(L, 1);
    lua_pushnil(L);
  } else {
    keep_source(L, -1, text + from, n);
  }
  lua_pushstring(L, "CommandString");
  lua_insert(L, -2);
  lua_rawset(L, idx);
}

static void env_set(lua_State *L, const char *key) {
  lua_pushstring(L, key);
  lua_insert(L, -2);
  lua_rawset(L, -3);
}

int cmd_scroll_pos = 0;
static int running = 0;   /* commands under way */

/* the fields a run sets in the command's environment */
static const char *const event_keys[] = {"hWnd", "reason", "instance", "this",
                                         "scrollCurPos"};
#define EVENT_KEYS 5

/* Runs CommandString of the table at idx with the event set in its
   environment. A command started while another runs (checking a radio
   clears its group) puts back what it found, so the outer command keeps
   its own event for its whole run; an outermost one leaves its event there,
   but for `scrollCurPos', which holds only during a scroll step. */
void cmd_run(lua_State *L, int idx, void *wnd, int reason, int instance) {
  int top = lua_gettop(L);
  if (idx < 0) idx = top + idx + 1;
  if (!lua_checkstack(L, 20) || !lua_istable(L, idx)) return;
  lua_pushstring(L, "CommandString");
  lua_rawget(L, idx);
  if (!lua_isfunction(L, -1)) {
    lua_settop(L, top);
    return;
  }
  int fn = lua_gettop(L);
  lua_getfenv(L, fn);
  int env = lua_istable(L, -1) ? lua_gettop(L) : 0;
  int nested = running > 0 && env;
  if (nested)   /* what the outer command had: kept on the stack */
    for (int i = 0; i < EVENT_KEYS; i++) {
      lua_pushstring(L, event_keys[i]);
      lua_rawget(L, env);
    }
  if (env) {
    lua_pushvalue(L, env);
    lua_pushlightuserdata(L, wnd);
    env_set(L, "hWnd");
    lua_pushinteger(L, reason);
    env_set(L, "reason");
    lua_pushinteger(L, instance);
    env_set(L, "instance");
    lua_pushvalue(L, idx);
    env_set(L, "this");
    if (reason == CMD_SCROLL) lua_pushinteger(L, cmd_scroll_pos);
    else lua_pushnil(L);
    if (reason == CMD_SCROLL || nested) env_set(L, "scrollCurPos");
    else lua_pop(L, 1);
    lua_pop(L, 1);
  }
  lua_pushvalue(L, fn);
  running++;
  cmd_ops.pcall(L, 0);
  running--;
  if (nested) {
    for (int i = EVENT_KEYS - 1; i >= 0; i--) {
      lua_pushstring(L, event_keys[i]);
      lua_insert(L, -2);
      lua_rawset(L, env);
    }
  } else if (env && reason == CMD_SCROLL) {
    lua_pushstring(L, "scrollCurPos");
    lua_pushnil(L);
    lua_rawset(L, env);
  }
  lua_settop(L, top);
}
