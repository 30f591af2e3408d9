#include "tests/inproc/terminal/driver.h"

#include <richedit.h>

#include "host/console.h"
#include "host/repl.h"
#include "host/trelk.h"
#include "tests/support/ts_tmp.h"

lua_State *drv_state() {
  static lua_State *L = NULL;
  if (L == NULL) {
    ts_enter();   // what the program and its scripts write goes with the run
    if (!trelk_init()) abort();
    L = trelk_open_state();
  }
  return L;
}

void drv_type(const std::string &text) {
  for (unsigned char c : text) PostMessageA(con.edit, WM_CHAR, c, 0);
}

void drv_key(WPARAM vk) { PostMessageA(con.edit, WM_KEYDOWN, vk, 0); }

std::string drv_read() {
  char buf[REPL_LINE];
  int n = con_readline(buf, REPL_LINE);
  return n < 0 ? std::string("<end>") : std::string(buf, n);
}

LONG drv_end() {
  con_flush();
  return con_text_length();
}

std::string drv_text(LONG from, LONG to) {
  con_flush();
  std::string s(to - from + 1, '\0');
  TEXTRANGEA tr = {{from, to}, &s[0]};
  LONG n = (LONG)SendMessageA(con.edit, EM_GETTEXTRANGE, 0, (LPARAM)&tr);
  s.resize(n > 0 ? n : 0);
  return s;
}

std::string drv_run(const std::string &line) {
  drv_state();
  drv_type(line);
  drv_key(VK_RETURN);
  std::string got = drv_read();
  LONG from = drv_end();
  repl_eval(drv_state(), got.c_str());
  return drv_text(from, drv_end());
}

COLORREF drv_colour(LONG at) {
  con_flush();
  CHARRANGE keep, cr = {at, at + 1};
  SendMessageA(con.edit, EM_EXGETSEL, 0, (LPARAM)&keep);
  SendMessageA(con.edit, EM_EXSETSEL, 0, (LPARAM)&cr);
  CHARFORMATA cf;
  cf.cbSize = sizeof cf;
  SendMessageA(con.edit, EM_GETCHARFORMAT, SCF_SELECTION, (LPARAM)&cf);
  SendMessageA(con.edit, EM_EXSETSEL, 0, (LPARAM)&keep);
  return cf.crTextColor;
}

void drv_pump() {
  MSG m;
  while (PeekMessageA(&m, NULL, 0, 0, PM_REMOVE)) {
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

bool drv_poll(const std::function<bool()> &cond, DWORD limit_ms) {
  DWORD end = GetTickCount() + limit_ms;
  while (!cond()) {
    if ((LONG)(GetTickCount() - end) > 0) return false;
    MsgWaitForMultipleObjects(0, NULL, FALSE, 10, QS_ALLINPUT);
    drv_pump();
  }
  return true;
}
