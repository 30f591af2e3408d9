/*
** The canvas in windows: which windows show a toolkit record, rendering
** and blitting into them, text outlines through GDI paths, and hand
** editing with vertex handles.
*/
#ifndef cw_canvas_h
#define cw_canvas_h

#include <windows.h>

extern "C" {
#include "lua.h"
}

#include "canvas/cn_node.h"

/* Registers `gi`. */
void cw_open(lua_State *L);

/* Windows showing rec, at most max of them, first first; their count. */
int cw_windows_of(void *rec, HWND *out, int max);

/* Renders n into w; 0 when nothing was drawn. */
int cw_render_window(struct cn_node *n, HWND w);
void cw_render(struct cn_node *n, void *rec);

int cw_text(struct cn_node *n, const char *s, int32_t height, const char *face);

int cw_edit(struct cn_node *n, int is_table, void *rec);
void cw_shift(struct cn_node *n, int32_t odx, int32_t ody);
void cw_gone(struct cn_node *n);
HWND cw_handle(int k);   /* handle window of vertex k (from 1), or null */

#endif
