/*
** Icon cache: a list, newest first, of (icon, file name) pairs.
*/
#include <windows.h>

#include "host/base/cstr.h"
#include "host/base/heap.h"
#include "ui/win/iconcache.h"

struct ic_entry {
  HICON icon;
  char *name;            /* counted string */
  struct ic_entry *next;
};

static struct ic_entry *ic_head = NULL;

HICON ic_load(const char *file) {
  HICON icon = (HICON)LoadImageA(NULL, file, IMAGE_ICON, 0, 0,
                                 LR_LOADFROMFILE | LR_DEFAULTSIZE);
  if (icon == NULL) return NULL;
  struct ic_entry *e = (struct ic_entry *)hp_alloc(sizeof *e);
  e->icon = icon;
  e->name = cs_make(file);
  e->next = ic_head;
  ic_head = e;
  return icon;
}

const char *ic_name(HICON icon) {
  for (struct ic_entry *e = ic_head; e; e = e->next)
    if (e->icon == icon) return e->name;
  return NULL;
}

void ic_drop(HICON icon) {
  for (struct ic_entry **p = &ic_head; *p; p = &(*p)->next) {
    struct ic_entry *e = *p;
    if (e->icon != icon) continue;
    *p = e->next;
    DestroyIcon(e->icon);
    cs_release(e->name);
    hp_free(e);
    return;
  }
}

void ic_clear(void) {
  while (ic_head) ic_drop(ic_head->icon);
}
