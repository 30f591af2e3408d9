// Framed windows and the main window: caption buttons, shrinking, the
// pop-up closing rule.
#include <gtest/gtest.h>
#include <windows.h>

#include "tests/inproc/terminal/driver.h"
#include "ui/frame/win/framed.h"
#include "ui/win/mainwin.h"

namespace {

struct Windows : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
};

RECT work_area() {
  RECT wa;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &wa, 0);
  return wa;
}

RECT rect_of(HWND w) {
  RECT r;
  GetWindowRect(w, &r);
  return r;
}

TEST_F(Windows, MainWindowOnTheRightHalf) {
  HWND mw = mw_window();
  ASSERT_NE(mw, nullptr);
  char title[64];
  GetWindowTextA(mw, title, sizeof title);
  EXPECT_STREQ(title, "Trelk Main Window");
  RECT wa = work_area(), r = rect_of(mw);
  EXPECT_EQ(r.left, (wa.right - wa.left) / 2);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.bottom - r.top, wa.bottom - wa.top);
  EXPECT_EQ(SendMessageA(mw, MW_QUERY, 0, 0), -1);
}

TEST_F(Windows, MainWindowHasCaptionButtonsAndMenus) {
  drv_pump();
  struct fw_record *r = fw_rec(mw_window());
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->buttons_made, -1);
  EXPECT_TRUE(IsWindow(r->left_btn));
  EXPECT_TRUE(IsWindow(r->right_btn));
  char t[64];
  GetWindowTextA(mw_main_menu(), t, sizeof t);
  EXPECT_STREQ(t, "Main Menu");
  GetWindowTextA(mw_free_menu(), t, sizeof t);
  EXPECT_STREQ(t, "Free Windows Menu");
  RECT a = rect_of(mw_main_menu()), b = rect_of(mw_free_menu()), m = rect_of(mw_window());
  EXPECT_EQ(a.left - m.left, 7);
  EXPECT_EQ(a.top - m.top, 22);
  EXPECT_EQ(b.left - a.right, 4);
}

TEST_F(Windows, ShrinkTwiceReturnsToTheRightHalf) {
  drv_pump();
  struct fw_record *r = fw_rec(mw_window());
  HWND shrink = r->right_btn;
  SendMessageA(shrink, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  RECT s = rect_of(mw_window());
  EXPECT_EQ(s.bottom - s.top, 48);
  SetWindowPos(mw_window(), NULL, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  SendMessageA(shrink, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  RECT wa = work_area(), n = rect_of(mw_window());
  EXPECT_EQ(n.left, (wa.right - wa.left) / 2);
  EXPECT_EQ(n.top, 0);
  EXPECT_EQ(n.bottom - n.top, wa.bottom - wa.top);
}

TEST_F(Windows, ActivatingTheMainWindowClosesPopups) {
  HWND pop = fw_create(mw_window(), "popup", FW_KIND_MENU, 10, 10, 100, 80, 0,
                       NULL, 0, WS_POPUP, 0);
  ASSERT_NE(pop, nullptr);
  HWND owned = fw_create(pop, "child popup", FW_KIND_MENU, 20, 20, 100, 80, 0,
                         NULL, 0, WS_POPUP, 0);
  ASSERT_NE(owned, nullptr);
  // activating the owned pop-up spares its owner chain
  SendMessageA(owned, WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_TRUE(IsWindow(pop));
  SendMessageA(mw_window(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_FALSE(IsWindow(pop));
  EXPECT_FALSE(IsWindow(owned));
  // a finished window belongs to nobody: it survives, and opening it
  // closes the pop-ups that were open
  pop = fw_create(mw_window(), "popup", FW_KIND_MENU, 10, 10, 100, 80, 0,
                  NULL, 0, WS_POPUP, 0);
  HWND free_wnd = fw_create(mw_window(), "free", FW_KIND_MENU, 30, 30, 100, 80,
                            0, NULL, 1, WS_POPUP, 0);
  EXPECT_FALSE(IsWindow(pop));
  SendMessageA(mw_window(), WM_ACTIVATE, WA_ACTIVE, 0);
  EXPECT_TRUE(IsWindow(free_wnd));
  DestroyWindow(free_wnd);
  // the list holds no dead windows
  for (struct fw_list_entry *e = fw_list_head; e; e = e->next)
    EXPECT_TRUE(IsWindow(e->wnd));
}

TEST_F(Windows, CaptionButtonsComeWithFinishing) {
  HWND w = fw_create(mw_window(), "plain", FW_KIND_MENU, 40, 40, 120, 90, 0,
                     NULL, 0, WS_POPUP, 0);
  struct fw_record *r = fw_rec(w);
  ASSERT_NE(r, nullptr);
  drv_pump();
  EXPECT_EQ(r->buttons_made, 0);
  EXPECT_EQ(r->left_btn, nullptr);
  SendMessageA(r->caption, WM_LBUTTONDBLCLK, 0, 0);   // nothing for a menu
  SendMessageA(r->caption, WM_LBUTTONDOWN, 0, 0);
  drv_pump();
  EXPECT_EQ(r->buttons_made, -1);
  EXPECT_TRUE(IsWindow(r->left_btn));
  // the close button destroys the window and frees its record
  SendMessageA(r->left_btn, WM_LBUTTONDOWN, MK_LBUTTON, 0);
  EXPECT_FALSE(IsWindow(w));
}

}  // namespace

#include <fstream>
#include <vector>

#include "ui/win/iconcache.h"

namespace {

// A 16 x 16, 32-bit icon file.
void write_icon(const char *name) {
  std::vector<unsigned char> f = {0, 0, 1, 0, 1, 0,                  // header
                                  16, 16, 0, 0, 1, 0, 32, 0,           // entry
                                  0x68, 0x04, 0, 0, 22, 0, 0, 0,
                                  40, 0, 0, 0, 16, 0, 0, 0, 32, 0, 0, 0,  // DIB
                                  1, 0, 32, 0};
  f.resize(22 + 40, 0);
  f.resize(22 + 40 + 1024, 0x80);   // colour
  f.resize(22 + 40 + 1024 + 64, 0); // mask
  std::ofstream(name, std::ios::binary).write((const char *)f.data(), f.size());
}

TEST_F(Windows, IconCacheKeepsNamesUntilDropped) {
  write_icon("t.ico");
  HICON a = ic_load("t.ico");
  ASSERT_NE(a, nullptr);
  HICON b = ic_load("t.ico");
  ASSERT_NE(b, nullptr);
  EXPECT_STREQ(ic_name(a), "t.ico");
  EXPECT_EQ(ic_load("missing.ico"), nullptr);
  ic_drop(a);
  EXPECT_EQ(ic_name(a), nullptr);
  EXPECT_STREQ(ic_name(b), "t.ico");
  ic_clear();
  EXPECT_EQ(ic_name(b), nullptr);
  remove("t.ico");
}

}  // namespace
