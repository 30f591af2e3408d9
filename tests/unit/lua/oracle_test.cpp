// Generated programs give the stock interpreter's output (stored as hashes,
// made by tools/lua-oracle.sh) and the same output again when every function
// entry and loop turn polls, when the source arrives a few bytes at a time
// (the kept source texts straddle reader blocks) and under debug hooks.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/unit/lua/luagen.h"

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
#include "lobject.h"
#include "lstate.h"
#include "lua.h"
}

namespace {

struct Answer {
  uint32_t seed;
  uint64_t hash;
  size_t len;
};

std::vector<Answer> answers() {
  std::vector<Answer> v;
  // LUAGEN_ANSWERS names other answers, for long runs by hand (docs/)
  const char *other = getenv("LUAGEN_ANSWERS");
  std::ifstream f(other && *other ? other : LUAGEN_DATA);
  std::string line;
  while (std::getline(f, line)) {
    if (line.empty() || line[0] == '#') continue;
    Answer a;
    unsigned long long h;
    if (sscanf(line.c_str(), "%u %llx %zu", &a.seed, &h, &a.len) == 3) {
      a.hash = h;
      v.push_back(a);
    }
  }
  return v;
}

int polls;
void every(lua_State *L) {   // polls again at the next event; moves the stack, collects
  lua_pollcount = 0;
  if (++polls % 97 == 0) lua_checkstack(L, 1000);
  if (polls % 1009 == 0) lua_gc(L, LUA_GCCOLLECT, 0);
}

std::string polled(const std::string &code) {
  lua_pollhook = every;
  lua_pollcount = 0;
  std::string out = luagen_run(code, LG_PLAIN);
  lua_pollhook = nullptr;
  lua_pollcount = LUA_POLLEVERY;
  return out;
}

// the library's print through the host's hook: one write a line, no line end
void gather(const char *s) {
  luagen_out->append(s);
  luagen_out->push_back('\n');
}

std::string hooked_print(const std::string &code) {
  lua_printhook = gather;
  std::string out = luagen_run(code, LG_LIBPRINT);
  lua_printhook = nullptr;
  return out;
}

std::string head(const std::string &s) { return s.substr(0, 4000); }

TEST(Oracle, GeneratedProgramsMatchTheStockInterpreter) {
  std::vector<Answer> v = answers();
  ASSERT_GE(v.size(), 100u) << "no stored answers at " << LUAGEN_DATA;
  int bad = 0;
  for (const Answer &a : v) {
    std::string code = luagen_program(a.seed);
    std::string out = luagen_run(code, LG_PLAIN);
    bool same = luagen_hash(out) == a.hash && out.size() == a.len;
    EXPECT_TRUE(same) << "seed " << a.seed << " (tools/lua-oracle.sh diff " << a.seed
                      << ")\n" << head(out);
    EXPECT_EQ(polled(code), out) << "seed " << a.seed << " with the poll";
    EXPECT_EQ(luagen_run(code, LG_PIECES), out) << "seed " << a.seed << " read in pieces";
    if (a.seed % 4 == 1) {
      EXPECT_EQ(hooked_print(code), out) << "seed " << a.seed << " printed by the library";
    }
    if (a.seed % 8 == 0) {
      EXPECT_EQ(luagen_run(code, LG_HOOKED), out) << "seed " << a.seed << " hooked";
    }
    if (!same && ++bad >= 5) break;
  }
}

struct Cut {
  const std::string *code;
  size_t at;
};

const char *read_cut(lua_State *, void *ud, size_t *size) {
  Cut *c = static_cast<Cut *>(ud);
  if (c->at >= c->code->size()) return nullptr;
  size_t n = 1 + c->at % 5;
  if (n > c->code->size() - c->at) n = c->code->size() - c->at;
  *size = n;
  return c->code->data() + (c->at += n) - n;
}

void texts_of(const Proto *f, std::vector<std::string> &out) {
  out.push_back(f->srctext ? f->srctext : "(none)");
  for (int i = 0; i < f->sizep; i++) texts_of(f->p[i], out);
}

std::vector<std::string> texts(lua_State *L, const std::string &code, bool cut) {
  std::vector<std::string> v;
  Cut c = {&code, 0};
  int rc = cut ? lua_load(L, read_cut, &c, "=t")
               : luaL_loadbuffer(L, code.data(), code.size(), "=t");
  if (rc == 0) texts_of(((Closure *)lua_topointer(L, -1))->l.p, v);
  lua_pop(L, 1);
  return v;
}

// Every function of the generated programs keeps a text that, written back
// as the designer writes it and followed by more source, compiles; and the
// texts do not depend on how the source reached the lexer.
TEST(Oracle, KeptSourceTextsCompileWhenWrittenBack) {
  std::vector<Answer> v = answers();
  lua_State *L = luaL_newstate();
  size_t checked = 0;
  for (size_t i = 0; i < v.size(); i += 3) {
    std::string code = luagen_program(v[i].seed);
    std::vector<std::string> whole = texts(L, code, false);
    ASSERT_FALSE(whole.empty()) << "seed " << v[i].seed;
    EXPECT_EQ(texts(L, code, true), whole) << "seed " << v[i].seed;
    for (const std::string &t : whole) {
      if (t == "(none)") continue;
      std::string back = "f = function" + t + "g = f";
      EXPECT_EQ(luaL_loadbuffer(L, back.data(), back.size(), "=back"), 0)
          << "seed " << v[i].seed << ": " << head(back);
      lua_settop(L, 0);
      checked++;
    }
  }
  EXPECT_GT(checked, 1000u);
  lua_close(L);
}

}  // namespace
