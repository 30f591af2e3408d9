/*
** Dialog frames: a framed window of kind 3 holding one "Trelk Dialog
** client" whose children are the dialog's controls; resizable top-level
** dialogs have an L-shaped size grip in the bottom right corner that
** resizes with a rubber-band outline on the screen.
*/
#ifndef dialogwin_h
#define dialogwin_h

#include <windows.h>
#include <stddef.h>
#include <stdint.h>

#include "gui/record.h"
#include "ui/frame/win/framed.h"

#define DW_RECORD_SIZE 176
#define DW_RESIZING 0x80000000u   /* state: a grip resize is under way */

struct dw_block;

struct dw_record {
  struct fw_record fw;
  struct gr_container *desc;
  HWND client;
  HWND grip;
  struct dw_block *owned;   /* heap blocks freed with the client */
  uint32_t state;
  int grab_x, grab_y;       /* grip resize: offset of the pointer */
  /* 0, 1: a grip resize stores the new size in the description and lays
     out every window showing it; 2 and above: only this window moves */
  int size_kind;
  struct dw_record *next;   /* every dialog frame, newest first */
};

/* Shows desc in a dialog frame (tabbed descriptions in a menu window):
   style WS_CHILD or WS_POPUP, the parent, and the position. Reports 1 to
   the description's command when shown, 3 on each resize and 2 when
   destroyed. Returns the window, or null. */
HWND dw_show(HWND parent, struct gr_container *desc, DWORD style, int finish,
             int x, int y);

struct dw_record *dw_rec(HWND w);     /* null unless a dialog frame */
HWND dw_client(HWND dialog);          /* its client, once shown */
HWND dw_window_of(struct gr_container *desc);   /* first frame showing it */

/* A zeroed block from the private heap, freed when the dialog's client
   is destroyed; null if w is not a dialog frame. */
void *dw_own(HWND dialog, size_t size);

/* Applies desc->w and desc->h to every dialog frame showing desc. */
void dw_resize_all(struct gr_container *desc);

/* What the dialog client asks of the layer that fills it in.
   controls: makes the control windows of desc in the client when it is
   first shown; the default draws every entry as a menu entry at its x, y,
   w, h. rclick: a right click on the client's empty area; the default
   opens the description's right-click object at the pointer. */
struct dw_ops {
  void (*controls)(HWND client, struct gr_container *desc);
  void (*rclick)(HWND client, struct gr_container *desc);
};
extern struct dw_ops dw_ops;

LRESULT CALLBACK dw_client_proc(HWND h, UINT msg, WPARAM w, LPARAM l);

/* outlines of grip resizes on the screen now (0 unless one is under way) */
extern int dw_outlines_shown;

/* Right-drags and caption double clicks of dialogs: whether the
   description lets the window be resized; a new size taken by the
   description and every window showing it (1) or left alone (0). */
int dw_resizable(HWND top);
int dw_right_resized(HWND top, int w, int h);

#endif
