/*
** Terminal console: output, the line reader and the input-area key rules.
*/
#include <windows.h>
#include <richedit.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include "host/console.h"
#include "host/history.h"
#include "host/intr.h"
#include "host/trelk.h"
#include "ui/colour.h"

struct con_state con;
static void no_hover(const MSG *) {}
static int no_altclick(const MSG *) { return 0; }
struct con_loop_ops con_loop = {no_hover, no_altclick};

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
** with redrawing off: the rich edit spends milliseconds on every insertion
** it has to redraw, and walks its text on every selection. Gathered output
** is written and shown when the message loop is about to wait, when a timer
** fires in any message loop (a message box's, say), and, while a script
** keeps the program busy, once CON_SHOW_MS have passed (con_poll_due).
*/
#define PENDING_MAX (1 << 20)
#define CON_SHOW_MS 50
#define CON_TIMER 0x7E11   /* the flush timer on the console */

static struct {
  char *text;
  size_t len, size;
  int slot;
  int frozen;    /* redrawing is off */
  int timer;     /* the flush timer is running */
  DWORD shown;   /* tick of the last flush */
  DWORD gap;     /* least time from one show to the next while busy */
  DWORD painted; /* tick of the last show */
  size_t col;    /* characters of the line the output position ends */
  char *cut;     /* the text with its long lines cut */
  size_t cutsize;
} out = {NULL, 0, 0, 0, 0, 0, 0, CON_SHOW_MS, 0, 0, NULL, 0};

/*
** The rich edit lays out a paragraph in time that grows with the square of
** its length (seconds for 32 KiB under Wine), and again whenever text is
** added to it. An output line longer than CON_LINE_LONG is therefore shown
** as paragraphs of at most CON_PIECE characters, each cut after a blank
** where one is near; pieces that fit one row are laid out fastest.
*/
#define CON_LINE_LONG 256
#define CON_PIECE 80
#define CON_BLANK_BACK 16   /* how far back a cut looks for a blank */

static int line_end(char c) { return c == '\r' || c == '\n'; }

/* Copies a line of n characters to o, cut into pieces; the first piece
   continues a line of col characters. Returns the characters written. */
static size_t cut_line(char *o, const char *line, size_t n, size_t col) {
  size_t w = 0;
  while (n > 0) {
    size_t room = col < CON_PIECE ? CON_PIECE - col : 0;
    size_t take = n < room ? n : room;
    if (take < n) {   /* a cut: after a blank if one is near its end */
      for (size_t b = take; b > 0 && take - b < CON_BLANK_BACK; b--)
        if (line[b - 1] == ' ' || line[b - 1] == '\t') {
          take = b;
          break;
        }
    }
    memcpy(o + w, line, take);
    w += take;
    line += take;
    n -= take;
    if (n > 0) o[w++] = '\r';
    col = 0;
  }
  return w;
}

static const char *cut_long(const char *text) {
  size_t n = strlen(text), col = out.col, i, start = 0;
  int cut = 0;
  for (i = 0; i <= n; i++) {
    if (i == n || line_end(text[i])) {
      if (col + (i - start) > CON_LINE_LONG) cut = 1;
      col = 0;
      start = i + 1;
    }
  }
  if (!cut) {   /* the usual case */
    for (i = n; i > 0 && !line_end(text[i - 1]); i--) {}
    out.col = i == 0 ? out.col + n : n - i;
    return text;
  }
  size_t need = n + n / (CON_PIECE - CON_BLANK_BACK) + 4;
  if (need > out.cutsize) {
    char *c = (char *)realloc(out.cut, need);
    if (c == NULL) return text;
    out.cut = c;
    out.cutsize = need;
  }
  size_t o = 0;
  col = out.col;
  start = 0;
  for (i = 0; i <= n; i++) {
    if (i < n && !line_end(text[i])) continue;
    size_t len = i - start;
    if (col + len > CON_LINE_LONG) {
      o += cut_line(out.cut + o, text + start, len, col);
    } else {
      memcpy(out.cut + o, text + start, len);
      o += len;
    }
    if (i < n) out.cut[o++] = text[i];
    col = 0;
    start = i + 1;
  }
  out.cut[o] = '\0';
  /* the next output continues the last piece */
  for (i = o; i > 0 && !line_end(out.cut[i - 1]); i--) {}
  out.col = i == 0 ? out.col + o : o - i;
  return out.cut;
}

static void freeze(void) {
  if (!out.frozen) {
    send(WM_SETREDRAW, FALSE, 0);
    out.frozen = 1;
  }
}

/*
** One replacement costs the control more than linear time in its length
** (twice as much for 1 MiB at once as for the same in 16 KiB steps), so
** longer text goes in steps that end at a line end. The cut above leaves a
** line end at least every CON_PIECE characters; a CR LF pair is never
** parted, else its halves would make two paragraphs.
*/
#define CON_STEP (16 << 10)

/* Length of the next step of text: all of it, or up to a line end. */
static size_t step_len(const char *text, size_t n) {
  if (n <= CON_STEP) return n;
  for (size_t k = CON_STEP; k > 0; k--) {
    char c = text[k - 1];
    if (c == '\n' || (c == '\r' && text[k] != '\n')) return k;
  }
  return n;   /* no line end: in one */
}

/* Replaces the selection by text in the colour of slot; the characters the
   control added (a CR LF pair becomes one paragraph mark). */
static LONG insert_at(LONG at, const char *text, int slot) {
  static char step[CON_STEP + 1];
  size_t n = strlen(text);
  set_caret(at);
  while (n > 0) {
    size_t k = step_len(text, n);
    set_colour(slot);   /* a paragraph mark leaves the default behind it */
    if (k == n) {
      send(EM_REPLACESEL, FALSE, (LPARAM)text);
      break;
    }
    memcpy(step, text, k);
    step[k] = '\0';
    send(EM_REPLACESEL, FALSE, (LPARAM)step);
    text += k;
    n -= k;
  }
  return caret_pos() - at;
}

/* While a line is awaited, output goes above the prompt, and what the user
   has typed, the caret and the selection stay as they were. */
static void write_now(const char *text, int slot) {
  freeze();
  text = cut_long(text);
  if (!con.reading) {
    insert_at(con.out_pos, text, slot);
    con.out_pos = con_text_length();
    return;
  }
  CHARRANGE keep;
  send(EM_EXGETSEL, 0, (LPARAM)&keep);
  LONG at = con.out_pos;
  LONG n = insert_at(at, text, slot);
  con.out_pos += n;
  con.in_start += n;
  if (keep.cpMin >= at) keep.cpMin += n;
  if (keep.cpMax >= at) keep.cpMax += n;
  send(EM_EXSETSEL, 0, (LPARAM)&keep);
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
  if (!out.timer && SetTimer(con.edit, CON_TIMER, CON_SHOW_MS, NULL))
    out.timer = 1;
  con_poll_due();
}

void con_flush(void) {
  if (con.edit == NULL) return;
  out.shown = GetTickCount();
  if (out.timer) {
    KillTimer(con.edit, CON_TIMER);
    out.timer = 0;
  }
  flush_pending();
  if (out.frozen) {
    out.frozen = 0;
    send(WM_SETREDRAW, TRUE, 0);
    InvalidateRect(con.edit, NULL, TRUE);
    send(EM_SCROLLCARET, 0, 0);
  }
}

/* Paints what needs painting in the terminal and in the main window's own
   frame and caption; windows that may call scripts to paint (menus) wait
   for the message loop. */
void con_show_now(void) {
  if (con.edit == NULL) return;
  DWORD t = GetTickCount();
  con_flush();
  if (con.main) RedrawWindow(con.main, NULL, NULL, RDW_UPDATENOW | RDW_NOCHILDREN);
  HWND cap = con.main ? GetWindow(con.main, GW_CHILD) : NULL;
  for (; cap; cap = GetWindow(cap, GW_HWNDNEXT)) {
    char cls[16];
    if (!GetClassNameA(cap, cls, sizeof cls) || strcmp(cls, "CtrelkCapcn") != 0)
      continue;
    /* the caption's buttons are made by a message posted to it: "Exit
       Trelk" must be there even if a start-up script never lets go */
    MSG m;
    while (PeekMessageA(&m, cap, WM_PAINT, WM_PAINT, PM_REMOVE | PM_NOYIELD))
      DispatchMessageA(&m);
    RedrawWindow(cap, NULL, NULL, RDW_UPDATENOW | RDW_ALLCHILDREN);
  }
  RedrawWindow(con.edit, NULL, NULL, RDW_UPDATENOW);
  /* showing takes long in a long text: keep it to a tenth of the time */
  out.painted = GetTickCount();
  DWORD spent = out.painted - t;
  out.gap = spent * 10 > CON_SHOW_MS ? spent * 10 : CON_SHOW_MS;
}

/* Before a call into a DLL, which may take long without a message loop:
   output not yet on the screen is shown, unless that was done just now. */
static void before_call(void) {
  if (con.edit && (out.len || out.frozen) && GetTickCount() - out.painted >= out.gap)
    con_show_now();
}

void con_poll_due(void) {
  if (con.edit && GetTickCount() - out.shown >= out.gap) con_show_now();
}

static void message(const char *text) { append(text, COL_ERROR); }
static void print(const char *text) { append(text, COL_PRINT); }
static const struct con_ops term_ops = {message, print, before_call};

static void scroll_caret(void) { send(EM_SCROLLCARET, 0, 0); }

/* Line complete: what Enter and the full-count rule both do. */
static void complete_line(void) {
  con.in_end = con_text_length();
  set_caret(con.in_end);
  send(EM_REPLACESEL, FALSE, (LPARAM) "\r");
  con.typed = 0;
  con.done = 1;
}

static void replace_input(const char *text, LONG caret) {
  CHARRANGE cr = {con.in_start, caret};
  send(EM_EXSETSEL, 0, (LPARAM)&cr);
  send(EM_REPLACESEL, TRUE, (LPARAM)text);
}

static int ctrl_down(void) { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

/* Ctrl+C or Ctrl+Insert with a selection copies it, wherever it lies. */
static int copy_key(WPARAM key) {
  CHARRANGE cr;
  if (!((key == 'C' || key == VK_INSERT) && ctrl_down())) return 0;
  send(EM_EXGETSEL, 0, (LPARAM)&cr);
  if (cr.cpMin == cr.cpMax) return 0;
  CallWindowProcA(con.class_proc, con.edit, WM_COPY, 0, 0);
  return 1;
}

static int on_keydown(WPARAM key) {
  if (copy_key(key)) return 1;
  if (!con.reading) return 1;
  LONG p = caret_pos();
  switch (key) {
    case VK_HOME:
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
  if (ch == 3) return 1;   /* Ctrl+C: a copy, never a character */
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
    case WM_TIMER:
      if (w == CON_TIMER) {
        con_flush();
        return 0;
      }
      break;
    case WM_KEYDOWN:
      if (on_keydown(w)) return 0;
      break;
    case WM_CHAR:
      if (!con.reading || on_char(w)) return 0;
      break;
  }
  return CallWindowProcA(con.class_proc, h, msg, w, l);
}

int con_create(HWND main) {
  RECT rc;
  con_setops(&term_ops);
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
  LONG at = con_text_length();
  set_caret(at);
  set_colour(COL_PROMPT);
  send(EM_REPLACESEL, FALSE, (LPARAM) "\r# ");
  con.out_pos = at;
  con.in_start = caret_pos();
  CHARRANGE blank = {con.in_start - 1, con.in_start};
  send(EM_EXSETSEL, 0, (LPARAM)&blank);
  set_colour(COL_INPUT);
  set_caret(con.in_start);
  scroll_caret();
  ShowCaret(con.edit);
}

/* Copies what was typed after the prompt: from the input start's character
   position (wherever the control wraps it) to the line end Enter added. */
static int copy_input(void) {
  LONG from = con.in_start, end = con.in_end;
  if (end < from) end = from;
  if (end - from > con.cap - 1) {
    end = from + con.cap - 1;
    char note[80];
    snprintf(note, sizeof note, "the line is cut to its first %d characters\n",
             con.cap - 1);
    con_message(note);
  }
  TEXTRANGEA tr = {{from, end}, con.buf};
  LONG n = (LONG)send(EM_GETTEXTRANGE, 0, (LPARAM)&tr);
  if (n < 0) n = 0;
  con.buf[n] = '\0';
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
    intr_idle();
    /* activating the main window gives it the focus: keys typed to it are
       meant for the terminal */
    if (GetFocus() == con.main) SetFocus(con.edit);
    BOOL r = GetMessageA(&msg, NULL, 0, 0);
    if (r == 0 || r == -1) {
      trelk_release();
      ExitProcess(0);
    }
    con_loop.hover(&msg);
    if (msg.message == WM_LBUTTONDOWN && (GetKeyState(VK_MENU) & 0x8000) &&
        con_loop.altclick(&msg))
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
  con.out_pos = con_text_length();
  out.col = 0;
  int n = copy_input();
  con_flush();
  set_caret(con.out_pos);
  scroll_caret();
  hist_add(buf);
  return n;
}

/* The debug loop reads inside a running line: once the program is ending
   there is nothing to read, and its loop must return to let shutdown go on. */
int con_nested_read(char *buf, int cap) {
  if (trelk.shutdown || con.edit == NULL || !IsWindow(con.edit)) {
    if (cap > 0) buf[0] = '\0';
    return -1;
  }
  return con_readline(buf, cap);
}

void con_end_wait(void) {
  con.exiting = 1;
  con.reading = 0;
  con.done = 2;
}
