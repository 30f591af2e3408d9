// Properties: every row of the table, and writes of the wrong type.
#include <gtest/gtest.h>

#include "gui/gui.h"
#include "gui/record.h"
#include "gui/view.h"
#include "tests/unit/gui/harness.h"

namespace {

struct Props : ::testing::Test {
  void SetUp() override { gh_state(); }
  void TearDown() override { gh_close(); }
};

TEST_F(Props, ColourTable) {
  EXPECT_EQ(gh_eval("trelk.color.ms_text == 0x111111, trelk.color.cap_bg == 0x9F9F9F"),
            "true\ttrue");
  EXPECT_EQ(gh_eval("select('#', trelk.color.nothing), trelk.color[4]"), "1\tnil");
  gh_run("trelk.color.ms_text = 0xFF");
  EXPECT_EQ(gh_eval("trelk.color.ms_text"), "255");
  gh_run("trelk.color.ms_text = 'red' trelk.color.ms_text = 2^40"
         " trelk.color.ms_text = -2^31 - 1 trelk.color.ms_text = 0/0"
         " trelk.color.nothing = 5 trelk.color[8] = 1");
  EXPECT_EQ(gh_eval("trelk.color.ms_text, rawget(trelk.color, 'nothing')"), "255\tnil");
  // every 32-bit value is a colour value: -1 is stored and reads back
  gh_run("trelk.color.ms_text = -1");
  EXPECT_EQ(gh_eval("trelk.color.ms_text"), "-1");
  gh_run("trelk.color.cap_bg = 0xFFFFFFFE trelk.color.print = 7.9");
  EXPECT_EQ(gh_eval("trelk.color.cap_bg, trelk.color.print"), "-2\t7");
}

TEST_F(Props, NameAndTextAreOne) {
  gh_run("b = button{name='one'}");
  EXPECT_EQ(gh_eval("b.name, b.text"), "one\tone");
  gh_run("b.text = 'two'");
  EXPECT_EQ(gh_eval("b.name"), "two");
  gh_run("b.name = 5");
  EXPECT_EQ(gh_eval("b.name, rawget(b, 'name')"), "nil\tnil");
  gh_run("m = menu{name='m'} e = trelk:ins(m) e.name = 'renamed'");
  EXPECT_EQ(gh_eval("m.name"), "renamed");
}

// A write re-lays out only what it changes: names lay out rows whose width
// follows their text, never a dialog's controls or edits; a control of a
// dialog moves its own window; writing what is there changes nothing.
int moves;
void count_move(struct gr_entry *e) {
  (void)e;
  moves++;
}

TEST_F(Props, WritesReLayOutOnlyWhatTheyChange) {
  gh_run("d = dialog{w=100, h=100} b = button() d:ins(b, 1, 2, 30, 20)"
         " m = menu() r = button() m:ins(r) ed = edit() m:ins(ed)"
         " inner = dialog{name='in'} e = m:ins(inner)");
  moves = 0;
  gv.move = count_move;
  gh_refreshes = 0;
  gh_run("b.name = 'x' ed.name = 'text' b.comment = 'c' b.command = 'x = 1'");
  EXPECT_EQ(gh_refreshes, 0);
  gh_run("r.name = 'wider'");
  EXPECT_EQ(gh_refreshes, 1);
  gh_run("inner.name = 'renamed'");   // its entry's row in m
  EXPECT_EQ(gh_refreshes, 2);
  EXPECT_EQ(gh_eval("e.name"), "renamed");
  gh_run("b.x = 5 b.w = 40 b.w = 40");
  EXPECT_EQ(gh_refreshes, 2);
  EXPECT_EQ(moves, 2);
  gh_run("r.w = 60 r.w = 60 d.tabbed = false d.resizeable = false");
  EXPECT_EQ(gh_refreshes, 3);
}

TEST_F(Props, CommentAndCommand) {
  gh_run("b = button{comment='tip', command='print(1)'}");
  EXPECT_EQ(gh_eval("b.comment, b.command, type(b.CommandString)"),
            "tip\tprint(1)\tfunction");
  gh_run("b.comment = {} b.command = 7");
  EXPECT_EQ(gh_eval("b.comment, b.command, type(b.CommandString)"), "nil\t\tfunction");
}

TEST_F(Props, Geometry) {
  gh_run("b = button()");
  EXPECT_EQ(gh_eval("b.x, b.y, b.w, b.h"), "0\t0\t128\t22");
  gh_run("b.x = 3.7 b.y = -2 b.w = 'wide' b.h = 1e300");
  EXPECT_EQ(gh_eval("b.x, b.y, b.w, b.h"), "3\t-2\t0\t2147483647");
  gh_run("m = menu() m.w = 50 m.x = 9");
  EXPECT_EQ(gh_eval("m.x, m.y, m.w, m.h"), "0\t0\t50\t100");
  gh_run("c = checkbox{x=1, y='2', w=30, h=false}");
  EXPECT_EQ(gh_eval("c.x, c.y, c.w, c.h"), "1\t0\t30\t22");
}

TEST_F(Props, CheckedOnlyOnCheckBoxesAndRadios) {
  gh_run("c = checkbox{checked=true} b = button{checked=true}"
         " r = radio{checked='yes'}");
  EXPECT_EQ(gh_eval("c.checked, b.checked, r.checked"), "true\tfalse\tfalse");
  gh_run("c.checked = nil b.checked = true");
  EXPECT_EQ(gh_eval("c.checked, b.checked"), "false\tfalse");
}

TEST_F(Props, CheckingARadioClearsItsGroup) {
  gh_run("m = menu() for i = 1, 3 do m:ins(radio{name=tostring(i),"
         " command='print(this.name, reason)'}) end"
         " m:ins(button()) m:ins(radio{name='other', checked=true})"
         " m[1].checked = true m[2].checked = true");
  EXPECT_EQ(gh_run("m[3].checked = true"), "2\t0");
  EXPECT_EQ(gh_eval("m[1].checked, m[2].checked, m[3].checked, m[5].checked"),
            "false\tfalse\ttrue\ttrue");
}

TEST_F(Props, TwoRadiosAndAButtonFormOneGroup) {
  gh_run("m = menu() m:ins(radio()) m:ins(radio()) m:ins(button())");
  struct gr_container *c = nullptr;
  for (c = gr_containers; c && gr_count(c) != 3; c = c->all_next) {}
  ASSERT_NE(c, nullptr);
  EXPECT_TRUE(gr_in_group(gr_at(c, 0), gr_at(c, 1)));
  EXPECT_FALSE(gr_in_group(gr_at(c, 1), gr_at(c, 2)));
  EXPECT_EQ(gr_group_first(gr_at(c, 2)), nullptr);
}

TEST_F(Props, ProgramWide) {
  EXPECT_EQ(gh_eval("trelk.drop_timeout, button().drop_timeout, trelk.rearrange"),
            "140\t140\ttrue");
  gh_run("trelk.drop_timeout = 20");
  EXPECT_EQ(gh_eval("menu().drop_timeout"), "20");
  gh_run("trelk.drop_timeout = 'x'");
  EXPECT_EQ(gh_eval("trelk.drop_timeout"), "0");
  EXPECT_EQ(gh_eval("trelk.term_shrinked"), "false");
  gh_run("trelk.term_shrinked = 1");
  EXPECT_EQ(gh_eval("trelk.term_shrinked"), "true");
  gh_run("trelk.rearrange = false");
  EXPECT_EQ(gh_eval("trelk.rearrange"), "false");
}

TEST_F(Props, Digital) {
  gh_run("e = edit{name='10'}");
  EXPECT_EQ(gh_eval("e.digital"), "0");
  gh_run("e.digital = 16");
  EXPECT_EQ(gh_eval("e.digital"), "16");
  gh_run("e.digital = 70000");
  EXPECT_EQ(gh_eval("e.digital"), "16");
  gh_run("e.digital = 1");
  EXPECT_EQ(gh_eval("e.digital"), "0");
  gh_run("e.digital = 36 e.digital = 'x'");
  EXPECT_EQ(gh_eval("e.digital, button().digital"), "0\t0");
  gh_run("b = label() b.digital = 16");
  EXPECT_EQ(gh_eval("b.digital"), "0");
}

TEST_F(Props, EditorProperties) {
  gh_run("l = label() b = button() me = multiedit{name='text'}");
  EXPECT_EQ(gh_eval("l.sel, b.line, me.line"), "nil\t0\t0");
  EXPECT_EQ(gh_eval("me.sel.text, me.sel.b, me.sel.e"), "\t0\t0");
  EXPECT_EQ(gh_eval("#me.style, type(me.style[32].font), #me.style.margin, #me.style.lex"),
            "32\ttable\t3\t32");
  EXPECT_EQ(gh_eval("type(me.grep), type(edit().mes), b.grep"),
            "function\tfunction\tnil");
  EXPECT_EQ(gh_eval("b.undo"), "nil");
  gh_run("b.sel = 5");
  EXPECT_EQ(gh_eval("rawget(b, 'sel')"), "5");
}

TEST_F(Props, ResizeableAndTabbed) {
  gh_run("d = dialog() t = table() m = menu()");
  EXPECT_EQ(gh_eval("d.resizeable, d.tabbed, m.tabbed"), "nil\tfalse\tfalse");
  gh_run("d.resizeable = true d.tabbed = true t.tabbed = 1 m.tabbed = true");
  EXPECT_EQ(gh_eval("d.resizeable, d.tabbed, t.tabbed, m.tabbed, rawget(d, 'resizeable')"),
            "nil\ttrue\ttrue\tfalse\tnil");
}

TEST_F(Props, SubWrite) {
  gh_run("b = button() m = menu{name='m'} b.sub = m");
  EXPECT_EQ(gh_eval("b.sub == m, m.parent == b"), "true\ttrue");
  gh_run("b.sub = {}");
  EXPECT_EQ(gh_eval("b.sub"), "nil");
  gh_run("b.sub = 5 b.sub = button()");
  EXPECT_EQ(gh_eval("b.sub"), "nil");
  gh_run("e = trelk:ins(menu()) b.sub = e");
  EXPECT_EQ(gh_eval("b.sub == e.sub"), "true");
  // an attaching entry's sub stays
  gh_run("e.sub = m");
  EXPECT_EQ(gh_eval("e.sub == m"), "false");
}

TEST_F(Props, RightClickObject) {
  gh_run("m = menu() b = button{onRBUTTONCLICK = m}");
  EXPECT_EQ(gh_eval("b.onRBUTTONCLICK == m, m.parent == b"), "true\ttrue");
  gh_run("b.onRBUTTONCLICK = 5");
  EXPECT_EQ(gh_eval("b.onRBUTTONCLICK == m"), "true");
  gh_run("b.onRBUTTONCLICK = {}");
  EXPECT_EQ(gh_eval("b.onRBUTTONCLICK"), "nil");
  gh_run("c = button{onRBUTTONCLICK = 'x'}");
  EXPECT_EQ(gh_eval("c.onRBUTTONCLICK"), "nil");
}

TEST_F(Props, BitsOfAttachingEntries) {
  gh_run("b = button() e = trelk:ins(menu())");
  gh_run("b.vertdrop = true b.container = true e.vertdrop = true e.container = 1");
  EXPECT_EQ(gh_eval("b.vertdrop, b.container, e.vertdrop, e.container"),
            "false\tfalse\ttrue\ttrue");
  gh_run("b.paint = true");
  EXPECT_EQ(gh_eval("b.paint"), "true");
  gh_run("b.paint = false");
  EXPECT_EQ(gh_eval("b.paint"), "false");
}

TEST_F(Props, WndToChangeAndIcon) {
  gh_run("b = button() b.WndToChange = 5 b.WndToChange = 'w'");
  EXPECT_EQ(gh_eval("type(b.WndToChange)"), "userdata");
  gh_run("b.icon = 'missing.ico'");
  EXPECT_EQ(gh_eval("b.icon"), "nil");
  gh_run("b.icon = 7");
  EXPECT_EQ(gh_eval("b.icon"), "nil");
}

TEST_F(Props, ConstructorsTakeAnything) {
  const char *ctors[] = {"separator", "button", "edit", "multiedit", "label",
                         "checkbox", "radio", "menu", "dialog", "table"};
  for (const char *c : ctors) {
    std::string chunk = std::string("local f = ") + c +
        " for _, a in ipairs{1, 'x', true, {}, {name=1, command={}, comment=2,"
        " checked=3, x='a', y={}, w=true, h=print, onRBUTTONCLICK=4},"
        " {name='n', command=print}} do assert(f(a).TYPE) end assert(f().TYPE)";
    EXPECT_EQ(gh_run(chunk.c_str()), "") << c;
  }
  EXPECT_EQ(gh_eval("button{command=print}.command"), "");
}

TEST_F(Props, HandMadeObjectsAreHarmless) {
  const char *chunk =
      "local t = setmetatable({}, getmetatable(trelk))"
      " local u = setmetatable({msHANDLE = 5}, debug.getregistry()['MS*'])"
      " assert(t.name == nil and u.name == nil and t.checked == nil)"
      " t.name = 'x' u.w = 3 t:ins(button()) u:del() t:push(u) menu().clean(t)";
  EXPECT_EQ(gh_run(chunk), "");
}

}  // namespace

namespace {

struct Exhaustive : ::testing::Test {
  void SetUp() override { gh_state(); }
  void TearDown() override { gh_close(); }
};

// Every property written with every kind of value on every kind of object,
// then read back: nothing is raised and nothing breaks.
TEST_F(Exhaustive, EveryPropertyTakesEveryValue) {
  const char *chunk =
      "local props = {'name', 'text', 'comment', 'command', 'tabbed',"
      " 'resizeable', 'x', 'y', 'w', 'h', 'checked', 'sub', 'onRBUTTONCLICK',"
      " 'vertdrop', 'container', 'term_shrinked', 'rearrange', 'digital',"
      " 'WndToChange', 'icon', 'line', 'paint', 'sel', 'undo', 'drop_timeout'}\n"
      "local values = {nil, false, true, 0, -1, 1e308, -1e308, 0/0, 1/0, 'text',"
      " '(', {}, print, coroutine.create(print), menu(), button(), table(),"
      " dialog(), trelk:ins(menu())}\n"
      "local objects = {trelk, menu(), dialog(), table(), separator(), button(),"
      " edit(), multiedit(), label(), checkbox(), radio(), trelk:ins(menu()),"
      " setmetatable({}, getmetatable(trelk))}\n"
      "local deleted = button() deleted:del() objects[#objects + 1] = deleted\n"
      "for _, o in ipairs(objects) do\n"
      "  for _, p in ipairs(props) do\n"
      "    for i = 1, 20 do\n"
      "      o[p] = values[i]\n"
      "      local _ = o[p]\n"
      "    end\n"
      "  end\n"
      "end\n"
      "trelk.rearrange = true trelk.drop_timeout = 140";
  std::string out = gh_run(chunk);
  // compile errors of the command texts are the only messages
  size_t pos = 0;
  while ((pos = out.find('\n')) != std::string::npos) {
    std::string line = out.substr(0, pos);
    out.erase(0, pos + 1);
    EXPECT_NE(line.find("[string"), std::string::npos) << line;
  }
  EXPECT_EQ(out, "");
}

}  // namespace
