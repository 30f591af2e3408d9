/*
** Module contexts of the assembler (see asm_ctx.h).
*/
#include "native/asmiface/asm_ctx.h"

#include <string.h>

static ac_context *ac_list = NULL;

ac_context *ac_first(void) { return ac_list; }

ac_context *ac_open(const char *name, int (*flags_of)(const char *)) {
  for (ac_context *c = ac_list; c; c = c->next)
    if (c->name == name) return c;
  ac_context *c = new ac_context{name, flags_of ? flags_of(name) : 0, NULL, {}, ac_list};
  ac_list = c;
  return c;
}

static ac_member *ac_find(ac_context *c, const char *name) {
  for (ac_member *m = c->members; m; m = m->next)
    if (m->name == name) return m;
  return NULL;
}

static ac_member *ac_new(ac_context *c, const char *name) {
  ac_member *m = new ac_member();
  m->context = c;
  m->name = name;
  m->value = 0;
  m->kind = 0;
  m->next = c->members;
  c->members = m;
  return m;
}

ac_member *ac_member_of(ac_context *c, const char *name, int kind) {
  if (c == NULL || name == NULL || kind < 0 || kind > 3) return NULL;
  if (kind && !(c->flags & (1 << (kind - 1)))) return NULL;
  ac_member *m = ac_find(c, name);
  return m ? m : ac_new(c, name);
}

void ac_add_kind_entry(ac_member *m, uint32_t value, int kind, uint32_t key) {
  if (m == NULL || kind < 1 || kind > 3) return;
  if (!(m->context->flags & (1 << (kind - 1)))) return;
  m->entries[kind - 1][key] = value;
}

ac_member *ac_define(ac_context *c, const char *name, const char *desc,
                     uint32_t value) {
  if (c == NULL || name == NULL) return NULL;
  ac_member *m = ac_find(c, name);
  if (m == NULL) {
    m = ac_new(c, name);
    m->desc = desc ? desc : "";
  }
  m->value = value;
  return m;
}

void ac_record_reference(ac_context *c, uint32_t offset, uint32_t number) {
  if (c) c->refs.push_back(ac_reference{offset, number});
}

void ac_reset(void) {
  while (ac_list) {
    ac_context *c = ac_list;
    ac_list = c->next;
    while (c->members) {
      ac_member *m = c->members;
      c->members = m->next;
      delete m;
    }
    delete c;
  }
}
