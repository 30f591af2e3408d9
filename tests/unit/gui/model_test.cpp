// Objects, handles, the shared metatables, ins/push/pop, del and clean.
#include <gtest/gtest.h>

#include "gui/gui.h"
#include "gui/view.h"
#include "gui/notify.h"
#include "gui/record.h"
#include "gui/objects.h"
#include "tests/unit/gui/harness.h"

namespace {

struct Model : ::testing::Test {
  void SetUp() override { gh_state(); }
  void TearDown() override { gh_close(); }
};

TEST_F(Model, TrelkIsTheMainMenu) {
  EXPECT_EQ(gh_eval("trelk.TYPE, trelk.n, trelk.menu"), "Menu\t0\tnil");
  EXPECT_EQ(gh_eval("type(menu), type(table), type(array.insert)"),
            "function\tfunction\tfunction");
  EXPECT_EQ(gh_eval("trelk.show, trelk.clean"), "nil\tnil");
  EXPECT_EQ(gh_eval("getmetatable(trelk) == debug.getregistry()['MENU*']"), "true");
}

TEST_F(Model, InsAppendsAndPushPrepends) {
  gh_run("a = button{name='a'} b = button{name='b'} c = button{name='c'}"
         " trelk:ins(a) trelk:ins(b) r = trelk:push(c)");
  EXPECT_EQ(gh_eval("trelk[1] == c, trelk[2] == a, trelk[3] == b, trelk.n, r == c"),
            "true\ttrue\ttrue\t3\ttrue");
  EXPECT_EQ(gh_eval("a.parent == trelk"), "true");
  // the native list has the same order
  ASSERT_EQ(gr_count(gui_main_menu), 3);
  EXPECT_STREQ(gr_at(gui_main_menu, 0)->name, "c");
  EXPECT_STREQ(gr_at(gui_main_menu, 2)->name, "b");
}

TEST_F(Model, InsAtAPositionShiftsUp) {
  gh_run("m = menu() for i = 1, 3 do m:ins(button{name=tostring(i)}) end"
         " m:ins(button{name='x'}, 2) m:ins(button{name='y'}, 99)");
  EXPECT_EQ(gh_eval("m[1].name, m[2].name, m[3].name, m[4].name, m[5].name, m.n"),
            "1\tx\t2\t3\ty\t5");
}

TEST_F(Model, InsertingAMenuMakesAnAttachingEntry) {
  gh_run("inner = menu{name='inner', comment='tip'} e = trelk:ins(inner)");
  EXPECT_EQ(gh_eval("e.TYPE, e.parent == trelk, inner.parent == e, e.sub == inner"),
            "MenuString\ttrue\ttrue\ttrue");
  EXPECT_EQ(gh_eval("e.name, e.comment"), "inner\ttip");
  // ins on the entry inserts into the attached menu
  gh_run("b = e:ins(button{name='b'})");
  EXPECT_EQ(gh_eval("inner.n, inner[1] == b, b.parent == inner, trelk.n"),
            "1\ttrue\ttrue\t1");
  struct gr_entry *att = gr_at(gui_main_menu, 0);
  ASSERT_NE(att, nullptr);
  EXPECT_EQ(att->flags, GR_ATT_MENU);
  EXPECT_EQ(gr_count(att->sub), 1);
  // numeric keys written to the entry go into the menu
  gh_run("e[5] = 'five'");
  EXPECT_EQ(gh_eval("rawget(inner, 5), rawget(e, 5)"), "five\tnil");
}

TEST_F(Model, EntriesReachTheirSubMenusMethods) {
  gh_run("inner = menu() e = trelk:ins(inner) inner.extra = 7");
  EXPECT_EQ(gh_eval("e.extra, type(e.ins), type(e.del)"), "7\tfunction\tfunction");
}

TEST_F(Model, DialogsAttachWithTheirOwnKind) {
  gh_run("d = dialog{name='d', w=300, h=200} e = trelk:ins(d)");
  EXPECT_EQ(gh_eval("d.TYPE, d.w, d.h, e.sub == d"), "Dialog\t300\t200\ttrue");
  EXPECT_EQ(gr_at(gui_main_menu, 0)->flags, GR_ATT_DIALOG);
  EXPECT_EQ(gr_at(gui_main_menu, 0)->sub->owner_entry, gr_at(gui_main_menu, 0));
  // a dialog's new name reaches its attaching entry
  gh_run("d.name = 'renamed'");
  EXPECT_EQ(gh_eval("e.name"), "renamed");
}

TEST_F(Model, TablesAndPlainTablesAreNotInserted) {
  EXPECT_EQ(gh_eval("select('#', trelk:ins(table()))"), "0");
  EXPECT_EQ(gh_eval("select('#', trelk:ins({}))"), "0");
  EXPECT_EQ(gh_eval("trelk.n"), "0");
  EXPECT_EQ(gh_eval("table{name='t'}.TYPE, table().w"), "Table\t100");
}

TEST_F(Model, PopDoesNothing) {
  gh_run("trelk:ins(button{name='a'})");
  EXPECT_EQ(gh_eval("select('#', trelk:pop()), trelk.n"), "0\t1");
}

TEST_F(Model, InsertingIntoAPlainEntryFails) {
  EXPECT_EQ(gh_run("b = button() trelk.ins(b, button())"),
            "Error! attempt to attach to simply menu string...");
  EXPECT_EQ(gh_run("trelk:push(button())"), "");
  EXPECT_EQ(gh_run("trelk:push()"), "Error: To few arguments!");
  EXPECT_EQ(gh_eval("trelk.n"), "1");
  // the method form on a control is the same message, not a script error
  EXPECT_EQ(gh_run("b:ins(button()) b:push(label())"),
            "Error! attempt to attach to simply menu string..."
            "Error! attempt to attach to simply menu string...");
  EXPECT_EQ(gh_run("print(select('#', b:ins(button())), b.n)"),
            "Error! attempt to attach to simply menu string...0\tnil");
}

TEST_F(Model, InsWithBadArguments) {
  EXPECT_EQ(gh_run("trelk.ins(5, button())"), "Invalid arg!");
  EXPECT_EQ(gh_run("trelk:ins(5) trelk:ins('x', 2) trelk:ins(nil)"
                   " trelk:ins(function() end) trelk:ins({TYPE='Menu'})"
                   " trelk:ins({TYPE='MenuString'})"), "");
  EXPECT_EQ(gh_eval("trelk.n"), "1");   // the hand-made menu string: script side only
  EXPECT_EQ(gr_count(gui_main_menu), 0);
  EXPECT_EQ(gh_run("trelk:ins(menu(), 'x', {}, nil, 'w', false)"), "");
}

// Deleting an attaching entry lets go of its dialog; attached again (or
// hung, or shown) the dialog is pinned again and its command runs.
TEST_F(Model, ADialogAttachedAgainRunsItsCommand) {
  gh_run("d = dialog{name='d', w=50, h=50, command='print(\"cmd\", reason)'}"
         " e = trelk:ins(d) e:del() collectgarbage()");
  struct gr_container *c = (struct gr_container *)gr_containers;
  while (c && !(c->name && std::string(c->name) == "d")) c = c->all_next;
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->ref, GR_NOREF);
  gh_run("e2 = trelk:ins(d)");
  EXPECT_NE(c->ref, GR_NOREF);
  gh_take();
  nt_notify(nullptr, c, NT_CREATED);
  EXPECT_EQ(gh_take(), "cmd\t1");
  gh_run("e2:del() b = button() b.sub = d");
  EXPECT_NE(c->ref, GR_NOREF);
  gh_run("b.sub = {} b.onRBUTTONCLICK = d");
  EXPECT_NE(c->ref, GR_NOREF);
  nt_notify(nullptr, c, NT_RESIZED);
  EXPECT_EQ(gh_take(), "cmd\t3");
}

TEST_F(Model, MissingKeysReadNilAndStoreRaw) {
  gh_run("b = button() m = menu()");
  EXPECT_EQ(gh_eval("b.nothing, m.nothing, trelk.nothing, b[1]"), "nil\tnil\tnil\tnil");
  gh_run("b.nothing = 1 m[true] = 2 trelk.x2 = 3");
  EXPECT_EQ(gh_eval("b.nothing, rawget(b, 'nothing'), m[true], trelk.x2"),
            "1\t1\t2\t3");
}

TEST_F(Model, DelTwiceAndAfterwards) {
  gh_run("b = button{name='b'} trelk:ins(b) b:del() b:del() b.del(5) b.del()");
  EXPECT_EQ(gr_count(gui_main_menu), 0);
  EXPECT_EQ(gh_eval("type(b.msHANDLE)"), "userdata");
  EXPECT_EQ(gh_eval("b.name, b.checked, b.w"), "nil\tnil\tnil");
  EXPECT_EQ(gh_run("b.name = 'x' b.w = 5 b.checked = true"), "");
}

TEST_F(Model, CleanIsRecursive) {
  struct gr_container *before = gr_containers;
  gh_run("m = menu() sub = menu() sub2 = menu()"
         " sub:ins(button()) sub:ins(sub2) sub2:ins(button()) sub2:ins(label())"
         " e = m:ins(sub) m:ins(button())"
         " b = sub2[1] m:clean()");
  EXPECT_EQ(gh_eval("m.n, m[1], sub.n, sub2.n, b.msHANDLE == nil"), "0\tnil\t0\t0\tfalse");
  EXPECT_EQ(gh_eval("b.name"), "nil");
  struct gr_container *sub = nullptr;
  for (struct gr_container *c = gr_containers; c != before; c = c->all_next)
    if (c->first) sub = c;
  EXPECT_EQ(sub, nullptr) << "a container kept native entries";
}

TEST_F(Model, CleanOfAMenuInsideItself) {
  gh_run("m = menu() m:ins(m) m:ins(button())");
  EXPECT_EQ(gh_run("m:clean()"), "");
  EXPECT_EQ(gh_eval("m.n"), "0");
}

TEST_F(Model, CleanRelaysOutOnce) {
  gh_run("m = menu() for i = 1, 5 do m:ins(button()) end");
  gh_refreshes = 0;
  gh_run("m:clean()");
  EXPECT_EQ(gh_refreshes, 1);
  EXPECT_EQ(gh_eval("m.rearrange"), "true");
}

TEST_F(Model, PinnedObjectsSurviveCollection) {
  gh_run("trelk:ins(button{name='kept', command='print(reason)'})"
         " trelk:ins(menu{name='sub'})");
  gh_run("collectgarbage() collectgarbage()");
  struct gr_entry *e = gr_at(gui_main_menu, 0);
  ASSERT_NE(e, nullptr);
  lua_State *L = gui_L;
  lua_rawgeti(L, LUA_REGISTRYINDEX, e->ref);
  ASSERT_TRUE(lua_istable(L, -1));
  lua_getfield(L, -1, "name");
  EXPECT_STREQ(lua_tostring(L, -1), "kept");
  lua_pop(L, 2);
  EXPECT_EQ(gh_eval("trelk[1].name, type(trelk[1].CommandString), trelk[2].sub.name"),
            "kept\tfunction\tsub");
}

TEST_F(Model, ShowTakesCoordinatesOrATable) {
  static int sx, sy, shown;
  gv.show = [](struct gr_container *, int x, int y) { sx = x; sy = y; shown++; };
  gh_run("m = menu() m:show() ");
  EXPECT_EQ(sx, -1);
  EXPECT_EQ(sy, -1);
  gh_run("m:show(10, 20)");
  EXPECT_EQ(sx, 10);
  EXPECT_EQ(sy, 20);
  gh_run("m:show{y = 5}");
  EXPECT_EQ(sx, -1);
  EXPECT_EQ(sy, 5);
  gh_run("m.show(button(), 1, 1) m.show(5) m.show()");
  EXPECT_EQ(shown, 3);
}

}  // namespace

namespace {

struct Dialogs : ::testing::Test {
  lua_State *L = nullptr;
  void SetUp() override { L = gh_state(); }
  void TearDown() override { gh_close(); }
};

TEST_F(Dialogs, ControlsAreKeptUnderTheirRecords) {
  gh_run("d = dialog() b = d:ins(button{name='b'}) c = d:ins(checkbox())");
  EXPECT_EQ(gh_eval("d.n, d[b.msHANDLE] == b, d[c.msHANDLE] == c, b.parent == d"),
            "2\ttrue\ttrue\ttrue");
  gh_run("h = b.msHANDLE b:del()");
  EXPECT_EQ(gh_eval("rawget(d, h)"), "nil");
  gh_run("h = c.msHANDLE d:clean()");
  EXPECT_EQ(gh_eval("rawget(d, h), d.n"), "nil\t0");
}

TEST_F(Dialogs, AControlWithoutSizeIsAHundredSquare) {
  gh_run("d = dialog() b = button{w=5, h=6} d:ins(b, 10, 20)");
  EXPECT_EQ(gh_eval("b.x, b.y, b.w, b.h"), "10\t20\t100\t100");
  gh_run("c = button() d:ins(c, 1.9, 2.5, 0, 7)");
  EXPECT_EQ(gh_eval("c.x, c.y, c.w, c.h"), "1\t2\t100\t7");
  gh_run("e = button() d:ins(e)");   // no coordinates: all 0, sizes 100
  EXPECT_EQ(gh_eval("e.x, e.y, e.w, e.h"), "0\t0\t100\t100");
  gh_run("f = button() d:ins(f, 'a', {}, 'b', 40)");
  EXPECT_EQ(gh_eval("f.x, f.y, f.w, f.h"), "0\t0\t100\t40");
}

TEST_F(Dialogs, ArrayInInsertionOrderRecordNewestFirst) {
  gh_run("d = dialog() a = d:ins(button{name='a'}) b = d:ins(button{name='b'})");
  EXPECT_EQ(gh_eval("d[1] == a, d[2] == b, d.n, a.parent == d"),
            "true\ttrue\t2\ttrue");
  lua_getglobal(L, "d");
  struct gr_container *c = obj_container(L, -1);
  lua_pop(L, 1);
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(gr_count(c), 2);
  EXPECT_STREQ(gr_at(c, 0)->name, "b");
  EXPECT_STREQ(gr_at(c, 1)->name, "a");
}

TEST_F(Dialogs, TheReturnedValueIsTheLastArgument) {
  gh_run("d = dialog() b = button()");
  EXPECT_EQ(gh_eval("d:ins(b) == b"), "true");
  EXPECT_EQ(gh_eval("d:ins(button(), 10, 20)"), "20");
  EXPECT_EQ(gh_eval("d:ins(button(), 1, 2, 3, 4)"), "4");
  EXPECT_EQ(gh_eval("d.n"), "3");
}

TEST_F(Dialogs, IndexingByRecordGivesTheControl) {
  gh_run("d = dialog() b = button() d:ins(b, 5, 5)");
  EXPECT_EQ(gh_eval("d[b.msHANDLE] == b, rawget(d, b.msHANDLE) == b"),
            "true\ttrue");
}

TEST_F(Dialogs, TablesAndMenusAttachAtTheFrontWithFiftySquare) {
  gh_run("d = dialog() d:ins(button()) t = table{name='t'} e = d:ins(t, 7, 8)");
  EXPECT_EQ(gh_eval("e.TYPE, e.sub == t, d[1] == e, d.n, e.x, e.y, e.w, e.h"),
            "MenuString\ttrue\ttrue\t2\t7\t8\t50\t50");
  gh_run("m = menu() f = d:ins(m, 1, 2, 30)");
  EXPECT_EQ(gh_eval("f.w, f.h, d[1] == f"), "30\t50\ttrue");
  gh_run("g = d:ins(menu(), 3)");   // a position
  EXPECT_EQ(gh_eval("d[3] == g, g.w"), "true\t128");
  gh_run("k = d:ins(dialog{name='inner'})");
  EXPECT_EQ(gh_eval("d[1] == k, k.name, k.sub.TYPE"), "true\tinner\tDialog");
}

TEST_F(Dialogs, TablesKeepTheirRowsInTheirRecord) {
  gh_run("t = table() a = t:ins(button{name='a'}) b = t:push(button{name='b'})");
  EXPECT_EQ(gh_eval("t.n, t[1] == b, t[2] == a, a.parent == t"), "2\ttrue\ttrue\ttrue");
  lua_getglobal(L, "t");
  struct gr_container *c = obj_container(L, -1);
  lua_pop(L, 1);
  ASSERT_NE(c, nullptr);
  ASSERT_EQ(gr_count(c), 2);
  EXPECT_STREQ(gr_at(c, 0)->name, "b");
  gh_run("b:del()");
  EXPECT_EQ(gr_count(c), 1);
}

TEST_F(Dialogs, SizesAreZeroUntilSet) {
  gh_run("d = dialog() e = dialog{w=300}");
  EXPECT_EQ(gh_eval("d.w, d.h, e.w, e.h"), "0\t0\t300\t0");
  gh_run("d.w = 200 d.h = 150");
  EXPECT_EQ(gh_eval("d.w, d.h"), "200\t150");
}

TEST_F(Dialogs, FewerThanTwoArgumentsIsAMessage) {
  gh_run("d = dialog()");
  EXPECT_EQ(gh_run("print(select('#', d:ins()))"),
            "Error: This needs parent & child!0");
  EXPECT_EQ(gh_run("print(select('#', d.ins(d)))"),
            "Error: This needs parent & child!0");
}

TEST_F(Dialogs, OtherChildrenAreRefused) {
  gh_run("d = dialog()");
  EXPECT_EQ(gh_eval("select('#', d:ins({})), select('#', d:ins(5)), d.n"),
            "0\t0\t0");
}

TEST_F(Dialogs, TheContainerBitsLiveInTheFlagWord) {
  gh_run("d = dialog() t = table() m = menu()");
  auto cflags = [this](const char *g) {
    lua_getglobal(L, g);
    struct gr_container *c = obj_container(L, -1);
    lua_pop(L, 1);
    return c ? c->cflags : 0xFFu;
  };
  EXPECT_EQ(cflags("d"), 0u);
  EXPECT_EQ(cflags("t"), GR_CF_SCROLLED);
  EXPECT_EQ(cflags("m"), GR_CF_SCROLLED);
  gh_run("d.tabbed = true d.resizeable = 1 t.tabbed = true m.tabbed = true");
  EXPECT_EQ(cflags("d"), GR_CF_TABBED | GR_CF_RESIZE);
  EXPECT_EQ(cflags("t"), GR_CF_SCROLLED | GR_CF_TABBED);
  EXPECT_EQ(cflags("m"), GR_CF_SCROLLED);
  EXPECT_EQ(gh_eval("m.tabbed, t.tabbed"), "false\ttrue");
  gh_run("d.tabbed = false");
  EXPECT_EQ(cflags("d"), GR_CF_RESIZE);
}

TEST_F(Dialogs, AWildSizeDoesNotMakeInsertingWalkForever) {
  EXPECT_EQ(gh_run("m = menu() m:ins(button()) m.n = 1e9 m:push(button())"
                   " m.n = -5 m:ins(button()) m.n = 1e9 m:clean()"), "");
  EXPECT_EQ(gh_eval("m.n, m[1]"), "0\tnil");
}

}  // namespace
