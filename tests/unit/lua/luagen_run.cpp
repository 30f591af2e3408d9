// Runs a generated program with print gathered into a string. Built against
// either interpreter: only the public API is used.
#include <string>

#include "tests/unit/lua/luagen.h"

extern "C" {
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
}

namespace {

const size_t kMaxOut = 4 << 20;   // a runaway program stops here

std::string *out;

int lg_print(lua_State *L) {
  int n = lua_gettop(L);
  lua_getglobal(L, "tostring");
  for (int i = 1; i <= n; i++) {
    lua_pushvalue(L, -1);
    lua_pushvalue(L, i);
    lua_call(L, 1, 1);
    size_t len;
    const char *s = lua_tolstring(L, -1, &len);
    if (s == nullptr) return luaL_error(L, "tostring must return a string to print");
    if (i > 1) out->push_back('\t');
    out->append(s, len);
    lua_pop(L, 1);
  }
  out->push_back('\n');
  if (out->size() > kMaxOut) return luaL_error(L, "output too long");
  return 0;
}

struct Pieces {
  const std::string *code;
  size_t at;
  unsigned step;
};

// 1 to 7 bytes a time, so that tokens and function bodies straddle blocks
const char *lg_reader(lua_State *, void *ud, size_t *size) {
  Pieces *p = static_cast<Pieces *>(ud);
  if (p->at >= p->code->size()) return nullptr;
  p->step = p->step * 1103515245u + 12345u;
  size_t n = 1 + (p->step >> 16) % 7;
  if (n > p->code->size() - p->at) n = p->code->size() - p->at;
  *size = n;
  const char *s = p->code->data() + p->at;
  p->at += n;
  return s;
}

long hookcalls;
void lg_hook(lua_State *, lua_Debug *) { hookcalls++; }

}  // namespace

std::string *luagen_out;

std::string luagen_run(const std::string &code, luagen_mode mode) {
  std::string text;
  out = luagen_out = &text;
  lua_State *L = luaL_newstate();
  luaL_openlibs(L);
  if (mode != LG_LIBPRINT) lua_register(L, "print", lg_print);
  if (mode == LG_HOOKED)
    lua_sethook(L, lg_hook, LUA_MASKCOUNT | LUA_MASKCALL | LUA_MASKRET | LUA_MASKLINE, 1);
  int rc;
  if (mode == LG_PIECES) {
    Pieces p = {&code, 0, 7};
    rc = lua_load(L, lg_reader, &p, "=t");
  } else {
    rc = luaL_loadbuffer(L, code.data(), code.size(), "=t");
  }
  if (rc == 0) rc = lua_pcall(L, 0, 0, 0);
  if (rc != 0) {
    const char *s = lua_tostring(L, -1);
    text += "error: ";
    text += s ? s : "(not a string)";
    text += "\n";
  }
  lua_close(L);
  out = luagen_out = nullptr;
  return text;
}

uint64_t luagen_hash(const std::string &s) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : s) {
    h ^= c;
    h *= 1099511628211ull;
  }
  return h;
}
