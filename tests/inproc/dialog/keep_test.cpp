// Windows kept across property writes and re-layouts: a write redraws what
// shows the object and re-lays out no more than it changes, so edits keep
// their text, caret and undo history, an embedded table its scroll
// position, and no command hears of windows made again. Also: a real
// keyboard's Enter in a single-line edit, the layout of what an entry
// window holds, drops into tables, right-drags and re-attached dialogs.
#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/inproc/terminal/driver.h"
#include "Scintilla.h"
#include "editor/win/edwin.h"
#include "gui/gui.h"
#include "gui/move.h"
#include "gui/record.h"
#include "ui/frame/win/button.h"
#include "ui/colour.h"
#include "ui/dialog/win/dialogwin.h"
#include "ui/menu/win/menuwin.h"
#include "ui/dialog/win/numspin.h"
#include "ui/scroll/win/scroll.h"

extern "C" {
#include "lua.h"
}

namespace {

void *record(const char *global) {
  lua_State *L = drv_state();
  lua_getglobal(L, global);
  lua_getfield(L, -1, "HANDLE");
  if (lua_isnil(L, -1)) {
    lua_pop(L, 1);
    lua_getfield(L, -1, "msHANDLE");
  }
  void *p = lua_touserdata(L, -1);
  lua_pop(L, 2);
  return p;
}

// the view of a shown dialog (its controls) or of a container in a child
// window
struct mn_view *view_of(const char *global) {
  void *c = record(global);
  for (struct mn_view *v = mn_views; v; v = v->next)
    if (v->c == c) return v;
  return nullptr;
}

HWND window_of(const char *global) {
  void *e = record(global);
  for (struct mn_view *v = mn_views; v; v = v->next)
    for (int i = 0; i < v->count; i++)
      if (v->shown && v->shown[i] == e) return v->entries[i];
  return nullptr;
}

HWND editor_of(const char *global) {
  return ew_first((struct gr_entry *)record(global));
}

std::string run_output(const std::function<void()> &f) {
  LONG from = drv_end();
  f();
  drv_pump();
  return drv_text(from, drv_end());
}

void click(HWND w) {
  SendMessageA(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  SendMessageA(w, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
}

RECT rect_in(HWND w, HWND parent) {
  RECT r;
  GetWindowRect(w, &r);
  MapWindowPoints(NULL, parent, (POINT *)&r, 2);
  return r;
}

bool overlap(const RECT &a, const RECT &b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

struct Keep : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
  void TearDown() override {
    HWND f = dw_window_of((struct gr_container *)record("kd"));
    if (f && IsWindow(f)) DestroyWindow(f);
    drv_run("kd = nil");
    drv_pump();
  }
  // terminal lines hold 511 characters: one statement group a line
  void show_form() {
    const char *lines[] = {
        "kd = dialog{name='t_keep', w=380, h=340} ked = edit{name='first'}"
        " kd:ins(ked, 10, 10, 150, 22) kme = multiedit{name='one'}"
        " kd:ins(kme, 10, 40, 200, 80)",
        "knum = edit{name='7'} knum.digital = 10 kd:ins(knum, 220, 10, 100, 22)",
        "kb = button{name='b', command='ked.name = \"typed\""
        " print(reason, this == kb)'} kd:ins(kb, 10, 130, 80, 22)",
        "kt = table{name='rows'} for i = 1, 40 do kt:ins(button{name='row ' .. i}) end"
        " local e = kd:ins(kt, 10, 160, 200, 140) e.container = true",
        "ked.command = 'print(\"ed\", reason)' kme.command = 'print(\"me\", reason)'",
        "kd:show(100, 100)"};   /* the edits are told they show */
    for (const char *l : lines)
      if (l[0] != 'k' || l[1] != 'd' || l[2] != ':') {
        ASSERT_EQ(drv_run(l), "") << l;
      }
    EXPECT_EQ(drv_run(lines[5]), "me\t1ed\t1");
    drv_pump();
  }
};

TEST_F(Keep, ANameWriteKeepsEveryWindow) {
  show_form();
  struct mn_view *form = view_of("kd"), *rows = view_of("kt");
  ASSERT_NE(form, nullptr);
  ASSERT_NE(rows, nullptr);
  ASSERT_NE(rows->bar, nullptr);
  std::vector<HWND> before(form->entries, form->entries + form->count);
  HWND row_window = rows->entries[0], me = editor_of("kme");
  ASSERT_NE(me, nullptr);
  // scroll the table, type into the multi-line edit
  struct sc_record *bar = sc_rec(rows->bar);
  bar->notify(rows->bar, 5, 0, bar->arg);
  ASSERT_EQ(rows->first, 5);
  ew_send(me, SCI_DOCUMENTEND, 0, 0);
  ew_send(me, SCI_ADDTEXT, 4, (LPARAM)" two");
  LRESULT caret = ew_send(me, SCI_GETCURRENTPOS, 0, 0);
  // the command writes names of shown edits: only its own output, and
  // its own `reason' and `this' to the end
  EXPECT_EQ(run_output([&] { click(window_of("kb")); }), "10\ttrue");
  form = view_of("kd");
  rows = view_of("kt");
  ASSERT_NE(form, nullptr);
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(std::vector<HWND>(form->entries, form->entries + form->count), before);
  EXPECT_EQ(rows->entries[0], row_window);
  EXPECT_EQ(rows->first, 5);
  EXPECT_EQ(editor_of("kme"), me);
  EXPECT_EQ(ew_send(me, SCI_GETCURRENTPOS, 0, 0), caret);
  EXPECT_TRUE(ew_send(me, SCI_CANUNDO, 0, 0));
  EXPECT_EQ(drv_run("print(ked.name)"), "typed");
  // a new control joins: the others stay as they are
  EXPECT_EQ(drv_run("kd:ins(label{name='new'}, 300, 130, 60, 22)"), "");
  form = view_of("kd");
  for (HWND w : before) {
    bool still = false;
    for (int i = 0; i < form->count; i++) still |= form->entries[i] == w;
    EXPECT_TRUE(still);
  }
  EXPECT_EQ(view_of("kt")->first, 5);
  // a control of a dialog moves its own window
  drv_run("kb.x = 20 kb.w = 90");
  RECT r = rect_in(window_of("kb"), GetParent(window_of("kb")));
  EXPECT_EQ(r.left, 20);
  EXPECT_EQ(r.right - r.left, 90);
}

// What an entry window holds lies side by side: the spinner of a numeric
// edit on top at the right, the editor beside it inside a frame, the bars
// of a multi-line edit beside its editor; and the entry paints round its
// children, never over them.
TEST_F(Keep, SpinnerEditorAndBarsDoNotCoverEachOther) {
  show_form();
  HWND num = window_of("knum"), spin = dw_spin_find(num), ed = editor_of("knum");
  ASSERT_NE(spin, nullptr);
  ASSERT_NE(ed, nullptr);
  EXPECT_FALSE(overlap(rect_in(spin, num), rect_in(ed, num)));
  EXPECT_EQ(GetWindow(num, GW_CHILD), spin);   // topmost child
  RECT c, e = rect_in(ed, num);
  GetClientRect(num, &c);
  EXPECT_EQ(e.left, 1);
  EXPECT_EQ(e.top, 1);
  EXPECT_EQ(e.bottom, c.bottom - 1);
  EXPECT_TRUE(GetWindowLongA(num, GWL_STYLE) & WS_CLIPCHILDREN);
  // the frame of a single-line edit, in the toolkit's frame colour
  HDC dc = GetDC(num);
  RedrawWindow(num, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  EXPECT_EQ(GetPixel(dc, 0, c.bottom / 2), (COLORREF)col_get(COL_W_BORDER));
  ReleaseDC(num, dc);
  // a multi-line edit's bars stand beside its editor, also after a resize
  for (int pass = 0; pass < 2; pass++) {
    HWND me = window_of("kme"), med = editor_of("kme");
    ASSERT_NE(med, nullptr);
    std::vector<HWND> bars;
    for (HWND k = GetWindow(me, GW_CHILD); k; k = GetWindow(k, GW_HWNDNEXT))
      if (sc_rec(k)) bars.push_back(k);
    ASSERT_EQ(bars.size(), 2u);
    RECT mc;
    GetClientRect(me, &mc);
    for (HWND b : bars) {
      EXPECT_FALSE(overlap(rect_in(b, me), rect_in(med, me)));
      RECT br = rect_in(b, me);
      EXPECT_LE(br.right, mc.right);
      EXPECT_LE(br.bottom, mc.bottom);
      EXPECT_GT(br.right - br.left, 0);
    }
    EXPECT_TRUE(GetWindowLongA(me, GWL_STYLE) & WS_CLIPCHILDREN);
    drv_run("kme.w = 260 kme.h = 100");
  }
}

// A real keyboard sends the key press of Enter before its character: in a
// single-line edit the only effect is the choice (reason 10).
TEST_F(Keep, EnterInASingleLineEditOnlyChooses) {
  show_form();
  HWND ed = editor_of("ked");
  ASSERT_NE(ed, nullptr);
  std::string out = run_output([&] {
    SendMessageA(ed, WM_KEYDOWN, VK_RETURN, 0x001C0001);
    SendMessageA(ed, WM_CHAR, '\r', 0x001C0001);
    SendMessageA(ed, WM_KEYUP, VK_RETURN, 0xC01C0001);
  });
  EXPECT_EQ(out, "ed\t10");
  EXPECT_EQ(ew_send(ed, SCI_GETLENGTH, 0, 0), 5);
  EXPECT_EQ(drv_run("print(ked.name)"), "first");
  // a multi-line edit breaks the line as before
  HWND me = editor_of("kme");
  SendMessageA(me, WM_KEYDOWN, VK_RETURN, 0x001C0001);
  EXPECT_EQ(ew_send(me, SCI_GETLINECOUNT, 0, 0), 2);
}

// A drop into a table lands at the drop row in the window and the array.
TEST_F(Keep, ADropIntoATableKeepsDisplayOrder) {
  show_form();
  drv_run("kx = button{name='dropped'} trelk:ins(kx)");
  ASSERT_TRUE(mv_move(drv_state(), (struct gr_entry *)record("kx"),
                      (struct gr_container *)record("kt"), 2));
  EXPECT_EQ(drv_run("print(kt[3] == kx, kt.n, trelk[trelk.n] == kx)"), "true\t41\tfalse");
  struct mn_view *rows = view_of("kt");
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->shown[2], record("kx"));
  drv_run("kx:del()");
}

// A dialog whose attaching entry was deleted is its own again once it is
// attached anew: shown from the new entry, its command runs.
TEST_F(Keep, ADialogAttachedAgainRunsItsCommand) {
  drv_run("kd = dialog{name='t_again', w=150, h=80, command='print(\"kd\", reason)'}"
          " local e = trelk:ins(kd) e:del() collectgarbage()"
          " kagain = trelk:ins(kd)");
  EXPECT_EQ(drv_run("kd:show(50, 50)"), "kd\t3kd\t1");
  drv_run("kagain:del()");
}

}  // namespace
