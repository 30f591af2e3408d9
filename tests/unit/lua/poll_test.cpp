// The interpreter's poll at function entries and backward jumps: programs
// give the same output when every such event polls and the poll moves the
// stack (grown, then shrunk by a full collection), as without any poll.
// The programs are the interpreter's own examples, plus loops of every form.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

extern "C" {
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
}

namespace {

int polls;

// Polls again at the next event; now and then moves the stack.
void stress(lua_State *L) {
  lua_pollcount = 0;
  polls++;
  if (polls % 7 == 0) lua_checkstack(L, 2000);
  if (polls % 101 == 0) lua_gc(L, LUA_GCCOLLECT, 0);
}

// Output of print and io.write, gathered in a global.
const char kPrelude[] =
    "local concat, out = (table or array).concat, {} OUT = out "
    "function print(...) local t = {} for i = 1, select('#', ...) do "
    "t[i] = tostring((select(i, ...))) end out[#out + 1] = concat(t, '\\t') .. '\\n' end "
    "io.write = function(...) for i = 1, select('#', ...) do "
    "out[#out + 1] = tostring((select(i, ...))) end return io end";

// Output of the chunk, then its error if it raised one.
std::string run(const std::string &code, bool poll) {
  lua_State *L = luaL_newstate();
  luaL_openlibs(L);
  EXPECT_EQ(luaL_dostring(L, kPrelude), 0);
  polls = 0;
  lua_pollhook = poll ? stress : nullptr;
  lua_pollcount = poll ? 0 : LUA_POLLEVERY;
  std::string err;
  if (luaL_loadbuffer(L, code.data(), code.size(), "=t") || lua_pcall(L, 0, 0, 0))
    err = lua_tostring(L, -1);
  lua_pollhook = nullptr;
  lua_pollcount = LUA_POLLEVERY;
  lua_settop(L, 0);
  luaL_dostring(L, "return (table or array).concat(OUT)");
  std::string out = lua_tostring(L, -1) ? lua_tostring(L, -1) : "";
  lua_close(L);
  return out + (err.empty() ? "" : "error: " + err);
}

std::string read(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void same_with_polls(const std::string &code, const char *what, int least = 1) {
  std::string plain = run(code, false);
  std::string polled = run(code, true);
  EXPECT_GE(polls, least) << what;
  EXPECT_EQ(polled, plain) << what;
  EXPECT_NE(plain, "") << what;
}

TEST(Poll, TheInterpretersExamplesRunAlike) {
  const char *const names[] = {"bisect", "cf", "factorial", "fibfor", "hello",
                               "life", "printf", "readonly", "sieve", "sort"};
  for (const char *name : names) {
    std::string code = read(std::string(LUA_EXAMPLES_DIR) + "/" + name + ".lua");
    ASSERT_NE(code, "") << name;
    size_t at = code.find("gen>2000");   // life: fewer generations
    if (at != std::string::npos) code.replace(at, 8, "gen>40");
    same_with_polls(code, name);
  }
}

TEST(Poll, DebugHooksSeeTheSameEvents) {
  // the examples' call tracer, run over bisect
  std::string trace = read(std::string(LUA_EXAMPLES_DIR) + "/trace-calls.lua");
  std::string bisect = read(std::string(LUA_EXAMPLES_DIR) + "/bisect.lua");
  ASSERT_NE(trace, "");
  same_with_polls(trace + "\n" + bisect + "\ndebug.sethook()", "trace-calls");
  same_with_polls("local n = 0 debug.sethook(function() n = n + 1 end, '', 3) "
                  "for i = 1, 3000 do local x = i * 2 end debug.sethook() print(n)",
                  "count hook");
}

TEST(Poll, EveryLoopFormAndCall) {
  same_with_polls(R"(
    local s = 0
    for i = 10, 1, -0.5 do s = s + i end
    for i = 1, 100 do for j = i, 1, -3 do s = s + i * j end end
    local k = 0 while k < 500 do k = k + 1 if k % 3 == 0 then s = s - k end end
    repeat k = k - 7 until k < 0
    local t = {} for i = 1, 300 do t[i] = i * i end
    for i, v in ipairs(t) do s = s + v % 7 end
    for key, v in pairs({a = 1, b = 2, c = 3}) do s = s + #key + v end
    local function f(n) if n == 0 then return 0 end return n + f(n - 1) end
    local function g(n, acc) if n == 0 then return acc end return g(n - 1, acc + n) end
    local co = coroutine.wrap(function() for i = 1, 50 do coroutine.yield(i) end end)
    for i = 1, 50 do s = s + co() end
    local ok, e = pcall(function() for i = 1, 10 do if i == 7 then error('at ' .. i) end end end)
    print(s, f(150), g(5000, 0), ok, e, select('#', string.byte(('x'):rep(40), 1, -1)))
  )", "loops", 5000);
}

}  // namespace
