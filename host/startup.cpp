/*
** Start-up and shutdown. The order below is the program's order of life;
** each subsystem adds its step here.
*/
#include <windows.h>
#include <stdio.h>

#include "host/console.h"
#include "host/base/heap.h"
#include "host/intr.h"
#include "host/srcfile.h"
#include "host/repl.h"
#include "host/script/report.h"
#include "host/trelk.h"
#include "canvas/win/cw_canvas.h"
#include "data/db/db_lua.h"
#include "data/regex/rx_lua.h"
#include "data/regex/rx_native.h"
#include "editor/editor.h"
#include "gui/gui.h"
#include "gui/designer.h"
#include "gui/savestate.h"
#include "native/asmiface/asm_iface.h"
#include "native/das386/das386_lua.h"
#include "native/modules/modules.h"
#include "syslib/syslib.h"
#include "ui/classes.h"
#include "ui/drag/drag.h"
#include "ui/drag/develop.h"
#include "ui/drag/dragentry.h"
#include "ui/iconcache.h"
#include "ui/mainwin.h"
#include "ui/menu/menuwin.h"
#include "ui/tooltip.h"

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

struct trelk_state trelk;
const char trelk_startup_name[] = "start.t";

static void fail_registration(void) {
  MessageBoxA(NULL, "Error", "Error", MB_ICONINFORMATION);
  trelk_release();
  ExitProcess(1);
}

int trelk_init(void) {
  trelk.instance = GetModuleHandleA(NULL);
  if (!hp_init()) return 0;
  if (!cls_register_first()) fail_registration();
  cls_register_rest();
  ed_register_classes();
  if (!mw_create()) return 0;
  mn_init();
  ed_init();
  tt_create();
  dg_init();
  de_init();
  dm_init();
  return 1;
}

/* The report of an error outside every protected call, also in a message
   box: the process ends when this returns, and the terminal may be gone or
   never painted. */
static int panic(lua_State *L) {
  rep_panic(L);
  con_show_now();
  char text[REP_BUFSIZE];
  const char *msg = lua_tostring(L, -1);
  snprintf(text, sizeof text, "Unrecognised error..\n\n%s\n\nTrelk ends now.",
           msg ? msg : "(error object is not a string)");
  MessageBoxA(NULL, text, "Trelk", MB_OK | MB_ICONERROR | MB_TASKMODAL);
  return 0;
}

/* str.match of native modules runs on the regular-expression layer. */
static void *match_for_modules(const char *subject, const char *pattern,
                               uint32_t start, uint32_t options) {
  return rx_native_match(subject, pattern, (int32_t)start, (int32_t)options);
}

lua_State *trelk_open_state(void) {
  lua_State *L = luaL_newstate();
  trelk.L = L;
  if (L == NULL) return NULL;
  lua_atpanic(L, rep_early_panic);
  lua_printhook = con_print;
  lua_messagehook = con_message;
  lua_readhook = con_nested_read;
  ai_open();           /* asmfunc and asm blocks go to the assembler */
  mod_match_hook = match_for_modules;
  luaL_openlibs(L);   /* base, package, array, io, os, string, math, debug */
  intr_open(L);       /* Ctrl+Break stops a running chunk */
  ik_open();
  rep_call_hook = intr_call;
  rx_open(L);         /* the string library's patterns are PCRE */
  db_open(L);
  lua_pop(L, 1);
  cw_open(L);
  mod_open(L);
  gui_open_metatables(L);
  lua_atpanic(L, panic);
  gui_open_trelk(L);
  /* global functions, in registration order */
  gui_open_constructors(L);
  sys_open_ldlyb(L);
  sys_open_drives(L);
  ss_open_windows();
  ss_open(L);
  dz_open(L);
  repl_open_exit(L);
  sys_open_files(L);  /* ls, pwd, attr */
  das_open(L);
  return L;
}

/* Calls a global function by raw read, unprotected: an error here ends the
   process through the panic function. */
void trelk_hook(lua_State *L, const char *name) {
  lua_pushstring(L, name);
  lua_rawget(L, LUA_GLOBALSINDEX);
  if (lua_isfunction(L, -1))
    lua_call(L, 0, 0);
  else
    lua_pop(L, 1);
}

void trelk_release(void) {
  ed_release();
  ic_clear();
  hp_destroy();
  if (trelk.riched) FreeLibrary(trelk.riched);
  trelk.riched = NULL;
}

void trelk_exit_request(void) {
  trelk.shutdown = 1;
  if (con.reading) {
    con_end_wait();
    return;
  }
  if (con.main) DestroyWindow(con.main);
  con.main = NULL;
  PostQuitMessage(0);
  trelk.shutdown = 2;
}

void trelk_run_startup(lua_State *L) {
  int status = sf_loadfile(L, trelk_startup_name);
  if (status)
    rep_status(L, status);
  else
    rep_pcall(L, 0, 0);
  lua_settop(L, 0);
}

int trelk_main(void) {
  trelk.exit_requested = 0;
  if (!trelk_init()) {
    trelk_release();
    ExitProcess(1);
  }
  lua_State *L = trelk_open_state();
  if (L == NULL) ExitProcess(0);
  trelk_run_startup(L);
  trelk_hook(L, "atstart");
  repl_run(L);
  trelk_hook(L, "atexit");
  lua_close(L);
  trelk.L = NULL;
  ExitProcess(0);
}
