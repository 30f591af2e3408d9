/*
** The message and print routines behind a table the terminal fills in.
*/
#include <stdio.h>

#include "host/base/message.h"

static void std_write(const char *text) {
  if (text) fputs(text, stderr);
}

static void std_nothing(void) {}

static const struct con_ops std_ops = {std_write, std_write, std_nothing};
static const struct con_ops *ops = &std_ops;

void con_setops(const struct con_ops *o) { ops = o ? o : &std_ops; }

void con_message(const char *text) { ops->message(text); }
void con_print(const char *text) { ops->print(text); }
void con_before_call(void) { ops->before_call(); }
