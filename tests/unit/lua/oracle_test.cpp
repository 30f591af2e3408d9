// Generated programs give the stock interpreter's output (stored as hashes,
// made by tools/lua-oracle.sh) and the same output again when every function
// entry and loop turn polls, when the source arrives a few bytes at a time
// (the kept source texts straddle reader blocks) and under debug hooks.
#include <gtest/gtest.h>

#include <cinttypes>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/unit/lua/luagen.h"

extern "C" {
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
  std::ifstream f(LUAGEN_DATA);
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
void every(lua_State *L) {   // polls again at the next event, moves the stack now and then
  lua_pollcount = 0;
  if (++polls % 97 == 0) lua_checkstack(L, 1000);
}

std::string polled(const std::string &code) {
  lua_pollhook = every;
  lua_pollcount = 0;
  std::string out = luagen_run(code, LG_PLAIN);
  lua_pollhook = nullptr;
  lua_pollcount = LUA_POLLEVERY;
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
    if (a.seed % 8 == 0) {
      EXPECT_EQ(luagen_run(code, LG_HOOKED), out) << "seed " << a.seed << " hooked";
    }
    if (!same && ++bad >= 5) break;
  }
}

}  // namespace
