/*
** Container and entry records, their entry lists and the lists of every
** live record (script handles are checked against them before use: a light
** userdata kept by a script may outlive its record).
*/
#include <assert.h>
#include <stdlib.h>
#include <string.h>

#include "gui/record.h"

static void *std_alloc(size_t size) { return calloc(1, size + 8); }

struct gr_ops gr_ops = {std_alloc, free};

struct gr_container *gr_containers = NULL;
static struct gr_entry *all_entries = NULL;

char *gr_strdup(const char *s) {
  if (s == NULL) return NULL;
  size_t n = strlen(s);
  char *d = (char *)gr_ops.alloc(n + 1);
  memcpy(d, s, n + 1);
  return d;
}

void gr_set_text(char **slot, const char *s) {
  char *old = *slot;
  *slot = gr_strdup(s);
  if (old) gr_ops.free(old);
}

struct gr_container *gr_container_new(uint32_t kind, const char *name,
                                      const char *comment) {
  struct gr_container *c = (struct gr_container *)gr_ops.alloc(sizeof *c);
  c->flags = kind | GR_CONTAINER;
  c->name = gr_strdup(name);
  c->comment = gr_strdup(comment);
  c->ref = GR_NOREF;
  c->w = c->h = kind == GR_DIALOG ? 0 : 100;   /* a dialog: 0 until set */
  c->further = -1;
  if (kind == GR_MENU || kind == GR_TABLE) c->cflags = GR_CF_SCROLLED;
  c->all_next = gr_containers;
  gr_containers = c;
  return c;
}

struct gr_entry *gr_entry_new(uint32_t kind, const char *name,
                              const char *comment, const char *command) {
  struct gr_entry *e = (struct gr_entry *)gr_ops.alloc(sizeof *e);
  e->flags = kind & ~GR_CONTAINER;
  e->name = gr_strdup(name);
  e->comment = gr_strdup(comment);
  e->command = gr_strdup(command);
  e->ref = e->rmenu_ref = GR_NOREF;
  e->w = 128;
  e->h = 22;
  e->all_next = all_entries;
  if (all_entries) all_entries->all_prev = e;
  all_entries = e;
  return e;
}

int gr_is_container(const void *rec) {
  return rec && (*(const uint32_t *)rec & GR_CONTAINER);
}

int gr_valid_entry(const void *p) {
  if (p == NULL) return 0;
  for (struct gr_entry *e = all_entries; e; e = e->all_next)
    if (e == p) return !e->dead;
  return 0;
}

int gr_valid_container(const void *p) {
  if (p == NULL) return 0;
  for (struct gr_container *c = gr_containers; c; c = c->all_next)
    if (c == p) return 1;
  return 0;
}

static void release(struct gr_entry *e) {
  if (e->all_prev) e->all_prev->all_next = e->all_next;
  else all_entries = e->all_next;
  if (e->all_next) e->all_next->all_prev = e->all_prev;
  gr_ops.free(e->name);
  gr_ops.free(e->comment);
  gr_ops.free(e->command);
  gr_ops.free(e->icon_name);
  gr_ops.free(e);
}

void gr_entry_free(struct gr_entry *e) {
  if (e == NULL || e->dead) return;
  gr_unlink(e);
  if (e->sub && e->sub->owner_entry == e) e->sub->owner_entry = NULL;
  for (struct gr_container *c = gr_containers; c; c = c->all_next) {
    if (c->owner_entry == e) c->owner_entry = NULL;
    if (c->tab == e) c->tab = NULL;
  }
  if (e->busy) {
    e->dead = 1;
    e->flags = 0;   /* no further notifications */
    return;
  }
  release(e);
}

void gr_entry_idle(struct gr_entry *e) {
  assert(e->busy > 0);   /* pairs with the increment when it began */
  if (--e->busy == 0 && e->dead) release(e);
}

void gr_insert(struct gr_container *c, struct gr_entry *e, int pos) {
  if (c == NULL || e == NULL) return;
  gr_unlink(e);
  struct gr_entry **link = &c->first;
  for (int i = 0; *link && (pos < 0 || i < pos); i++) link = &(*link)->next;
  e->next = *link;
  *link = e;
  e->owner = c;
}

void gr_unlink(struct gr_entry *e) {
  if (e == NULL || e->owner == NULL) return;
  struct gr_entry **link = &e->owner->first;
  while (*link && *link != e) link = &(*link)->next;
  assert(*link == e);   /* an owned entry is on its owner's list */
  if (*link) *link = e->next;
  e->next = NULL;
  e->owner = NULL;
}

int gr_count(const struct gr_container *c) {
  int n = 0;
  for (struct gr_entry *e = c ? c->first : NULL; e; e = e->next) n++;
  return n;
}

struct gr_entry *gr_at(const struct gr_container *c, int i) {
  struct gr_entry *e = c ? c->first : NULL;
  while (e && i-- > 0) e = e->next;
  return i < 0 ? e : NULL;
}

int gr_index(const struct gr_entry *e) {
  if (e == NULL || e->owner == NULL) return -1;
  int i = 0;
  for (struct gr_entry *p = e->owner->first; p; p = p->next, i++)
    if (p == e) return i;
  return -1;
}

struct gr_entry *gr_group_first(struct gr_entry *e) {
  if (e == NULL || !(e->flags & GR_RADIO) || e->owner == NULL) return NULL;
  struct gr_entry *first = NULL;
  for (struct gr_entry *p = e->owner->first; p; p = p->next) {
    if (!(p->flags & GR_RADIO)) first = NULL;
    else if (first == NULL) first = p;
    if (p == e) return first;
  }
  return NULL;
}

int gr_in_group(const struct gr_entry *a, const struct gr_entry *b) {
  if (a == b) return 1;
  struct gr_entry *fa = gr_group_first((struct gr_entry *)a);
  return fa && fa == gr_group_first((struct gr_entry *)b);
}

int gr_any(const struct gr_container *c, uint32_t bits) {
  for (struct gr_entry *e = c ? c->first : NULL; e; e = e->next)
    if (e->flags & bits) return 1;
  return 0;
}

int gr_takes_cflags(const void *rec) {
  return rec && (*(const uint32_t *)rec & 0x80000008u) == 0x80000008u;
}

int gr_tabbed(const struct gr_container *c) {
  return gr_takes_cflags(c) && (c->cflags & GR_CF_TABBED);
}
