// Interrupting a running chunk through the interpreter's poll, and a
// script's own debug.sethook beside it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/inproc/terminal/driver.h"
#include "host/intr.h"

namespace {

bool has(const std::string &s, const std::string &part) {
  return s.find(part) != std::string::npos;
}

int polls;
int stop_after;   // polls (not counting a fresh one) until the interrupt
int test_poll(int fresh) {
  if (fresh) return 0;
  return ++polls >= stop_after;
}

struct Interrupt : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
  struct intr_ops keep = intr_ops;
  void SetUp() override {
    keep = intr_ops;
    intr_ops.poll = test_poll;
    polls = 0;
    stop_after = 3;
  }
  void TearDown() override { intr_ops = keep; }
};

TEST_F(Interrupt, ARunawayLoopStopsAndThePromptComesBack) {
  std::string out = drv_run("while true do end");
  EXPECT_EQ(out.rfind("trelk: interrupted", 0), 0u) << out;
  EXPECT_TRUE(has(out, "stack traceback:")) << out;
  EXPECT_EQ(drv_run("print('again')"), "again");
  EXPECT_FALSE(intr_pending());
}

TEST_F(Interrupt, PcallInTheLoopCannotSwallowIt) {
  std::string out = drv_run(
      "caught = 0 while true do pcall(function() while true do end end) "
      "caught = caught + 1 end");
  EXPECT_TRUE(has(out, "interrupted")) << out;
  EXPECT_EQ(drv_run("print(caught <= 1)"), "true");
}

TEST_F(Interrupt, InsideACoroutine) {
  std::string out = drv_run(
      "co = coroutine.wrap(function() while true do end end) co()");
  EXPECT_TRUE(has(out, "interrupted")) << out;
}

// Every way Lua code can run for ever reaches the poll: each loop form's
// backward jump, and function entries for recursion without a loop.
TEST_F(Interrupt, EveryKindOfRunawayStops) {
  const char *const runaways[] = {
      "repeat until false",
      "for i = 1, math.huge do end",
      "for k in function() return 1 end do end",
      "local i = 0 while i >= 0 do if i % 2 == 0 then i = i + 2 else i = i - 1 end end",
      "local function f() return f() end f()",
      "local function f(n) if n > 100 then return 0 end return f(n + 1) end "
      "while true do f(0) end",
      "t = setmetatable({}, {__index = function(t, k) return t[k + 1] end}) "
      "while true do pcall(function() return t[1] end) end",
  };
  for (const char *code : runaways) {
    polls = 0;
    std::string out = drv_run(code);
    EXPECT_EQ(out.rfind("trelk: interrupted", 0), 0u) << code << "\n" << out;
  }
  EXPECT_EQ(drv_run("print('after')"), "after");
}

// A loop's index is the right one when the poll comes at its turn.
TEST_F(Interrupt, LoopsRunWholeUnderThePoll) {
  stop_after = 1 << 30;
  EXPECT_EQ(drv_run("local n, s = 0, 0 for i = 10, 1, -1 do for j = 1, 3000 do "
                    "s = s + i * j n = n + 1 end end print(n, s)"),
            "30000\t247582500");
  EXPECT_EQ(drv_run("local t, s = {}, 0 for i = 1, 5000 do t[i] = i end "
                    "for i, v in ipairs(t) do s = s + i * v end print(s)"),
            "41679167500");
}

TEST_F(Interrupt, NothingHappensWithoutARequest) {
  stop_after = 1 << 30;
  EXPECT_EQ(drv_run("local s = 0 for i = 1, 1e7 do s = s + i end print(s)"),
            "50000005000000");
  EXPECT_GT(polls, 0);   // the hook looked, and let it run
}

TEST_F(Interrupt, ScriptCountHookKeepsItsCount) {
  stop_after = 1 << 30;
  EXPECT_EQ(drv_run("n = 0 debug.sethook(function(e) if e == 'count' then "
                    "n = n + 1 end end, '', 100) "
                    "for i = 1, 20000 do end debug.sethook() print(n >= 195 and n <= 210)"),
            "true");
  // a count above the hook's own step is still honoured
  EXPECT_EQ(drv_run("n = 0 debug.sethook(function() n = n + 1 end, '', 5000) "
                    "for i = 1, 100000 do end debug.sethook() print(n >= 19 and n <= 21)"),
            "true");
}

TEST_F(Interrupt, ScriptLineAndCallHooks) {
  stop_after = 1 << 30;
  EXPECT_EQ(drv_run("ev = {} local function f() end "
                    "debug.sethook(function(e, l) ev[e .. (l or '')] = true end, 'cl') "
                    "f() debug.sethook() print(ev.call, ev.line1, ev.count, ev['return'])"),
            "true\ttrue\tnil\tnil");
  EXPECT_EQ(drv_run("local f = function() end debug.sethook(f, 'crl', 7) "
                    "local g, m, c = debug.gethook() debug.sethook() "
                    "print(g == f, m, c, debug.gethook())"),
            "true\tcrl\t7\tnil\t\t0");
}

TEST_F(Interrupt, HookOfACoroutineIsItsOwn) {
  stop_after = 1 << 30;
  EXPECT_EQ(drv_run("n = 0 co = coroutine.create(function() for i = 1, 10000 do end end) "
                    "debug.sethook(co, function() n = n + 1 end, '', 100) "
                    "for i = 1, 10000 do end local before = n "
                    "coroutine.resume(co) print(before, n > 50, debug.gethook())"),
            "0\ttrue\tnil\t\t0");
}

TEST_F(Interrupt, WorksBesideAScriptHook) {
  std::string out = drv_run("debug.sethook(function() end, '', 1e8) while true do end");
  EXPECT_TRUE(has(out, "interrupted")) << out;
  out = drv_run("debug.sethook(function() end, 'l') while true do end");
  EXPECT_TRUE(has(out, "interrupted")) << out;
  drv_run("debug.sethook()");
}

}  // namespace
