#include <gtest/gtest.h>

#include "tests/support/ts_lua.h"
#include "tests/unit/editor/fakes.h"

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

namespace {

struct StyleTable : ::testing::Test {
  lua_State *L = ts_fresh();
  recorder rec;
  int hwnd_dummy = 0;
  ~StyleTable() override { lua_close(L); }

  /* runs `code' (which sets the global o) and applies o's style table */
  void apply(const char *code) {
    ASSERT_EQ("", ts_do(L, code));
    lua_getglobal(L, "o");
    int top = lua_gettop(L);
    es_sink s = rec.sink();
    es_apply(L, -1, &hwnd_dummy, &s);
    EXPECT_EQ(top, lua_gettop(L));
    lua_pop(L, 1);
  }
  std::vector<sent> of(unsigned m) const { return rec.of(m); }
};

TEST_F(StyleTable, FortyEntriesOnFiveBitsApplyThirtyTwo) {
  apply("o = {style = {}} for i = 1, 40 do o.style[i] = {fore = i} end");
  auto fore = of(SCM_STYLESETFORE);
  ASSERT_EQ(32u, fore.size());
  EXPECT_EQ(0u, fore.front().wp);
  EXPECT_EQ(1, fore.front().lp);
  EXPECT_EQ(31u, fore.back().wp);
}

TEST_F(StyleTable, StyleBitsBoundTheCount) {
  rec.style_bits = 2;
  apply("o = {style = {}} for i = 1, 10 do o.style[i] = {back = 1} end");
  EXPECT_EQ(4u, of(SCM_STYLESETBACK).size());
}

TEST_F(StyleTable, BoldIsNeverClearedItalicIs) {
  apply("o = {style = {{font = {bold = false, italic = false}},"
        "{font = {bold = 'yes', italic = true}}, {font = {italic = 1}}}}");
  auto bold = of(SCM_STYLESETBOLD);
  ASSERT_EQ(1u, bold.size());
  EXPECT_EQ(1u, bold[0].wp);
  auto italic = of(SCM_STYLESETITALIC);
  ASSERT_EQ(2u, italic.size());   /* the number 1 is not a boolean */
  EXPECT_EQ(0, italic[0].lp);
  EXPECT_EQ(1, italic[1].lp);
}

TEST_F(StyleTable, CaseByFirstLetter) {
  apply("o = {style = {{case = 'lower'}, {case = 'Upper'}, {case = 'mixed'},"
        "{case = 7}, {case = ''}, {case = true}}}");
  auto c = of(SCM_STYLESETCASE);
  ASSERT_EQ(5u, c.size());
  EXPECT_EQ(2, c[0].lp);
  EXPECT_EQ(1, c[1].lp);
  EXPECT_EQ(0, c[2].lp);
  EXPECT_EQ(0, c[3].lp);
  EXPECT_EQ(0, c[4].lp);
}

TEST_F(StyleTable, FontKeysAndTheirTypes) {
  apply("o = {style = {{font = {name = 'Courier', size = '12'}},"
        "{font = {name = 5, size = 9.7}}, {font = 'Arial'}, {font = {size = 'x'}}}}");
  auto name = of(SCM_STYLESETFONT);
  ASSERT_EQ(1u, name.size());
  EXPECT_EQ("Courier", name[0].ls);
  auto size = of(SCM_STYLESETSIZE);
  ASSERT_EQ(2u, size.size());
  EXPECT_EQ(12, size[0].lp);
  EXPECT_EQ(9, size[1].lp);
}

TEST_F(StyleTable, PerStyleOrder) {
  apply("o = {style = {{visible = true, fill2eol = false, hotspot = true,"
        "case = 'u', fore = 1, back = 2, underline = true,"
        "font = {italic = true, bold = 1, size = 3, name = 'n'}}}}");
  std::vector<unsigned> want = {
      SCM_GETSTYLEBITS, SCM_CLEARDOCUMENTSTYLE, SCM_STYLESETFONT,
      SCM_STYLESETSIZE, SCM_STYLESETBOLD, SCM_STYLESETITALIC,
      SCM_STYLESETUNDERLINE, SCM_STYLESETBACK, SCM_STYLESETFORE,
      SCM_STYLESETCASE, SCM_STYLESETHOTSPOT, SCM_STYLESETEOLFILLED,
      SCM_STYLESETVISIBLE, SCM_COLOURISE};
  std::vector<unsigned> got;
  for (const sent &s : rec.log) got.push_back(s.msg);
  EXPECT_EQ(want, got);
  EXPECT_EQ(-1, rec.log.back().lp);
}

TEST_F(StyleTable, MarginTypesAndWidths) {
  apply("o = {style = {margin = {{type = 'fold', w = '99'},"
        "{type = 'Number', w = 20.9}, {type = 'Symbol', w = true}}}}");
  auto type = of(SCM_SETMARGINTYPEN);
  ASSERT_EQ(3u, type.size());
  EXPECT_EQ(2, type[0].lp);
  EXPECT_EQ(1, type[1].lp);
  EXPECT_EQ(0, type[2].lp);
  auto tw = of(SCM_TEXTWIDTH);
  ASSERT_EQ(1u, tw.size());
  EXPECT_EQ(33u, tw[0].wp);
  EXPECT_EQ("99", tw[0].ls);
  auto w = of(SCM_SETMARGINWIDTHN);
  ASSERT_EQ(2u, w.size());
  EXPECT_EQ(0u, w[0].wp);
  EXPECT_EQ(14 + 4, w[0].lp);
  EXPECT_EQ(1u, w[1].wp);
  EXPECT_EQ(20, w[1].lp);
}

TEST_F(StyleTable, NoLexSelectsNoLexingAndStoresZero) {
  apply("o = {style = {lex = {}}}");
  auto ptr = of(SCM_SETPTRPROPERTY);
  ASSERT_EQ(2u, ptr.size());
  EXPECT_EQ("lexer", ptr[0].ws);
  EXPECT_EQ(0, ptr[0].lp);
  EXPECT_EQ("folder", ptr[1].ws);
  EXPECT_EQ(0, ptr[1].lp);
  auto lexer = of(SCM_SETLEXER);
  ASSERT_EQ(1u, lexer.size());
  EXPECT_EQ((uintptr_t)ES_LEX_NONE, lexer[0].wp);
  auto prop = of(SCM_SETPROPERTY);
  ASSERT_EQ(1u, prop.size());
  EXPECT_EQ("fold", prop[0].ws);
  EXPECT_EQ("0", prop[0].ls);
}

TEST_F(StyleTable, KeywordSetsOneToNineStringsOnly) {
  apply("o = {style = {lex = {}}} for i = 1, 12 do o.style.lex[i] = 'w' .. i end "
        "o.style.lex[3] = 3");
  auto kw = of(SCM_SETKEYWORDS);
  ASSERT_EQ(8u, kw.size());
  EXPECT_EQ(0u, kw[0].wp);
  EXPECT_EQ("w1", kw[0].ls);
  EXPECT_EQ(1u, kw[1].wp);
  EXPECT_EQ(3u, kw[2].wp);   /* set 2 (entry 3) skipped */
  EXPECT_EQ(8u, kw.back().wp);
  EXPECT_EQ("w9", kw.back().ls);
}

TEST_F(StyleTable, LexerAndFolderAreBoundWithTheirEnvironment) {
  apply("o = {style = {lex = {lex = function() end, folder = function() end}}}");
  auto ptr = of(SCM_SETPTRPROPERTY);
  ASSERT_EQ(2u, ptr.size());
  EXPECT_NE(0, ptr[0].lp);
  EXPECT_NE(0, ptr[1].lp);
  EXPECT_NE(ptr[0].lp, ptr[1].lp);
  EXPECT_EQ((uintptr_t)ES_LEX_SCRIPT, of(SCM_SETLEXER)[0].wp);
  EXPECT_EQ("1", of(SCM_SETPROPERTY)[0].ls);
  /* the lexer and the folder share the globals: the folder's wl replaced
     the lexer's; both see this and hWnd */
  ASSERT_EQ("", ts_do(L, "assert(this == o)"
                                "assert(type(hWnd) == 'userdata')"
                                "assert(#wl == 9 and next(wl[9]) == nil)"));
  lua_getglobal(L, "hWnd");
  EXPECT_EQ(&hwnd_dummy, lua_touserdata(L, -1));
  lua_pop(L, 1);
}

TEST_F(StyleTable, NotATableSendsNothingButTheBitsQuery) {
  apply("o = {style = 'no'}");
  ASSERT_EQ(1u, rec.log.size());
  EXPECT_EQ((unsigned)SCM_GETSTYLEBITS, rec.log[0].msg);
}

TEST_F(StyleTable, MissingLexStillColourises) {
  apply("o = {style = {lex = 5}}");
  EXPECT_TRUE(of(SCM_SETLEXER).empty());
  EXPECT_EQ(1u, of(SCM_COLOURISE).size());
}

TEST_F(StyleTable, MetamethodsAreNotRun) {
  apply("local bad = setmetatable({}, {__index = function() error('x') end}) "
        "o = {style = setmetatable({bad, margin = bad, lex = bad},"
        "{__index = function() error('y') end})}");
  EXPECT_EQ(1u, of(SCM_COLOURISE).size());
  EXPECT_EQ(1u, of(SCM_SETLEXER).size());
}

TEST_F(StyleTable, EnvironmentEntriesPassAnyMetatable) {
  apply("setmetatable(_G, {__newindex = function() error('no') end}) "
        "rawset(_G, 'o', {style = {lex = {lex = function() end}}})");
  ASSERT_EQ("", ts_do(L, "assert(rawget(_G, 'this') == o)"));
}

TEST(LuaColourSet, ExactSequence) {
  recorder rec;
  es_sink s = rec.sink();
  es_lua_colours(&s);
  struct { unsigned msg; uintptr_t wp; intptr_t lp; } want[] = {
      {SCM_CLEARDOCUMENTSTYLE, 0, 0}, {SCM_SETLEXER, 15, 0},
      {SCM_STYLESETFORE, 2, 0x00FF00}, {SCM_STYLESETITALIC, 2, 1},
      {SCM_STYLESETFORE, 1, 0x00FF00}, {SCM_STYLESETITALIC, 1, 1},
      {SCM_STYLESETFORE, 4, 0xFF0000}, {SCM_STYLESETFORE, 6, 0x800060},
      {SCM_STYLESETFORE, 7, 0x800060}, {SCM_STYLESETFORE, 8, 0x800060},
      {SCM_SETKEYWORDS, 0, -1}, {SCM_STYLESETFORE, 5, 0x000090},
      {SCM_STYLESETCASE, 5, 1}, {SCM_STYLESETFORE, 10, 0x764847},
      {SCM_STYLESETFORE, 11, 0x0000FF}, {SCM_TEXTWIDTH, 33, -1},
      {SCM_SETMARGINWIDTHN, 0, 3 * 7 + 5}, {SCM_SETMARGINWIDTHN, 1, 0},
      {SCM_COLOURISE, 0, -1}};
  ASSERT_EQ(sizeof want / sizeof want[0], rec.log.size());
  for (size_t i = 0; i < rec.log.size(); i++) {
    EXPECT_EQ(want[i].msg, rec.log[i].msg) << i;
    EXPECT_EQ(want[i].wp, rec.log[i].wp) << i;
    if (want[i].lp != -1 || want[i].msg == SCM_COLOURISE) {
      EXPECT_EQ(want[i].lp, rec.log[i].lp) << i;
    }
  }
  EXPECT_EQ("9", rec.log[15].ls);
  std::string kw = rec.log[10].ls;
  EXPECT_EQ(0u, kw.find("and break do"));
  EXPECT_EQ(std::string::npos, kw.find("asm"));
}

}  // namespace
