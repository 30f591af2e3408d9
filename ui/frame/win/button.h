/*
** Buttons ("BtrelkUBcn"): caption buttons and tool buttons that light up
** under the mouse and can be resized by dragging with the right button.
*/
#ifndef button_h
#define button_h

#include <windows.h>
#include <stdint.h>

struct fc_node;

typedef void (*fw_btn_painter)(HWND w, HDC dc);

struct fw_btn_record {
  void *data;            /* creator's data */
  HWND owner;            /* nearest ancestor with a control identifier */
  uint32_t value;        /* creator's value */
  int32_t colour;        /* colour slot now shown */
  WNDPROC class_proc;    /* when subclassed */
  struct fc_node *focus;
  fw_btn_painter painter;   /* script painter, if any */
};

HWND fw_btn_create(HWND parent, const char *caption, uint32_t value, int x, int y,
                int w, int h, size_t recsize, WNDPROC proc, int id, void *data);
struct fw_btn_record *fw_btn_rec(HWND w);
LRESULT CALLBACK fw_btn_class_proc(HWND h, UINT msg, WPARAM w, LPARAM l);
/* What a right-drag asks of the layer that owns the top-level window (the
   dialog layer). resizable: whether it may be resized (descriptions with
   their resize flag). resize: gives it the new size (a dialog keeps it in
   its description, as a grip resize does); 0 when the window is to be
   sized here. Defaults: not resizable, not resized. */
struct fw_btn_ops {
  int (*resizable)(HWND top);
  int (*resize)(HWND top, int w, int h);
};
extern struct fw_btn_ops fw_btn_ops;

LRESULT fw_btn_pass(HWND h, UINT msg, WPARAM w, LPARAM l);

/* Right-drag resizing, also used by windows that are not buttons: start at
   a right press, then a step at each move with the right button held. */
void fw_btn_right_start(HWND h);
void fw_btn_right_drag(HWND h);

#endif
