/*
** The style table of an edit object turned into editor messages, and the
** fixed colour set of the host's own Lua editors. Platform-neutral: the
** messages go through a sender, the window is an opaque pointer.
*/
#ifndef style_h
#define style_h

#include <stdint.h>

extern "C" {
#include "lua.h"
}

/* editor messages, by their public numbers */
enum {
  SCM_STYLESETFORE = 2051, SCM_STYLESETBACK = 2052, SCM_STYLESETBOLD = 2053,
  SCM_STYLESETITALIC = 2054, SCM_STYLESETSIZE = 2055,
  SCM_STYLESETFONT = 2056, SCM_STYLESETEOLFILLED = 2057,
  SCM_STYLESETUNDERLINE = 2059, SCM_STYLESETCASE = 2060,
  SCM_STYLESETVISIBLE = 2074, SCM_STYLESETHOTSPOT = 2409,
  SCM_CLEARDOCUMENTSTYLE = 2005, SCM_GETLENGTH = 2006,
  SCM_SETMARGINTYPEN = 2240, SCM_SETMARGINWIDTHN = 2242,
  SCM_TEXTWIDTH = 2276, SCM_GETSTYLEBITS = 2091, SCM_SETSTYLEBITS = 2090,
  SCM_SETLEXER = 4001, SCM_GETLEXER = 4002, SCM_COLOURISE = 4003,
  SCM_SETPROPERTY = 4004, SCM_SETKEYWORDS = 4005, SCM_SETPTRPROPERTY = 4012,
  SCM_FINDTEXT = 2150
};

/* lexer numbers of SCM_SETLEXER */
enum { ES_LEX_NONE = 1, ES_LEX_SCRIPT = 2, ES_LEX_LUA = 15, ES_LEX_ASM = 34 };

#define ES_STYLE_LINENUMBER 33

struct es_sink {
  intptr_t (*send)(void *ctx, unsigned msg, uintptr_t wp, intptr_t lp);
  void *ctx;
};

/* Applies the style table of the edit object at obj to the editor window
   hwnd (handed to the lexer functions as `hWnd'). Values of the wrong type
   are skipped; nothing here raises a script error. */
void es_apply(lua_State *L, int obj, void *hwnd, const struct es_sink *s);

/* The colour set of the host's Lua editors (no style table). */
void es_lua_colours(const struct es_sink *s);

#endif
