// `mes' on a real editor window: every message of the component's interface
// with bad arguments leaves the program running, and the messages that
// once read arbitrary addresses or were refused wrongly behave.
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include "Scintilla.h"
#include "editor/mesargs.h"
#include "tests/inproc/editor/harness.h"

namespace {

struct Mes : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
  void SetUp() override {
    ASSERT_EQ("", lua("E = multiedit{name = 'line one\\nline two\\n', w = 300, h = 120}"
                      " M = menu{name = 'Mes'} M:ins(E) M:show()"));
    h = editor_of("E");
    ASSERT_NE(nullptr, h);
  }
  void TearDown() override { close_menus(); }
  HWND h = NULL;
};

bool said(const std::string &out, const char *text) {
  return out.find(text) != std::string::npos;
}

TEST_F(Mes, PointerParametersTakeTextsOnly) {
  // each of these read the address 12345 before
  for (const char *call : {"E:mes(2073, 10, 12345)", "E:mes(2105, 0, 12345)",
                           "E:mes(2700, 1, 12345)", "E:mes(4010, 12345, 0)",
                           "E:mes(2766, 12345, 1)"}) {
    std::string out = lua(std::string("n = select('#', ") + call + ")");
    EXPECT_TRUE(said(out, "needs a text (or 0) where a number was given")) << call << out;
    EXPECT_EQ(0, num("n")) << call;
  }
  EXPECT_EQ("", lua("E:mes(2105, 0, ')') E:mes(2700, 1, 'folded') E:mes(2700, 1)"));
  EXPECT_EQ(9, num("E:mes(4010, 'no.such.key', 9)"));   // the default
}

TEST_F(Mes, LengthsAreCutToTheTextGiven) {
  lua("E:mes(2032, 0) E:mes(2073, 100000, '\\3')");    // STARTSTYLING, SETSTYLINGEX
  EXPECT_EQ(3, num("E:mes(2010, 0)"));                  // GETSTYLEAT
  EXPECT_EQ(0, num("E:mes(2010, 1)"));
  lua("E:mes(2001, -1, 'ab')");                         // ADDTEXT, length -1
  EXPECT_EQ(20, num("E:mes(2006)"));
  lua("E:mes(2282, 7)");                                // APPENDTEXT without a text
  EXPECT_EQ(20, num("E:mes(2006)"));
}

TEST_F(Mes, StyleNumbersAreNumbers) {
  EXPECT_EQ("", lua("E:mes(2530, 0, 'abc') E:mes(2532, 0, 3)"));   // MARGINSETSTYLE
  EXPECT_EQ(3, num("E:mes(2533, 0)"));
  EXPECT_EQ("", lua("E:mes(2540, 1, 'note') E:mes(2542, 1, 4)"));   // ANNOTATIONSETSTYLE
  EXPECT_EQ(4, num("E:mes(2543, 1)"));
  EXPECT_EQ("", lua("E:mes(2701, 1)"));                             // FOLDDISPLAYTEXTSETSTYLE
  EXPECT_EQ(1, num("E:mes(2707)"));
}

// lines the component would use as indexes without a check
TEST_F(Mes, PerLineDataTakesLinesOfTheText) {
  for (const char *call : {"E:mes(2532, -1, 3)", "E:mes(2530, 2147483647, 'x')",
                           "E:mes(2676, -1, 8)", "E:mes(2675, -2)", "E:mes(2677, -1, 0)",
                           "E:mes(2093, 2147483647)", "E:mes(2700, -1, 'x')",
                           "E:mes(2534, 3, 'x')"}) {   // three lines: 0, 1, 2
    std::string out = lua(std::string("n = select('#', ") + call + ")");
    EXPECT_TRUE(said(out, "needs the number of a line of the text (from 0)")) << call << out;
    EXPECT_EQ(0, num("n")) << call;
  }
  EXPECT_EQ("", lua("E:mes(2676, 2, 40) E:mes(2676, 2, 80)"));   // ADDTABSTOP
  EXPECT_EQ(80, num("E:mes(2677, 2, 40)"));
  EXPECT_EQ(0, num("E:mes(2093, 2)"));
}

TEST_F(Mes, StylesForEveryByteOfTheText) {
  lua("E:mes(2530, 0, 'abc')");
  std::string out = lua("E:mes(2534, 0, '\\1\\2')");           // one short
  EXPECT_TRUE(said(out, "needs a style for every byte of the text")) << out;
  EXPECT_EQ("", lua("E:mes(2534, 0, '\\1\\2\\3')"));
  lua("n, s = E:mes(2535, 0, 1)");
  EXPECT_EQ("\x01\x02\x03", str("s"));
  lua("E:mes(2540, 0, 'hello')");
  EXPECT_TRUE(said(lua("E:mes(2544, 0, 'xx')"), "needs a style for every byte"));
  EXPECT_EQ("", lua("E:mes(2544, 0, '\\1\\1\\1\\1\\1\\1')"));   // more is fine
}

TEST_F(Mes, ImagesAreCheckedBeforeTheComponentReadsThem) {
  std::string out = lua("E:mes(2049, 1, 12345)");
  EXPECT_TRUE(said(out, "needs a text")) << out;
  out = lua("E:mes(2049, 1, 'not an image')");
  EXPECT_TRUE(said(out, "needs an XPM image in text form")) << out;
  out = lua("E:mes(2049, 1, '/* XPM */ \"2 1 1 1\" \"a c #000000\" \"aaaaaaaaaaaa\" ;')");
  EXPECT_TRUE(said(out, "needs an XPM image")) << out;           // a row past the width
  EXPECT_EQ("", lua("E:mes(2049, 1, '/* XPM */ \"2 1 1 1\" \"a c #FF0000\" \"aa\" ;')"));
  EXPECT_EQ(SC_MARK_PIXMAP, num("E:mes(2529, 1)"));               // MARKERSYMBOLDEFINED
  lua("E:mes(2624, 2) E:mes(2625, 2)");                           // RGBA image 2 x 2
  out = lua("E:mes(2626, 2, string.rep('x', 15))");
  EXPECT_TRUE(said(out, "needs width x height x 4 bytes")) << out;
  EXPECT_EQ("", lua("E:mes(2626, 2, string.rep('x', 16))"));
  EXPECT_EQ(SC_MARK_RGBAIMAGE, num("E:mes(2529, 2)"));
  lua("E:mes(2624, 100000)");
  EXPECT_TRUE(said(lua("E:mes(2627, 1, string.rep('x', 1600000))"), "needs width x height"));
  capture(h);   // drawn without a fault
}

TEST_F(Mes, TheLengthForEncodingNeverPassesTheText) {
  lua("E:mes(2448, 100000)");                        // SETLENGTHFORENCODE
  lua("n, s = E:mes(2449, 'ab', 1)");                // ENCODEDFROMUTF8
  EXPECT_EQ(2, num("n"));
  EXPECT_EQ("ab", str("s"));
  lua("E:mes(2448, 1) n, s = E:mes(2449, 'ab', 1)");  // a shorter length stays
  EXPECT_EQ("a", str("s"));
  lua("E:mes(2448, -1)");
}

TEST_F(Mes, WindowMessagesOfTheSystemAreRefused) {
  for (unsigned m : {0x0010u, 0x0002u, 0x0112u, 0x0024u, 0x00B0u}) {   // close, destroy, ...
    std::string out = lua("E:mes(" + std::to_string(m) + ", 61536, 12345)");
    EXPECT_TRUE(said(out, "is not available to scripts")) << m << out;
  }
  EXPECT_TRUE(IsWindow(h));
  lua("E:mes(0x00B1, 0, 4)");                        // EM_SETSEL
  EXPECT_EQ(4, num("E:mes(2145)"));                  // GETSELECTIONEND
}

TEST_F(Mes, GrepChecksThePatternFirst) {
  lua("H = nil E2 = multiedit{name = 'one two', command = function() "
      "if reason == 1 then H = hWnd end end} M2 = menu{name = 'G'} M2:ins(E2) M2:show()");
  ASSERT_EQ("userdata", str("type(H)"));
  for (const char *bad : {"t[a-", "(", "a)", "*a", "", "a\\0b"}) {
    std::string out = lua(std::string("n = select('#', E2.grep(H, '") + bad + "'))");
    EXPECT_TRUE(said(out, "grep: the pattern is not a valid expression")) << bad << out;
    EXPECT_EQ(0, num("n"));
  }
  EXPECT_EQ("", lua("a, b = E2.grep(H, 'w[a-z]')"));
  EXPECT_EQ(5, num("a"));
  EXPECT_EQ("", lua("n = select('#', E2.grep(H, 'zz'))"));   // valid, no match: silent
  EXPECT_EQ(0, num("n"));
}

// --- every message, bad arguments ------------------------------------------

char walking[96];

LONG WINAPI report_fault(EXCEPTION_POINTERS *x) {
  fprintf(stderr, "fault %08lx at %p during %s\n", x->ExceptionRecord->ExceptionCode,
          x->ExceptionRecord->ExceptionAddress, walking);
  fflush(stderr);
  return EXCEPTION_CONTINUE_SEARCH;
}

TEST_F(Mes, EveryMessageOfTheInterfaceSurvivesBadArguments) {
  LPTOP_LEVEL_EXCEPTION_FILTER old = SetUnhandledExceptionFilter(report_fault);
  bool trace = getenv("TRELK_WALK_TRACE") != NULL;
  // numbers where texts go, texts where numbers go, huge and negative
  // lengths, short texts, nothing at all
  lua(trace ? "function TRACE(m, i) io.stderr:write(m, ' arg ', i, '\\n') io.stderr:flush() end"
            : "function TRACE() end");
  ASSERT_EQ("", lua(
      "BAD = {{}, {0, 0}, {nil, 'x'}, {'x'}, {-1, -1}, {2147483647, 2147483647},"
      " {4294967295, 4294967295}, {-2147483648, 12345}, {12345, 12345},"
      " {100000, 'x'}, {'x', 'x'}, {1, ''}, {0, 'short'}, {65536, 0}, {-5, 'x'},"
      " {2, -1}, {1e10, -1e10}, {3, 'two\\nlines'}}"
      " function WALK(m) for i, a in ipairs(BAD) do TRACE(m, i) E:mes(m, a[1], a[2]) end"
      // nothing styles this text: idle styling, once on, would go on for
      // ever and the pump after each call would never see an empty queue
      "  E:mes(2692, 0) E:mes(2032, 0) E:mes(2033, E:mes(2006), 0) end"));
  size_t n;
  const ma_message *t = ma_interface(&n);
  int walked = 0;
  // to look into one fault: start at a message, or walk only some
  const char *from = getenv("TRELK_WALK_FROM"), *only = getenv("TRELK_WALK_ONLY");
  for (size_t i = 0; i < n; i++) {
    std::string me = "," + std::to_string(t[i].msg) + ",";
    if ((from && t[i].msg < (unsigned)atoi(from)) ||
        (only && std::string(",").append(only).append(",").find(me) == std::string::npos)) {
      walked++;
      continue;
    }
    snprintf(walking, sizeof walking, "message %u (%s)", t[i].msg, t[i].name);
    if (trace) fprintf(stderr, "%s\n", walking), fflush(stderr);
    DWORD t0 = GetTickCount();
    lua("WALK(" + std::to_string(t[i].msg) + ")");
    HWND now = editor_of("E");
    ASSERT_NE(nullptr, now) << walking;
    RedrawWindow(now, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    if (GetTickCount() - t0 > 3000)
      fprintf(stderr, "slow: %s took %lu ms\n", walking, GetTickCount() - t0), fflush(stderr);
    // a short text again: an address taken as a count may have added
    // millions of characters, which only slows the rest down
    // (without undo: keeping hundreds of megabytes for it fails)
    SendMessageA(now, SCI_SETREADONLY, 0, 0);
    SendMessageA(now, SCI_EMPTYUNDOBUFFER, 0, 0);
    SendMessageA(now, SCI_SETUNDOCOLLECTION, 0, 0);
    SendMessageA(now, SCI_SETTEXT, 0, (LPARAM) "line one\nline two\n");
    SendMessageA(now, SCI_SETUNDOCOLLECTION, 1, 0);
    ASSERT_EQ(18, SendMessageA(now, SCI_GETLENGTH, 0, 0)) << walking;
    walked++;
    // a fresh window now and then: views with thousands of margins or
    // gigantic fonts only slow the rest down
    if (i % 40 == 39) {
      close_menus();
      lua("E.name = 'line one\\nline two\\n' M:show()");
    }
  }
  snprintf(walking, sizeof walking, "the end");
  EXPECT_EQ((int)n, walked);
  close_menus();
  lua("E.name = 'still here' M:show()");
  EXPECT_EQ(10, num("E:mes(2006)"));
  SetUnhandledExceptionFilter(old);
}

}  // namespace
