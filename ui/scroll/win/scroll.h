/*
** Scroll bars ("BtrelkScrollcn"): a client ("BtrelkScrollClntcn"), two
** arrow buttons and, optionally, a thumb. Without a thumb the bar is a
** two-button spinner. Pressing an arrow or the track repeats while the
** left button is held; the thumb is dragged on its track.
*/
#ifndef scroll_h
#define scroll_h

#include <windows.h>

#include "ui/frame/win/button.h"
#include "ui/scroll/sbcore.h"

/* Native notification: the bar, the new position, 0, the argument. */
typedef void (*sc_notify_fn)(HWND bar, int pos, int zero, void *arg);

struct sc_record {
  struct sc_model m;
  int vertical;             /* 1 vertical, 0 horizontal */
  int x, y, w, h;           /* creation rectangle */
  int id;                   /* creator's control identifier */
  void *command;            /* record whose command runs (reason 11) */
  sc_notify_fn notify;
  void *arg;
  void *desc;               /* owning control description, or null */
  HWND parent;
  HWND bar;                 /* the bar's own window */
  HWND first, second, thumb, client;
  int placing;              /* the bar moves its thumb itself */
  struct sc_record *next;   /* every live bar, oldest first */
};

/* Button kinds of a bar */
enum { SC_BTN_UP, SC_BTN_DOWN, SC_BTN_LEFT, SC_BTN_RIGHT, SC_BTN_VTHUMB, SC_BTN_HTHUMB };

struct sc_btn_record {
  struct fw_btn_record b;
  int kind;
  struct sc_record *bar;
  int offset;               /* the thumb's */
};

/* left_down: whether the left button is still down when a press repeats
   (tests may replace it). */
struct sc_ops {
  int (*left_down)(void);
};
extern struct sc_ops sc_ops;

/* A shown child bar; range and page are taken as at least 1. `command' is
   a record of the object model (gui/record.h) or null. */
HWND sc_create(HWND parent, int range, int page, int vertical, int thumb,
               int x, int y, int w, int h, int id, void *command,
               sc_notify_fn notify, void *arg);
/* Bars with a thumb, range 1, page = height (width), notifying the parent
   with WM_VSCROLL (WM_HSCROLL), SB_THUMBPOSITION and the bar as lParam. */
HWND sc_create_vertical(HWND parent, int x, int y, int w, int h, int id);
HWND sc_create_horizontal(HWND parent, int x, int y, int w, int h, int id);
/* A bar owned by a control description (an entry or container record):
   each step notifies the description with reason 11. */
HWND sc_create_for(HWND parent, void *desc, int range, int page,
                   int vertical, int thumb, int x, int y, int w, int h,
                   int id);

struct sc_record *sc_rec(HWND bar);   /* null unless a live bar */

/* Set and get on a bar itself. */
int sc_set_bar(HWND bar, struct sc_info *info);
int sc_get_bar(HWND bar, struct sc_info *info);
/* Set and get on the first (which 0) or second (1) bar of a container
   window whose framed record is of kind 2; 0 when there is none. */
int sc_set(HWND container, int which, struct sc_info *info);
int sc_get(HWND container, int which, struct sc_info *info);

/* class procedures of a bar and of a scrolled client */
LRESULT CALLBACK sc_bar_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
LRESULT CALLBACK sc_client_proc(HWND h, UINT msg, WPARAM w, LPARAM l);

/* used by the bar's buttons and client */
void sc_press(HWND w, struct sc_record *r, int kind, LPARAM at);
void sc_repeat(HWND w, struct sc_record *r, int kind, UINT_PTR id);
void sc_notify(struct sc_record *r);
void sc_place_thumb(struct sc_record *r);
void sc_layout(struct sc_record *r);
LRESULT CALLBACK sc_btn_proc(HWND h, UINT msg, WPARAM w, LPARAM l);

#endif
