/*
** The message and print routines every subsystem reports through. The
** terminal fills them in when it is created; until then, and in programs
** without a terminal, texts go to the standard error stream.
*/
#ifndef trelk_message_h
#define trelk_message_h

struct con_ops {
  void (*message)(const char *text);   /* error colour */
  void (*print)(const char *text);     /* print colour */
  void (*before_call)(void);   /* show waiting output before a DLL call */
};

void con_setops(const struct con_ops *ops);   /* null: the defaults again */

void con_message(const char *text);
void con_print(const char *text);
void con_before_call(void);

#endif
