// The terminal driven through its real window: typed lines, output and
// its colours, error reports, history keys and the input rules.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>

#include "tests/inproc/terminal/driver.h"
#include "host/console.h"
#include "host/repl.h"
#include "host/trelk.h"
#include "ui/colour.h"

extern "C" {
#include "lauxlib.h"
}

namespace {

bool has(const std::string &s, const std::string &part) {
  return s.find(part) != std::string::npos;
}

struct Terminal : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
};

TEST_F(Terminal, BannerIsShown) {
  EXPECT_TRUE(has(drv_text(0, 100), "--- Hello from Trelk 1.0! ---"));
}

TEST_F(Terminal, ReaderReturnsWhatWasTyped) {
  drv_type("x = 1");
  drv_key(VK_RETURN);
  std::string line = drv_read();
  EXPECT_EQ(line, "x = 1");
  // the prompt sits at the start of its own line, in the prompt colour
  LONG end = drv_end();
  std::string tail = drv_text(end - 9, end);
  EXPECT_EQ(tail, "\r# x = 1\r");
  EXPECT_EQ(drv_colour(end - 8), col_get(COL_PROMPT));
  EXPECT_EQ(drv_colour(end - 4), col_get(COL_INPUT));
}

TEST_F(Terminal, PrintWritesTabSeparatedInPrintColour) {
  LONG from = drv_end();
  std::string out = drv_run("print(1, 2)");
  EXPECT_EQ(out, "1\t2");
  LONG at = from + (LONG)drv_run("").size();  // next prompt starts anew
  (void)at;
  std::string all = drv_text(from, drv_end());
  EXPECT_TRUE(has(all, "1\t2\r# ")) << all;
  LONG p = drv_end() - (LONG)all.size() + (LONG)all.find("1\t2");
  EXPECT_EQ(drv_colour(p), col_get(COL_PRINT));
  EXPECT_EQ(drv_colour(p + 2), col_get(COL_PRINT));
}

TEST_F(Terminal, PrintRejectsNonStringTostring) {
  std::string out = drv_run("local t = setmetatable({}, {__tostring = function() return {} end}) print(t)");
  EXPECT_TRUE(has(out, "'tostring' must return a string to 'print'")) << out;
}

TEST_F(Terminal, RuntimeErrorHasPrefixAndTraceback) {
  LONG from = drv_end();
  std::string out = drv_run("error(\"x\")");
  EXPECT_EQ(out.rfind("trelk: [string \"error(\"x\")\"]:1: x\rstack traceback:", 0), 0u) << out;
  EXPECT_EQ(drv_colour(from + (LONG)drv_text(from, drv_end()).find("trelk")),
            col_get(COL_ERROR));
}

TEST_F(Terminal, NonStringErrorObject) {
  std::string out = drv_run("error({})");
  EXPECT_EQ(out, "trelk: (error object is not a string)\r");
}

TEST_F(Terminal, NoTracebackWithoutDebug) {
  drv_run("savedebug = debug debug = nil");
  std::string out = drv_run("error('y')");
  drv_run("debug = savedebug");
  EXPECT_TRUE(has(out, "]:1: y")) << out;
  EXPECT_FALSE(has(out, "stack traceback")) << out;
}

TEST_F(Terminal, SyntaxErrorIsTheBareMessage) {
  std::string out = drv_run("x = = 1");
  EXPECT_EQ(out.rfind("[string \"x = = 1\"]:1:", 0), 0u) << out;
  EXPECT_FALSE(has(out, "trelk:"));
  // no line end after it: the next prompt provides one
  EXPECT_NE(out.back(), '\r');
}

TEST_F(Terminal, EmptyLineRunsAndIsRemembered) {
  drv_run("marker = 42");
  drv_run("");
  drv_key(VK_UP);
  drv_key(VK_UP);
  drv_key(VK_RETURN);
  EXPECT_EQ(drv_read(), "marker = 42");
}

TEST_F(Terminal, UpRecallsAndDownClears) {
  drv_run("h1 = 1");
  drv_run("h2 = 2");
  drv_key(VK_UP);
  drv_key(VK_RETURN);
  EXPECT_EQ(drv_read(), "h2 = 2");
  drv_key(VK_UP);     // h2 again; the cursor steps back
  drv_key(VK_DOWN);   // forward to h2
  drv_key(VK_DOWN);   // past the newest: cleared
  drv_key(VK_RETURN);
  EXPECT_EQ(drv_read(), "");
}

TEST_F(Terminal, KeystrokeLimitSubmitsTheLine) {
  // 600 characters: all of the first 511 are the line, the 512th keystroke
  // completes it and is dropped, the rest start the next line
  drv_type(std::string(600, 'x'));
  EXPECT_EQ(drv_read(), std::string(511, 'x'));
  drv_key(VK_RETURN);
  EXPECT_EQ(drv_read(), std::string(88, 'x'));
  drv_run("");
}

TEST_F(Terminal, BackspaceCannotEraseThePrompt) {
  drv_key(VK_BACK);
  drv_key(VK_BACK);
  drv_type("ok = 1");
  drv_key(VK_RETURN);
  drv_read();
  LONG end = drv_end();
  EXPECT_EQ(drv_text(end - 10, end), "\r# ok = 1\r");
}

TEST_F(Terminal, TypingInsideOldOutputIsIgnored) {
  // caret put into earlier output: typed characters are dropped, Home
  // brings the caret back
  drv_run("print('old')");
  PostMessageA(con.edit, EM_SETSEL, 0, 0);
  drv_type("zz");
  drv_key(VK_HOME);
  drv_type("q = 5");
  drv_key(VK_RETURN);
  EXPECT_EQ(drv_read(), "q = 5");
  EXPECT_EQ(drv_text(0, 2), "--");
}

TEST_F(Terminal, StackOverflowIsReported) {
  std::string out = drv_run("local function f() return f() + 1 end f()");
  EXPECT_TRUE(has(out, "trelk: ")) << out;
  EXPECT_TRUE(has(out, "stack overflow")) << out;
  EXPECT_EQ(drv_run("print('alive')"), "alive");
}

TEST_F(Terminal, HugeAllocationIsReported) {
  std::string out = drv_run("s = string.rep('x', 1.5 * 2^30)");
  EXPECT_TRUE(has(out, "trelk: not enough memory")) << out;
  EXPECT_EQ(drv_run("print(s == nil)"), "true");
}

TEST_F(Terminal, LongOutputKeepsInputWorking) {
  drv_run("for i = 1, 2000 do print(string.rep('y', 40) .. '\\r') end");
  ASSERT_GT(drv_end(), 65535);
  EXPECT_EQ(drv_run("print(6 * 7)"), "42");
}

TEST_F(Terminal, LibrariesAndGlobals) {
  EXPECT_EQ(drv_run("print(type(array), type(table), type(array.insert))"),
            "table\tfunction\tfunction");
  EXPECT_EQ(drv_run("print(type(exit), type(das386), type(db), type(db.use))"),
            "function\tfunction\ttable\tfunction");
}

TEST_F(Terminal, DatabaseInTheTerminal) {
  drv_run("st = db.use() people = st:table('people[name:S,age:I]') "
          "people[1].name = 'Alice' people[1].age = 30 "
          "people[2].name = 'Bob' people[2].age = 4");
  EXPECT_EQ(drv_run("print(people.size, people[people:find{age = 4}].name)"),
            "2\tBob");
  EXPECT_EQ(drv_run("st, people = nil collectgarbage() print('ok')"), "ok");
}

TEST_F(Terminal, DebugLoopReadsFromTheTerminal) {
  drv_type("debug.debug()");
  drv_key(VK_RETURN);
  std::string line = drv_read();
  drv_type("dbgvar = 7");
  drv_key(VK_RETURN);
  drv_type("cont");
  drv_key(VK_RETURN);
  LONG from = drv_end();
  repl_eval(drv_state(), line.c_str());
  std::string out = drv_text(from - 40, drv_end());
  EXPECT_TRUE(has(out, "lua_debug> ")) << out;
  EXPECT_EQ(drv_run("print(dbgvar)"), "7");
}

TEST_F(Terminal, StartupScriptErrorsAreReported) {
  struct Case { std::string content; const char *expect; };
  const Case cases[] = {
    {"\x01\x02\xff\xfe garbage \x80", "start.t"},
    {"atstart = function() started = 1 end error('boom')", "boom"},
  };
  for (const Case &c : cases) {
    std::ofstream("start.t", std::ios::binary).write(c.content.data(), c.content.size());
    LONG from = drv_end();
    trelk_run_startup(drv_state());
    std::string out = drv_text(from, drv_end());
    EXPECT_EQ(out.rfind("trelk: ", 0), 0u) << c.expect << " [" << out << "]";
    EXPECT_TRUE(has(out, c.expect)) << out;
  }
  // a NUL byte in the script: whatever the loader makes of it, the
  // terminal carries on
  std::ofstream("start.t", std::ios::binary).write("x = 1\0 y = 2", 12);
  trelk_run_startup(drv_state());
  trelk_hook(drv_state(), "atstart");
  EXPECT_EQ(drv_run("print(started)"), "1");
  remove("start.t");
  LONG from = drv_end();
  trelk_run_startup(drv_state());
  EXPECT_EQ(drv_text(from, drv_end()).rfind("trelk: cannot open start.t", 0), 0u);
}

TEST_F(Terminal, HooksIgnoreNonFunctions) {
  drv_run("atstart = 5");
  lua_State *L = drv_state();
  int top = lua_gettop(L);
  trelk_hook(L, "atstart");
  trelk_hook(L, "nosuchhook");
  EXPECT_EQ(lua_gettop(L), top);
}

TEST_F(Terminal, ReportsAreCutToTheBuffer) {
  std::string out = drv_run("error(string.rep('e', 10000), 0)");
  out.erase(std::remove(out.begin(), out.end(), '\r'), out.end());  // shown cut
  EXPECT_EQ(out.size(), 4095u);
  EXPECT_EQ(out.rfind("trelk: eeee", 0), 0u);
}

}  // namespace
