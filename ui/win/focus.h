/*
** Focus chain: the order in which child windows of a container take the
** keyboard focus. Each framed window and button owns one node.
*/
#ifndef focus_h
#define focus_h

#include <windows.h>

struct fc_node {
  HWND wnd;
  struct fc_node *prev, *next;
};

struct fc_node *fc_create(HWND w);
void fc_release(struct fc_node *n);
void fc_relink(struct fc_node *n);   /* a hidden window leaves the chain */

#endif
