// The designer's style dialogs of an edit control: filled from its style
// table, and the table rebuilt from them when the designer leaves it.
#include <gtest/gtest.h>

#include <string.h>

#include <string>

#include "gui/designer.h"
#include "gui/dzstyle.h"
#include "gui/gui.h"
#include "gui/notify.h"
#include "gui/record.h"
#include "gui/savestate.h"
#include "tests/unit/gui/harness.h"

namespace {

struct StyleDialogs : ::testing::Test {
  void SetUp() override {
    gh_state();
    dz_open(gui_L);
    gh_run("m = multiedit{name='code'} s = m.style\n"
           "s[1].font.bold = true s[2].fore = 255 s[2].back = 0 s[2].case = 'U'\n"
           "s[3].visible = false s[4].font = nil\n"
           "s.lex[1] = 'and or' s.margin[1].w = 20 s.margin[1].type = 'symbol'\n"
           "s.margin[2].w = 'wide'\n"
           "s.lex.lex = function(a, b)\n  return a\nend\n"
           "trelk:ins(m) b = button{name='b'} trelk:ins(b)");
    lua_getglobal(gui_L, "m");
    lua_getfield(gui_L, -1, "msHANDLE");
    edit = (struct gr_entry *)lua_touserdata(gui_L, -1);
    lua_pop(gui_L, 2);
  }
  void TearDown() override {
    dzs_drop();
    dz_edit(nullptr);
    gh_close();
  }
  struct gr_entry *edit = nullptr;
};

struct gr_entry *row(struct gr_container *c, int i) { return gr_at(c, i); }

std::string text(struct gr_entry *e) { return e && e->name ? e->name : "<none>"; }

TEST_F(StyleDialogs, EntriesAppearForAnEditOnly) {
  dz_edit(edit);
  struct gr_container *sheet = dz.sheets[DZ_CONTROL_SHEET];
  int flags = gr_index(dz_find(sheet, "Control Specific Flags"));
  EXPECT_EQ(text(gr_at(sheet, flags + 1)), "Lexer");
  EXPECT_EQ(text(gr_at(sheet, flags + 5)), "Margins");
  struct gr_entry *styles = dz_find(sheet, "Styles");
  ASSERT_TRUE(styles && styles->sub);
  EXPECT_EQ(gr_count(styles->sub), 32);
  EXPECT_EQ(text(gr_at(styles->sub, 0)), "Style No 1");
  EXPECT_EQ(gr_count(dz_find(sheet, "Wordsets")->sub), 9);
  EXPECT_EQ(text(gr_at(dz_find(sheet, "Margins")->sub, 2)), "Margin No 3");
  gh_run("_b = b.msHANDLE");
  lua_getglobal(gui_L, "_b");
  dz_edit(lua_touserdata(gui_L, -1));
  lua_pop(gui_L, 1);
  EXPECT_EQ(dz_find(sheet, "Lexer"), nullptr);
}

TEST_F(StyleDialogs, DialogsShowTheStyleTable) {
  dz_edit(edit);
  struct gr_container *s1 = dzs.styles[0], *s2 = dzs.styles[1];
  EXPECT_EQ(text(row(s1, 0)), "bold");
  EXPECT_TRUE(row(s1, 0)->flags & GR_CHECKED);
  EXPECT_FALSE(row(s1, 1)->flags & GR_CHECKED);   // italic
  EXPECT_EQ(text(row(s1, 2)), "10");               // size absent: 10
  EXPECT_EQ(row(s1, 2)->digital, 10);
  EXPECT_EQ(text(row(s1, 6)), "font");
  EXPECT_EQ(text(row(s2, 9)), "case Upper");
  EXPECT_TRUE(row(s2, 9)->flags & GR_CHECKED);
  EXPECT_EQ(text(row(s2, 18)), "fore");
  EXPECT_EQ(text(row(s2, 17)), "ff");
  EXPECT_EQ(row(s2, 17)->digital, 16);
  EXPECT_EQ(text(row(s2, 15)), "0");                // back of 0 shown
  EXPECT_EQ(text(row(dzs.styles[3], 0)), "case Lower");   // no font table
  struct gr_entry *visible = row(dzs.styles[2], 14);
  EXPECT_EQ(text(visible), "visible");
  EXPECT_FALSE(visible->flags & GR_CHECKED);
  EXPECT_EQ(text(row(dzs.margins[0], 0)), "20");
  EXPECT_TRUE(row(dzs.margins[0], 4)->flags & GR_CHECKED);   // Symbol
  EXPECT_EQ(text(row(dzs.margins[1], 0)), "wide");
  EXPECT_EQ(row(dzs.margins[1], 0)->digital, 0);
  EXPECT_TRUE(row(dzs.margins[2], 3)->flags & GR_CHECKED);   // Number
  EXPECT_EQ(text(dzs.wordsets[0]), "and or");
  EXPECT_EQ(text(dzs.lexer), "return a");
}

// Every control of a style dialog lies inside the dialog's client area at
// the dialog's own size (the frame has 2 pixels of border and a caption of
// 20 above), and no two controls overlap.
TEST_F(StyleDialogs, EveryControlShowsAtTheDialogsSize) {
  dz_edit(edit);
  for (int k : {0, 3}) {   // with and without font rows
    struct gr_container *c = dzs.styles[k];
    int cw = c->w - 4, ch = c->h - 22, n = 0;
    for (struct gr_entry *e = c->first; e; e = e->next, n++) {
      EXPECT_GE(e->x, 0) << text(e);
      EXPECT_GE(e->y, 0) << text(e);
      EXPECT_LE(e->x + e->w, cw) << text(e) << " in style " << k + 1;
      EXPECT_LE(e->y + e->h, ch) << text(e) << " in style " << k + 1;
      for (struct gr_entry *o = e->next; o; o = o->next) {
        bool apart = o->x >= e->x + e->w || e->x >= o->x + o->w ||
                     o->y >= e->y + e->h || e->y >= o->y + o->h;
        EXPECT_TRUE(apart) << text(e) << " and " << text(o);
      }
    }
    EXPECT_EQ(n, k == 0 ? 19 : 11);
    EXPECT_LE(c->h, 400);
  }
}

TEST_F(StyleDialogs, LeavingRebuildsTheTable) {
  dz_edit(edit);
  gr_set_text(&dzs.wordsets[2]->name, "x\ny\r\nz");
  dz_edit(nullptr);
  EXPECT_EQ(gh_eval("s == m.style, m.style.lex[3], m.style.lex[1]"), "false\tx y  z\tand or");
  EXPECT_EQ(gh_eval("m.style[1].font.size, m.style[1].font.bold, m.style[2].fore,"
                    " m.style[2].back, m.style[2].case, m.style[3].visible"),
            "10\ttrue\t255\tnil\tu\tfalse");
  EXPECT_EQ(gh_eval("m.style.margin[1].w, m.style.margin[1].type, m.style.margin[2].w"),
            "20\ts\twide");
  EXPECT_EQ(gh_eval("type(m.style.lex.lex), m.style.lex.lex(7)"), "function\tnil");
  // written back out as a function with the text the designer shows
  struct sbuf b;
  sb_init(&b);
  ss_build(gui_L, &b);
  std::string t(b.p, b.n);
  sb_free(&b);
  EXPECT_NE(t.find("\n__0__.style.lex.lex = function()\nreturn a\nend\n\n"),
            std::string::npos) << t;
  EXPECT_NE(t.find("\n__0__.style[2].case = \"u\";"), std::string::npos);
}

TEST_F(StyleDialogs, LexerTextIsStableOverFillAndWriteBack) {
  for (int i = 0; i < 3; i++) {
    dz_edit(edit);
    EXPECT_EQ(text(dzs.lexer), "return a");
    dz_edit(nullptr);
  }
}

TEST_F(StyleDialogs, ALexerThatDoesNotCompile) {
  dz_edit(edit);
  gr_set_text(&dzs.lexer->name, "return (");
  gh_take();
  dz_edit(nullptr);
  EXPECT_NE(gh_take().find("lexer"), std::string::npos);
  EXPECT_EQ(gh_eval("m.style.lex.lex"), "nil");
}

TEST_F(StyleDialogs, CancelLeavesTheStyle) {
  dz_edit(edit);
  gr_set_text(&dzs.wordsets[0]->name, "changed");
  nt_click(nullptr, dz_find(dz.sheets[DZ_CONTROL_SHEET], "Cancel"));
  EXPECT_EQ(gh_eval("s == m.style, m.style.lex[1]"), "true\tand or");
}

TEST(StyleDialogText, LexerBody) {
  const char *t = "(a, (b))\n\t  return a\nend\n\n";
  size_t from, n = dzs_lexer_body(t, strlen(t), &from);
  EXPECT_EQ(std::string(t + from, n), "return a");
}

}  // namespace
