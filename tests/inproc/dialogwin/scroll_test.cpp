// Scroll bars in real windows: layout, thumb size and place, repeating
// presses and their timing, thumb drags, set and get, notifications.
#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

#include "tests/inproc/terminal/driver.h"
#include "tests/inproc/dialogwin/common.h"
#include "ui/colour.h"
#include "ui/frame/win/framed.h"
#include "ui/win/mainwin.h"
#include "ui/scroll/win/scroll.h"

namespace {

struct Step {
  DWORD at;
  int pos;
};
std::vector<Step> steps;
bool held = false;
int asked = 0;   // times a repeating press asked for the button

void record(HWND, int pos, int, void *) { steps.push_back({GetTickCount(), pos}); }
int left_held() {
  asked++;
  return held;
}

struct Bars : ::testing::Test {
  HWND box = nullptr;
  static void SetUpTestSuite() { drv_state(); }
  void SetUp() override {
    steps.clear();
    held = false;
    sc_ops.left_down = left_held;
    box = fw_create(mw_window(), "bars", 2, 40, 40, 300, 300, 0, NULL, 1,
                    WS_POPUP, 0);
    ASSERT_NE(box, nullptr);
    ShowWindow(box, SW_SHOWNA);
  }
  void TearDown() override {
    held = false;
    if (IsWindow(box)) DestroyWindow(box);
    drv_pump();
  }
  HWND bar(int range, int page, int vertical = 1, int thumb = 1, int w = 16,
           int h = 200) {
    if (!vertical) std::swap(w, h);
    return sc_create(box, range, page, vertical, thumb, 10, 30, w, h, 7,
                     nullptr, record, nullptr);
  }
};

TEST_F(Bars, ArrowsThumbAndClientAreMadeWhenShown) {
  struct sc_record *r = sc_rec(bar(10, 2));
  ASSERT_NE(r, nullptr);
  ASSERT_NE(r->client, nullptr);
  char cls[64];
  GetClassNameA(r->client, cls, sizeof cls);
  EXPECT_STREQ(cls, "BtrelkScrollClntcn");
  GetClassNameA(r->thumb, cls, sizeof cls);
  EXPECT_STREQ(cls, "BtrelkUBcn");
  RECT a = rect_in(r->first, r->client), b = rect_in(r->second, r->client);
  EXPECT_EQ(a.left, 1);
  EXPECT_EQ(a.top, 0);
  EXPECT_EQ(a.right - a.left, 14);   // 2 thinner than the bar
  EXPECT_EQ(a.bottom, 14);
  EXPECT_EQ(b.top, 186);
  EXPECT_EQ(b.bottom, 200);
  RECT t = rect_in(r->thumb, r->client);
  EXPECT_EQ(t.left, 0);
  EXPECT_EQ(t.right, 12);
  EXPECT_EQ(t.top, 14);
  EXPECT_EQ(t.bottom - t.top, 2 * 172 / 10);
}

TEST_F(Bars, WithoutAThumbEachArrowTakesHalf) {
  struct sc_record *r = sc_rec(bar(10, 1, 0, 0, 16, 100));
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->thumb, nullptr);
  RECT a = rect_in(r->first, r->client), b = rect_in(r->second, r->client);
  EXPECT_EQ(a.left, 0);
  EXPECT_EQ(a.right, 50);
  EXPECT_EQ(b.left, 50);
  EXPECT_EQ(b.right, 100);
  EXPECT_EQ(a.top, 1);
  EXPECT_EQ(a.bottom, 15);
}

TEST_F(Bars, APageAtOrAboveTheRangeFillsTheTrack) {
  struct sc_record *r = sc_rec(bar(10, 10));
  ASSERT_NE(r, nullptr);
  RECT t = rect_in(r->thumb, r->client);
  EXPECT_EQ(t.top, 14);
  EXPECT_EQ(t.bottom, 186);
  held = true;
  SendMessageA(r->client, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 190));
  ASSERT_TRUE(drv_poll([] { return !steps.empty(); }));
  held = false;
  EXPECT_EQ(steps[0].pos, 0);
  EXPECT_EQ(r->m.position, 0);
}

TEST_F(Bars, RangeZeroPutsAZeroThumbAtTheTrackStart) {
  HWND b = bar(10, 2);
  struct sc_record *r = sc_rec(b);
  ASSERT_NE(r, nullptr);
  sc_info in = {sizeof in, SC_POS, 0, 0, 0, 6, 0};
  sc_set(box, 0, &in);
  ASSERT_GT(rect_in(r->thumb, r->client).top, 14);
  sc_info zero = {sizeof zero, SC_RANGE, 0, 0, 0, 0, 0};
  sc_set(box, 0, &zero);
  RECT t = rect_in(r->thumb, r->client);
  EXPECT_EQ(t.top, 14);
  EXPECT_EQ(t.bottom, 14);
}

TEST_F(Bars, APositionBeyondTheRangeRaisesItAndWritesTheMaximumBack) {
  bar(10, 2);
  sc_info in = {sizeof in, SC_POS, 0, 0, 0, 40, 0};
  EXPECT_EQ(sc_set(box, 0, &in), 40);
  EXPECT_EQ(in.max, 40);
  sc_info out = {sizeof out, SC_RANGE | SC_PAGE | SC_POS, 0, 0, 0, 0, 0};
  EXPECT_EQ(sc_get(box, 0, &out), 1);
  EXPECT_EQ(out.max, 40);
  EXPECT_EQ(out.pos, 40);
  EXPECT_EQ(out.track, 40);
  EXPECT_EQ(out.page, 2u);
}

TEST_F(Bars, SetAndGetTakeTheContainersFirstOrSecondBar) {
  bar(10, 2);
  HWND second = bar(50, 5, 0);
  sc_info in = {sizeof in, SC_POS, 0, 0, 0, 3, 0};
  sc_set(box, 1, &in);
  EXPECT_EQ(sc_rec(second)->m.position, 3);
  sc_info out = {sizeof out, SC_RANGE, 0, 0, 0, 0, 0};
  sc_get(box, 0, &out);
  EXPECT_EQ(out.max, 10);
  EXPECT_EQ(sc_get(box, 2, &out), 0);
  EXPECT_EQ(sc_set(mw_window(), 0, &in), 0);   // not a kind 2 container
  in.mask = SC_HIDE;
  sc_set(box, 1, &in);
  EXPECT_FALSE(IsWindowVisible(second));
}

TEST_F(Bars, HoldingAnArrowStepsAtOnceAfterASecondThenTenTimesASecond) {
  struct sc_record *r = sc_rec(bar(1000, 10));
  ASSERT_NE(r, nullptr);
  held = true;
  DWORD pressed = GetTickCount();
  SendMessageA(r->second, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ASSERT_TRUE(drv_poll([] { return steps.size() >= 6; }, 6000));
  held = false;
  EXPECT_LT(steps[0].at - pressed, 400u);
  DWORD first_gap = steps[1].at - steps[0].at;
  EXPECT_GE(first_gap, 900u);
  EXPECT_LE(first_gap, 1600u);
  for (size_t i = 2; i < 6; i++) {
    DWORD gap = steps[i].at - steps[i - 1].at;
    EXPECT_GE(gap, 70u) << i;
    EXPECT_LE(gap, 400u) << i;
  }
  EXPECT_EQ(steps[0].pos, 1);
  EXPECT_EQ(steps[5].pos, 6);
  EXPECT_EQ(r->m.last_step, 1);
}

TEST_F(Bars, ReleasingTheButtonStopsTheRepeat) {
  struct sc_record *r = sc_rec(bar(1000, 10));
  ASSERT_NE(r, nullptr);
  held = true;
  SendMessageA(r->first, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  ASSERT_TRUE(drv_poll([] { return steps.size() >= 1; }));
  held = false;
  // the one-second timer finds the button up and ends the press
  int before = asked;
  ASSERT_TRUE(drv_poll([&] { return asked > before; }));
  drv_pump();
  EXPECT_EQ(steps.size(), 1u);
  EXPECT_EQ(steps[0].pos, 0);   // not below the minimum
}

TEST_F(Bars, TrackPressesStepByAPage) {
  struct sc_record *r = sc_rec(bar(100, 10));
  ASSERT_NE(r, nullptr);
  held = true;
  SendMessageA(r->client, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(8, 150));
  ASSERT_TRUE(drv_poll([] { return steps.size() >= 1; }));
  held = false;
  EXPECT_EQ(steps[0].pos, 10);
  EXPECT_EQ(r->m.last_step, 10);
}

TEST_F(Bars, TheThumbIsHeldOnItsTrack) {
  struct sc_record *r = sc_rec(bar(100, 10));
  ASSERT_NE(r, nullptr);
  int len = r->m.thumb_len;
  SetWindowPos(r->thumb, NULL, 7, -50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  RECT t = rect_in(r->thumb, r->client);
  EXPECT_EQ(t.left, 0);
  EXPECT_EQ(t.top, 14);
  SetWindowPos(r->thumb, NULL, 3, 5000, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  t = rect_in(r->thumb, r->client);
  EXPECT_EQ(t.left, 0);
  EXPECT_EQ(t.bottom, 186);
  ASSERT_FALSE(steps.empty());
  EXPECT_EQ(steps.back().pos, (186 - len - 14) * 100 / 172);
  SetWindowPos(r->thumb, NULL, 0, 14 + 86, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(steps.back().pos, 50);
}

TEST_F(Bars, ResizingTheBarLaysItOutAgain) {
  HWND b = bar(10, 10);
  struct sc_record *r = sc_rec(b);
  ASSERT_NE(r, nullptr);
  MoveWindow(b, 10, 30, 16, 100, TRUE);
  EXPECT_EQ(rect_in(r->second, r->client).top, 86);
  EXPECT_EQ(rect_in(r->thumb, r->client).bottom, 86);
}

TEST_F(Bars, BadSizesDoNotBreakTheBar) {
  for (int s : {0, -20, 3, 100000}) {
    HWND b = sc_create(box, 5, 1, 1, 1, 0, 0, 16, s, 1, nullptr, record, nullptr);
    ASSERT_NE(b, nullptr) << s;
    struct sc_record *r = sc_rec(b);
  ASSERT_NE(r, nullptr);
    EXPECT_GE(r->m.track_len, 0);
    EXPECT_GE(r->m.thumb_len, 0);
    held = true;
    SendMessageA(r->second, WM_LBUTTONDOWN, MK_LBUTTON, 0);
    drv_poll([] { return !steps.empty(); }, 1000);
    held = false;
    SetWindowPos(r->thumb, NULL, 0, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    DestroyWindow(b);
    steps.clear();
  }
}

TEST_F(Bars, ScriptCommandsSeeScrollCurPosDuringTheCallOnly) {
  drv_run("sbb = button{name='s', command='print(reason, scrollCurPos, instance)'}");
  void *entry = handle_of("sbb");
  HWND b = sc_create(box, 10, 1, 1, 1, 10, 30, 16, 200, 1, entry, record, nullptr);
  struct sc_record *r = sc_rec(b);
  ASSERT_NE(r, nullptr);
  held = true;
  std::string out = output_of([&] {
    SendMessageA(r->second, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    drv_poll([] { return !steps.empty(); });
    held = false;
  });
  EXPECT_EQ(out, "11\t1\t0");
  EXPECT_EQ(drv_run("print(scrollCurPos)"), "nil");
}

TEST_F(Bars, ABarOwnedByADescriptionNotifiesIt) {
  drv_run("sbd = button{name='d', command='print(\"d\", scrollCurPos)'}");
  HWND b = sc_create_for(box, handle_of("sbd"), 10, 1, 0, 1, 10, 30, 200, 16, 1);
  struct sc_record *r = sc_rec(b);
  ASSERT_NE(r, nullptr);
  std::string out = output_of([&] {
    SetWindowPos(r->thumb, NULL, 14 + 93, 3, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  });
  EXPECT_EQ(out, "d\t5");
  EXPECT_EQ(rect_in(r->thumb, r->client).top, 0);
  EXPECT_EQ(rect_in(r->thumb, r->client).left, 107);
  EXPECT_EQ(drv_run("print(scrollCurPos)"), "nil");
}

TEST_F(Bars, ACommandThatDestroysTheBarMidRepeat) {
  drv_run("sbk = button{name='k', command='killbar = true'}");
  HWND b = sc_create(box, 100, 1, 1, 1, 10, 30, 16, 200, 1, handle_of("sbk"),
                     [](HWND w, int, int, void *) { DestroyWindow(w); }, nullptr);
  struct sc_record *r = sc_rec(b);
  ASSERT_NE(r, nullptr);
  held = true;
  SendMessageA(r->second, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  EXPECT_TRUE(drv_poll([&] { return !IsWindow(b); }));
  held = false;
  EXPECT_EQ(sc_rec(b), nullptr);
}

TEST_F(Bars, PaintingFollowsTheColourTable) {
  struct sc_record *r = sc_rec(bar(100, 10));
  ASSERT_NE(r, nullptr);
  uint32_t frame = col_get(COL_SCROLLBAR_FRAME);
  col_set(COL_SCROLLBAR_FRAME, RGB(0, 255, 255));
  COLORREF line = painted_pixel(r->client, 8, 150);
  COLORREF edge = painted_pixel(r->first, 0, 0);
  col_set(COL_SCROLLBAR_FRAME, frame);
  EXPECT_EQ(line, RGB(0, 255, 255) & col_get(COL_MS_INACTIVE));
  EXPECT_EQ(edge, RGB(0, 255, 255));
  EXPECT_EQ(painted_pixel(r->client, 2, 150), RGB(255, 255, 255));
}

}  // namespace
