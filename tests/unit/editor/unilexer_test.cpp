#include <gtest/gtest.h>

#include "tests/support/ts_lua.h"
#include "tests/unit/editor/fakes.h"

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

namespace {

struct Lexer : ::testing::Test {
  lua_State *L = ts_fresh();
  fake_doc doc{""};
  Lexer() {
    fake_messages.clear();
  }
  ~Lexer() override { lua_close(L); }

  void run(const char *code) {
    ASSERT_EQ("", ts_do(L, code));
  }
  intptr_t bind(const char *global) {
    lua_getglobal(L, global);
    intptr_t id = ul_bind(L, -1);
    lua_pop(L, 1);
    return id;
  }
  /* defines lex with code, colours text (all of it unless len >= 0) */
  int colour(const char *code, const std::string &text, long start = 0,
             long len = -1) {
    run(code);
    doc = fake_doc(text);
    ul_doc d = doc.doc();
    int top = lua_gettop(L);
    int r = ul_colour(L, bind("lex"), &d, start,
                      len < 0 ? (long)text.size() - start : len);
    EXPECT_EQ(top, lua_gettop(L));
    return r;
  }
  std::string str(const char *expr) {
    lua_getglobal(L, expr);
    std::string s = lua_isstring(L, -1) ? lua_tostring(L, -1)
                                        : luaL_typename(L, -1);
    lua_pop(L, 1);
    return s;
  }
};

TEST_F(Lexer, ForwardingOnlyColoursTheRangeInScriptStyleOne) {
  EXPECT_EQ(0, colour("function lex() while more do forward() end complete() end",
                      "local x = 1\nprint(x)\n"));
  for (int s : doc.styles) EXPECT_EQ(0, s);
  EXPECT_EQ(0, doc.styled_from);
  EXPECT_EQ("", fake_messages);
}

TEST_F(Lexer, SetstateColoursUpToThePositionAndSwitches) {
  colour("function lex()"
         "  for i = 1, 10 do forward() end"
         "  setstate(3) st = state pos = currentPos"
         "  while more do forward() end complete() end",
         "0123456789abcdef");
  EXPECT_EQ("3", str("st"));
  EXPECT_EQ("10", str("pos"));
  ASSERT_EQ(2u, doc.runs.size());
  EXPECT_EQ(9, doc.runs[0].first);
  EXPECT_EQ(0, doc.runs[0].second);
  EXPECT_EQ(15, doc.runs[1].first);
  EXPECT_EQ(2, doc.runs[1].second);
}

TEST_F(Lexer, AssigningStateIsChangestate) {
  colour("function lex() forward() state = 5 a = state changestate(2) b = state "
         "forward() complete() end",
         "abc");
  EXPECT_EQ("5", str("a"));
  EXPECT_EQ("2", str("b"));
  ASSERT_EQ(1u, doc.runs.size());   /* nothing coloured by the changes */
  EXPECT_EQ(1, doc.runs[0].first);
  EXPECT_EQ(1, doc.runs[0].second);
}

TEST_F(Lexer, CharactersAtTheEdges) {
  colour("function lex() first = '[' .. chPrev .. ch .. chNext .. ']' "
         "  while more do forward() end "
         "  atend = '[' .. chPrev .. ch .. chNext .. ']' "
         "  forward() past = '[' .. chPrev .. ch .. chNext .. ']' m = more "
         "  s, e = atLineStart, atLineEnd end",
         "xy");
  EXPECT_EQ("[xy]", str("first"));
  EXPECT_EQ("[y  ]", str("atend"));   /* beyond the text: spaces */
  EXPECT_EQ("[   ]", str("past"));
  EXPECT_EQ("boolean", str("m"));
  run("assert(m == false and s == false and e == true)");
}

TEST_F(Lexer, LineEnds) {
  colour("function lex() ends = '' "
         "  while more do ends = ends .. (atLineEnd and 'E' or '.') "
         "    .. (atLineStart and 'S' or '-') forward() end end",
         "a\r\nb\rc\nd");
  /* a CR LF: the CR is no end, the LF is; a lone CR ends its line */
  EXPECT_EQ(".S.-E-.SE-.SE-.S", str("ends"));
}

TEST_F(Lexer, InListOnTheFirstNineWordLists) {
  doc = fake_doc("");
  colour("wl = {} for i = 1, 10 do wl[i] = {} end "
         "function lex() a = wl[1].InList('while') b = wl[1].InList('whilst') "
         "  c = wl[2].InList('print') d = wl[2].InList('pri') "
         "  e = wl[10].InList end",
         "text");
  /* the fake's words are set after colour() built the doc: run again */
  doc.words[0] = {"while", "do"};
  doc.words[1] = {"^pr"};
  ul_doc d = doc.doc();
  ASSERT_EQ(0, ul_colour(L, bind("lex"), &d, 0, 4));
  run("assert(a == true and b == false and c == true and d == true)"
      "assert(e == nil)");
}

TEST_F(Lexer, CurrentAndLowered) {
  colour("function lex() forward() forward() forward() c = current "
         "lo = currentLowered setstate(2) after = current forward() "
         "one = current end",
         "AbCdE");
  EXPECT_EQ("AbC", str("c"));
  EXPECT_EQ("abc", str("lo"));
  EXPECT_EQ("", str("after"));
  EXPECT_EQ("d", str("one"));
}

TEST_F(Lexer, CurrentIsBounded) {
  std::string big(10000, 'q');
  colour("function lex() while more do forward() end n = #current end", big);
  EXPECT_EQ(std::to_string(UL_CURRENT_MAX), str("n"));
}

TEST_F(Lexer, DoubleByteCharacters) {
  run("function lex() a = ch forward() b = ch p = currentPos forward() "
      "q = currentPos end");
  doc = fake_doc("\x82\x41x");
  doc.dbcs = true;
  ul_doc d = doc.doc();
  ASSERT_EQ(0, ul_colour(L, bind("lex"), &d, 0, 3));
  EXPECT_EQ("A", str("a"));   /* the trail byte */
  EXPECT_EQ("x", str("b"));
  EXPECT_EQ("2", str("p"));
  EXPECT_EQ("3", str("q"));
}

TEST_F(Lexer, BadStatesAreMaskedOrReported) {
  colour("function lex() setstate(0) forward() setstate(33) forward() "
         "setstate(2) complete() end",
         "abc");
  ASSERT_EQ(2u, doc.runs.size());
  EXPECT_EQ(31, doc.runs[0].second);
  EXPECT_EQ(0, doc.runs[1].second);
  EXPECT_EQ(-1, colour("function lex() forward() setstate('x') end", "abc"));
  EXPECT_EQ(UL_MESSAGE, fake_messages);
}

TEST_F(Lexer, ErrorsAreReportedAndTheStackRestored) {
  lua_pushinteger(L, 42);   /* something of the caller's */
  EXPECT_EQ(-1, colour("function lex() forward() complete() error('boom') end", "ab"));
  EXPECT_EQ(UL_MESSAGE, fake_messages);
  EXPECT_EQ(42, lua_tointeger(L, -1));
  EXPECT_EQ(0, doc.styles[0]);   /* done before the error stays */
  fake_messages.clear();
  /* a runaway recursion: the C depth comes back too */
  EXPECT_EQ(-1, colour("local function r() return 1 + r() end function lex() r() end", "ab"));
  EXPECT_EQ(-1, colour("function lex() error({}) end", "ab"));
  EXPECT_EQ(0, colour("function lex() while more do forward() end complete() end", "ab"));
}

TEST_F(Lexer, ShadowingByPlainFieldsAndGlobals) {
  colour("ch = 'mine' function lex() forward() c1 = ch currentPos = 99 "
         "forward() p = currentPos atLineStart = 'x' s = atLineStart "
         "more = 'no' m = more end",
         "abc");
  EXPECT_EQ("mine", str("c1"));
  EXPECT_EQ("99", str("p"));
  EXPECT_EQ("x", str("s"));
  run("assert(m == true)");   /* the assignment to more was dropped */
}

TEST_F(Lexer, ThisReadsNilUnlessHeld) {
  colour("function lex() this = 'other' t = this end", "a");
  EXPECT_EQ("nil", str("t"));
  colour("rawset(_G, 'this', 'obj') function lex() t = this end", "a");
  EXPECT_EQ("obj", str("t"));
}

TEST_F(Lexer, NamesAfterTheCallDoNotReachIt) {
  colour("function lex() keep = forward keepset = setstate end", "abc");
  run("keep() keepset(3) assert(ch == nil and state == nil)"
      "assert(more == false and current == nil)");
}

TEST_F(Lexer, NoFunctionOrACollectedOneDoesNothing) {
  doc = fake_doc("abc");
  ul_doc d = doc.doc();
  EXPECT_EQ(0, ul_colour(L, 0, &d, 0, 3));
  run("local f = function() while more do forward() end complete() end "
      "gone = f");
  intptr_t id = bind("gone");
  run("gone = nil collectgarbage() collectgarbage()");
  EXPECT_EQ(0, ul_colour(L, id, &d, 0, 3));
  EXPECT_EQ(-1, doc.styled_from);
  EXPECT_TRUE(doc.runs.empty());
}

TEST_F(Lexer, LocalEnvironments) {
  run("local env = {wl = {{}}} "
      "lex = setfenv(function() forward() p = currentPos c = ch "
      "  k = wl[1].InList('x') complete() end, env) e = env");
  doc = fake_doc("xyz");
  doc.words[0] = {"x"};
  ul_doc d = doc.doc();
  ASSERT_EQ(0, ul_colour(L, bind("lex"), &d, 0, 3));
  run("assert(e.p == 1 and e.c == 'y' and e.k == true)"
      "assert(rawget(_G, 'p') == nil and getmetatable(_G) == nil)");
}

TEST_F(Lexer, NestedCallGivesTheOuterContextBack) {
  run("function inner() while more do forward() end complete() end "
      "function lex() forward() nest() forward() p = currentPos m = more end");
  intptr_t inner = bind("inner");
  doc = fake_doc("abcdef");
  static lua_State *SL;
  static intptr_t SI;
  static fake_doc *SD;
  SL = L, SI = inner, SD = &doc;
  lua_register(L, "nest", [](lua_State *) -> int {
    ul_doc d = SD->doc();
    ul_colour(SL, SI, &d, 3, 3);
    return 0;
  });
  ul_doc d = doc.doc();
  ASSERT_EQ(0, ul_colour(L, bind("lex"), &d, 0, 3));
  EXPECT_EQ("2", str("p"));
  run("assert(m == true)");
}

struct Folder : Lexer {
  static void *focus_now;
  static int held, releases;
  Folder() {
    ul_hooks.focus = [] { return focus_now; };
    ul_hooks.set_focus = [](void *w) { focus_now = w; };
    ul_hooks.hold = [] { held++; return 1; };
    ul_hooks.release = [](int on) { releases += on; };
    focus_now = &held;
    held = releases = 0;
  }
  ~Folder() override { ul_hooks = ul_hooks_default; }
  static struct ul_hooks ul_hooks_default;
  int fold(const char *code, const std::string &text, long start, long len) {
    run(code);
    doc = fake_doc(text);
    ul_doc d = doc.doc();
    return ul_fold(L, bind("folder"), &d, start, len);
  }
};
void *Folder::focus_now;
int Folder::held, Folder::releases;
struct ul_hooks Folder::ul_hooks_default = ul_hooks;

TEST_F(Folder, FieldsAndFunctions) {
  EXPECT_EQ(0, fold("function folder() s, n = startPos, length "
                    "l = getLine(4) c, o = getChar(0), getChar(-1) "
                    "far = getChar(1000) setLevel(1, 0x2401) lv = getLevel(1) "
                    "none = {getLine(), getLevel(), getChar(), setLevel(1)} end",
                    "ab\ncd\n", 2, 3));
  EXPECT_EQ("2", str("s"));
  EXPECT_EQ("3", str("n"));
  EXPECT_EQ("1", str("l"));
  EXPECT_EQ("a", str("c"));
  EXPECT_EQ(" ", str("o"));
  EXPECT_EQ(" ", str("far"));
  EXPECT_EQ(std::to_string(0x2401), str("lv"));
  EXPECT_EQ(0x2401, doc.levels[1]);
  run("assert(#none == 0)");
  EXPECT_EQ(1, held);
  EXPECT_EQ(1, releases);
}

TEST_F(Folder, AnErrorLeavesTheFocusAndReleasesTheHold) {
  int other;
  EXPECT_EQ(-1, fold("function folder() error('x') end", "ab", 0, 2));
  EXPECT_EQ(&held, focus_now);
  EXPECT_EQ(1, releases);
  EXPECT_EQ(UL_MESSAGE, fake_messages);
  (void)other;
}

TEST_F(Folder, FunctionsKeptAfterTheCallDoNothing) {
  fold("function folder() g = getLine sl = setLevel end", "a\nb\n", 0, 4);
  run("assert(g(1) == nil) sl(0, 5)");
  EXPECT_EQ(0x400, doc.levels[0]);
}

}  // namespace

namespace {

// Whatever the text and range, a lexer that walks to the end colours every
// byte of the range once, in order, and nothing outside it.
TEST_F(Lexer, RandomRangesAreColouredExactly) {
  run("function lex() while more do "
      "  if ch == 'a' then setstate(2) elseif ch == '\\n' then setstate(3) "
      "  elseif ch == 'b' then setstate(1) end forward() end complete() end");
  intptr_t id = bind("lex");
  unsigned r = 7;
  auto next = [&r] { r = r * 1103515245u + 12345u; return (r >> 16) & 0x7FFF; };
  for (int round = 0; round < 300; round++) {
    std::string text;
    size_t len = next() % 40;
    for (size_t i = 0; i < len; i++) {
      static const char pool[] = "ab\r\n \x82\x41z";
      text += pool[next() % (sizeof pool - 1)];
    }
    doc = fake_doc(text);
    doc.dbcs = next() % 2;
    long start = len ? (long)(next() % (len + 1)) : 0;
    long n = (long)(next() % (len - start + 1));
    ul_doc d = doc.doc();
    ASSERT_EQ(0, ul_colour(L, id, &d, start, n));
    long last = start - 1;
    for (auto &run : doc.runs) {
      ASSERT_GT(run.first, last);
      last = run.first;
    }
    for (long i = 0; i < (long)len; i++) {
      bool inside = i >= start && i < start + n;
      if (inside) {
        EXPECT_GE(doc.styles[i], 0) << round << " at " << i;
      } else if (!(doc.dbcs && i == start + n)) {
        // a double-byte character may end one byte past the range
        EXPECT_EQ(-1, doc.styles[i]) << round << " at " << i;
      }
    }
  }
  EXPECT_EQ("", fake_messages);
}

}  // namespace
