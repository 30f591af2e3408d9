// Command texts: the body rule, compiling, replacing and running.
#include <gtest/gtest.h>

#include <string>

#include "gui/command.h"
#include "gui/gui.h"
#include "gui/notify.h"
#include "gui/record.h"
#include "tests/unit/gui/harness.h"

namespace {

std::string body(const char *text) {
  size_t from, n = cmd_body(text, strlen(text), &from);
  return std::string(text + from, n);
}

TEST(CommandBody, PlainTextIsKept) {
  EXPECT_EQ(body("print(1)"), "print(1)");
  EXPECT_EQ(body("x = 1 end  "), "x = 1 end  ");
  EXPECT_EQ(body(""), "");
}

TEST(CommandBody, ParameterListAndEndAreDropped) {
  EXPECT_EQ(body("()\n print(reason) \nend\n\n"), "\n print(reason) \n");
  EXPECT_EQ(body("(a, (b))  x = a end"), "  x = a ");
  EXPECT_EQ(body("() end"), " ");
  EXPECT_EQ(body("()"), "");
}

TEST(CommandBody, OneCharacterReadPastEndIsDropped) {
  EXPECT_EQ(body("() print(1) end}\n\n"), " print(1) ");
  EXPECT_EQ(body("() print(1) end)"), " print(1) ");
  EXPECT_EQ(body("() x = 1 endx"), " x = 1 endx");
  EXPECT_EQ(body("() x = 1 }"), " x = 1 }");
}

TEST(CommandBody, UnbalancedParenthesesLeaveNothing) {
  EXPECT_EQ(body("(a, b print(1)"), "");
  EXPECT_EQ(body("((("), "");
}

struct Commands : ::testing::Test {
  void SetUp() override { gh_state(); }
  void TearDown() override { gh_close(); }
};

// a click as the window side hands it over
void click(int index) {
  nt_click(nullptr, gr_at(gui_main_menu, index));
}

TEST_F(Commands, AButtonClickRunsItsCommandWithReason10) {
  gh_run("b = trelk:ins(button{name='b', command='print(reason, this == b, instance)'})");
  click(0);
  EXPECT_EQ(gh_take(), "10\ttrue\t0");
  EXPECT_EQ(gh_eval("type(hWnd), reason, this == b"), "userdata\t10\ttrue");
}

TEST_F(Commands, ReasonsOfCheckBoxesAndRadios) {
  gh_run("trelk:ins(checkbox{command='print(reason)'})"
         " trelk:ins(radio{command='print(\"r1\", reason)'})"
         " trelk:ins(radio{command='print(\"r2\", reason)'})");
  click(0);
  EXPECT_EQ(gh_take(), "4");
  click(0);
  EXPECT_EQ(gh_take(), "0");
  click(1);
  EXPECT_EQ(gh_take(), "r1\t4");
  click(2);
  EXPECT_EQ(gh_take(), "r1\t0r2\t4");
  click(2);   // a click on a checked radio leaves it checked
  EXPECT_EQ(gh_take(), "r2\t4");
  EXPECT_EQ(gh_eval("trelk[1].checked, trelk[2].checked, trelk[3].checked"),
            "false\tfalse\ttrue");
}

TEST_F(Commands, ABadCommandReportsAndALaterOneWorks) {
  std::string out = gh_run("b = trelk:ins(button{command='print('})");
  EXPECT_NE(out.find("unexpected symbol"), std::string::npos) << out;
  EXPECT_EQ(gh_eval("b.CommandString, b.command"), "nil\tprint(");
  click(0);
  EXPECT_EQ(gh_take(), "");
  gh_run("b.command = 'print(\"fixed\")'");
  click(0);
  EXPECT_EQ(gh_take(), "fixed");
}

TEST_F(Commands, AFailingCommandIsReported) {
  gh_run("trelk:ins(button{command='error(\"boom\")'})");
  click(0);
  EXPECT_NE(gh_take().find("boom"), std::string::npos);
}

TEST_F(Commands, ParameterListCommands) {
  gh_run("b = trelk:ins(button{command='(a, b)\\n print(\"p\", reason) end'})");
  click(0);
  EXPECT_EQ(gh_take(), "p\t10");
}

TEST_F(Commands, QuietEntriesAreNotNotified) {
  gh_run("trelk:ins(button{command='print(1)'})");
  gr_at(gui_main_menu, 0)->flags |= GR_QUIET;
  click(0);
  EXPECT_EQ(gh_take(), "");
}

TEST_F(Commands, PaintCommandsWaitForTheCanvas) {
  gh_run("trelk:ins(button{command='print(reason)'})");
  nt_paint_hold = 1;
  nt_notify(nullptr, gr_at(gui_main_menu, 0), NT_PAINT);
  EXPECT_EQ(gh_take(), "");
  nt_paint_hold = 0;
  nt_notify(nullptr, gr_at(gui_main_menu, 0), NT_PAINT);
  EXPECT_EQ(gh_take(), "20");
}

TEST_F(Commands, CleanInsideACommandOfAnEntryBeingCleaned) {
  gh_run("m = menu() e = trelk:ins(m)"
         " m:ins(button{command='m:clean() print(\"after\", this.name)'})"
         " m:ins(button())");
  struct gr_container *c = gr_at(gui_main_menu, 0)->sub;
  nt_click(nullptr, gr_at(c, 0));
  EXPECT_EQ(gh_take(), "after\tnil");
  EXPECT_EQ(gr_count(c), 0);
  EXPECT_EQ(gh_eval("m.n"), "0");
}

TEST_F(Commands, DelOfItselfInsideItsCommand) {
  gh_run("trelk:ins(button{command='this:del() this:del() print(\"ok\")'})");
  click(0);
  EXPECT_EQ(gh_take(), "ok");
  EXPECT_EQ(gr_count(gui_main_menu), 0);
}

TEST_F(Commands, ARadioCommandThatDeletesItsGroup) {
  gh_run("m = menu() e = trelk:ins(m)"
         " m:ins(radio{checked=true, command='m:clean()'}) m:ins(radio())");
  gh_run("m[2].checked = true");
  EXPECT_EQ(gh_eval("m.n"), "0");
}

// Radios whose commands check themselves again when cleared: every pass
// tells each radio once, so clicking ends; the commands that keep checking
// each other recurse until the stack overflow report.
TEST_F(Commands, RadiosThatCheckThemselvesAgainEnd) {
  gh_run("runs = 0 m = menu() trelk:ins(m)"
         " for i = 1, 2 do m:ins(radio{name='r'..i, command="
         "'runs = runs + 1 if reason == 0 then this.checked = true end'}) end"
         " m[2].checked = true");
  struct gr_container *c = gr_at(gui_main_menu, 0)->sub;
  nt_click(nullptr, gr_at(c, 0));
  std::string out = gh_take();
  EXPECT_NE(out.find("stack overflow"), std::string::npos) << out;
  int runs = std::stoi(gh_eval("runs"));
  EXPECT_GT(runs, 2);
  EXPECT_LT(runs, 400);
  // one pass tells each radio once, and the radio it checks keeps the group
  gh_run("m:clean() for i = 1, 3 do m:ins(radio{name='s'..i, command="
         "'print(this.name, reason) if this.name == \"s2\" and reason == 0"
         " and not refused then refused = true this.checked = true end'}) end"
         " m[1].checked = true");
  EXPECT_EQ(gh_run("m[3].checked = true"), "s1\t0");
  EXPECT_EQ(gh_run("m[2].checked = true m[1].checked = true"), "s3\t0s2\t0s1\t0");
  EXPECT_EQ(gh_eval("m[1].checked, m[2].checked, m[3].checked"), "false\ttrue\tfalse");
}

// A command that starts others (checking a radio clears its group) keeps
// its own `this', `reason', `hWnd' and `instance' for its whole run.
TEST_F(Commands, NestedCommandsLeaveTheOuterEventAlone) {
  gh_run("m = menu() trelk:ins(m)"
         " m:ins(radio{name='a', checked=true, command='print(this.name, reason)'})"
         " m:ins(radio{name='z'})"
         " b = trelk:ins(button{name='b', command="
         "'w0 = hWnd m[2].checked = true print(this.name, reason, hWnd == w0)'})");
  nt_click((void *)0x1234, gr_at(gui_main_menu, 1));
  EXPECT_EQ(gh_take(), "a\t0b\t10\ttrue");
}

TEST_F(Commands, CommandsSurviveCollection) {
  gh_run("trelk:ins(button{command='print(\"alive\")'})");
  gh_run("collectgarbage('collect') collectgarbage('collect')");
  click(0);
  EXPECT_EQ(gh_take(), "alive");
}

}  // namespace

namespace {

struct FunctionCommands : ::testing::Test {
  void SetUp() override { gh_state(); }
  void TearDown() override { gh_close(); }
};

TEST_F(FunctionCommands, AFunctionBecomesItsBody) {
  gh_run("b = trelk:ins(button{command = function() print(reason) end})");
  EXPECT_EQ(gh_eval("'[' .. b.command .. ']'"), "[ print(reason) ]");
  click(0);
  EXPECT_EQ(gh_take(), "10");
  // upvalues are not kept: the body is compiled again on its own
  gh_run("local x = 5 b.command = function(a, b) print(x, reason) end");
  click(0);
  EXPECT_EQ(gh_take(), "nil\t10");
}

TEST_F(FunctionCommands, ACompiledCommandReadsBackAsAFunction) {
  gh_run("b = trelk:ins(button{command = 'print(\"x\")'})"
         " c = button{command = b.CommandString}");
  EXPECT_EQ(gh_eval("'[' .. c.command .. ']'"), "[\nprint(\"x\")\n]");
  gh_run("trelk:ins(c, 1)");
  click(0);
  EXPECT_EQ(gh_take(), "x");
}

TEST_F(FunctionCommands, NativeFunctionsAreEmpty) {
  EXPECT_EQ(gh_eval("button{command = print}.command, button{command = 5}.command"),
            "\t");
}

}  // namespace
