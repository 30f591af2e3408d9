// Random expressions and subjects (tests/data/pcre/rxgen.lua, made by
// tools/gen_rx_cases.py from pcretest's answers) replayed through the
// string functions and the matcher's pairs, on PCRE's interpreter and on
// its machine code. Each case holds the expected results, the messages
// included; the checker below only compares.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

#include "data/regex/rx_core.h"
#include "data/regex/rx_lua.h"
#include "tests/support/ts_lua.h"
#include "tests/support/ts_tmp.h"

static std::string messages;
void con_message(const char *text) { messages += text; }

namespace {

// msgs(): the messages printed since the last call.
int gen_msgs(lua_State *L) {
  lua_pushlstring(L, messages.data(), messages.size());
  messages.clear();
  return 1;
}

// rxpairs(s, p, offset): every pair the matcher reports.
int gen_pairs(lua_State *L) {
  size_t ls, lp;
  const char *s = luaL_checklstring(L, 1, &ls);
  const char *p = luaL_checklstring(L, 2, &lp);
  rx_result r;
  int n = rx_match(s, ls, p, lp, (int)luaL_checkinteger(L, 3), 0, &r);
  lua_createtable(L, 2 * n, 0);
  for (int i = 0; i < 2 * n; i++) {
    lua_pushinteger(L, r.pairs[i]);
    lua_rawseti(L, -2, i + 1);
  }
  return 1;
}

const char *const CHECKER = R"(
local bad, cases = {}, 0
local function show(v)
  if type(v) ~= 'table' then return string.format('%q', tostring(v)) end
  local o = {}
  for i = 1, v.n or #v do o[i] = show(v[i]) end
  return '{' .. array.concat(o, ',') .. '}'
end
local function cut(t) return #t > 300 and t:sub(1, 300) .. '...' or t end
local function pack(...) return {n = select('#', ...), ...} end
local function check(c, what, got, want)
  if show(got) ~= show(want) and #bad < 30 then
    bad[#bad + 1] = string.format('%s on /%s/ s=%q i=%s r=%q m=%s:\n  got  %s\n  want %s',
      what, cut(c.p), cut(c.s), tostring(c.i), c.r, tostring(c.m), cut(show(got)), cut(show(want)))
  end
end
-- init from 1, negative from the end, clamped to 1..#s+1
local function offset(s, i)
  i = i or 1
  if i < 0 then i = i + #s + 1 end
  if i < 1 then i = 1 end
  if i > #s + 1 then i = #s + 1 end
  return i - 1
end
function C(c)
  cases = cases + 1
  local s, p, i = c.s, c.p, c.i
  local fail = c.err or c.xerr or ''
  msgs()
  local f = i and pack(string.find(s, p, i)) or pack(string.find(s, p))
  f.n = nil
  check(c, 'find', {f, msgs()}, {c.find or {}, fail})
  local m = i and pack(string.match(s, p, i)) or pack(string.match(s, p))
  m.n = nil
  check(c, 'match', {m, msgs()}, {c.match or {}, fail})
  local it, all = string.gmatch(s, p), {}
  for k = 1, #(c.gm or {}) + 2 do
    local one = pack(it())
    if one.n == 0 then break end
    one.n = nil
    all[k] = one
  end
  check(c, 'gmatch', {all, msgs()}, {c.gm or {}, c.err or c.gmerr or ''})
  -- gsub compiles nothing when its limit allows no replacement
  local gerr = (c.m or 1) > 0 and (c.err or c.gserr) or ''
  local g, n = string.gsub(s, p, c.r, c.m)
  check(c, 'gsub', {g, n, msgs()}, {c.gs or s, #(c.gs or s), gerr})
  local calls = {}
  string.gsub(s, p, function(...) local a = pack(...); a.n = nil; calls[#calls + 1] = a end, c.m)
  check(c, 'gsub function', {calls, msgs()}, {c.gf or {}, gerr})
  if not c.err then
    check(c, 'pairs', rxpairs(s, p, offset(s, i)), c.pairs or {})
    msgs()
  end
end
function report()
  return cases, array.concat(bad, '\n')
end
)";

struct RxGen : ::testing::TestWithParam<bool> {
  lua_State *L = nullptr;
  void SetUp() override {
    ASSERT_TRUE(rx_use_jit(GetParam()));
    L = ts_fresh();
    rx_open(L);
    lua_register(L, "msgs", gen_msgs);
    lua_register(L, "rxpairs", gen_pairs);
    ASSERT_EQ(ts_do(L, CHECKER), "");
    messages.clear();
  }
  void TearDown() override {
    lua_close(L);
    rx_use_jit(1);
  }
};

INSTANTIATE_TEST_SUITE_P(Matchers, RxGen, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &i) {
                           return i.param ? "MachineCode" : "Interpreter";
                         });

TEST_P(RxGen, AgreesWithPcretest) {
  std::string path = ts_here("pcre/rxgen.lua");
  ASSERT_EQ(luaL_loadfile(L, path.c_str()), 0) << lua_tostring(L, -1);
  ASSERT_EQ(lua_pcall(L, 0, 0, 0), 0) << lua_tostring(L, -1);
  lua_getglobal(L, "report");
  ASSERT_EQ(lua_pcall(L, 0, 2, 0), 0) << lua_tostring(L, -1);
  int cases = (int)lua_tointeger(L, -2);
  std::string bad = lua_tostring(L, -1);
  printf("%d generated cases replayed\n", cases);
  EXPECT_GT(cases, 1000);
  EXPECT_EQ(bad, "");
}

}  // namespace
