// What the reader returns is what the user typed after the prompt, however
// the control wraps it and whatever output arrives meanwhile; long output
// lines; copying; the start-up script's byte-order mark.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <fstream>
#include <string>

#include "tests/inproc/terminal/driver.h"
#include "host/console.h"
#include "host/repl.h"
#include "host/trelk.h"
#include "ui/colour.h"

namespace {

bool has(const std::string &s, const std::string &part) {
  return s.find(part) != std::string::npos;
}

struct Typing : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
};

// Runs once from the reader's loop when the queue is empty: the output of
// a command while the prompt waits, then the rest of the user's typing.
std::string later_typing;
void CALLBACK command_output(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(NULL, id);
  con_print("\rfrom a command");
  con_message("\rtrelk: an error report\r");
  drv_type(later_typing);
  drv_key(VK_RETURN);
}

TEST_F(Typing, OutputWhileWaitingGoesAboveTheInput) {
  drv_run("");
  drv_type("print(12");
  later_typing = "3)";
  SetTimer(NULL, 0, 1, command_output);
  LONG from = drv_end();
  std::string line = drv_read();
  EXPECT_EQ(line, "print(123)");
  std::string shown = drv_text(from - 2, drv_end());
  EXPECT_TRUE(has(shown, "from a command\rtrelk: an error report\r\r# print(123)\r"))
      << shown;
  LONG at = from - 2 + (LONG)shown.find("from a command");
  EXPECT_EQ(drv_colour(at), col_get(COL_PRINT));
  EXPECT_EQ(drv_colour(at + 16), col_get(COL_ERROR));
  EXPECT_EQ(drv_run("print(7)"), "7");
}

TEST_F(Typing, ALongFirstWordIsReadWhole) {
  // no blank in the first 117 characters: the control wraps the prompt's
  // blank away from the text, which must not change what is read
  std::string t = "t={";
  for (int i = 1; i <= 40; i++) t += std::to_string(i) + (i < 40 ? "," : "}");
  t += "print(#t)";
  ASSERT_GT(t.size(), 120u);
  drv_type(t);
  drv_key(VK_RETURN);
  std::string line = drv_read();
  EXPECT_EQ(line, t);
  LONG from = drv_end();
  repl_eval(drv_state(), line.c_str());
  EXPECT_EQ(drv_text(from, drv_end()), "40");
  drv_key(VK_UP);   // the history holds the same text
  drv_key(VK_RETURN);
  EXPECT_EQ(drv_read(), t);
}

TEST_F(Typing, TheFull511CharactersRun) {
  std::string t = "print(#'" + std::string(511 - 10, 'q') + "')";
  ASSERT_EQ(t.size(), 511u);
  drv_type(t);
  drv_key(VK_RETURN);
  std::string line = drv_read();
  EXPECT_EQ(line, t);
  LONG from = drv_end();
  repl_eval(drv_state(), line.c_str());
  EXPECT_EQ(drv_text(from, drv_end()), "501");
}

TEST_F(Typing, LongOutputLinesAreShownInPieces) {
  std::string text;
  for (int i = 0; i < 300; i++) text += "w" + std::to_string(i) + " ";
  drv_run("t = {} for i = 0, 299 do t[#t + 1] = 'w' .. i .. ' ' end");
  std::string shown = drv_run("print(('x'):rep(1000) .. '\\r' .. array.concat(t))");
  std::string joined;
  size_t longest = 0, piece = 0;
  for (char c : shown) {
    if (c == '\r') {
      longest = std::max(longest, piece);
      piece = 0;
    } else {
      joined += c;
      piece++;
    }
  }
  longest = std::max(longest, piece);
  EXPECT_EQ(joined, std::string(1000, 'x') + text);
  EXPECT_EQ(shown.substr(0, 81), std::string(80, 'x') + "\r");
  EXPECT_LE(longest, 80u);
  // the words are cut after a blank, never inside a word
  size_t w = shown.find("w0 ");
  ASSERT_NE(w, std::string::npos);
  for (size_t i = shown.find('\r', w); i != std::string::npos; i = shown.find('\r', i + 1))
    EXPECT_EQ(shown[i - 1], ' ') << shown.substr(i - 10, 20);
  // short lines are left alone
  EXPECT_EQ(drv_run("print(('y'):rep(200))"), std::string(200, 'y'));
}

// Long output goes into the control in steps; a step never ends between
// the halves of a CR LF pair (lines of 5 characters put one on the first
// step's border) and every step keeps the output's colour.
TEST_F(Typing, LongOutputInStepsKeepsLinesAndColour) {
  LONG from = drv_end();
  std::string shown = drv_run("print(('abc\\r\\n'):rep(8200) .. 'end')");
  std::string want;
  for (int i = 0; i < 8200; i++) want += "abc\r";
  EXPECT_EQ(shown, want + "end");
  LONG at = from + (LONG)drv_text(from, drv_end()).find("abc\r");
  for (LONG c : {0L, 13100L, 13108L, 26200L, 32801L})   // across the steps
    EXPECT_EQ(drv_colour(at + c), col_get(COL_PRINT)) << c;
}

std::string clipboard() {
  std::string s;
  if (!OpenClipboard(NULL)) return s;
  HANDLE h = GetClipboardData(CF_TEXT);
  if (h) {
    const char *p = (const char *)GlobalLock(h);
    if (p) s = p;
    GlobalUnlock(h);
  }
  CloseClipboard();
  return s;
}

void press_ctrl_c() {
  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  SendMessageA(con.edit, WM_KEYDOWN, 'C', 0);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
}

TEST_F(Typing, CtrlCCopiesTheSelection) {
  drv_run("print('copy me please')");
  std::string all = drv_text(0, drv_end());
  LONG at = (LONG)all.rfind("copy me please");
  ASSERT_GE(at, 0);
  CHARRANGE cr = {at + 5, at + 7};   // "me", in earlier output
  SendMessageA(con.edit, EM_EXSETSEL, 0, (LPARAM)&cr);
  press_ctrl_c();
  EXPECT_EQ(clipboard(), "me");
  EXPECT_EQ(drv_text(at, at + 14), "copy me please");   // nothing changed
}

TEST_F(Typing, StartupScriptWithByteOrderMark) {
  const std::string bom = "\xEF\xBB\xBF";
  std::ofstream("start.t", std::ios::binary) << bom << "bom_value = 'read'\n";
  LONG from = drv_end();
  trelk_run_startup(drv_state());
  EXPECT_EQ(drv_text(from, drv_end()), "");
  EXPECT_EQ(drv_run("print(bom_value)"), "read");
  // a first line for the shell after the mark is skipped, and line numbers
  // stay right
  std::ofstream("start.t", std::ios::binary) << bom << "#!trelk\nerror('two')\n";
  from = drv_end();
  trelk_run_startup(drv_state());
  EXPECT_TRUE(has(drv_text(from, drv_end()), "start.t:2: two")) << drv_text(from, drv_end());
  remove("start.t");
}

}  // namespace
