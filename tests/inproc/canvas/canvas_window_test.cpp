// The canvas in real windows: a painted button renders `gi` paths, pixels
// are read back from the window; vertex handles are moved as a drag would.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

#include "tests/inproc/terminal/driver.h"
#include "canvas/cn_node.h"
#include "canvas/win/cw_canvas.h"
#include "gui/notify.h"
#include "gui/view.h"
#include "ui/menu/win/menuwin.h"
#include "tests/support/ts_lua.h"
#include "tests/support/ts_tmp.h"

extern "C" {
#include "lauxlib.h"
}

namespace {

std::string lua(const std::string &code) {
  lua_State *L = drv_state();
  std::string e;
  if (!ts_run(L, code, e, 1)) return "error: " + e;
  const char *s = lua_tostring(L, -1);
  std::string r = s ? s : "";
  lua_pop(L, 1);
  return r;
}

struct Canvas : ::testing::Test {
  HWND w = NULL;
  int height = 0;
  static void SetUpTestSuite() { drv_state(); }
  void SetUp() override {
    ASSERT_EQ(lua("gi:edit(nil) gi:clear(255, 255, 255) renders = 0 "
                  "cv = menu{name = 'canvas'} "
                  "pb = button{name = 'pb', w = 200, h = 120} "
                  "pb.command = function() if reason == 20 then "
                  "renders = renders + 1 gi:render(this) end end "
                  "pb.paint = true cv:ins(pb) cv:show(40, 40)"),
              "");
    ASSERT_TRUE(drv_poll([&] {
      lua_State *L = drv_state();
      lua_getglobal(L, "pb");
      lua_getfield(L, -1, "msHANDLE");
      void *rec = lua_touserdata(L, -1);
      lua_pop(L, 2);
      HWND got;
      if (cw_windows_of(rec, &got, 1) == 1) w = got;
      return w != NULL && IsWindowVisible(w);
    }));
    // menu rows are one text line high: make room for drawing by hand
    HWND top = GetAncestor(w, GA_ROOT);
    struct mn_view *v = mn_view_of(top);
    ASSERT_NE(v, nullptr);
    const UINT keep = SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE;
    SetWindowPos(top, NULL, 0, 0, 320, 260, keep);
    SetWindowPos(v->outer, NULL, 0, 0, 300, 220, keep);
    SetWindowPos(v->inner, NULL, 0, 0, 290, 210, keep);
    SetWindowPos(w, NULL, 0, 0, 200, 120, keep);
    drv_pump();
    RECT r;
    GetClientRect(w, &r);
    height = r.bottom;
    ASSERT_GT(r.right, 60);
    ASSERT_GT(height, 40);
  }
  void TearDown() override {
    lua("gi:edit(nil) gi:clear(255, 255, 255) cv:clean()");
    HWND top = GetAncestor(w, GA_ROOT);
    if (top && IsWindow(top)) DestroyWindow(top);
    drv_pump();
  }
  // colour of the pixel at canvas (x, y): y counts up from the bottom
  COLORREF at(int x, int y) {
    lua("gi:render(pb)");
    HDC dc = GetDC(w);
    COLORREF c = GetPixel(dc, x, height - 1 - y);
    ReleaseDC(w, dc);
    return c;
  }
};

const COLORREF WHITE = RGB(255, 255, 255);
const COLORREF RED = RGB(255, 1, 1);   // opaque red over white

TEST_F(Canvas, NoChildrenDrawsNothing) {
  HDC dc = GetDC(w);
  SetPixel(dc, 5, 5, RGB(1, 2, 3));
  ReleaseDC(w, dc);
  lua("gi:render(pb)");
  dc = GetDC(w);
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(1, 2, 3));
  ReleaseDC(w, dc);
}

TEST_F(Canvas, FilledRectangleAndItsAntiAliasedEdge) {
  lua("p = gi:newpath(10, 10) p:lineto(50, 10) p:lineto(50, 30) "
      "p:lineto(10, 30) p:fill(255, 0, 0) "
      "t = gi:newpath(60, 0) t:lineto(100, 0) t:lineto(60, 40) t:fill(255, 0, 0)");
  EXPECT_EQ(at(20, 20), RED);
  EXPECT_EQ(at(5, 5), WHITE);
  EXPECT_EQ(at(50, 20), WHITE);
  COLORREF edge = at(60 + 29, 10);   // x + y = 100 halves this pixel
  EXPECT_EQ(GetRValue(edge), 255);
  EXPECT_GT(GetGValue(edge), 120);
  EXPECT_LT(GetGValue(edge), 180);
}

TEST_F(Canvas, UncolouredPathIsInvisibleUntilFilled) {
  lua("p = gi:newpath(10, 10) p:lineto(50, 10) p:lineto(50, 30) p:lineto(10, 30)");
  EXPECT_EQ(at(20, 20), WHITE);
  lua("p:fill(255, 0, 0)");
  EXPECT_EQ(at(20, 20), RED);
}

TEST_F(Canvas, EvenOddHole) {
  lua("p = gi:newpath(0, 0) p:lineto(60, 0) p:lineto(60, 40) p:lineto(0, 40) "
      "p:moveto(20, 10) p:lineto(40, 10) p:lineto(40, 30) p:lineto(20, 30) "
      "p:fill(255, 0, 0)");
  EXPECT_EQ(at(10, 20), RED);
  EXPECT_EQ(at(30, 20), WHITE);
}

TEST_F(Canvas, ImageFill) {
  // a 2 x 2 P6 file: bottom row (the file's last) blue, green; top red, black
  FILE *f = fopen("canvas_fill.ppm", "wb");
  ASSERT_NE(f, nullptr);
  fputs("P6 2 2 255\n", f);
  fwrite("\xff\x00\x00\x00\x00\x00\x00\x00\xff\x00\xff\x00", 1, 12, f);
  fclose(f);
  lua("p = gi:newpath(0, 0) p:lineto(40, 0) p:lineto(40, 40) p:lineto(0, 40) "
      "p:fill(0, 0, 0) p:bm('canvas_fill.ppm')");
  EXPECT_EQ(at(0, 0), RGB(1, 1, 255));
  EXPECT_EQ(at(1, 0), RGB(1, 255, 1));
  EXPECT_EQ(at(0, 1), RGB(255, 1, 1));
  EXPECT_EQ(at(10, 10), RGB(1, 1, 1));   // beyond the image: the colour
  remove("canvas_fill.ppm");
}

TEST_F(Canvas, RotatedAndScaledFigure) {
  lua("p = gi:newpath(0, 0) p:lineto(10, 0) p:lineto(10, 10) p:lineto(0, 10) "
      "p:fill(255, 0, 0) p:magnify(2, 2) p:angle(math.pi / 4) p:shift(50, 10)");
  EXPECT_EQ(at(50, 30), RED);
  EXPECT_EQ(at(62, 12), WHITE);
}

TEST_F(Canvas, PaintCommandRendersOnRedraw) {
  lua("p = gi:newpath(0, 0) p:lineto(30, 0) p:lineto(30, 30) p:lineto(0, 30) "
      "p:fill(255, 0, 0) renders = 0");
  RedrawWindow(w, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW);
  EXPECT_NE(lua("return renders"), "0");
  HDC dc = GetDC(w);
  EXPECT_EQ(GetPixel(dc, 10, height - 10), RED);
  ReleaseDC(w, dc);
}

TEST_F(Canvas, HeldBackPaintCommands) {
  lua("renders = 0");
  nt_paint_hold++;
  RedrawWindow(w, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ERASENOW);
  nt_paint_hold--;
  EXPECT_EQ(lua("return renders"), "0");
}

TEST_F(Canvas, TextOutlinesStandUprightWithHoles) {
  lua("p = gi:newpath() p:text('O', -60) p:fill(255, 0, 0)");
  EXPECT_GT(std::stoi(lua("return p.n")), 10);
  int ymax = std::stoi(lua("local m = 0 for i = 1, p.n do local y = p[i].y "
                           "if y < 2^31 and y > m then m = y end end return m"));
  EXPECT_GT(ymax, 20);   // upright: the glyph rises from y = 0
  EXPECT_LE(ymax, 70);
}

RECT place(HWND h) {
  RECT r;
  GetWindowRect(h, &r);
  MapWindowPoints(NULL, GetParent(h), (POINT *)&r, 2);
  return r;
}

TEST_F(Canvas, HandlesSitOnTheVertices) {
  lua("p = gi:newpath(10, 20) p:lineto(30, 40) p:shift(5, 6) p:edit(pb)");
  HWND h1 = cw_handle(1), h2 = cw_handle(2);
  ASSERT_NE(h1, nullptr);
  ASSERT_NE(h2, nullptr);
  EXPECT_EQ(cw_handle(3), nullptr);
  EXPECT_EQ(GetParent(h1), w);
  RECT r = place(h1);
  EXPECT_EQ(r.left, 10 + 5 - 3);
  EXPECT_EQ(r.top, height - 6 - 20 - 3);
  EXPECT_EQ(r.right - r.left, 5);
  char cls[32];
  GetClassNameA(h1, cls, sizeof cls);
  EXPECT_STREQ(cls, "TrelkHWcn");
  // shift moves the handles, not the vertices
  lua("p:shift(15, 6)");
  EXPECT_EQ(place(h1).left, 10 + 15 - 3);
  EXPECT_EQ(lua("return p[1].x"), "10");
}

TEST_F(Canvas, HoverGrowsAndLeavingShrinks) {
  lua("p = gi:newpath(10, 20) p:edit(pb)");
  HWND h = cw_handle(1);
  ASSERT_NE(h, nullptr);
  RECT before = place(h);
  SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  RECT big = place(h);
  EXPECT_EQ(big.left, before.left - 1);
  EXPECT_EQ(big.top, before.top - 1);
  EXPECT_EQ(big.right - big.left, 7);
  EXPECT_EQ(lua("return p[1].x .. ',' .. p[1].y"), "10,20");
  SendMessageA(h, WM_MOUSELEAVE, 0, 0);
  RECT back = place(h);
  EXPECT_EQ(back.left, before.left);
  EXPECT_EQ(back.right - back.left, 5);
}

TEST_F(Canvas, DraggingAHandleMovesItsVertexAndCallsBack) {
  lua("p = gi:newpath(10, 20) p:lineto(30, 40) p:shift(5, 0) seen = '' "
      "p:edit(pb, function() seen = seen .. vertexN .. ':' .. reason .. ':' .. "
      "path[vertexN].x .. ',' .. path[vertexN].y .. ':' .. "
      "tostring(hCanvasWnd ~= hWnd) .. ' ' end)");
  HWND h = cw_handle(2);
  ASSERT_NE(h, nullptr);
  RECT r = place(h);
  SetWindowPos(h, NULL, r.left + 7, r.top - 4, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(lua("return p[2].x .. ',' .. p[2].y"), "37,44");
  SendMessageA(h, WM_EXITSIZEMOVE, 0, 0);
  EXPECT_EQ(lua("return seen"), "2:4:37,44:true 2:4:37,44:true ");
  // a grown handle is read from its larger size
  SendMessageA(h, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  EXPECT_EQ(lua("return p[2].x .. ',' .. p[2].y"), "37,44");
  r = place(h);
  SetWindowPos(h, NULL, r.left + 1, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_EQ(lua("return p[2].x .. ',' .. p[2].y"), "38,44");
}

TEST_F(Canvas, CallbackErrorIsReportedAndTheMoveStands) {
  lua("p = gi:newpath(10, 20) p:edit(pb, function() error('handle boom') end)");
  HWND h = cw_handle(1);
  ASSERT_NE(h, nullptr);
  LONG from = drv_end();
  RECT r = place(h);
  SetWindowPos(h, NULL, r.left + 3, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  EXPECT_NE(drv_text(from, drv_end()).find("handle boom"), std::string::npos);
  EXPECT_EQ(lua("return p[1].x"), "13");
}

TEST_F(Canvas, DeletingTheEditedNodeEndsEditing) {
  lua("p = gi:newpath(10, 20) p:edit(pb, function() p:del() end)");
  HWND h = cw_handle(1);
  ASSERT_NE(h, nullptr);
  RECT r = place(h);
  SetWindowPos(h, NULL, r.left + 3, r.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  drv_pump();
  EXPECT_FALSE(IsWindow(h));
  EXPECT_EQ(cw_handle(1), nullptr);
  EXPECT_EQ(lua("return gi.paths.n"), "0");
}

TEST_F(Canvas, NonTableTargetEndsEditing) {
  lua("p = gi:newpath(10, 20) p:edit(pb)");
  HWND h = cw_handle(1);
  ASSERT_NE(h, nullptr);
  lua("p:edit(0)");
  EXPECT_FALSE(IsWindow(h));
  lua("p:edit({})");   // a table without a handle matches no window
  EXPECT_EQ(cw_handle(1), nullptr);
}

// The worked example of the manual, run as a user runs it: its pad is the
// 400 x 300 drawing the manual promises, whole inside its dialog, and every
// point of the star lies on it.
TEST(CanvasExample, ThePadIsTheDrawingTheManualPromises) {
  drv_state();
  ASSERT_EQ(lua("gi:edit(nil) dofile('" + ts_here("canvas.t") + "') atstart() return ''"), "");
  HWND pad = NULL;
  ASSERT_TRUE(drv_poll([&] {
    lua_State *L = drv_state();
    lua_getglobal(L, "pad");
    lua_getfield(L, -1, "msHANDLE");
    void *rec = lua_touserdata(L, -1);
    lua_pop(L, 2);
    HWND got;
    if (cw_windows_of(rec, &got, 1) == 1) pad = got;
    return pad != NULL && IsWindowVisible(pad);
  }));
  RECT r;
  GetClientRect(pad, &r);
  EXPECT_EQ(r.right, 400);
  EXPECT_EQ(r.bottom, 300);
  RECT in, client;
  GetWindowRect(pad, &in);
  MapWindowPoints(NULL, GetParent(pad), (POINT *)&in, 2);
  GetClientRect(GetParent(pad), &client);
  EXPECT_GE(in.left, 0);
  EXPECT_GE(in.top, 0);
  EXPECT_LE(in.right, client.right);
  EXPECT_LE(in.bottom, client.bottom);
  EXPECT_EQ(lua("for i = 1, star.n do local v = star[i] "
                "if v.x < 0 or v.x >= 400 or v.y < 0 or v.y >= 300 then "
                "return 'point ' .. i .. ' is off the pad' end end return 'on'"),
            "on");
  lua("gi:edit(nil) while gi.paths.n > 0 do gi.paths[1]:del() end"
      " gi:clear(255, 255, 255)");
  HWND top = GetAncestor(pad, GA_ROOT);
  if (top && IsWindow(top)) DestroyWindow(top);
  drv_pump();
}

}  // namespace
