// Scripted lexers and folders in real editor windows: colours on screen,
// folding that hides a block, and lexers that misbehave.
#include <gtest/gtest.h>

#include "Scintilla.h"
#include "tests/inproc/editor/harness.h"

namespace {

LRESULT sci(HWND h, UINT m, WPARAM w = 0, LPARAM l = 0) {
  return SendMessageA(h, m, w, l);
}

const COLORREF RED = 0x0000FF, GREEN = 0x008000, BLUE = 0xFF0000;

// keywords of wl[1] in style 5, "strings" in 3, # comments in 4
const char *small_language =
    "function lexer()"
    "  while more do"
    "    if state == 2 and not (ch >= 'a' and ch <= 'z') then"
    "      if wl[1].InList(current) then changestate(5) end setstate(1)"
    "    elseif state == 3 and ch == '\"' then forward() setstate(1)"
    "    elseif state == 4 and atLineEnd then forward() setstate(1) end"
    "    if state == 1 then"
    "      if ch == '#' then setstate(4) elseif ch == '\"' then setstate(3)"
    "      elseif ch >= 'a' and ch <= 'z' then setstate(2) end"
    "    end"
    "    forward()"
    "  end"
    "  if state == 2 and wl[1].InList(current) then changestate(5) end"
    "  complete()"
    "end ";

struct Lexers : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
  void TearDown() override { close_menus(); }
  // a shown multiedit `e' with text, the lexer and folder globals bound
  std::string shown;   // terminal output of the last show
  HWND show(const std::string &text, const std::string &setup) {
    shown = lua(
        "e = multiedit{name = [[" + text + "]], w = 420, h = 200} "
        "for i = 1, 5 do e.style[i].font = {name = 'Courier New', size = 16, bold = true} end "
        "e.style.margin[1].w = 0 " + setup +
        " m = menu{name = 'L'} m:ins(e) m:show(40, 40)");
    HWND h = editor_of("e");
    if (h) {
      sci(h, SCI_SETFONTQUALITY, SC_EFF_QUALITY_NON_ANTIALIASED);
      sci(h, SCI_SETCARETWIDTH, 0);
      sci(h, SCI_SETCARETLINEVISIBLE, 0);
      sci(h, SCI_COLOURISE, 0, -1);
    }
    return h;
  }
  static int box(const shot &s, HWND h, COLORREF c, long from, long to) {
    int x0 = (int)sci(h, SCI_POINTXFROMPOSITION, 0, from);
    int x1 = (int)sci(h, SCI_POINTXFROMPOSITION, 0, to);
    int y0 = (int)sci(h, SCI_POINTYFROMPOSITION, 0, from);
    int y1 = y0 + (int)sci(h, SCI_TEXTHEIGHT, 0);
    return s.count(c, x0, y0, x1, y1);
  }
};

TEST_F(Lexers, AForwardingLexerColoursEverythingInStyleOne) {
  HWND h = show("abc\ndef", "e.style.lex.lex = function() while more do forward() end complete() end");
  ASSERT_NE(nullptr, h);
  EXPECT_EQ(2, sci(h, 4002));
  for (int p = 0; p < 7; p++) EXPECT_EQ(0, sci(h, SCI_GETSTYLEAT, p)) << p;
}

TEST_F(Lexers, ScriptColoursShowOnScreen) {
  HWND h = show("while x do\n  say \"hi\"\nend # done\n",
                std::string(small_language) +
                "e.style.lex.lex = lexer e.style.lex[1] = 'while do end' "
                "e.style[1].fore = 0 e.style[2].fore = 0 e.style[3].fore = 0x008000 "
                "e.style[4].fore = 0xFF0000 e.style[5].fore = 0x0000FF");
  ASSERT_NE(nullptr, h);
  EXPECT_EQ(4, sci(h, SCI_GETSTYLEAT, 0));    // while: keyword
  EXPECT_EQ(1, sci(h, SCI_GETSTYLEAT, 6));    // x
  EXPECT_EQ(2, sci(h, SCI_GETSTYLEAT, 17));   // "hi"
  EXPECT_EQ(3, sci(h, SCI_GETSTYLEAT, 26));   // # done
  shot s = capture(h);
  ASSERT_GT(s.w, 0);
  EXPECT_GT(box(s, h, RED, 0, 5), 10);        // while
  EXPECT_EQ(0, box(s, h, GREEN, 0, 5));
  EXPECT_EQ(0, box(s, h, RED, 6, 7));         // x
  EXPECT_GT(box(s, h, RED, 8, 10), 5);        // do
  EXPECT_GT(box(s, h, GREEN, 17, 21), 5);     // "hi"
  EXPECT_EQ(0, box(s, h, RED, 17, 21));
  EXPECT_GT(box(s, h, BLUE, 26, 32), 10);     // # done
  EXPECT_GT(box(s, h, RED, 22, 25), 5);       // end
}

TEST_F(Lexers, FoldingHidesAFoldedBlock) {
  const char *folder =
      "e.style.lex.folder = function()"
      "  local level, line, first, pos = 0x400, 0, true, 0"
      "  while pos < startPos + length do"
      "    local c = getChar(pos)"
      "    if first then"
      "      if c == '{' then setLevel(line, level + 0x2000) level = level + 1"
      "      elseif c == '}' then level = level - 1 setLevel(line, level)"
      "      else setLevel(line, level) end"
      "      first = false"
      "    end"
      "    if c == '\\n' then line = line + 1 first = true end"
      "    pos = pos + 1"
      "  end "
      "end "
      "e.style[1].fore = 0xFF0000 "
      "e.style.lex.lex = function() while more do forward() end complete() end";
  HWND h = show("{ block\n  inner one\n  inner two\n}\nafter\n", folder);
  ASSERT_NE(nullptr, h);
  EXPECT_EQ(1, sci(h, SCI_GETPROPERTYINT, (WPARAM)"fold", 0));
  EXPECT_EQ(0x2400, sci(h, SCI_GETFOLDLEVEL, 0));
  EXPECT_EQ(0x401, sci(h, SCI_GETFOLDLEVEL, 1));
  int lh = (int)sci(h, SCI_TEXTHEIGHT, 0);
  shot before = capture(h);
  int row1 = before.count(BLUE, 0, lh, before.w, 2 * lh);
  int row3 = before.count(BLUE, 0, 3 * lh, before.w, 4 * lh);
  ASSERT_GT(row1, 0);
  ASSERT_NE(row1, row3);
  sci(h, SCI_TOGGLEFOLD, 0);
  EXPECT_FALSE(sci(h, SCI_GETLINEVISIBLE, 1));
  EXPECT_FALSE(sci(h, SCI_GETLINEVISIBLE, 2));
  EXPECT_TRUE(sci(h, SCI_GETLINEVISIBLE, 3));
  shot after = capture(h);
  // the closing line now sits where the first inner line was
  EXPECT_EQ(row3, after.count(BLUE, 0, lh, after.w, 2 * lh));
}

TEST_F(Lexers, KeywordsAndStateThroughTheRealWordLists) {
  HWND h = show("while whilst", "e.style.lex[1] = 'while ^wh' "
                "e.style.lex.lex = function() a = wl[1].InList('while') "
                "b = wl[1].InList('whx') c = wl[1].InList('if') d = wl[2].InList('while') "
                "while more do forward() end complete() end");
  ASSERT_NE(nullptr, h);
  EXPECT_EQ("true", str("a"));
  EXPECT_EQ("true", str("b"));   // "^wh" takes any word with that prefix
  EXPECT_EQ("false", str("c"));
  EXPECT_EQ("false", str("d"));
}

TEST_F(Lexers, ALexerThatAlwaysFailsIsReported) {
  HWND h = show("text", "e.style.lex.lex = function() forward() error('bad') end");
  ASSERT_NE(nullptr, h);
  capture(h);
  EXPECT_NE(std::string::npos, shown.find("Runtime error in control callback."));
  std::string out = drv_run("print(40 + 2)");
  EXPECT_NE(std::string::npos, out.find("42"));
  out = lua("e:mes(4003, 0, -1)");
  EXPECT_NE(std::string::npos, out.find("Runtime error in control callback."));
  EXPECT_EQ(std::string::npos, out.find("bad"));
}

TEST_F(Lexers, BadStatesDoNotCrash) {
  HWND h = show("abcdef",
                "e.style.lex.lex = function() setstate(0) forward() setstate(33) "
                "forward() setstate(1e300) forward() setstate(-7) forward() "
                "complete() setstate('x') end");
  ASSERT_NE(nullptr, h);
  capture(h);
  EXPECT_EQ(31, sci(h, SCI_GETSTYLEAT, 0));
  EXPECT_EQ(0, sci(h, SCI_GETSTYLEAT, 1));
  std::string out = lua("e:mes(4003, 0, -1)");
  EXPECT_NE(std::string::npos, out.find("Runtime error in control callback."));
  EXPECT_EQ("ok", str("'ok'"));
}

TEST_F(Lexers, ALexerThatDeletesItsControl) {
  HWND h = show("gone soon", "e.style.lex.lex = function() forward() this:del() complete() end");
  (void)h;
  drv_poll([] { return editor_of("e") == nullptr; }, 2000);
  EXPECT_EQ(nullptr, editor_of("e"));
  std::string out = drv_run("print('still here')");
  EXPECT_NE(std::string::npos, out.find("still here"));
}

TEST_F(Lexers, AFolderThatDeletesItsControl) {
  HWND h = show("{\nx\n}\n",
                "e.style.lex.folder = function() this:del() end "
                "e.style.lex.lex = function() while more do forward() end complete() end");
  (void)h;
  drv_poll([] { return editor_of("e") == nullptr; }, 2000);
  std::string out = drv_run("print('alive')");
  EXPECT_NE(std::string::npos, out.find("alive"));
}

}  // namespace

namespace {

TEST_F(Lexers, TheManualsExample) {
  std::string out = lua("dofile('" TRELK_EXAMPLES "/lexer.t')");
  EXPECT_EQ("", out);
  HWND h = NULL;
  lua("e = lexer_example.editor");
  h = editor_of("e");
  ASSERT_NE(nullptr, h);
  // "# window settings\n[window]\ntitle = \"Trelk\"\n..."
  EXPECT_EQ(5, sci(h, SCI_GETSTYLEAT, 0));     // comment (style 6)
  EXPECT_EQ(1, sci(h, SCI_GETSTYLEAT, 18));    // [window] (style 2)
  EXPECT_EQ(6, sci(h, SCI_GETSTYLEAT, 27));    // title: a key (style 7)
  EXPECT_EQ(2, sci(h, SCI_GETSTYLEAT, 35));    // "Trelk"
  long yes = (long)sci(h, SCI_POSITIONFROMLINE, 4) + 12;
  EXPECT_EQ(4, sci(h, SCI_GETSTYLEAT, yes));   // yes: keyword (style 5)
  EXPECT_EQ(0x2400, sci(h, SCI_GETFOLDLEVEL, 1));
  EXPECT_EQ(0x401, sci(h, SCI_GETFOLDLEVEL, 2));
  EXPECT_EQ(0x400, sci(h, SCI_GETFOLDLEVEL, 0));
  capture(h);
  sci(h, SCI_TOGGLEFOLD, 1);
  EXPECT_FALSE(sci(h, SCI_GETLINEVISIBLE, 2));
  EXPECT_TRUE(sci(h, SCI_GETLINEVISIBLE, 6));
  capture(h);
}

}  // namespace
