// The interface writer: exact texts, the file it replaces, and round trips
// (a fresh state running the written text writes the same text again).
#include <gtest/gtest.h>

#include <stdio.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <direct.h>
#include <io.h>
#else
#include <unistd.h>
#endif

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "gui/gui.h"
#include "gui/record.h"
#include "gui/savestate.h"
#include "gui/sbuf.h"
#include "gui/ssquote.h"
#include "tests/unit/gui/harness.h"
#include "tests/support/ts_lua.h"
#include "tests/support/ts_tmp.h"

extern "C" {
#include "lauxlib.h"
}

namespace {

lua_State *fresh() {
  lua_State *L = gh_state();
  ss_open(L);
  return L;
}

std::string text() {
  struct sbuf b;
  sb_init(&b);
  ss_build(gui_L, &b);
  std::string s(b.p ? b.p : "", b.n);
  sb_free(&b);
  return s;
}

std::string functions() {
  struct sbuf b;
  sb_init(&b);
  ss_functions(gui_L, &b);
  std::string s(b.p ? b.p : "", b.n);
  sb_free(&b);
  return s;
}

// Builds with script, writes, runs the text in a fresh state and writes
// again: both texts must be the same. Returns the first.
std::string round_trip(const char *script) {
  fresh();
  std::string out = gh_run(script);
  EXPECT_EQ(out, "") << script;
  std::string first = text();
  fresh();
  out = gh_run(first.c_str());
  EXPECT_EQ(out, "") << first;
  std::string second = text();
  EXPECT_EQ(first, second);
  return first;
}

std::string slurp(const std::string &file) {
  std::ifstream in(file, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

struct Savestate : ::testing::Test {
  void SetUp() override { fresh(); }
  void TearDown() override { gh_close(); }
};

// --- exact texts ---

TEST_F(Savestate, EmptyInterface) { EXPECT_EQ(text(), "_0_ = trelk;\n\n"); }

TEST_F(Savestate, DialogWithAButtonOnTheMainMenu) {
  gh_run("local d = dialog{name='D', w=200, h=100}"
         " local b = button{name='B', command='print(1)'} d:ins(b, 10, 20, 128, 22)"
         " b.x = 10 b.y = 20"
         " trelk:ins(d)");
  EXPECT_EQ(text(),
            "_0_ = trelk;\n\n"
            "\n\t_1_ = dialog{ name=\"D\", w=200, h=100,};"
            "\n\t__1__ = button{ name=\"B\", command=\"print(1)\",};"
            "\n\t_1_:ins(__1__,10,20,128,22);"
            "\n__0__ = _0_:ins(_1_);");
}

TEST_F(Savestate, ControlsOnTheMainMenu) {
  gh_run("trelk:ins(separator{}) trelk:ins(label{name='L', comment='tip'})"
         " local c = checkbox{name='c'} c.checked = true trelk:ins(c)"
         " trelk:ins(radio{name='r'})");
  EXPECT_EQ(text(),
            "_0_ = trelk;\n\n"
            "\n__0__ = separator{};\n_0_:ins(__0__);"
            "\n__0__ = label{ name=\"L\", comment=\"tip\",};\n_0_:ins(__0__);"
            "\n__0__ = checkbox{ name=\"c\",};\n__0__.checked = true;\n_0_:ins(__0__);"
            "\n__0__ = radio{ name=\"r\",};\n_0_:ins(__0__);");
}

TEST_F(Savestate, DoubleQuoteInANameBecomesASingleQuote) {
  gh_run("b = button{name='say \"hi\"', comment='a \"b\"'} trelk:ins(b)");
  EXPECT_EQ(text(), "_0_ = trelk;\n\n"
                    "\n__0__ = button{ name=\"say 'hi'\", comment=\"a 'b'\",};"
                    "\n_0_:ins(__0__);"
                    "\nb = __0__;");
  // the live object keeps the replaced text
  EXPECT_EQ(gh_eval("b.name, b.comment"), "say 'hi'\ta 'b'");
}

TEST_F(Savestate, CommandEscaping) {
  // quotes get a backslash; backslashes are doubled; line breaks escaped;
  // in a control line a tab stays a tab
  gh_run("trelk:ins(button{command='print(\"a\\\\n\\t\", \\'b\\')\\n\\tx()'})");
  EXPECT_EQ(text(), "_0_ = trelk;\n\n"
                    "\n__0__ = button{ command=\"print(\\\"a\\\\n\t\\\", \\'b\\')\\n\tx()\",};"
                    "\n_0_:ins(__0__);");
}

TEST_F(Savestate, AttachingEntryCommandEscapesTabs) {
  gh_run("local e = trelk:ins(menu{name='m'}) e.command = 'a()\\tb()'");
  EXPECT_EQ(text(), "_0_ = trelk;\n\n"
                    "\n\t_1_ = menu{ name=\"m\",};"
                    "\n__0__ = _0_:ins(_1_);"
                    "\n__0__.command = \"a()\\tb()\";");
}

TEST_F(Savestate, NestedMenusAndAttachingFlags) {
  gh_run("local a = menu{name='a'} local b = menu{name='b'} b:ins(button{name='x'})"
         " local e = a:ins(b) e.vertdrop = true e.container = true"
         " e.x = 1 e.y = 2 e.w = 3 e.h = 4 trelk:ins(a)");
  EXPECT_EQ(text(), "_0_ = trelk;\n\n"
                    "\n\t_1_ = menu{ name=\"a\",};"
                    "\n\t\t_2_ = menu{ name=\"b\",};"
                    "\n\t\t__2__ = button{ name=\"x\",};"
                    "\n\t\t_2_:ins(__2__);"
                    "\n\t__1__ = _1_:ins(_2_);"
                    "\n\t__1__.vertdrop = true;"
                    "\n\t__1__.container = true;"
                    "\n\t__1__.x = 1;__1__.y = 2;__1__.w = 3;__1__.h = 4;"
                    "\n__0__ = _0_:ins(_1_);");
}

TEST_F(Savestate, ContainerCommandAndFlags) {
  gh_run("local d = dialog{name='d', w=50, h=60} d.tabbed = true d.resizeable = true"
         " d.command = 'print(reason)' trelk:ins(d)");
  EXPECT_EQ(text(), "_0_ = trelk;\n\n"
                    "\n\t_1_ = dialog{ name=\"d\", w=50, h=60,};"
                    "\n\t_1_.tabbed = true;"
                    "\n\t_1_.resizeable = true;"
                    "\n\t_1_.command = function()\nprint(reason)\nend\n"
                    "\n__0__ = _0_:ins(_1_);");
}

TEST_F(Savestate, SubAndRightClickOfAControl) {
  gh_run("local b = button{name='b'} b.sub = menu{name='s'} b.vertdrop = true"
         " b.onRBUTTONCLICK = dialog{name='r', w=100, h=100} trelk:ins(b)");
  EXPECT_EQ(text(), "_0_ = trelk;\n\n"
                    "\n__0__ = button{ name=\"b\",};"
                    "\n_0_:ins(__0__);"
                    "\n\t_1_ = menu{ name=\"s\",};"
                    "\n__0__.sub = _1_;"
                    "\n__0__.vertdrop = true;"
                    "\n\t_1_ = dialog{ name=\"r\", w=100, h=100,};"
                    "\n__0__.onRBUTTONCLICK = _1_;");
}

TEST_F(Savestate, TableHungThroughSubIsNotWritten) {
  gh_run("local b = button{name='b'} b.sub = table{name='t'} trelk:ins(b)");
  EXPECT_EQ(text(), "_0_ = trelk;\n\n\n__0__ = button{ name=\"b\",};\n_0_:ins(__0__);");
}

TEST_F(Savestate, NumericEdit) {
  gh_run("local e = edit{name='10'} e.digital = 16 trelk:ins(e)");
  EXPECT_EQ(text(), "_0_ = trelk;\n\n\n__0__ = edit{ name=\"10\",};"
                    "\n__0__.digital = 16;\n_0_:ins(__0__);");
}

TEST_F(Savestate, StyleDefaultsAreNotWritten) {
  gh_run("local m = multiedit{} local s = m.style"
         " s[1].font.name = 'courier' s[1].font.size = 10 s[1].back = 0xFFFFFF"
         " s[1].fore = 0 s[1].visible = nil s[1].case = ''"
         " s[2].font.name = 'Arial' s[2].font.size = 12 s[2].font.bold = true"
         " s[2].font.italic = true s[2].underline = true s[2].back = 0xFF"
         " s[2].fore = 0x102030 s[2].case = 'upper' s[2].hotspot = true"
         " s[2].fill2eol = true s[2].visible = false"
         " s.margin[1].width = 20 trelk:ins(m)");
  EXPECT_EQ(text(), "_0_ = trelk;\n\n\n__0__ = multiedit{};"
                    "\n__0__.style[2].font.name = \"Arial\";"
                    "\n__0__.style[2].font.size = 12;"
                    "\n__0__.style[2].font.bold = true;"
                    "\n__0__.style[2].font.italic = true;"
                    "\n__0__.style[2].underline = true;"
                    "\n__0__.style[2].back = tonumber('ff',16);"
                    "\n__0__.style[2].fore = tonumber('102030',16);"
                    "\n__0__.style[2].case = \"upper\";"
                    "\n__0__.style[2].hotspot = true;"
                    "\n__0__.style[2].fill2eol = true;"
                    "\n__0__.style[2].visible = false;"
                    "\n_0_:ins(__0__);");
}

TEST_F(Savestate, OnlyKeywordSetsOneToNine) {
  gh_run("m = multiedit{} for i = 1, 32 do m.style.lex[i] = 'k' .. i end"
         " m.style.lex[3] = '' trelk:ins(m)");
  std::string t = text();
  EXPECT_NE(t.find("\n__0__.style.lex[1] = \"k1\";\n__0__.style.lex[2] = \"k2\";"
                   "\n__0__.style.lex[4] = \"k4\";"),
            std::string::npos);
  EXPECT_NE(t.find("style.lex[9] = \"k9\";"), std::string::npos);
  EXPECT_EQ(t.find("style.lex[10]"), std::string::npos);
  EXPECT_EQ(t.find("style.lex[3]"), std::string::npos);
}

TEST_F(Savestate, LexerFunctionWithItsSource) {
  gh_run("m = multiedit{}\nm.style.lex.lex = function(a, b) return a end\ntrelk:ins(m)");
  EXPECT_NE(text().find("\n__0__.style.lex.lex = function(a, b) return a end\n\n\n"),
            std::string::npos);
}

TEST_F(Savestate, GlobalFunctionsWithTheirSource) {
  gh_run("function f(x)\n  return x + 1\nend\n");
  EXPECT_EQ(text(), "_0_ = trelk;\n\nf = function(x)\n  return x + 1\nend\n\n\n");
  EXPECT_EQ(functions(), "f = function(x)\n  return x + 1\nend\n\n\n");
}

TEST_F(Savestate, OddGlobalKeysGoThroughG) {
  gh_run("_G['a b'] = function() end\n_G['end'] = function() end\n");
  std::string t = functions();
  EXPECT_NE(t.find("_G[\"a b\"] = function() end"), std::string::npos);
  EXPECT_NE(t.find("_G[\"end\"] = function() end"), std::string::npos);
}

TEST_F(Savestate, PlainEntriesAndNativeFunctionsAreSkipped) {
  gr_insert(gui_main_menu, gr_entry_new(0, "plain", NULL, NULL), -1);
  EXPECT_EQ(text(), "_0_ = trelk;\n\n");
}

TEST_F(Savestate, AMenuInsideItselfIsWrittenOnce) {
  gh_run("local m = menu{name='m'} trelk:ins(m) m:ins(m)");
  EXPECT_EQ(text(), "_0_ = trelk;\n\n\n\t_1_ = menu{ name=\"m\",};\n__0__ = _0_:ins(_1_);");
}

// --- round trips ---

TEST_F(Savestate, RoundTripEveryControlKind) {
  round_trip(
      "m = menu{name='controls', comment='all kinds'}\n"
      "m:ins(button{name='b', comment='tip', command='print(reason)'})\n"
      "m:ins(separator{})\n"
      "m:ins(label{name='label'})\n"
      "m:ins(checkbox{name='on', checked=true})\n"
      "m:ins(checkbox{name='off'})\n"
      "m:ins(radio{name='r1'}) m:ins(radio{name='r2', checked=true})\n"
      "e = edit{name='ff'} e.digital = 16 m:ins(e)\n"
      "m:ins(multiedit{name='text'})\n"
      "trelk:ins(m)\n");
}

TEST_F(Savestate, RoundTripNestingAndAttachments) {
  std::string t = round_trip(
      "outer = menu{name='outer'}\n"
      "inner = menu{name='inner'} inner:ins(button{name='deep'})\n"
      "e = outer:ins(inner) e.vertdrop = true e.command = 'print(1)'\n"
      "d = dialog{name='dlg', w=120, h=80} d:ins(label{name='l'}, 5, 6, 70, 20)\n"
      "a = outer:ins(d) a.container = true a.x = 1 a.y = 2 a.w = 100 a.h = 50\n"
      "b = button{name='with sub'} b.sub = dialog{name='sd', w=10, h=10}\n"
      "b.vertdrop = true outer:ins(b)\n"
      "r = button{name='rc'} r.onRBUTTONCLICK = menu{name='rm'}\n"
      "r.onRBUTTONCLICK:ins(button{name='in rm'}) outer:ins(r)\n"
      "t = dialog{name='tabs', w=300, h=200} t.tabbed = true t.resizeable = true\n"
      "t.command = 'print(reason)\\nprint(2)'\n"
      "trelk:ins(outer) trelk:ins(t)\n");
  EXPECT_NE(t.find("_1_.command = function()\nprint(reason)\nprint(2)\nend\n"),
            std::string::npos);
}

TEST_F(Savestate, RoundTripDialogsKeepTheirOrder) {
  std::string t = round_trip(
      "d = dialog{name='form', comment='c', w=300, h=200}\n"
      "d:ins(label{name='first'}, 1, 2, 30, 40)\n"
      "d:ins(edit{name='second'}, 5, 6, 70, 20)\n"
      "d:ins(checkbox{name='third', checked=true}, 9, 9, 50, 22)\n"
      "inner = dialog{name='inner', w=80, h=60} inner:ins(button{name='deep'}, 1, 1, 20, 20)\n"
      "a = d:ins(inner) a.container = true a.x = 10 a.y = 20 a.w = 80 a.h = 60\n"
      "t = dialog{name='tabs', w=200, h=100} t.tabbed = true\n"
      "t:ins(dialog{name='page 1', w=10, h=10}) t:ins(menu{name='page 2'})\n"
      "d:ins(t) trelk:ins(d)\n");
  // the controls come out in the order they went in
  size_t a = t.find("first"), b = t.find("second"), c = t.find("third");
  EXPECT_TRUE(a < b && b < c) << t;
  fresh();
  gh_run(t.c_str());
  // and the dialog's array is as the building script left it
  EXPECT_EQ(gh_eval("trelk[1].sub[1].name, trelk[1].sub[2].name, trelk[1].sub[3].name,"
                    " trelk[1].sub[5].name"),
            "tabs\tinner\tfirst\tthird");
}

TEST_F(Savestate, RoundTripStyles) {
  round_trip(
      "m = multiedit{name='code'} s = m.style\n"
      "s[1].font.name = 'Lucida Console' s[1].font.size = 9 s[1].fore = 0xFF0000\n"
      "s[5].case = 'lower' s[5].visible = false s[5].back = 0\n"
      "s.lex[1] = 'and break do' s.lex[2] = 'x \"y\" \\\\z'\n"
      "s.lex.lex = function(pos, len)\n  return pos\nend\n"
      "trelk:ins(m)\n");
}

TEST_F(Savestate, RoundTripGlobalFunctions) {
  round_trip("function atstart()\n  print('hi')\nend\n"
             "helper = function(a, b) return a .. b end\n"
             "trelk:ins(button{name='x', command=helper})\n");
}

// A function with functions inside keeps all of its text, and a command
// made inside it keeps its own.
TEST_F(Savestate, RoundTripNestedFunctions) {
  std::string t = round_trip(
      "function atstart()\n"
      "  local b = button{name='n'}\n"
      "  b.command = function() print('inner') end\n"
      "  trelk:ins(b)\n"
      "  return function(x) return x end\n"
      "end\n"
      "atstart()\n");
  EXPECT_NE(t.find("atstart = function()\n  local b"), std::string::npos) << t;
  EXPECT_NE(t.find("command=\" print(\\'inner\\') \""), std::string::npos) << t;
}

TEST_F(Savestate, RoundTripAwkwardTexts) {
  std::string t = round_trip(
      "trelk:ins(button{name='a \"q\" \\\\ b\\nc [[x]] ]=]', comment='\\r\\t\\1',"
      " command='print(\"it\\'s\", [[a\\\\b]], \\'\\\\\\'\\') -- \"x\\n\\tprint(\\'\\\\n\\')'})\n"
      "e = trelk:ins(menu{name='m\\\\'}) e.command = 's = [==[\\t\"\\\\]==]'\n");
  // the command survives as it was written
  fresh();
  gh_run(t.c_str());
  EXPECT_EQ(gh_eval("trelk[1].command"),
            "print(\"it's\", [[a\\b]], '\\'') -- \"x\n\tprint('\\n')");
  EXPECT_EQ(gh_eval("trelk[2].command"), "s = [==[\t\"\\]==]");
  EXPECT_EQ(gh_eval("trelk[1].name"), "a 'q' \\ b\nc [[x]] ]=]");
}

// --- global names, tables, whole trees ---

// The tree below `trelk' as scripts see it: kinds, names and properties,
// rows in order, attached and right-click objects, and the global names
// that reach each object.
const char *const tree_dump = R"LUA(
(function()
  local function writer_var(k)   -- _1_, __1__: the writer's own
    for u = 1, 2 do
      local mid = k:sub(u + 1, -u - 1)
      if #k > 2 * u and k:sub(1, u) == ('_'):rep(u) and k:sub(-u) == ('_'):rep(u) then
        local digits = true
        for i = 1, #mid do
          local b = mid:byte(i)
          if b < 48 or b > 57 then digits = false end
        end
        if digits then return true end
      end
    end
    return false
  end
  local names = {}
  for k, v in pairs(_G) do
    if type(k) == 'string' and type(v) == 'table' and k ~= 'this'
       and k ~= 'trelk' and not writer_var(k)
       and (rawget(v, 'HANDLE') or rawget(v, 'msHANDLE')) then
      names[v] = names[v] or {}
      names[v][#names[v] + 1] = k
    end
  end
  local out, seen = {}, {}
  local props = {'name', 'comment', 'command', 'x', 'y', 'w', 'h', 'checked',
                 'tabbed', 'digital', 'vertdrop', 'container'}
  local function walk(o, d, how)
    local s = {string.rep(' ', d) .. how, tostring(rawget(o, 'TYPE'))}
    if seen[o] then out[#out + 1] = s[1] .. ' again' return end
    seen[o] = true
    for _, p in ipairs(props) do
      local v = o[p]
      -- a container's command is written as a function: it comes back
      -- with the line break after `function()' and the one before `end'
      if p == 'command' and v and rawget(o, 'HANDLE') then
        v = v:gsub('^\n', ''):gsub('\n$', '')
      end
      if v ~= nil and v ~= false and v ~= 0 then
        s[#s + 1] = p .. '=' .. string.format('%q', tostring(v))
      end
    end
    if names[o] then
      array.sort(names[o])
      s[#s + 1] = 'as ' .. array.concat(names[o], ',')
    end
    out[#out + 1] = array.concat(s, ' ')
    if rawget(o, 'HANDLE') then
      for i = 1, o.n do walk(o[i], d + 1, '[' .. i .. ']') end
    else
      if o.sub then walk(o.sub, d + 1, 'sub') end
    end
    if o.onRBUTTONCLICK then walk(o.onRBUTTONCLICK, d + 1, 'rclick') end
  end
  walk(trelk, 0, 'trelk')
  return array.concat(out, '\n')
end)()
)LUA";

std::string tree() { return gh_eval(tree_dump); }

// An application of every kind of object, with global names.
const char *const notes_app = R"LUA(
local file = menu{name = 'File', comment = 'files'}
file:ins(button{name = 'New', command = 'print("new")'})
file:ins(separator{})
recent = menu{name = 'Recent'}
recent:ins(button{name = 'one.txt'})
local re = file:ins(recent) re.vertdrop = true
trelk:ins(file)
form = dialog{name = 'Note', comment = 'one note', w = 420, h = 360,
              command = 'if reason == 3 then print(form.w) end'}
form.resizeable = true
title = edit{name = 'Title'} form:ins(title, 10, 10, 200, 22)
body = multiedit{name = 'line 1\nline 2'} form:ins(body, 10, 40, 200, 80)
body.style[1].fore = 0xFF
count = edit{name = '7'} count.digital = 10 form:ins(count, 220, 10, 80, 22)
form:ins(label{name = 'Tags'}, 10, 130, 60, 22)
form:ins(checkbox{name = 'Pinned', checked = true}, 80, 130, 100, 22)
form:ins(radio{name = 'Low'}, 10, 160, 80, 22)
form:ins(radio{name = 'High', checked = true}, 90, 160, 80, 22)
form:ins(separator{}, 10, 190, 300, 5)
greet = button{name = 'Greet', comment = 'say hi',
               command = 'greet.name = "Hi " .. title.name'}
form:ins(greet, 10, 200, 100, 22)
greet.onRBUTTONCLICK = menu{name = 'greet menu'}
greet.onRBUTTONCLICK:ins(button{name = 'Copy'})
rows = table{name = 'Rows', comment = 'forty'}
for i = 1, 40 do rows:ins(button{name = 'row ' .. i, command = 'print(' .. i .. ')'}) end
rows.command = 'print(scrollCurPos)'
local emb = form:ins(rows, 10, 230, 300, 100) emb.container = true
local notes = trelk:ins(form) notes.command = 'print("opening")'
tabs = dialog{name = 'Settings', w = 300, h = 200} tabs.tabbed = true
general = dialog{name = 'General'} general:ins(checkbox{name = 'Autosave'}, 5, 5, 120, 22)
tabs:ins(general, 1)
colours = menu{name = 'Colours'} colours:ins(button{name = 'Reset'})
tabs:ins(colours, 2)
trelk:ins(tabs)
local b = button{name = 'with side'} b.sub = menu{name = 'side'} trelk:ins(b)
)LUA";

TEST_F(Savestate, GlobalNamesFollowTheirObjects) {
  gh_run("form = dialog{name='F', w=100, h=50} greet = button{name='g'}"
         " form:ins(greet, 1, 2, 3, 4) files = menu{name='m'}"
         " entry = trelk:ins(files) also = form _G['a b'] = greet"
         " trelk:ins(form) this = greet _1_ = form __0__ = greet"
         " loose = button{name='not placed'}");
  EXPECT_EQ(text(), "_0_ = trelk;\n\n"
                    "\n\t_1_ = menu{ name=\"m\",};"
                    "\n\tfiles = _1_;"
                    "\n__0__ = _0_:ins(_1_);"
                    "\nentry = __0__;"
                    "\n\t_1_ = dialog{ name=\"F\", w=100, h=50,};"
                    "\n\talso = _1_;"
                    "\n\tform = _1_;"
                    "\n\t__1__ = button{ name=\"g\",};"
                    "\n\t_1_:ins(__1__,1,2,3,4);"
                    "\n\t_G[\"a b\"] = __1__;"
                    "\n\tgreet = __1__;"
                    "\n__0__ = _0_:ins(_1_);");
}

TEST_F(Savestate, GlobalFunctionsInTheOrderOfTheirNames) {
  gh_run("function zeta() end\nfunction alpha() end\nfunction _G.Mid() end\n"
         "_G['b c'] = function() end\n");
  std::string t = functions();
  size_t mid = t.find("Mid = "), alpha = t.find("alpha = "),
         bc = t.find("_G[\"b c\"] = "), zeta = t.find("zeta = ");
  EXPECT_TRUE(mid < alpha && alpha < bc && bc < zeta && zeta != std::string::npos) << t;
}

TEST_F(Savestate, TablesAreWrittenAsTablesWithTheirRowsInOrder) {
  gh_run("local t = table{name='T', comment='c'} t:ins(button{name='r1'})"
         " t:ins(label{name='r2'}) t:ins(menu{name='m'}) t.resizeable = true"
         " local d = dialog{name='d', w=200, h=100}"
         " local e = d:ins(t, 5, 6, 150, 80) e.container = true trelk:ins(d)");
  EXPECT_EQ(text(), "_0_ = trelk;\n\n"
                    "\n\t_1_ = dialog{ name=\"d\", w=200, h=100,};"
                    "\n\t\t_2_ = table{ name=\"T\", comment=\"c\",};"
                    "\n\t\t_2_.resizeable = true;"
                    "\n\t\t__2__ = button{ name=\"r1\",};"
                    "\n\t\t_2_:ins(__2__);"
                    "\n\t\t__2__ = label{ name=\"r2\",};"
                    "\n\t\t_2_:ins(__2__);"
                    "\n\t\t\t_3_ = menu{ name=\"m\",};"
                    "\n\t\t__2__ = _2_:ins(_3_);"
                    "\n\t__1__ = _1_:ins(_2_);"
                    "\n\t__1__.container = true;"
                    "\n\t__1__.x = 5;__1__.y = 6;__1__.w = 150;__1__.h = 80;"
                    "\n__0__ = _0_:ins(_1_);");
}

// Built, written, read back in a fresh state: the same tree (kinds, names,
// properties, rows, commands, global names), and the same text again.
TEST_F(Savestate, AnApplicationComesBackWhole) {
  std::string out = gh_run(notes_app);
  ASSERT_EQ(out, "");
  std::string before = tree();
  ASSERT_NE(before.find("[40] MenuString name=\"row 40\""), std::string::npos) << before;
  ASSERT_NE(before.find("Table name=\"Rows\""), std::string::npos) << before;
  std::string first = text();
  fresh();
  ASSERT_EQ(gh_run(first.c_str()), "") << first;
  EXPECT_EQ(tree(), before);
  EXPECT_EQ(text(), first);
  // start-up code and commands find their objects by their names again
  EXPECT_EQ(gh_run("form.w = 421 greet.command = greet.command"), "");
  EXPECT_EQ(gh_eval("greet.name, title.name, rows.n, rows[1].name"),
            "Greet\tTitle\t40\trow 1");
}

// A file in the writer's first format, without global names, still loads
// and is written again as it was.
TEST_F(Savestate, AFileWithoutGlobalNamesStillLoads) {
  std::string part = slurp(ts_here("part_format.t"));
  ASSERT_NE(part, "");
  ASSERT_EQ(gh_run(part.c_str()), "");
  EXPECT_EQ(gh_eval("trelk.n, trelk[1].name, trelk[1].sub[1].name, trelk[2].sub.w,"
                    " trelk[2].sub[2].digital, helper(4)"),
            "2\tTools\tHello\t200\t16\t8");
  EXPECT_EQ(text(), part);
}

// --- the file ---

// a folder of its own in the run's temporary folder, emptied at the end
struct SaveFile : Savestate {
  std::string dir;
  std::vector<std::string> made;
  void SetUp() override {
    Savestate::SetUp();
#ifdef _WIN32
    ss_ops.replace = ss_move_over;
#endif
    dir = ts_newdir("ssfile");
  }
  std::string path(const char *name) {
    made.push_back(dir + "/" + name);
    return made.back();
  }
  void TearDown() override {
    for (const std::string &f : made) {
      chmod(f.c_str(), 0666);
      remove(f.c_str());
      remove((f + ".~save").c_str());
    }
    rmdir(dir.c_str());
    Savestate::TearDown();
  }
};

TEST_F(SaveFile, WritesTheTextAndNoTemporaryIsLeft) {
  std::string f = path("start.t");
  { std::ofstream(f) << "old text that is longer than the new one....."; }
  gh_run("trelk:ins(button{name='b'})");
  gh_run(("savestate('" + f + "')").c_str());
  EXPECT_EQ(slurp(f), "_0_ = trelk;\n\n\n__0__ = button{ name=\"b\",};\n_0_:ins(__0__);");
  struct stat st;
  EXPECT_NE(stat((f + ".~save").c_str(), &st), 0);
}

TEST_F(SaveFile, DefaultTargetIsTheStartupScript) {
  std::string f = path("start.t");
  ss_default_file = f.c_str();
  EXPECT_EQ(gh_run("savestate()"), "");
  ss_default_file = "start.t";
  EXPECT_EQ(slurp(f), "_0_ = trelk;\n\n");
}

TEST_F(SaveFile, UnwritableTargetIsLeftUntouched) {
  std::string f = path("start.t");
  { std::ofstream(f) << "keep me"; }
  chmod(f.c_str(), 0444);
  FILE *probe = fopen(f.c_str(), "r+b");   // root writes read-only files
  bool root_writes = probe != nullptr;
  if (probe) fclose(probe);
  EXPECT_EQ(gh_run(("savestate('" + f + "')").c_str()), "");
  if (!root_writes) {
    EXPECT_EQ(slurp(f), "keep me");
  }
  // a directory in the way, and a missing directory: nothing happens
  EXPECT_EQ(gh_run(("savestate('" + dir + "')").c_str()), "");
  EXPECT_EQ(gh_run(("savestate('" + dir + "/no/such')").c_str()), "");
  struct stat st;
  EXPECT_EQ(stat(dir.c_str(), &st), 0);
  EXPECT_TRUE(st.st_mode & S_IFDIR);
}

TEST_F(SaveFile, FailedReplaceKeepsTheOldFile) {
  std::string f = path("start.t");
  { std::ofstream(f) << "old"; }
  struct ss_ops keep = ss_ops;
  ss_ops.replace = [](const char *, const char *) { return 0; };
  EXPECT_EQ(ss_save(gui_L, f.c_str()), 0);
  ss_ops = keep;
  EXPECT_EQ(slurp(f), "old");
  struct stat st;
  EXPECT_NE(stat((f + ".~save").c_str(), &st), 0);
}

TEST_F(SaveFile, BadFileNameArgument) {
  EXPECT_EQ(gh_run("savestate({})"), "savestate: the file name must be a string\n");
}

// Any text put between quotes by the escaping reads back as itself.
std::string read_back(const std::string &quoted) {
  ts_state s;
  std::string out = "<does not load>";
  if (ts_run(s.L, "return \"" + quoted + "\"", out, 1, "t")) {
    size_t n;
    const char *p = lua_tolstring(s.L, -1, &n);
    out.assign(p, n);
  } else {
    out = "<does not load>";
  }
  return out;
}

TEST(SaveQuoting, RandomTextsReadBackExactly) {
  const char pool[] = "ab \\\"'\n\r\t[]=-0123\x01\x7f\xe9";
  unsigned seed = 12345;
  for (int round = 0; round < 500; round++) {
    std::string s;
    int n = (int)(seed % 40);
    for (int i = 0; i < n; i++) {
      seed = seed * 1103515245u + 12345u;
      s += pool[(seed >> 16) % (sizeof pool - 1)];
    }
    seed = seed * 1103515245u + 12345u;
    struct sbuf b;
    sb_init(&b);
    if (round % 2) sq_command(&b, s.data(), s.size(), round % 4 == 1);
    else sq_text(&b, s.data(), s.size());
    std::string q(b.p ? b.p : "", b.n);
    sb_free(&b);
    ASSERT_EQ(read_back(q), s) << "escaped as " << q;
    // nothing raw that would end the string or the line
    EXPECT_EQ(q.find('\n'), std::string::npos);
  }
  // a digit after an escaped control byte stays a digit
  struct sbuf b;
  sb_init(&b);
  sq_text(&b, "\x01" "2", 2);
  EXPECT_EQ(read_back(std::string(b.p, b.n)), "\x01" "2");
  sb_free(&b);
}

TEST(SaveBuffer, GrowsInSteps) {
  struct sbuf b;
  sb_init(&b);
  for (int i = 0; i < 1000; i++) sb_printf(&b, "%04d|", i);
  EXPECT_EQ(b.n, 5000u);
  EXPECT_EQ(b.cap % SB_STEP, 0u);
  EXPECT_EQ(std::string(b.p + 4995), "0999|");
  sb_free(&b);
}

}  // namespace
