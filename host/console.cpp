/*
** Terminal console: output, the line reader and the input-area key rules.
*/
#include <windows.h>
#include <richedit.h>
#include <stdlib.h>
#include <string.h>

#include "host/console.h"
#include "host/history.h"
#include "host/trelk.h"
#include "ui/colors.h"

struct con_state con;
void (*con_hover_hook)(const MSG *msg) = NULL;
int (*con_altclick_hook)(const MSG *msg) = NULL;

static const char banner[] =
  "{\\rtf1\\ansi\\ansicpg1251\\stshfhich0\\deff0{\\fonttbl{\\f0\\froman times;}"
  "{\\f1\\fswiss arial}}{\\colortbl \\red255\\green0\\blue0;\\red0\\green255"
  "\\blue0;\\red0\\green0\\blue255;}{\\qc{\\cf1\\b\\ulc0\\ul --- Hello from "
  "Trelk 1.0! ---}\\par\\ql \\par}";

static LRESULT send(UINT msg, WPARAM w, LPARAM l) {
  return SendMessageA(con.edit, msg, w, l);
}

LONG con_text_length(void) {
  GETTEXTLENGTHEX gtl = {GTL_NUMCHARS, CP_ACP};
  return (LONG)send(EM_GETTEXTLENGTHEX, (WPARAM)&gtl, 0);
}

static void set_caret(LONG pos) {
  CHARRANGE cr = {pos, pos};
  send(EM_EXSETSEL, 0, (LPARAM)&cr);
}

static LONG caret_pos(void) {
  CHARRANGE cr;
  send(EM_EXGETSEL, 0, (LPARAM)&cr);
  return cr.cpMin;
}

static void set_colour(int slot) {
  con.fmt.cbSize = sizeof(con.fmt);
  con.fmt.dwMask = CFM_COLOR | CFM_BOLD;
  con.fmt.dwEffects = 0;
  con.fmt.crTextColor = col_get(slot);
  send(EM_SETCHARFORMAT, SCF_SELECTION, (LPARAM)&con.fmt);
}

/*
** Output is gathered while the program is busy and written in one piece,
** with redrawing off, when the message loop is about to wait (nothing is
** painted before then anyway): the rich edit spends milliseconds on every
** insertion it has to redraw, and walks its text on every selection.
*/
#define PENDING_MAX (1 << 20)

static struct {
  char *text;
  size_t len, size;
  int slot;
  int frozen;   /* redrawing is off */
} out;

static void write_now(const char *text, int slot) {
  if (!out.frozen) {
    send(WM_SETREDRAW, FALSE, 0);
    out.frozen = 1;
  }
  set_caret(con.out_pos);
  set_colour(slot);
  send(EM_REPLACESEL, FALSE, (LPARAM)text);
  con.out_pos = con_text_length();
}

static void flush_pending(void) {
  if (out.len == 0) return;
  out.len = 0;
  write_now(out.text, out.slot);
}

static int keep(const char *text, size_t n) {
  if (out.len + n + 1 > out.size) {
    size_t size = out.size ? out.size : 4096;
    while (size < out.len + n + 1) size *= 2;
    char *t = (char *)realloc(out.text, size);
    if (t == NULL) return 0;
    out.text = t;
    out.size = size;
  }
  memcpy(out.text + out.len, text, n + 1);
  out.len += n;
  return 1;
}

static void append(const char *text, int slot) {
  if (con.edit == NULL || text == NULL) return;
  size_t n = strlen(text);
  if (out.len && out.slot != slot) flush_pending();
  out.slot = slot;
  if (n > PENDING_MAX || !keep(text, n)) {
    flush_pending();
    write_now(text, slot);
  } else if (out.len > PENDING_MAX) {
    flush_pending();
  }
}

void con_flush(void) {
  if (con.edit == NULL) return;
  flush_pending();
  if (out.frozen) {
    out.frozen = 0;
    send(WM_SETREDRAW, TRUE, 0);
    InvalidateRect(con.edit, NULL, TRUE);
    send(EM_SCROLLCARET, 0, 0);
  }
}

void con_message(const char *text) { append(text, COL_ERROR); }
void con_print(const char *text) { append(text, COL_PRINT); }

static void scroll_caret(void) { send(EM_SCROLLCARET, 0, 0); }

/* Line complete: what Enter and the full-count rule both do. */
static void complete_line(void) {
  set_caret(con_text_length());
  send(EM_REPLACESEL, FALSE, (LPARAM) "\r");
  con.out_pos = caret_pos();
  con.typed = 0;
  con.done = 1;
}

static void replace_input(const char *text, LONG caret) {
  CHARRANGE cr = {con.in_start, caret};
  send(EM_EXSETSEL, 0, (LPARAM)&cr);
  send(EM_REPLACESEL, TRUE, (LPARAM)text);
}

static int on_keydown(WPARAM key) {
  LONG p = caret_pos();
  switch (key) {
    case VK_HOME:
      con.out_pos = con.in_start;
      set_caret(con.in_start);
      scroll_caret();
      return 1;
  }
  if (p < con.in_start) return 1;
  switch (key) {
    case VK_BACK:
    case VK_LEFT:
      return p - 1 < con.in_start;
    case VK_RETURN:
      complete_line();
      return 1;
    case VK_UP:
      replace_input(hist_prev(), p);
      return 1;
    case VK_DOWN:
      replace_input(hist_next(), p);
      return 1;
  }
  return 0;
}

/* 1: consumed; 0: goes on to the rich edit */
static int on_char(WPARAM ch) {
  if (con.typed + 1 == con.cap) {
    complete_line();
    return 1;
  }
  if (caret_pos() < con.in_start || ch == '\r') return 1;
  con.buf[con.typed++] = (char)ch;
  return 0;
}

static LRESULT CALLBACK con_proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
  switch (msg) {
    case WM_PAINT:
      CallWindowProcA(con.class_proc, h, EM_SETBKGNDCOLOR, 0,
                      col_get(COL_TERM_BG));
      break;
    case WM_KEYDOWN:
      if (!con.reading || on_keydown(w)) return 0;
      break;
    case WM_CHAR:
      if (!con.reading || on_char(w)) return 0;
      break;
  }
  return CallWindowProcA(con.class_proc, h, msg, w, l);
}

int con_create(HWND main) {
  RECT rc;
  trelk.riched = LoadLibraryA("RichEd20.dll");
  GetClientRect(main, &rc);
  con.main = main;
  con.edit = CreateWindowExA(0, "RichEdit20A", NULL,
      WS_CHILD | WS_VISIBLE | WS_VSCROLL | ES_MULTILINE,
      rc.left + 7, 50, rc.right - rc.left - 14, rc.bottom - rc.top - 56,
      main, (HMENU)0xFFFF, trelk.instance, NULL);
  if (con.edit == NULL) return 0;
  send(EM_SETBKGNDCOLOR, 0, col_get(COL_TERM_BG));
  send(EM_EXLIMITTEXT, 0, 0x7FFFFFFF);   /* the largest limit both the
                                             system and Wine take */
  CHARFORMATA cf;
  memset(&cf, 0, sizeof cf);
  cf.cbSize = sizeof cf;
  cf.dwMask = CFM_PROTECTED;
  cf.dwEffects = CFE_PROTECTED;
  send(EM_SETCHARFORMAT, SCF_ALL, (LPARAM)&cf);
  SetWindowTextA(con.edit, banner);
  con.out_pos = con_text_length();
  con.class_proc = (WNDPROC)SetWindowLongPtrA(con.edit, GWLP_WNDPROC,
                                              (LONG_PTR)con_proc);
  HideCaret(con.edit);
  return 1;
}

static void write_prompt(void) {
  flush_pending();
  set_caret(con.out_pos);
  set_colour(COL_PROMPT);
  send(EM_REPLACESEL, FALSE, (LPARAM) "\r# ");
  con.in_start = con.out_pos = caret_pos();
  CHARRANGE blank = {con.in_start - 1, con.in_start};
  send(EM_EXSETSEL, 0, (LPARAM)&blank);
  set_colour(COL_INPUT);
  set_caret(con.in_start);
  scroll_caret();
  ShowCaret(con.edit);
}

/* Copies the line that holds the input start, to the end of the text. */
static int copy_line(void) {
  LONG line = (LONG)send(EM_EXLINEFROMCHAR, 0, con.in_start);
  LONG from = (LONG)send(EM_LINEINDEX, line, 0);
  LONG end = con_text_length();
  if (from < 0) from = con.in_start;
  if (end - from > con.cap - 1) end = from + con.cap - 1;
  TEXTRANGEA tr = {{from, end}, con.buf};
  LONG n = (LONG)send(EM_GETTEXTRANGE, 0, (LPARAM)&tr);
  if (n < 0) n = 0;
  con.buf[n] = '\0';
  for (int i = 0; i < 2 && i < n; i++) con.buf[i] = ' ';
  return (int)n;
}

int con_readline(char *buf, int cap) {
  MSG msg;
  con.buf = buf;
  con.cap = cap;
  if (con.edit == NULL || !IsWindow(con.edit)) {
    /* no terminal left: drain to the quit message */
    while (GetMessageA(&msg, NULL, 0, 0) > 0) DispatchMessageA(&msg);
    trelk_release();
    ExitProcess(0);
  }
  write_prompt();
  con.typed = 0;
  con.done = 0;
  con.reading = 1;
  SetFocus(con.edit);
  while (!con.done) {
    con_flush();
    BOOL r = GetMessageA(&msg, NULL, 0, 0);
    if (r == 0 || r == -1) {
      trelk_release();
      ExitProcess(0);
    }
    if (con_hover_hook) con_hover_hook(&msg);
    if (msg.message == WM_LBUTTONDOWN && (GetKeyState(VK_MENU) & 0x8000) &&
        con_altclick_hook && con_altclick_hook(&msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  con.reading = 0;
  if (con.done == 2) {
    buf[0] = '\0';
    if (con.main) DestroyWindow(con.main);
    con.main = NULL;
    con.edit = NULL;
    return -1;
  }
  con_flush();
  int n = copy_line();
  con.out_pos = con_text_length();
  set_caret(con.out_pos);
  scroll_caret();
  hist_add(buf);
  return n;
}

void con_end_wait(void) {
  con.exiting = 1;
  con.reading = 0;
  con.done = 2;
}
