/*
** What the interrupt hook asks while a chunk runs: it shows waiting output,
** and reads the key state for the user's ways to stop the chunk: Ctrl+Break,
** or "Exit Trelk" pressed twice. The presses stay queued, so Exit Trelk
** then ends the program once the chunk has stopped.
*/
#include <windows.h>

#include "host/console.h"
#include "host/intr.h"
#include "ui/frame/win/framed.h"
#include "ui/win/mainwin.h"

static int exit_presses;

/* Down now, or pressed since the last look (Wine reads pending input here). */
static int pressed(int vk) { return (GetAsyncKeyState(vk) & 0x8001) != 0; }

static int break_key(void) {
  int brk = pressed(VK_CANCEL);
  int pause = pressed(VK_PAUSE);
  return brk || (pause && (GetAsyncKeyState(VK_CONTROL) & 0x8000));
}

/* A left-button press since the last look, with the pointer on Exit Trelk. */
static int exit_press(void) {
  if (!(GetAsyncKeyState(VK_LBUTTON) & 1)) return 0;
  struct fw_record *r = fw_rec(mw_window());
  POINT pt;
  RECT rc;
  if (r == NULL || r->left_btn == NULL || !GetCursorPos(&pt) ||
      !GetWindowRect(r->left_btn, &rc))
    return 0;
  return PtInRect(&rc, pt);
}

int ik_poll(int fresh) {
  con_poll_due();
  int brk = break_key();
  int ex = exit_press();
  if (fresh) {
    exit_presses = 0;
    return 0;
  }
  exit_presses += ex;
  return brk || exit_presses >= 2;
}
