/*
** Framed windows ("WtrelkUWcn"): the custom-drawn top-level and child
** windows that menus and the main window are built on, and the list of all
** of them, newest first.
*/
#ifndef framed_h
#define framed_h

#include <windows.h>
#include <stdint.h>

struct fc_node;
struct fw_list_entry;

#define FW_KIND_MAIN 0
#define FW_KIND_MENU 1
#define FW_KIND_DIALOG 3
#define FW_KIND_BIT 0x80000000u

struct fw_record {
  uint32_t user;            /* creator's value (menus: style bits) */
  uint32_t kind;            /* kind | FW_KIND_BIT */
  HWND own;                 /* the window itself, when top-level */
  struct fw_record *owner_rec;  /* nearest top-level ancestor of the owner */
  HWND owner;               /* window that owns this one */
  HWND popup;               /* last top-level window owned by this one */
  WNDPROC class_proc;       /* procedure before the creator's */
  HWND caption;
  struct fw_list_entry *entry;
  struct fc_node *focus;
  HDC paint_dc;             /* handed to a script painter */
  HWND left_btn, right_btn;
  int32_t buttons_made;     /* 0, then -1 */
  void *menu;               /* menu description shown in the window */
  int32_t shrunk;           /* main window only */
  int32_t shrunk_height;
};

struct fw_list_entry {
  HWND wnd;
  struct fw_record *rec;
  DWORD style;              /* style at creation */
  struct fw_list_entry *prev, *next;
};

extern struct fw_list_entry *fw_list_head;
extern int fw_creating;     /* a framed window is being created */
extern int fw_dragging;     /* a control drag is under way */

HWND fw_create(HWND owner, const char *title, int kind, int x, int y, int w,
               int h, size_t recsize, WNDPROC proc, int finish, DWORD style,
               uint32_t user);
struct fw_record *fw_rec(HWND w);   /* null unless a valid framed record */
LRESULT CALLBACK fw_class_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
LRESULT fw_pass(HWND h, UINT msg, WPARAM w, LPARAM l);  /* to the class proc */
void fw_close_strays(HWND active);
void fw_unlist(HWND w);   /* takes w off the window list (a carried window) */

/* listed: a finished window comes (added 1) or goes (0); the menu layer
   keeps the "Free Windows Menu" by it. The default does nothing. */
struct fw_ops {
  void (*listed)(HWND w, int added);
};
extern struct fw_ops fw_ops;

#endif
