/*
** Focus-chain nodes. Containers link them in tab order; a node that is not
** linked has null neighbours.
*/
#include "host/base/heap.h"
#include "ui/win/focus.h"

struct fc_node *fc_create(HWND w) {
  struct fc_node *n = (struct fc_node *)hp_alloc(sizeof *n);
  n->wnd = w;
  return n;
}

static void unlink_node(struct fc_node *n) {
  if (n->prev) n->prev->next = n->next;
  if (n->next) n->next->prev = n->prev;
  n->prev = n->next = NULL;
}

void fc_release(struct fc_node *n) {
  if (n == NULL) return;
  unlink_node(n);
  hp_free(n);
}

void fc_relink(struct fc_node *n) {
  if (n) unlink_node(n);
}
