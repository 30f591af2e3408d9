/*
** The terminal: a rich-edit control in the main window where output
** accumulates and script lines are typed after the prompt. Its line reader
** runs the program's message loop while it waits.
*/
#ifndef console_h
#define console_h

#include <windows.h>
#include <richedit.h>

#include "host/base/message.h"

struct con_state {
  HWND main;          /* main window; null once destroyed */
  HWND edit;          /* the rich-edit child */
  WNDPROC class_proc; /* rich-edit's own procedure */
  LONG out_pos;       /* where output goes: the end of the text, or the
                         start of the prompt while a line is awaited */
  LONG in_start;      /* first character after the prompt */
  LONG in_end;        /* end of a completed line, before its line end */
  int reading;        /* 1 while a line is awaited */
  int typed;          /* character keystrokes since the prompt */
  char *buf;          /* reader's buffer and capacity */
  int cap;
  int exiting;        /* an exit request ended the wait */
  int done;           /* the wait is over: 1 line complete, 2 exit */
  CHARFORMATA fmt;    /* reused for every colour change */
};

extern struct con_state con;

int con_create(HWND main);   /* also makes it the message routines' target */
int con_readline(char *buf, int cap);   /* length, or -1 to end */
int con_nested_read(char *buf, int cap);   /* the same, for a running line */
void con_end_wait(void);                /* exit request while waiting */
LONG con_text_length(void);
void con_flush(void);   /* write pending output and redraw; before any wait */
void con_show_now(void);   /* flush and paint the terminal without a loop */
void con_poll_due(void);   /* con_show_now if output has waited long enough */

/* What the reader's loop asks of later layers for each message (the
   tooltip, the drag frame). Defaults do nothing. */
struct con_loop_ops {
  void (*hover)(const MSG *msg);
  int (*altclick)(const MSG *msg);   /* 1 if it consumed the message */
};
extern struct con_loop_ops con_loop;

#endif
