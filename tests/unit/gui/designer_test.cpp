// The designer's sheets and their actions on the record being edited,
// driven through the entries' callbacks as clicks and Enter would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gui/designer.h"
#include "gui/gui.h"
#include "gui/notify.h"
#include "gui/record.h"
#include "gui/savestate.h"
#include "tests/unit/gui/harness.h"

namespace {

int closed, placed;
struct gr_entry *last_placed;

struct Designer : ::testing::Test {
  struct dz_ops keep = dz_ops;
  void SetUp() override {
    gh_state();
    dz_open(gui_L);
    closed = placed = 0;
    dz_ops.close = [] { closed++; };
    dz_ops.place = [](struct gr_entry *e) { placed++; last_placed = e; };
  }
  void TearDown() override {
    dz_edit(nullptr);
    dz_ops = keep;
    gh_close();
  }
};

void *record_of(const char *expr) {
  gh_run((std::string("_probe = ") + expr + ".msHANDLE or " + expr + ".HANDLE").c_str());
  lua_getglobal(gui_L, "_probe");
  void *p = lua_touserdata(gui_L, -1);
  lua_pop(gui_L, 1);
  return p;
}

std::vector<std::string> captions(struct gr_container *c) {
  std::vector<std::string> v;
  for (struct gr_entry *e = c->first; e; e = e->next)
    v.push_back(e->flags & GR_SEPARATOR ? "-" : e->flags == GR_EDIT ? "[edit]"
                : e->name ? e->name : "");
  return v;
}

struct gr_entry *item(int sheet, const char *menu, const char *name) {
  struct gr_entry *m = dz_find(dz.sheets[sheet], menu);
  return m && m->sub ? dz_find(m->sub, name) : nullptr;
}

void click(struct gr_entry *e) {
  ASSERT_NE(e, nullptr);
  nt_click(nullptr, e);
}

void enter(int sheet, int job, const char *text) {
  struct gr_entry *e = dz.edits[sheet][job];
  ASSERT_NE(e, nullptr);
  gr_set_text(&e->name, text);
  nt_notify(nullptr, e, 10);
}

std::string saved() {
  struct sbuf b;
  sb_init(&b);
  ss_build(gui_L, &b);
  std::string s(b.p ? b.p : "", b.n);
  sb_free(&b);
  return s;
}

TEST_F(Designer, SheetsHoldTheirEntriesInOrder) {
  EXPECT_EQ(dz.drop->flags, 0x1004u);
  EXPECT_STREQ(dz.drop->name, "Develop Menu");
  using V = std::vector<std::string>;
  EXPECT_EQ(captions(dz.sheets[DZ_MENU_SHEET]),
            (V{"Name :", "[edit]", "Tool Tip :", "[edit]", "-", "Command String :",
               "Common Functions", "Type", "-", "Add Control"}));
  EXPECT_EQ(captions(dz.sheets[DZ_CONTROL_SHEET]),
            (V{"Name :", "[edit]", "Tool Tip :", "[edit]", "Command String :",
               "Common Functions", "Type", "Right Side Subcontrol", "Right Click Menu",
               "Control Specific Flags", "-", "Sizes", "-", "Cancel", "Delete"}));
  EXPECT_EQ(captions(dz.sheets[DZ_DIALOG_SHEET]),
            (V{"Name :", "[edit]", "Tool Tip :", "[edit]", "-", "Command String :",
               "Common Functions", "Type", "-", "Resize flag", "Sizes", "-",
               "Add Control"}));
  EXPECT_EQ(captions(dz_find(dz.sheets[DZ_CONTROL_SHEET], "Type")->sub),
            (V{"Separator", "Simply Button", "Radio Button", "Check Box", "Label",
               "Edit", "Multiline edit", "Sub menu", "Sub dialog", "Table", "Scrollbar"}));
  struct gr_entry *cmd = dz_find(dz.sheets[DZ_MENU_SHEET], "Command String :");
  ASSERT_TRUE(cmd && cmd->sub);
  EXPECT_EQ(cmd->flags, GR_ATT_DIALOG);
  EXPECT_EQ(cmd->sub->w, 200);
  struct gr_entry *pane = cmd->sub->first;
  EXPECT_EQ(pane->flags, GR_MULTIEDIT);
  EXPECT_EQ(pane->x, 1);
  EXPECT_EQ(pane->w, 194);
  EXPECT_EQ(pane->h, 176);
  EXPECT_TRUE(dz_is_designer(pane->owner));
  EXPECT_FALSE(dz_is_designer(gui_main_menu));
}

TEST_F(Designer, EditingAControlFillsTheSheet) {
  gh_run("function g() end b = button{name='b', comment='tip', command='print(1)'}"
         " b.w = 60 trelk:ins(b)");
  dz_edit(record_of("b"));
  EXPECT_EQ(dz.sheet, DZ_CONTROL_SHEET);
  EXPECT_EQ(dz.drop->sub, dz.sheets[DZ_CONTROL_SHEET]);
  EXPECT_STREQ(dz.edits[DZ_CONTROL_SHEET][DZ_NAME]->name, "b");
  EXPECT_STREQ(dz.edits[DZ_CONTROL_SHEET][DZ_TIP]->name, "tip");
  EXPECT_STREQ(dz.edits[DZ_CONTROL_SHEET][DZ_COMMAND]->name, "print(1)");
  EXPECT_STREQ(dz.edits[DZ_CONTROL_SHEET][DZ_WIDTH]->name, "60");
  EXPECT_STREQ(dz.edits[DZ_CONTROL_SHEET][DZ_FUNCTIONS]->name, "g = function() end \n\n");
  EXPECT_TRUE(item(DZ_CONTROL_SHEET, "Type", "Simply Button")->flags & GR_CHECKED);
  EXPECT_FALSE(item(DZ_CONTROL_SHEET, "Type", "Label")->flags & GR_CHECKED);
  EXPECT_TRUE(item(DZ_CONTROL_SHEET, "Right Click Menu", "None")->flags & GR_CHECKED);
}

TEST_F(Designer, EditsChangeTheRecordAndSavestateWritesIt) {
  gh_run("b = button{name='b'} trelk:ins(b)");
  dz_edit(record_of("b"));
  enter(DZ_CONTROL_SHEET, DZ_NAME, "renamed");
  enter(DZ_CONTROL_SHEET, DZ_TIP, "a tip");
  enter(DZ_CONTROL_SHEET, DZ_WIDTH, "300");
  enter(DZ_CONTROL_SHEET, DZ_HEIGHT, "tall");   // refused with a message
  EXPECT_EQ(gh_take(), "designer: a size is a number from 0 to 65535\n");
  EXPECT_EQ(gh_eval("b.name, b.comment, b.w, b.h"), "renamed\ta tip\t300\t22");
  struct gr_entry *cmd = dz.edits[DZ_CONTROL_SHEET][DZ_COMMAND];
  gr_set_text(&cmd->name, "print(");
  nt_notify(nullptr, cmd, 0);   // does not compile yet: nothing happens
  EXPECT_EQ(gh_eval("b.command"), "");
  gr_set_text(&cmd->name, "print('x')");
  nt_notify(nullptr, cmd, 0);
  EXPECT_EQ(gh_eval("b.command, type(b.CommandString)"), "print('x')\tfunction");
  EXPECT_EQ(saved(), "_0_ = trelk;\n\n"
                     "\n__0__ = button{ name=\"renamed\", comment=\"a tip\","
                     " command=\"print(\\'x\\')\",};\n_0_:ins(__0__);\nb = __0__;");
  // a line break that reached the edit (a paste, a keyboard's Enter) is no
  // part of the name
  enter(DZ_CONTROL_SHEET, DZ_NAME, "Hello\r\n");
  enter(DZ_CONTROL_SHEET, DZ_TIP, "two\nlines\r\n");
  EXPECT_EQ(gh_eval("b.name, b.comment"), "Hello\ttwolines");
}

TEST_F(Designer, RightClickMenuAndSideObject) {
  gh_run("b = button{name='b'} trelk:ins(b)");
  dz_edit(record_of("b"));
  click(item(DZ_CONTROL_SHEET, "Right Click Menu", "Menu"));
  EXPECT_EQ(gh_eval("b.onRBUTTONCLICK.TYPE, b.onRBUTTONCLICK.parent == b"), "Menu\ttrue");
  click(item(DZ_CONTROL_SHEET, "Right Side Subcontrol", "Dialog"));
  EXPECT_EQ(gh_eval("b.sub.TYPE, b.sub.w, b.sub.h, b.sub.parent == b"),
            "Dialog\t100\t100\ttrue");
  EXPECT_EQ(saved(), "_0_ = trelk;\n\n\n__0__ = button{ name=\"b\",};\n_0_:ins(__0__);"
                     "\nb = __0__;"
                     "\n\t_1_ = dialog{ w=100, h=100,};\n__0__.sub = _1_;"
                     "\n\t_1_ = menu{};\n__0__.onRBUTTONCLICK = _1_;");
  click(item(DZ_CONTROL_SHEET, "Right Click Menu", "None"));
  click(item(DZ_CONTROL_SHEET, "Right Side Subcontrol", "None"));
  EXPECT_EQ(gh_eval("b.onRBUTTONCLICK, b.sub"), "nil\tnil");
  click(item(DZ_CONTROL_SHEET, "Right Side Subcontrol", "Scrollbar"));
  EXPECT_EQ(gh_take(), "designer: scroll bars are not available in this build\n");
}

TEST_F(Designer, TypeChangesTheKind) {
  gh_run("b = button{name='b'} trelk:ins(b)");
  struct gr_entry *e = (struct gr_entry *)record_of("b");
  dz_edit(e);
  click(item(DZ_CONTROL_SHEET, "Type", "Check Box"));
  EXPECT_EQ(e->flags, GR_CHECKBOX);
  click(item(DZ_CONTROL_SHEET, "Type", "Label"));
  EXPECT_EQ(e->flags, GR_LABEL);
  click(item(DZ_CONTROL_SHEET, "Type", "Sub menu"));
  EXPECT_EQ(e->flags, GR_ATT_MENU);
  EXPECT_EQ(gh_eval("b.sub.TYPE, b.sub.name, b.sub.parent == b"), "Menu\tb\ttrue");
  // written as an attaching entry; the written text rebuilds itself
  std::string first = saved();
  EXPECT_EQ(first, "_0_ = trelk;\n\n\n\t_1_ = menu{ name=\"b\",};\n__0__ = _0_:ins(_1_);"
                   "\nb = __0__;");
  click(item(DZ_CONTROL_SHEET, "Type", "Simply Button"));
  EXPECT_EQ(e->flags, GR_BUTTON);
  EXPECT_EQ(e->sub, nullptr);
}

TEST_F(Designer, ControlSpecificFlags) {
  gh_run("b = checkbox{name='b'} b.sub = menu{} trelk:ins(b)");
  dz_edit(record_of("b"));
  click(dz_find(dz.flags_menu, "Checked"));
  click(dz_find(dz.flags_menu, "Vertical dropping"));
  EXPECT_EQ(gh_eval("b.checked, b.vertdrop"), "true\ttrue");
  click(dz_find(dz.flags_menu, "Checked"));
  click(dz_find(dz.flags_menu, "Horisontal dropping"));
  EXPECT_EQ(gh_eval("b.checked, b.vertdrop"), "false\tfalse");
}

TEST_F(Designer, MenuSheetForAnAttachedMenuAndAddControl) {
  gh_run("m = menu{name='m'} m:ins(button{name='old'}) e = trelk:ins(m)");
  dz_edit(record_of("e"));
  EXPECT_EQ(dz.sheet, DZ_MENU_SHEET);
  EXPECT_EQ(dz.edited, record_of("m"));
  enter(DZ_MENU_SHEET, DZ_NAME, "menu2");
  EXPECT_EQ(gh_eval("m.name, e.name"), "menu2\tmenu2");
  click(dz_find(dz.sheets[DZ_MENU_SHEET], "Add Control"));
  EXPECT_EQ(placed, 1);
  EXPECT_EQ(gh_eval("m.n, m[1].TYPE, m[1].parent == m, m[2].name"),
            "2\tMenuString\ttrue\told");
  EXPECT_EQ(last_placed, record_of("m[1]"));
  click(item(DZ_MENU_SHEET, "Type", "All In One"));
  EXPECT_EQ(((struct gr_container *)record_of("m"))->cflags & GR_CF_SCROLLED, 0u);
  click(item(DZ_MENU_SHEET, "Type", "Scrolled"));
  EXPECT_EQ(((struct gr_container *)record_of("m"))->cflags & GR_CF_SCROLLED, 1u);
}

TEST_F(Designer, DialogSheetFlagsAndSizes) {
  gh_run("d = dialog{name='d', w=50, h=60} trelk:ins(d)");
  dz_edit(record_of("d"));
  EXPECT_EQ(dz.sheet, DZ_DIALOG_SHEET);
  EXPECT_STREQ(dz.edits[DZ_DIALOG_SHEET][DZ_HEIGHT]->name, "60");
  click(item(DZ_DIALOG_SHEET, "Type", "Tabbed"));
  click(item(DZ_DIALOG_SHEET, "Resize flag", "Resizeable"));
  enter(DZ_DIALOG_SHEET, DZ_WIDTH, "250");
  EXPECT_EQ(gh_eval("d.tabbed, d.w"), "true\t250");
  std::string t = saved();
  EXPECT_NE(t.find("_1_ = dialog{ name=\"d\", w=250, h=60,};\n\t_1_.tabbed = true;"
                   "\n\t_1_.resizeable = true;"),
            std::string::npos);
  click(dz_find(dz.sheets[DZ_DIALOG_SHEET], "Add Control"));
  EXPECT_EQ(gh_eval("d.n, d[1].TYPE"), "1\tMenuString");
}

TEST_F(Designer, DeleteAndCancel) {
  gh_run("a = button{name='a'} b = button{name='b'} trelk:ins(a) trelk:ins(b)");
  dz_edit(record_of("a"));
  nt_click(nullptr, dz_find(dz.sheets[DZ_CONTROL_SHEET], "Delete"));
  EXPECT_EQ(closed, 1);
  EXPECT_EQ(dz.edited, nullptr);
  EXPECT_EQ(gr_count(gui_main_menu), 1);
  EXPECT_STREQ(gui_main_menu->first->name, "b");
  dz_edit(record_of("b"));
  nt_click(nullptr, dz_find(dz.sheets[DZ_CONTROL_SHEET], "Cancel"));
  EXPECT_EQ(closed, 2);
  EXPECT_EQ(dz.edited, nullptr);
  // with nothing edited the sheets do nothing
  enter(DZ_CONTROL_SHEET, DZ_NAME, "x");
  EXPECT_STREQ(gui_main_menu->first->name, "b");
}

TEST_F(Designer, TheDesignersOwnRecordsAreNotEdited) {
  dz_edit(dz.sheets[DZ_MENU_SHEET]);
  EXPECT_EQ(dz.edited, nullptr);
}

}  // namespace
