// Edit controls shown as editor windows: shared documents, the text carried
// back, the style table on a real window, mes and the answered messages.
#include <gtest/gtest.h>

#include "Scintilla.h"
#include "editor/win/edwin.h"
#include "tests/inproc/editor/harness.h"
#include "ui/scroll/win/scroll.h"

namespace {

LRESULT sci(HWND h, UINT m, WPARAM w = 0, LPARAM l = 0) {
  return SendMessageA(h, m, w, l);
}

std::string text_of(HWND h) {
  LRESULT n = sci(h, SCI_GETLENGTH);
  std::string s((size_t)n + 1, '\0');
  sci(h, SCI_GETTEXT, (WPARAM)n + 1, (LPARAM)&s[0]);
  s.resize((size_t)n);
  return s;
}

struct Editors : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
  void TearDown() override { close_menus(); }
};

TEST_F(Editors, TwoWindowsShareTheTextAndTheLastCarriesItBack) {
  ASSERT_EQ("", lua("e = multiedit{name = 'hello', w = 300, h = 80}"
                    "m1 = menu{name = 'A'} m1:ins(e) m1:show(20, 20) m1:show(420, 20)"));
  std::vector<HWND> ws = editors();
  ASSERT_EQ(2u, ws.size());
  EXPECT_EQ("hello", text_of(ws[0]));
  EXPECT_EQ("hello", text_of(ws[1]));
  EXPECT_EQ(sci(ws[0], SCI_GETDOCPOINTER), sci(ws[1], SCI_GETDOCPOINTER));
  sci(ws[0], SCI_APPENDTEXT, 6, (LPARAM)" world");
  EXPECT_EQ("hello world", text_of(ws[1]));
  EXPECT_EQ("hello world", str("e.text"));
  DestroyWindow(GetAncestor(ws[1], GA_ROOT));
  drv_pump();
  ASSERT_EQ(1u, editors().size());
  sci(editors()[0], SCI_APPENDTEXT, 1, (LPARAM)"!");
  close_menus();
  EXPECT_TRUE(editors().empty());
  EXPECT_EQ("hello world!", str("e.text"));
  // shown again, the new window loads the carried text
  lua("m1:show(20, 20)");
  ASSERT_EQ(1u, editors().size());
  EXPECT_EQ("hello world!", text_of(editors()[0]));
}

// A multi-line editor leaves 6 pixels on the right and at the bottom to the
// toolkit's own bars, which go with it; a single line gets none.
TEST_F(Editors, MultiLineEditorsHaveTheToolkitBarsBeside) {
  ASSERT_EQ("", lua("e = multiedit{name = 'x', w = 200, h = 80} s = edit{name = 'y'}"
                    " m = menu{name = 'B'} m:ins(e) m:ins(s) m:show(20, 20)"));
  std::vector<HWND> ws = editors();
  ASSERT_EQ(2u, ws.size());
  int multi = 0;
  std::vector<HWND> all;
  for (HWND h : ws) {
    HWND parent = GetParent(h);
    RECT pc, ec;
    GetClientRect(parent, &pc);
    GetClientRect(h, &ec);
    std::vector<HWND> bars;
    for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
      if (sc_rec(c)) bars.push_back(c);
    if (pc.right - ec.right <= 2) {   // the single line, inside its frame
      EXPECT_TRUE(bars.empty());
      continue;
    }
    multi++;
    EXPECT_EQ(pc.right - 6, ec.right);
    EXPECT_EQ(pc.bottom - 6, ec.bottom);
    ASSERT_EQ(2u, bars.size());
    all.insert(all.end(), bars.begin(), bars.end());
    for (HWND b : bars) {
      struct sc_record *r = sc_rec(b);
      RECT br;
      GetWindowRect(b, &br);
      MapWindowPoints(NULL, parent, (POINT *)&br, 2);
      if (r->vertical) {
        EXPECT_EQ(pc.right - 6, br.left);
      }
      else EXPECT_EQ(pc.bottom - 6, br.top);
    }
  }
  EXPECT_EQ(1, multi);
  close_menus();
  for (HWND b : all) EXPECT_FALSE(IsWindow(b));
}

TEST_F(Editors, CreationAndDestructionNotify) {
  EXPECT_EQ("", lua("log = '' e = edit{name = 'x', command = function() "
                    "log = log .. reason end} m = menu{name = 'N'} m:ins(e) m:show()"));
  close_menus();
  EXPECT_EQ("12", str("log"));
}

TEST_F(Editors, MesReachesTheFirstWindow) {
  lua("e = multiedit{name = 'abcdef', w = 200, h = 60} m = menu{name = 'M'} m:ins(e)");
  EXPECT_EQ("0", str("e:mes(2006)"));   // not shown yet
  lua("m:show()");
  EXPECT_EQ(6, num("e:mes(2006)"));
  EXPECT_EQ(0, num("select('#', e:mes())"));
  EXPECT_EQ(0, num("select('#', e.mes(e))"));
  lua("e:mes(2282, 3, 'xyz')");         // APPENDTEXT with a string
  EXPECT_EQ("abcdefxyz", str("e.text"));
  lua("n, t = e:mes(2182, 100, '')");    // GETTEXT into a buffer of ours
  EXPECT_EQ("abcdefxyz", str("t"));
  EXPECT_EQ(0, num("e.mes(button{name = 'b'}, 2006)"));
}

TEST_F(Editors, MesRefusesWhatWouldCrash) {
  lua("e = multiedit{name = 'abc'} m = menu{name = 'M'} m:ins(e) m:show()");
  std::string out = lua("r = e:mes(2181, 0, 12345)");   // SETTEXT from a number
  EXPECT_NE(std::string::npos, out.find("needs a text")) << out;
  out = lua("r = e:mes(2150, 0, 'abc')");               // a structure
  EXPECT_NE(std::string::npos, out.find("not available")) << out;
  EXPECT_EQ("abc", str("e.text"));
  lua("e:mes(2282, 1000, 'z')");                        // length clamped
  EXPECT_EQ("abcz", str("e.text"));
}

TEST_F(Editors, OldMessagesAreAnswered) {
  lua("e = multiedit{name = 'x'} m = menu{name = 'M'} m:ins(e) m:show()");
  HWND h = editor_of("e");
  ASSERT_NE(nullptr, h);
  EXPECT_EQ(5, num("e:mes(2091)"));
  EXPECT_EQ(0, num("e:mes(2090, 8)"));
  EXPECT_EQ(5, num("e:mes(2091)"));
  lua("e:mes(4001, 15)");
  EXPECT_EQ(15, num("e:mes(4002)"));
  lua("e:mes(4001, 34)");
  EXPECT_EQ(34, num("e:mes(4002)"));
  lua("e:mes(4001, 1)");
  EXPECT_EQ(1, num("e:mes(4002)"));
}

TEST_F(Editors, StyleTableOnARealWindow) {
  ASSERT_EQ("", lua(
      "e = multiedit{name = 'one\\ntwo', w = 300, h = 80} "
      "for i = 1, 40 do e.style[i] = {fore = 0x010101 * i} end "
      "e.style[2].font = {bold = true, italic = true, size = '14'} "
      "e.style[3] = {font = {bold = false, italic = false}, case = 'lower'} "
      "e.style[4].case = 'Upper' e.style[5].case = 'x' "
      "e.style.margin[1] = {type = 'Number', w = '99'} "
      "e.style.margin[2] = {type = 'symbol', w = 12} "
      "e.style.margin[3] = {type = 'Fold', w = 20} "
      "e.style.lex[1] = 'while do' e.style.lex[3] = 5 e.style.lex[10] = 'x' "
      "m = menu{name = 'S'} m:ins(e) m:show()"));
  HWND h = editor_of("e");
  ASSERT_NE(nullptr, h);
  EXPECT_EQ(0x010101 * 32, sci(h, SCI_STYLEGETFORE, 31));
  EXPECT_NE(0x010101 * 34, sci(h, SCI_STYLEGETFORE, 33));
  EXPECT_EQ(1, sci(h, SCI_STYLEGETBOLD, 1));
  EXPECT_EQ(1, sci(h, SCI_STYLEGETITALIC, 1));
  EXPECT_EQ(14, sci(h, SCI_STYLEGETSIZE, 1));
  EXPECT_EQ(2, sci(h, SCI_STYLEGETCASE, 2));
  EXPECT_EQ(1, sci(h, SCI_STYLEGETCASE, 3));
  EXPECT_EQ(0, sci(h, SCI_STYLEGETCASE, 4));
  EXPECT_EQ(SC_MARGIN_NUMBER, sci(h, SCI_GETMARGINTYPEN, 0));
  EXPECT_EQ(SC_MARGIN_SYMBOL, sci(h, SCI_GETMARGINTYPEN, 1));
  EXPECT_EQ(2, sci(h, SCI_GETMARGINTYPEN, 2));
  EXPECT_EQ(sci(h, SCI_TEXTWIDTH, 33, (LPARAM)"99") + 4,
            sci(h, SCI_GETMARGINWIDTHN, 0));
  EXPECT_EQ(12, sci(h, SCI_GETMARGINWIDTHN, 1));   // overrides the hiding
  EXPECT_EQ(20, sci(h, SCI_GETMARGINWIDTHN, 2));
  // no lexer function: no lexing
  EXPECT_EQ(1, sci(h, 4002));
  // the line-number style takes the inactive colour first
  EXPECT_EQ((LRESULT)num("trelk.color.inactive"), sci(h, SCI_STYLEGETBACK, 33));
}

TEST_F(Editors, BuiltInLuaColours) {
  HWND h = CreateWindowExA(0, "Scintilla", "", WS_POPUP, 0, 0, 200, 100, NULL,
                           NULL, GetModuleHandleA(NULL), NULL);
  ASSERT_NE(nullptr, h);
  ew_adopt(h);
  ew_lua_colours(h);
  EXPECT_EQ(15, ew_send(h, 4002, 0, 0));
  EXPECT_EQ(0x000090, sci(h, SCI_STYLEGETFORE, 5));
  EXPECT_EQ(1, sci(h, SCI_STYLEGETCASE, 5));
  EXPECT_EQ(0x764847, sci(h, SCI_STYLEGETFORE, 10));
  EXPECT_EQ(1, sci(h, SCI_STYLEGETITALIC, 2));
  EXPECT_EQ(0, sci(h, SCI_GETMARGINWIDTHN, 1));
  EXPECT_EQ(3 * sci(h, SCI_TEXTWIDTH, 33, (LPARAM)"9") + 5,
            sci(h, SCI_GETMARGINWIDTHN, 0));
  sci(h, SCI_SETTEXT, 0, (LPARAM)"while x do end -- c");
  sci(h, SCI_COLOURISE, 0, -1);
  EXPECT_EQ(5, sci(h, SCI_GETSTYLEAT, 0));    // keyword
  EXPECT_EQ(2, sci(h, SCI_GETSTYLEAT, 16));   // line comment
  DestroyWindow(h);
}

TEST_F(Editors, GrepFindsTheFirstMatch) {
  lua("H = nil e = multiedit{name = 'one two three', command = function() "
      "if reason == 1 then H = hWnd end end} m = menu{name = 'G'} m:ins(e) m:show()");
  ASSERT_EQ("userdata", str("type(H)"));
  lua("a, b = e.grep(H, 't[a-z]+')");
  EXPECT_EQ(4, num("a"));
  EXPECT_EQ(7, num("b"));
  lua("n = select('#', e.grep(H, 'zzz'))");
  EXPECT_EQ(0, num("n"));
  std::string out = lua("e:grep('one')");
  EXPECT_NE(std::string::npos, out.find("This function needs a window handle!"));
  EXPECT_EQ(0, num("select('#', e.grep(H))"));
  EXPECT_EQ(0, num("select('#', e.grep(H, 5))"));
  out = lua("n = select('#', e.grep(H, 't[a-'))");
  EXPECT_EQ(0, num("n"));
}

TEST_F(Editors, PropertiesReadTheWindow) {
  lua("e = multiedit{name = 'l0\\nl1\\nl2\\nl3', w = 200, h = 80} m = menu{name = 'P'}"
      " m:ins(e) m:show() e.line = 2");
  EXPECT_EQ(2, num("e.line"));
  HWND h = editor_of("e");
  sci(h, SCI_SETSEL, 3, 5);
  EXPECT_EQ("l1", str("e.sel.text"));
  EXPECT_EQ(3, num("e.sel.b"));
  EXPECT_EQ(5, num("e.sel.e"));
  sci(h, SCI_REPLACESEL, 0, (LPARAM)"XY");
  EXPECT_EQ("l0\nXY\nl2\nl3", str("e.text"));
  lua("e.undo = true");
  EXPECT_EQ("l0\nl1\nl2\nl3", str("e.text"));
  lua("e.undo = false");
  EXPECT_EQ("l0\nXY\nl2\nl3", str("e.text"));
}

TEST_F(Editors, WritingTheTextOfAShownEdit) {
  lua("e = multiedit{name = 'old', w = 200, h = 60} m = menu{name = 'T'} m:ins(e) m:show()");
  sci(editor_of("e"), SCI_APPENDTEXT, 5, (LPARAM)" kept");
  EXPECT_EQ("old kept", str("e.text"));
  lua("e.comment = 'tip'");            // other writes leave typing alone
  EXPECT_EQ("old kept", str("e.text"));
  lua("e.text = 'new'");
  EXPECT_EQ("new", str("e.text"));
  EXPECT_EQ("new", text_of(editor_of("e")));
  close_menus();
  EXPECT_EQ("new", str("e.text"));
}

}  // namespace

namespace {

struct Typing : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
  void TearDown() override { close_menus(); }
};

TEST_F(Typing, CharactersNotifyAndEnterChoosesASingleLineEdit) {
  lua("log = '' e = edit{name = 'ab', command = function() log = log .. reason end}"
      " m = menu{name = 'K'} m:ins(e) m:show()");
  HWND h = editor_of("e");
  ASSERT_NE(nullptr, h);
  lua("log = ''");
  SendMessageA(h, WM_CHAR, 'x', 0);
  SendMessageA(h, WM_CHAR, '\r', 0);
  EXPECT_EQ("010", str("log"));
  EXPECT_EQ("xab", str("e.text"));   // Enter put no line break in
}

TEST_F(Typing, EnterBreaksTheLineOfAMultiLineEdit) {
  lua("log = '' e = multiedit{name = 'ab', command = function() log = log .. reason end}"
      " m = menu{name = 'K'} m:ins(e) m:show()");
  HWND h = editor_of("e");
  ASSERT_NE(nullptr, h);
  lua("log = ''");
  SendMessageA(h, WM_CHAR, '\r', 0);
  EXPECT_EQ("0", str("log"));
  EXPECT_EQ(3, num("#e.text"));
}

TEST_F(Typing, AFailingFolderLeavesTheFocusWhereItWas) {
  lua("e = multiedit{name = '{\\nx\\n}\\n', w = 200, h = 80} "
      "e.style.lex.lex = function() while more do forward() end complete() end "
      "e.style.lex.folder = function() setLevel(0, 0x2400) error('no') end "
      "m = menu{name = 'F'} m:ins(e) m:show()");
  HWND h = editor_of("e");
  ASSERT_NE(nullptr, h);
  HWND other = GetParent(h);
  SetFocus(other);
  HWND before = GetFocus();
  std::string out = lua("e:mes(2005) e:mes(4003, 0, -1)");   // restyle all
  EXPECT_NE(std::string::npos, out.find("Runtime error in control callback."));
  EXPECT_EQ(before, GetFocus());
  EXPECT_EQ(1, num("trelk.rearrange and 1 or 0"));
}

}  // namespace

namespace {

TEST_F(Typing, ASingleLineEditShowsItsText) {
  lua("e = edit{name = 'single line text'} m = menu{name = 'One'} m:ins(e) m:show()");
  HWND h = editor_of("e");
  ASSERT_NE(nullptr, h);
  RECT rc;
  GetClientRect(h, &rc);
  // the text's line fits inside the client area: no scroll bar covers it
  int line = (int)SendMessageA(h, SCI_TEXTHEIGHT, 0, 0);
  EXPECT_GE(rc.bottom, line);
  shot s = capture(h);
  int dark = 0;
  for (int y = 0; y < s.h; y++)
    for (int x = 0; x < s.w; x++) dark += s.at(x, y) == 0;
  EXPECT_GT(dark, 20);   // black text is drawn
}

}  // namespace
