/*
** Editor windows: component windows that show edit controls, subclassed
** by the program. The subclass answers the messages this program keeps
** from older versions of the component (lexer selection by number, the
** style bits, integer properties) for every caller.
*/
#ifndef edwin_h
#define edwin_h

#include <windows.h>

#include "gui/record.h"

/* Makes an editor window for entry e filling parent's client area and
   loads the control's text or attaches its shared document. The creation
   notification and the style table follow in ew_announce(). */
HWND ew_create(HWND parent, struct gr_entry *e);

/* Notifies the windows made since the last call (reason 1) and applies
   their style tables. Script code runs here. */
void ew_announce(void);

/* Subclasses a component window made elsewhere (the host's code editors),
   without a control. */
void ew_adopt(HWND h);

/* Sends through the subclass (directly, not queued). */
LRESULT ew_send(HWND h, UINT msg, WPARAM wp, LPARAM lp);

/* Sizes the component keeps between messages and reads texts by: the RGBA
   image size (SCI_RGBAIMAGESETWIDTH/HEIGHT, 0 until set) and the length
   SCI_ENCODEDFROMUTF8 reads (SCI_SETLENGTHFORENCODE, -1 for the whole
   text). False when h is not one of the editor windows. */
struct ew_lengths {
  unsigned rgba_w, rgba_h;
  intptr_t encode;
};
int ew_lengths_of(HWND h, struct ew_lengths *out);

HWND ew_first(const struct gr_entry *e);   /* first open window of e */
int ew_is_editor(HWND h);                  /* one of ours, still open */
HWND ew_find(HWND h);   /* h itself, or the editor window inside h */
void ew_redraw(const struct gr_entry *e);  /* every window showing e */

/* A name written by a script since the text was loaded replaces the text
   of the shown document; typing alone leaves the name as it was. */
void ew_sync(const struct gr_entry *e);

/* The fixed colouring of the host's Lua editors. */
void ew_lua_colours(HWND h);

#endif
