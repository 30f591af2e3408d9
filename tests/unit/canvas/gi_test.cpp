// The script objects: methods, fields, unsigned read-back, the paths proxy,
// deletion, and what reaches the window hooks.
#include <gtest/gtest.h>

#include <stdio.h>

#include <string>

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

#include "canvas/cn_node.h"
#include "canvas/gi_lua.h"
#include "tests/unit/image/img_encode.h"
#include "tests/support/ts_lua.h"
#include "tests/support/ts_tmp.h"

extern std::string test_messages;

namespace {

cn_node *rendered;
void *rendered_rec;
int edit_calls, edit_is_table;
void *edit_rec;
cn_node *shifted;
int32_t shift_from[2];

void on_render(cn_node *n, void *rec) {
  rendered = n;
  rendered_rec = rec;
}
int on_edit(cn_node *n, int is_table, void *rec) {
  (void)n;
  edit_calls++;
  edit_is_table = is_table;
  edit_rec = rec;
  return rec != nullptr;
}
void on_shift(cn_node *n, int32_t odx, int32_t ody) {
  shifted = n;
  shift_from[0] = odx;
  shift_from[1] = ody;
}
int on_text(cn_node *n, const char *s, int32_t h, const char *face) {
  cn_add(n, CN_MOVE, (int32_t)strlen(s), h, 0, 0);
  cn_add(n, CN_LINE, (int32_t)strlen(face), 0, 0, 0);
  return 1;
}

class Gi : public ::testing::Test {
 protected:
  lua_State *L;
  void SetUp() override {
    ts_enter();   // the image files below are written by relative name
    L = ts_fresh();
    gi_open(L);
    gi_ops.render = on_render;
    gi_ops.edit = on_edit;
    gi_ops.shift = on_shift;
    gi_ops.text = on_text;
    rendered = nullptr;
    rendered_rec = nullptr;
    edit_calls = 0;
    shifted = nullptr;
    test_messages.clear();
  }
  void TearDown() override {
    cn_reset();   // releases callbacks while the state is open
    lua_close(L);
  }
  // runs a chunk; its results joined by spaces
  std::string run(const char *code) {
    int top = lua_gettop(L);
    std::string e;
    if (!ts_run(L, code, e)) {
      ADD_FAILURE() << e;
      return "error";
    }
    std::string out = ts_results(L, top + 1, " ", TS_RAW);
    lua_settop(L, top);
    return out;
  }
};

TEST_F(Gi, RootHasItsFirstMoveVertex) {
  EXPECT_EQ(run("local v = gi[1] return gi.n, v.type, v.x, v.y"), "1 0 0 0");
}

TEST_F(Gi, PathBuilding) {
  EXPECT_EQ(run("p = gi:newpath(3, 4) p:lineto(5.9, -6.9) p:moveto() "
                "return p.n, p[1].x, p[2].x, p[2].y, p[3].type"),
            "3 3 5 4294967290 0");
}

TEST_F(Gi, BezierWithOnePointAddsThreeVerticesThere) {
  EXPECT_EQ(run("p = gi:newpath() p:bezierto(10, 20) local s = '' "
                "for i = 2, 4 do s = s .. p[i].type .. p[i].x .. ',' .. p[i].y .. ' ' end "
                "return p.n, s"),
            "4 310,20 310,20 410,20 ");
  EXPECT_EQ(run("p:bezierto(1, 2, 3, nil, nil, 9) return p[6].y, p[7].x, p[7].y"),
            "2 3 9");
}

TEST_F(Gi, SplineNilRepeatsPreviousCoordinate) {
  EXPECT_EQ(run("p = gi:newpath() p:splineto(1, 2, nil, 5) "
                "return p.n, p[2].type, p[2].x, p[2].y, p[3].x, p[3].y"),
            "3 5 1 2 1 5");
  EXPECT_EQ(run("p:splineto(nil, nil, 7) return p.n, p[4].x, p[5].x, p[5].y"),
            "5 0 7 0");
}

TEST_F(Gi, EllipseNeedsThreeNumbers) {
  EXPECT_EQ(run("p = gi:newpath() p:ellipse(50, 50) p:ellipse(50, 50, 10) "
                "p:ellipse(1, 2, 3, 4) "
                "return p.n, p[2].type, p[2].Rx, p[2].Ry, p[3].Rx, p[3].Ry"),
            "3 2 10 10 3 4");
}

TEST_F(Gi, UnsignedReadBack) {
  EXPECT_EQ(run("p = gi:newpath() p:shift(-1, -5) p:fill(-5, 1, 2) "
                "return p.dx, p.dy, p.color.r, p.color.a"),
            "4294967295 4294967291 4294967291 255");
}

TEST_F(Gi, NewPathIsUncolouredAndFillDefaults) {
  EXPECT_EQ(run("p = gi:newpath() local c = p.color return c.r, c.g, c.b, c.a"),
            "0 0 0 0");
  EXPECT_EQ(run("p:fill(255) local c = p.color return c.r, c.g, c.b, c.a"),
            "255 0 0 255");
  EXPECT_EQ(run("p:fill(1, 2, 3, 4) local c = p.color return c.b, c.a"), "3 4");
}

TEST_F(Gi, MagnifyWithOneValueFlattens) {
  run("p = gi:newpath() p:magnify(2)");
  cn_node *p = cn_root()->kids[0];
  EXPECT_EQ(p->sx, 0x20000);
  EXPECT_EQ(p->sy, 0);
  run("p:magnify(0.5, -1.25) p:angle(1.5)");
  EXPECT_EQ(p->sx, 0x8000);
  EXPECT_EQ(p->sy, -0x14000);
  EXPECT_DOUBLE_EQ(p->angle, 1.5);
}

TEST_F(Gi, PathsProxy) {
  EXPECT_EQ(run("return gi.paths.n, gi.paths[1]"), "0 nil");
  EXPECT_EQ(run("a = gi:newpath() b = gi:newpath(7) b:newpath() "
                "return gi.paths.n, gi.paths[2][1].x, gi.paths[2].paths.n, "
                "gi.paths[0], gi.paths[3], gi.paths.x"),
            "2 7 1 nil nil nil");
  EXPECT_EQ(run("return type(gi.paths[1])"), "userdata");
}

TEST_F(Gi, AssignmentsAreIgnoredAndUnknownNamesGiveNothing) {
  EXPECT_EQ(run("gi.n = 5 gi.lineto = 1 return gi.n, gi.nothing, gi[true]"), "1 nil nil");
  EXPECT_EQ(run("return type(gi[99]), gi[99].x"), "table nil");
}

TEST_F(Gi, AfterDelDrawingGoesToTheRoot) {
  EXPECT_EQ(run("p = gi:newpath() q = gi.paths[1] p:newpath() p:del() "
                "p:lineto(1, 1) return gi.paths.n, gi.n, gi[2].type"),
            "0 2 1");
  // another object of the deleted node falls back to the root as well
  EXPECT_EQ(run("q:lineto(2, 2) return gi.n"), "3");
  EXPECT_EQ(run("gi:del() return gi.n"), "3");
}

TEST_F(Gi, ClearDropsChildrenKeepsVerticesSetsOpaqueColour) {
  EXPECT_EQ(run("p = gi:newpath() p:lineto(1, 1) p:newpath() p:newpath() "
                "p:clear(1, 2, 3) local c = p.color "
                "return p.paths.n, p.n, c.r, c.g, c.b, c.a"),
            "0 2 1 2 3 255");
}

TEST_F(Gi, WrongTypesReadAsZeroOrStopSilently) {
  EXPECT_EQ(run("p = gi:newpath() p:lineto('x', {}) p:text() p:text(5) "
                "return p.n, p[2].x"),
            "2 0");   // text needs a string: a number is not taken
  EXPECT_EQ(run("local f = gi.lineto f(nil, 1, 1) f({}, 1, 1) f(5) return gi.n"), "1");
  EXPECT_EQ(run("p:magnify(1/0, 0/0) return 1"), "1");
  EXPECT_EQ(run("p:lineto(1e300, -1e300) return p[p.n].x, p[p.n].y"),
            "2147483647 2147483648");
}

TEST_F(Gi, TextDefaults) {
  EXPECT_EQ(run("p = gi:newpath() p:text('abc') p:text('x', 0, 'courier') "
                "p:text('y', 20) return p[2].x, p[2].y, p[3].x, p[5].x, p[6].y"),
            "3 4294967224 5 7 20");
}

TEST_F(Gi, RenderTakesMsHandleThenHandle) {
  int a, b;
  lua_pushlightuserdata(L, &a);
  lua_setglobal(L, "ha");
  lua_pushlightuserdata(L, &b);
  lua_setglobal(L, "hb");
  run("p = gi:newpath() p:render({msHANDLE = ha, HANDLE = hb})");
  EXPECT_EQ(rendered, cn_root()->kids[0]);
  EXPECT_EQ(rendered_rec, &a);
  run("gi:render({HANDLE = hb})");
  EXPECT_EQ(rendered, cn_root());
  EXPECT_EQ(rendered_rec, &b);
  rendered = nullptr;
  run("gi:render({}) gi:render(5) gi:render()");
  EXPECT_EQ(rendered, nullptr);
}

TEST_F(Gi, EditEndsOnNonTableAndStoresTheCallback) {
  int a;
  lua_pushlightuserdata(L, &a);
  lua_setglobal(L, "ha");
  run("p = gi:newpath() p:edit(5)");
  EXPECT_EQ(edit_calls, 1);
  EXPECT_EQ(edit_is_table, 0);
  run("p:edit({})");
  EXPECT_EQ(edit_is_table, 1);
  EXPECT_EQ(edit_rec, nullptr);
  cn_node *p = cn_root()->kids[0];
  EXPECT_EQ(p->callback, CN_NOREF);   // no window: nothing stored
  run("p:edit({msHANDLE = ha}, function() seen = vertexN .. ' ' .. reason .. "
      "' ' .. path.n .. ' ' .. tostring(hWnd ~= nil) end)");
  EXPECT_EQ(edit_rec, &a);
  ASSERT_NE(p->callback, CN_NOREF);
  gi_call_edit(L, p, &a, &a, 1);
  EXPECT_EQ(run("return seen"), "1 4 1 true");
}

TEST_F(Gi, CallbackErrorsGoThroughTheProtectedCall) {
  int a;
  lua_pushlightuserdata(L, &a);
  lua_setglobal(L, "ha");
  run("p = gi:newpath() p:edit({msHANDLE = ha}, function() error('boom') end)");
  int top = lua_gettop(L);
  gi_call_edit(L, cn_root()->kids[0], &a, &a, 1);
  EXPECT_EQ(lua_gettop(L), top);
}

TEST_F(Gi, ShiftTellsTheOldTranslation) {
  run("p = gi:newpath() p:shift(3, 4) p:shift(5, 6)");
  EXPECT_EQ(shifted, cn_root()->kids[0]);
  EXPECT_EQ(shift_from[0], 3);
  EXPECT_EQ(shift_from[1], 4);
}

TEST_F(Gi, BmLoadsOrReportsTheLoaderError) {
  run("p = gi:newpath() p:bm('missing.gif')");
  EXPECT_NE(test_messages, "");
  EXPECT_EQ(cn_root()->kids[0]->img, nullptr);
  test_messages.clear();
  run("p:bm('picture.jpg')");
  EXPECT_EQ(test_messages, "Unknown format extension\n");
  // a 2 x 1 P6 file: red, then blue; row 0 is the bottom
  FILE *f = fopen("gi_test.ppm", "wb");
  ASSERT_NE(f, nullptr);
  fputs("P6 2 1 255\n", f);
  fwrite("\xff\x00\x00\x00\x00\xff", 1, 6, f);
  fclose(f);
  test_messages.clear();
  run("p:bm('gi_test.ppm')");
  EXPECT_EQ(test_messages, "");
  cn_node *p = cn_root()->kids[0];
  ASSERT_NE(p->img, nullptr);
  EXPECT_EQ(p->img_w, 2);
  EXPECT_EQ(p->img[0], 0xff0000u);
  EXPECT_EQ(p->img[1], 0x0000ffu);
  remove("gi_test.ppm");
}

void write_file(const char *name, const enc_bytes &b) {
  FILE *f = fopen(name, "wb");
  ASSERT_NE(f, nullptr);
  fwrite(b.data(), 1, b.size(), f);
  fclose(f);
}

TEST_F(Gi, BmOfAFileWithoutPixelsRemovesTheImageQuietly) {
  write_file("gi_full.bmp", enc_bmp_rgb(enc_pattern(3, 2, 7), {}));
  write_file("gi_empty.gif", enc_gif({}));
  run("p = gi:newpath() p:bm('gi_full.bmp')");
  cn_node *p = cn_root()->kids[0];
  ASSERT_NE(p->img, nullptr);
  run("p:bm('gi_empty.gif')");
  EXPECT_EQ(test_messages, "");
  EXPECT_EQ(p->img, nullptr);
  remove("gi_full.bmp");
  remove("gi_empty.gif");
}

TEST_F(Gi, BmOfAFourChannelImageTakesItsColour) {
  enc_pic pic = enc_pattern(2, 1, 3, true);
  write_file("gi_alpha.rgb", enc_sgi(pic, 4, false));
  run("p = gi:newpath() p:bm('gi_alpha.rgb')");
  cn_node *p = cn_root()->kids[0];
  ASSERT_NE(p->img, nullptr);
  EXPECT_EQ(p->img[1], (uint32_t)pic.px[4] << 16 | pic.px[5] << 8 | pic.px[6]);
  remove("gi_alpha.rgb");
}

TEST_F(Gi, DeletedEditedNodeReleasesItsCallback) {
  int a;
  lua_pushlightuserdata(L, &a);
  lua_setglobal(L, "ha");
  run("p = gi:newpath() p:edit({msHANDLE = ha}, function() end)");
  int ref = cn_root()->kids[0]->callback;
  run("p:del()");
  lua_rawgeti(L, LUA_REGISTRYINDEX, ref);
  EXPECT_FALSE(lua_isfunction(L, -1));
  lua_pop(L, 1);
}

TEST_F(Gi, WorkedExampleRuns) {
  std::string path = std::string(TRELK_SOURCE_DIR) + "/examples/canvas.t";
  run("function dialog(t) return {ins = function() end, show = function() end} end "
      "function button(t) return {} end");
  ASSERT_EQ(run(("dofile('" + path + "') atstart() return gi.paths.n, star.n").c_str()),
            "5 10");
  EXPECT_EQ(edit_calls, 1);
  EXPECT_EQ(run("return gi.paths[1].n, gi.paths[2][2].type, gi.paths[3].n"), "8 2 7");
}

}  // namespace
