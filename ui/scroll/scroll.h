/*
** Scroll bars ("BtrelkScrollcn"): a client ("BtrelkScrollClntcn"), two
** arrow buttons and, optionally, a thumb. Without a thumb the bar is a
** two-button spinner. Pressing an arrow or the track repeats while the
** left button is held; the thumb is dragged on its track.
*/
#ifndef scroll_h
#define scroll_h

#include <windows.h>

#include "ui/frame/button.h"
#include "ui/scroll/sbcore.h"

/* Native notification: the bar, the new position, 0, the argument. */
typedef void (*sb_notify_fn)(HWND bar, int pos, int zero, void *arg);

struct sb_record {
  struct sbm_state m;
  int vertical;             /* 1 vertical, 0 horizontal */
  int x, y, w, h;           /* creation rectangle */
  int id;                   /* creator's control identifier */
  void *command;            /* record whose command runs (reason 11) */
  sb_notify_fn notify;
  void *arg;
  void *desc;               /* owning control description, or null */
  HWND parent;
  HWND bar;                 /* the bar's own window */
  HWND first, second, thumb, client;
  int placing;              /* the bar moves its thumb itself */
  struct sb_record *next;   /* every live bar, oldest first */
};

/* Button kinds of a bar */
enum { SBB_UP, SBB_DOWN, SBB_LEFT, SBB_RIGHT, SBB_VTHUMB, SBB_HTHUMB };

struct sbb_record {
  struct btn_record b;
  int kind;
  struct sb_record *bar;
  int offset;               /* the thumb's */
};

/* left_down: whether the left button is still down when a press repeats
   (tests may replace it). */
struct sb_ops {
  int (*left_down)(void);
};
extern struct sb_ops sb_ops;

/* A shown child bar; range and page are taken as at least 1. `command' is
   a record of the object model (gui/record.h) or null. */
HWND sb_create(HWND parent, int range, int page, int vertical, int thumb,
               int x, int y, int w, int h, int id, void *command,
               sb_notify_fn notify, void *arg);
/* Bars with a thumb, range 1, page = height (width), notifying the parent
   with WM_VSCROLL (WM_HSCROLL), SB_THUMBPOSITION and the bar as lParam. */
HWND sb_create_vertical(HWND parent, int x, int y, int w, int h, int id);
HWND sb_create_horizontal(HWND parent, int x, int y, int w, int h, int id);
/* A bar owned by a control description (an entry or container record):
   each step notifies the description with reason 11. */
HWND sb_create_for(HWND parent, void *desc, int range, int page,
                   int vertical, int thumb, int x, int y, int w, int h,
                   int id);

struct sb_record *sb_rec(HWND bar);   /* null unless a live bar */

/* Set and get on a bar itself. */
int sb_set_bar(HWND bar, struct sb_info *info);
int sb_get_bar(HWND bar, struct sb_info *info);
/* Set and get on the first (which 0) or second (1) bar of a container
   window whose framed record is of kind 2; 0 when there is none. */
int sb_set(HWND container, int which, struct sb_info *info);
int sb_get(HWND container, int which, struct sb_info *info);

/* class procedures of a bar and of a scrolled client */
LRESULT CALLBACK sb_bar_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
LRESULT CALLBACK sb_client_proc(HWND h, UINT msg, WPARAM w, LPARAM l);

/* used by the bar's buttons and client */
void sb_press(HWND w, struct sb_record *r, int kind, LPARAM at);
void sb_repeat(HWND w, struct sb_record *r, int kind, UINT_PTR id);
void sb_notify(struct sb_record *r);
void sb_place_thumb(struct sb_record *r);
void sb_layout(struct sb_record *r);
LRESULT CALLBACK sbb_proc(HWND h, UINT msg, WPARAM w, LPARAM l);

#endif
