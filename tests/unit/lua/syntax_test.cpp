// Reserved words asmfunc and asm, raw blocks handed to the assembler hook,
// and the source text each function keeps.
#include <algorithm>

#include "tests/unit/lua/luatest.h"

extern "C" {
#include "lauxlib.h"
#include "lfunc.h"
#include "llex.h"
#include "lobject.h"
#include "lstate.h"
}

namespace {

std::vector<std::string> texts;   // what the assembler hook was given

int record_hook(lua_State *, const char *text, void **code, size_t *size) {
  texts.push_back(text);
  *code = nullptr;
  *size = 0;
  return 0;   // every block fails: the empty native function
}

struct Syntax : LuaTest {
  void SetUp() override {
    LuaTest::SetUp();
    texts.clear();
    lua_asmhook = record_hook;
  }
  void TearDown() override {
    lua_asmhook = nullptr;
    LuaTest::TearDown();
  }
  Proto *proto_of(const char *global) {
    lua_getglobal(L, global);
    Closure *cl = (Closure *)lua_topointer(L, -1);
    lua_pop(L, 1);
    return cl && !cl->c.isC ? cl->l.p : nullptr;
  }
  const char *srctext(const char *global) {
    Proto *p = proto_of(global);
    return p ? p->srctext : nullptr;
  }
};

TEST_F(Syntax, ReservedWordOrder) {
  EXPECT_EQ(TK_ASMFUNC, 266);
  EXPECT_EQ(TK_ASM, 267);
  EXPECT_EQ(TK_IF, 268);
  EXPECT_EQ(TK_EOS, 289);
  EXPECT_STREQ(luaX_tokens[TK_ASMFUNC - FIRST_RESERVED], "asmfunc");
  EXPECT_STREQ(luaX_tokens[TK_ASM - FIRST_RESERVED], "asm");
  EXPECT_NE(run("asm = 1"), "");
  EXPECT_NE(run("local asmfunc = 1"), "");
  EXPECT_NE(run("local asmfunc f() lua! ret end"), "");
}

TEST_F(Syntax, AsmfuncTextStartsAtTheContextName) {
  EXPECT_EQ(run("asmfunc f(a, b) lua!\n xor eax,eax\n ret\nend"), "");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], "lua!\n xor eax,eax\n ret\n");
  EXPECT_EQ(eval("type(f)"), "function");
  EXPECT_EQ(eval("select('#', f(1, 2))"), "0");   // empty native function
  EXPECT_EQ(eval("debug.getinfo(f).what"), "C");
}

TEST_F(Syntax, OnlyTheWholeWordEndStops) {
  EXPECT_EQ(run("asmfunc f() lua! append ending get_end endx ; end\n"), "");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], "lua! append ending get_end endx ; ");
  texts.clear();
  // inside a comment of the assembly the word still ends the block
  EXPECT_NE(run("asmfunc g() lua! ret ; the end of it\nend"), "");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], "lua! ret ; the ");
}

TEST_F(Syntax, FormsOfAsmfunc) {
  EXPECT_EQ(run("t = {} asmfunc t.a() lua! x end asmfunc t:b() lua! y end "
                "h = asmfunc(x) lua! z end"), "");
  EXPECT_EQ(texts.size(), 3u);
  EXPECT_EQ(eval("type(t.a)..type(t.b)..type(h)"), "functionfunctionfunction");
  // the character after end is still read by the lexer
  EXPECT_EQ(run("u = {asmfunc() lua! q end}"), "");
  EXPECT_EQ(eval("type(u[1])"), "function");
}

TEST_F(Syntax, AsmStatementMakesTheEnclosingFunctionNative) {
  EXPECT_EQ(run("function f() print('never') asm lua! ret end end"), "");
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(eval("debug.getinfo(f).what"), "C");
  EXPECT_EQ(run("f()"), "");   // the Lua statements are never run
  // at the top level the main chunk still runs as Lua
  EXPECT_EQ(run("x = 1 asm lua! ret end x = x + 1"), "");
  EXPECT_EQ(eval("x"), "2");
}

TEST_F(Syntax, NativeFunctionWithUpvaluesDoesNotRunTheirDescriptions) {
  EXPECT_EQ(run("local a, b = 1, 2 function f() asm lua! ret end "
                "return a + b end g = function() return a end"), "");
  EXPECT_EQ(eval("type(f)"), "function");
  EXPECT_EQ(eval("g()"), "1");
}

TEST_F(Syntax, UnfinishedBlockIsASyntaxError) {
  std::string e = run("asmfunc f() lua! mov eax, 1\n ret\n");
  EXPECT_NE(e.find("unfinished assembly block"), std::string::npos) << e;
  EXPECT_TRUE(texts.empty());
}

TEST_F(Syntax, LinesInsideBlocksAreCounted) {
  std::string e = run("asmfunc f() lua!\n\n\nend\nx = = 1");
  EXPECT_NE(e.find(":5:"), std::string::npos) << e;
  e = run("asmfunc f() lua!\r\n\r\nend\r\nx = = 1");
  EXPECT_NE(e.find(":4:"), std::string::npos) << e;
}

TEST_F(Syntax, FunctionsKeepTheirSource) {
  EXPECT_EQ(run("function f(a, b)\n  return a + b\nend\n"), "");
  EXPECT_STREQ(srctext("f"), "(a, b)\n  return a + b\nend\n\n\n");
  EXPECT_EQ(run("g = function() return 1 end"), "");
  EXPECT_STREQ(srctext("g"), "() return 1 end\n\n");   // end of input: no extra char
}

// Each body keeps its own text; the enclosing one keeps all of its text.
TEST_F(Syntax, NestedFunctionsKeepTheirOwnText) {
  EXPECT_EQ(run("function outer() inner = function() return 2 end return 1 end"), "");
  EXPECT_STREQ(srctext("outer"),
               "() inner = function() return 2 end return 1 end\n\n");
  EXPECT_EQ(run("outer()"), "");
  EXPECT_STREQ(srctext("inner"), "() return 2 end \n\n");
}

TEST_F(Syntax, DeeplyNestedAndSiblingBodies) {
  EXPECT_EQ(run("function a(x)\n"
                "  b = function (y) c = function(z) return z end return y end\n"
                "  d = function() end\n"
                "  return x\n"
                "end"), "");
  EXPECT_EQ(run("a(1) b(2)"), "");
  EXPECT_STREQ(srctext("c"), "(z) return z end \n\n");
  EXPECT_STREQ(srctext("b"),
               "(y) c = function(z) return z end return y end\n\n\n");
  EXPECT_STREQ(srctext("d"), "() end\n\n\n");
  EXPECT_STREQ(srctext("a"),
               "(x)\n  b = function (y) c = function(z) return z end return y end\n"
               "  d = function() end\n  return x\nend\n\n");
}

TEST_F(Syntax, TextOfANestedBodyRecompiles) {
  EXPECT_EQ(run("function mk() return function(v) return v * 2 end end"), "");
  EXPECT_EQ(run("twice = mk()"), "");
  const char *t = srctext("twice");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(run(("again = function" + std::string(t)).c_str()), "");
  EXPECT_EQ(eval("again(21)"), "42");
}

// The kept text is taken from the reader's blocks in stretches: however the
// input is cut, every body keeps the same text as from one whole block.
struct Pieces {
  const std::string *src;
  size_t at, step;
};

const char *read_pieces(lua_State *, void *ud, size_t *size) {
  Pieces *p = (Pieces *)ud;
  size_t n = std::min(p->step, p->src->size() - p->at);
  *size = n;
  const char *s = p->src->data() + p->at;
  p->at += n;
  return n ? s : nullptr;
}

void collect_texts(const Proto *f, std::vector<std::string> &out) {
  out.push_back(f->srctext ? f->srctext : "(none)");
  for (int i = 0; i < f->sizep; i++) collect_texts(f->p[i], out);
}

TEST_F(Syntax, KeptTextDoesNotDependOnHowTheInputIsCut) {
  const std::string src =
      "-- (a comment with function() in it)\n"
      "function a(x, ...)\r\n"
      "  local s = [[ long\nstring ( end ]] .. 'q(' .. \"\\\"\"\n"
      "  b = function (y) c = function(z) return z end return y end\n"
      "  asm lua!\n nop\n end\n"
      "  d = function() end --[[ tail\n]]\n"
      "  return x\n"
      "end\n"
      "local e = function(u) return function(v) return u + v end end";
  std::vector<std::string> whole;
  ASSERT_EQ(luaL_loadbuffer(L, src.data(), src.size(), "=whole"), 0);
  collect_texts(((Closure *)lua_topointer(L, -1))->l.p, whole);
  lua_pop(L, 1);
  ASSERT_EQ(whole.size(), 7u);
  EXPECT_EQ(whole[6], "(v) return u + v end \n\n");
  for (size_t step = 1; step <= 9; step++) {
    Pieces p{&src, 0, step};
    ASSERT_EQ(lua_load(L, read_pieces, &p, "=cut"), 0) << step;
    std::vector<std::string> cut;
    collect_texts(((Closure *)lua_topointer(L, -1))->l.p, cut);
    lua_pop(L, 1);
    EXPECT_EQ(cut, whole) << "blocks of " << step;
  }
}

// A reader may compile other chunks (well-formed or not) while it feeds one:
// the chunk being fed keeps its own texts.
struct NestingReader {
  const std::string *src;
  size_t at;
  lua_State *L;
};

const char *read_and_compile(lua_State *, void *ud, size_t *size) {
  NestingReader *r = (NestingReader *)ud;
  if (r->at >= r->src->size()) return nullptr;
  if (r->at % 3 == 0) {
    luaL_loadstring(r->L, r->at % 2 ? "return function(x) return x end" : "function no( x = = 1");
    lua_pop(r->L, 1);
  }
  *size = 1;
  return r->src->data() + r->at++;
}

TEST_F(Syntax, AParseInsideAReaderLeavesTheOuterTextsAlone) {
  const std::string src =
      "local function outer(a)\n  local function inner(b) return b * 2 end\n"
      "  return inner(a) + 1\nend\nreturn outer";
  std::vector<std::string> whole, nested;
  ASSERT_EQ(luaL_loadbuffer(L, src.data(), src.size(), "=whole"), 0);
  collect_texts(((Closure *)lua_topointer(L, -1))->l.p, whole);
  lua_pop(L, 1);
  NestingReader r{&src, 0, L};
  ASSERT_EQ(lua_load(L, read_and_compile, &r, "=nested"), 0);
  collect_texts(((Closure *)lua_topointer(L, -1))->l.p, nested);
  lua_pop(L, 1);
  EXPECT_EQ(nested, whole);
  EXPECT_EQ(whole[2], "(b) return b * 2 end\n\n\n");
}

// The character read after `end' stays in the text only if it is a space:
// written back as `name = function' and the text, followed by more source,
// the text must still compile.
TEST_F(Syntax, KeptTextEndsAtEndOrTheSpaceAfterIt) {
  EXPECT_EQ(run("g = (function() return 1 end)"), "");
  EXPECT_STREQ(srctext("g"), "() return 1 end\n\n");
  EXPECT_EQ(run("function h() return 2 end--note\n"), "");
  EXPECT_STREQ(srctext("h"), "() return 2 end\n\n");
  EXPECT_EQ(run("function k() end;"), "");
  EXPECT_STREQ(srctext("k"), "() end\n\n");
  EXPECT_EQ(run("function o() return (function() return 3 end)() end\t"), "");
  EXPECT_STREQ(srctext("o"), "() return (function() return 3 end)() end\t\n\n");
  for (const char *name : {"g", "h", "k", "o"}) {
    std::string back = std::string("again = function") + srctext(name) + "x = again";
    EXPECT_EQ(run(back), "") << back;
  }
}

TEST_F(Syntax, AFailedParseLeavesNoCaptureBehind) {
  EXPECT_NE(run("function broken( x = = 1"), "");
  EXPECT_NE(run("function a() b = function( x = = 1 end end"), "");
  EXPECT_EQ(run("function ok() return 3 end"), "");
  EXPECT_STREQ(srctext("ok"), "() return 3 end\n\n");
}

TEST_F(Syntax, ArrayLibraryWithoutTable) {
  EXPECT_EQ(eval("type(table)"), "nil");
  EXPECT_EQ(run("table = nil t = {} array.insert(t, 1)"), "");
  EXPECT_EQ(eval("#t"), "1");
}

TEST_F(Syntax, NativeCodeRunsOnlyThroughTheProgramsCall) {
  // without the program's call routine, code is never jumped into
  lua_asmhook = [](lua_State *, const char *, void **code, size_t *size) -> int {
    static unsigned char trap[1] = {0xCC};
    *code = trap;
    *size = sizeof trap;
    return 1;
  };
  ASSERT_EQ(run("asmfunc f() lua! x end"), "");
  EXPECT_NE(run("f()").find("native code cannot be called in this program"),
            std::string::npos);
  lua_asmhook = record_hook;   // the empty native function needs none
  ASSERT_EQ(run("asmfunc e() lua! y end"), "");
  EXPECT_EQ(run("assert(select('#', e(1, 2)) == 0)"), "");
}

}  // namespace
