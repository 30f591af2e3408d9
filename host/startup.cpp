/*
** Start-up and shutdown. The order below is the program's order of life;
** each subsystem adds its step here. Every seam between layers (the *_ops
** tables, each with harmless defaults) is filled here, just before the
** step that needs it, so the wiring reads in this one file.
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
#include "canvas/gi_lua.h"
#include "canvas/win/cw_canvas.h"
#include "data/db/db_lua.h"
#include "data/regex/rx_lua.h"
#include "data/regex/rx_native.h"
#include "editor/editor.h"
#include "editor/unilexer.h"
#include "gui/command.h"
#include "gui/controls.h"
#include "gui/gui.h"
#include "gui/designer.h"
#include "gui/record.h"
#include "gui/savestate.h"
#include "gui/view.h"
#include "native/asmiface/asm_iface.h"
#include "native/das386/das386_lua.h"
#include "native/modules/modules.h"
#include "syslib/syslib.h"
#include "ui/frame/win/button.h"
#include "ui/frame/win/caption.h"
#include "ui/win/classes.h"
#include "ui/dialog/win/dialogwin.h"
#include "ui/drag/win/drag.h"
#include "ui/drag/win/develop.h"
#include "ui/drag/win/dragentry.h"
#include "ui/frame/win/framed.h"
#include "ui/menu/win/freemenu.h"
#include "ui/win/iconcache.h"
#include "ui/win/mainwin.h"
#include "ui/menu/win/menuwin.h"
#include "ui/scroll/win/scroll.h"
#include "ui/win/tooltip.h"
#include "ui/win/wndprocs.h"

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

const char trelk_startup_name[] = "start.t";

static void fail_registration(void) {
  MessageBoxA(NULL, "Error", "Error", MB_ICONINFORMATION);
  trelk_release();
  ExitProcess(1);
}

/* Commands and canvas edit callbacks report with a traceback. */
static int host_pcall(lua_State *L, int nargs) { return rep_pcall(L, nargs, 1); }

/* A redrawn edit entry's document takes its name before its window
   repaints. */
static void redraw_with_edits(void *rec) {
  ed_sync(rec);
  mn_view_ops.redraw(rec);
}

/* The object model shows itself in menu windows, dialogs and scroll
   bars; records live on the private heap. */
static void wire_windows(void) {
  gr_ops.alloc = hp_alloc;
  gr_ops.free = hp_free;
  cmd_ops.pcall = host_pcall;
  gv = mn_view_ops;
  cls_ops.menu_client = mn_client_proc;
  cls_ops.dialog_client = dw_client_proc;
  cls_ops.scroll = sc_bar_proc;
  cls_ops.scroll_client = sc_client_proc;
  fw_cap_ops.menu_height = mn_content_height;
  fw_cap_ops.maximisable = dw_resizable;
  fw_cap_ops.exit = trelk_exit_request;
  fw_btn_ops.resizable = dw_resizable;
  fw_btn_ops.resize = dw_right_resized;
  fw_ops.listed = mn_free_listed;
  dw_ops.controls = dw_controls;
  dw_ops.rclick = dw_right_click;
}

/* Edit entries are editor windows; lexers' folding calls move the focus
   and hold the refreshing. */
static void wire_editor(void) {
  ei = ed_edit_ops;
  ul_hooks = ed_lexer_hooks;
  gv.redraw = redraw_with_edits;
  mn_ops = ed_menu_ops;
  ctl_ops = ed_control_ops;
}

/* The terminal's loop hands hover and Alt + click to the tooltip and the
   drag frame; drags of entries and the designer's window meet there. */
static void wire_drag(void) {
  con_loop.hover = tt_hover;
  con_loop.altclick = dg_altclick;
  cls_ops.drag = dg_frame_proc;
  cls_ops.drag_cover = dg_cover_proc;
  dg_ops.lookup = dg_entry_lookup;
  dg_ops.develop = dg_develop;
  dg_ops.none = dg_dev_named;
  dg_entry_ops.fixed = dg_dev_fixed;
  dg_entry_ops.begin = dg_dev_lifted;
  dz_ops.close = dg_dev_close;
  dz_ops.place = dg_dev_place;
}

int trelk_init(void) {
  trelk.instance = GetModuleHandleA(NULL);
  if (!hp_init()) return 0;
  if (!cls_register_first()) fail_registration();
  cls_register_rest();
  ed_register_classes();
  if (!mw_create(con_create)) return 0;
  wire_windows();
  mn_init();
  wire_editor();
  tt_create();
  wire_drag();
  dg_init();
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
  lua_asmhook = ai_hook;   /* asmfunc and asm blocks go to the assembler */
  mod_ops.match = match_for_modules;
  luaL_openlibs(L);   /* base, package, array, io, os, string, math, debug */
  intr_open(L);       /* Ctrl+Break stops a running chunk */
  intr_ops.poll = ik_poll;
  rep_ops.call = intr_call;
  rx_open(L);         /* the string library's patterns are PCRE */
  db_open(L);
  lua_pop(L, 1);
  gi_ops.render = cw_render;   /* the canvas draws into windows */
  gi_ops.edit = cw_edit;
  gi_ops.shift = cw_shift;
  gi_ops.text = cw_text;
  gi_ops.gone = cw_gone;
  gi_ops.pcall = host_pcall;
  cw_open(L);
  mod_open(L);
  gui_open_metatables(L);
  lua_atpanic(L, panic);
  gui_open_trelk(L);
  /* global functions, in registration order */
  gui_open_constructors(L);
  sys_open_ldlyb(L);
  sys_open_drives(L);
  ss_ops.replace = ss_move_over;
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
