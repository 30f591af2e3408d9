/*
** The drag frame: a control lifted out of its parent with Alt and a left
** click into a topmost "dragWinCN" frame, covered by a transparent
** "dragWinCCN" window that takes the mouse, with four 7 x 7 handles that
** resize it. Alt and a left click on the cover drops it into the window
** under the pointer; Escape puts it back exactly where it was.
*/
#ifndef drag_h
#define drag_h

#include <windows.h>
#include <stdint.h>

/* movable bits of a control's record (first word) */
#define DG_MOVABLE 0x1u   /* takes part at all */
#define DG_RESIZE 0x2u    /* the handles resize it */
#define DG_SLIDE 0x4u     /* a plain drag on the cover moves the frame */
#define DG_TRANSIENT 0x8u /* made for the drag: destroyed, not put back */

#define DG_REASON 0x40000000u   /* third value handed to the callbacks */

typedef void (*dg_callback)(HWND control, HWND other, uint32_t value, void *arg);

/* What a control offers to the drag frame. */
struct dg_control {
  uint32_t bits;
  dg_callback begin, drop;   /* either may be null */
  void *begin_arg, *drop_arg;
};

/* frame record: the frame's user data (the cover shares it) */
struct dg_frame {
  HWND control;
  HGDIOBJ gdi;              /* deleted at the end, if any */
  HWND parent;              /* the control's former parent */
  HWND cover;
  int x, y, w, h;           /* former screen position and size */
  HWND handles[4];          /* left, top, bottom, right */
  int cx, cy;               /* former position in the parent's client */
  LONG style;               /* the control's style before it was lifted */
};

struct dg_state {
  HWND frame, cover, control;
  struct dg_control info;   /* of the control being carried */
  HWND focus;               /* had the keyboard before the drag */
  POINT drop_at;            /* screen point of the dropping click */
};

extern struct dg_state dg;

/* What the frame asks of later layers. Defaults know nothing and do
   nothing.
   lookup: controls other than those with the record bits; a layer that
   owns a kind of window fills in what it offers; 0 for windows it does
   not know.
   develop: the designer's menu, shown while a drag starts (show 1) and
   taken down at a drop (show 0).
   none: an Alt + click that found nothing movable (the clicked window). */
struct dg_ops {
  int (*lookup)(HWND w, struct dg_control *out);
  void (*develop)(int show);
  void (*none)(HWND clicked, POINT at);
};
extern struct dg_ops dg_ops;

void dg_init(void);                 /* no handles shown yet */
int dg_movable(HWND w, struct dg_control *out);
void dg_begin(HWND control);
/* Ends the drag: with keep the control stays where the frame now is (its
   new parent being target); without, it goes back where it was. */
void dg_end(HWND target, int keep);
/* The window a drop at the screen point goes to, or null. */
HWND dg_target_at(POINT p);

/* The terminal loop's Alt + left click: 1 when the click is consumed. */
int dg_altclick(const MSG *msg);

/* class procedures of the frame and of the cover over its target */
LRESULT CALLBACK dg_frame_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
LRESULT CALLBACK dg_cover_proc(HWND h, UINT msg, WPARAM w, LPARAM l);

#endif
