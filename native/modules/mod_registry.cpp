/*
** Module registry: check and register images, bind imports, relocate.
** Registration checks everything first and writes into the image only
** once the image is known to be accepted.
*/
#include "native/modules/mod_registry.h"

#include <ctype.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>
#include "host/base/message.h"

mr_record *mr_head = NULL;
static mr_record *no_dll(const char *) { return NULL; }
struct mr_ops mr_ops = {no_dll};

static char mr_msgbuf[1024];   /* the loader's one message buffer */

static void mr_say(const char *fmt, const char *a, const char *b) {
  snprintf(mr_msgbuf, sizeof mr_msgbuf, fmt, a, b ? b : "");
  con_message(mr_msgbuf);
}

uint32_t mr_addr(const void *p) {
  return (uint32_t)(uintptr_t)p;
}

static const uint8_t *mr_desc_end(const mr_record *r, mi_module *m) {
  return mr_module(r, m) ? m->members.p + m->members.n : NULL;
}

int mr_module(const mr_record *r, mi_module *m) {
  mi_header h;
  return mi_check(r->image, r->size, &h) && mi_module_of(h.desc, m);
}

const char *mr_name(const mr_record *r) {
  mi_module m;
  if (!mr_module(r, &m) || m.name.n == 0) return NULL;
  return mi_text(m.name);
}

const char *mr_comment(const mr_record *r) {
  mi_module m;
  if (!mr_module(r, &m)) return "";
  return mi_text(m.comment);
}

int mr_member_count(const mr_record *r) {
  mi_module m;
  mi_member x;
  int n = 0;
  if (!mr_module(r, &m)) return 0;
  mi_reader rd = mi_reader_of(m.members);
  while (mi_next_member(&rd, &x) == 1) n++;
  return n;
}

int mr_member_at(const mr_record *r, int i, mi_member *x) {
  mi_module m;
  if (i < 1 || !mr_module(r, &m)) return 0;
  mi_reader rd = mi_reader_of(m.members);
  while (mi_next_member(&rd, x) == 1)
    if (--i == 0) return 1;
  return 0;
}

int mr_member_named(const mr_record *r, const char *name, mi_member *x) {
  mi_module m;
  if (name == NULL || !mr_module(r, &m)) return 0;
  mi_reader rd = mi_reader_of(m.members);
  while (mi_next_member(&rd, x) == 1)
    if (strcmp(mi_text(x->name), name) == 0) return 1;
  return 0;
}

int mr_member_from(const mr_record *r, const uint8_t *at, mi_member *x) {
  mi_module m;
  const uint8_t *end = mr_desc_end(r, &m);
  if (end == NULL || at < m.members.p || at >= end) return 0;
  mi_reader rd = {at, end};
  return mi_next_member(&rd, x) == 1;
}

mr_record *mr_find(const char *name) {
  if (name == NULL) return NULL;
  for (mr_record *r = mr_head; r; r = r->next) {
    const char *n = mr_name(r);
    if (n && strcmp(n, name) == 0) return r;
  }
  return NULL;
}

int mr_count(void) {
  int n = 0;
  for (mr_record *r = mr_head; r; r = r->next) n++;
  return n;
}

mr_record *mr_nth(int i) {
  if (i < 1) return NULL;
  for (mr_record *r = mr_head; r; r = r->next)
    if (--i == 0) return r;
  return NULL;
}

mr_record *mr_owner(uint32_t addr) {
  for (mr_record *r = mr_head; r; r = r->next)
    if (mr_addr(r) == addr || mr_addr(r->image) == addr) return r;
  return NULL;
}

int mr_attach_source(const void *image, const char *text) {
  for (mr_record *r = mr_head; r; r = r->next) {
    if (r->image != image) continue;
    char *copy = NULL;
    if (text) {
      size_t n = strlen(text) + 1;
      copy = (char *)malloc(n);
      if (copy == NULL) return 0;
      memcpy(copy, text, n);
    }
    free(r->source);
    r->source = copy;
    return 1;
  }
  return 0;
}

size_t mr_string_room(const mr_record *r, const uint8_t *p) {
  mi_header h;
  mi_module mod;
  if (r == NULL || p == NULL || !mi_check(r->image, r->size, &h) ||
      !mi_module_of(h.desc, &mod))
    return 0;
  if (r->absolute) return strlen((const char *)p) + 1;
  if (p < r->image || p >= r->image + h.hdr) return 0;
  uint32_t at = mr_addr(p), end = mr_addr(r->image) + h.hdr;
  mi_reader rd = mi_reader_of(mod.members);
  mi_member x;
  while (mi_next_member(&rd, &x) == 1) {
    uint32_t a = mi_get32(x.addr);
    if (a > at && a < end) end = a;
  }
  return end - at;
}

int mr_context_flags(const mr_record *r) {
  mi_module m;
  int flags = 0;
  if (r == NULL || !mr_module(r, &m)) return 0;
  for (int i = 0; i < 3; i++)
    if (m.handler[i].n) flags |= 1 << i;
  return r->resolve ? flags | 8 : flags;
}

int mr_is_dll_name(const char *name) {
  size_t n = strlen(name);
  if (n < 4) return 0;
  const char *s = name + n - 4;
  return s[0] == '.' && tolower((unsigned char)s[1]) == 'd' &&
         tolower((unsigned char)s[2]) == 'l' && tolower((unsigned char)s[3]) == 'l';
}

static mr_record *mr_new(uint8_t *image, size_t size, int absolute) {
  mr_record *r = (mr_record *)calloc(1, sizeof *r);
  if (r == NULL) return NULL;
  r->image = image;
  r->size = size;
  r->absolute = absolute;
  return r;
}

static void mr_link(mr_record *r, int front) {
  if (front || mr_head == NULL) {
    r->next = mr_head;
    mr_head = r;
    return;
  }
  mr_record *t = mr_head;
  while (t->next) t = t->next;
  t->next = r;
}

mr_record *mr_add(uint8_t *image, size_t size, int front) {
  mi_header h;
  mi_module m;
  if (!mi_check(image, size, &h) || !mi_module_of(h.desc, &m)) return NULL;
  mr_record *r = mr_new(image, size, 1);
  if (r) mr_link(r, front);
  return r;
}

/* A required module by name: registered, or loaded as a DLL. */
static mr_record *mr_require(const char *name) {
  mr_record *r = mr_find(name);
  if (r || !mr_is_dll_name(name)) return r;
  std::vector<char> low(name, name + strlen(name) + 1);
  for (size_t i = low.size() - 5; i < low.size() - 1; i++)
    low[i] = (char)tolower((unsigned char)low[i]);
  r = mr_find(low.data());
  return r ? r : mr_ops.dll(low.data());
}

/* Bytes a variable of this kind occupies at its address. */
static uint32_t mr_width(uint8_t kind) {
  uint8_t t = kind & MI_TYPEMASK;
  if (t == MI_REAL) return 8;
  static const uint8_t w[8] = {4, 1, 2, 4, 4, 8, 8, 1};
  return w[t & MI_SIZEMASK];
}

/* A code word at `off' lies before the header. */
static int mr_in_code(const mi_header *h, uint32_t off, uint32_t width) {
  return off >= 6 && off <= h->hdr && h->hdr - off >= width;
}

struct mr_bind {
  uint8_t *slot;   /* where the address goes */
  uint32_t value;
};

struct mr_plan {
  uint8_t *img;
  mi_header h;
  mi_module m;
  std::vector<mr_record *> required;
  std::vector<mr_bind> binds;
};

static int mr_bad(const char *what) {
  mr_say("Malformed module image: %s\n", what, NULL);
  return 0;
}

static int mr_check_members(mr_plan *p) {
  mi_reader rd = mi_reader_of(p->m.members);
  mi_member x;
  int got;
  while ((got = mi_next_member(&rd, &x)) == 1) {
    mi_sig s;
    if (x.kind == 0 && !mi_sig_of(x.sig, &s)) return mr_bad("bad signature");
    uint32_t at = mi_get32(x.addr);
    if (!mr_in_code(&p->h, at, x.kind ? mr_width(x.kind) : 1))
      return mr_bad("member outside the code");
  }
  if (got < 0) return mr_bad("truncated member");
  for (int i = 0; i < 3; i++)
    if (p->m.handler[i].n == 4 &&
        !mr_in_code(&p->h, mi_get32(p->m.handler[i].p), 1))
      return mr_bad("handler outside the code");
  mi_reader rl = mi_reader_of(p->h.relocs);
  uint32_t off;
  while ((got = mi_next_reloc(&rl, &off)) == 1)
    if (!mr_in_code(&p->h, off, 4)) return mr_bad("relocation outside the code");
  return got < 0 ? mr_bad("truncated relocation") : 1;
}

/* Address of member `e' of required module `r', or 0 after a message. */
static int mr_lookup(mr_record *r, const char *modname, const mi_member *e,
                     uint32_t *addr) {
  const char *name = mi_text(e->name);
  if (r->resolve) {
    *addr = r->resolve(name);
    if (*addr) return 1;
    mr_say("No find member '%s' of module '%s'\n", name, modname);
    return 0;
  }
  mi_member x;
  if (!mr_member_named(r, name, &x)) {
    mr_say("No find member '%s' of module '%s'\n", name, modname);
    return 0;
  }
  if (x.kind != e->kind || !mi_same(x.sig, e->sig)) {
    mr_say("Wrong type of member '%s' of module '%s'", name, modname);
    return 0;
  }
  *addr = mi_get32(x.addr);
  return 1;
}

static int mr_plan_entries(mr_plan *p, mr_record *r, const mi_import *imp) {
  const char *modname = mi_text(imp->name);
  mi_reader rd = mi_reader_of(imp->entries);
  mi_member e;
  int got;
  while ((got = mi_next_member(&rd, &e)) == 1) {
    uint32_t addr, code = mi_get32(e.addr);
    if (code && !mr_in_code(&p->h, code, 4)) return mr_bad("import slot outside the code");
    if (!mr_lookup(r, modname, &e, &addr)) return 0;
    p->binds.push_back({e.addr, addr});
    if (code) p->binds.push_back({p->img + code, addr});
  }
  if (got < 0) return mr_bad("truncated import entry");
  mi_module rm;
  if (!mr_module(r, &rm)) return 0;
  for (int i = 0; i < 3; i++)
    if (imp->slot[i].n == 4 && rm.handler[i].n == 4)
      p->binds.push_back({(uint8_t *)imp->slot[i].p, mi_get32(rm.handler[i].p)});
  return 1;
}

static int mr_plan_imports(mr_plan *p) {
  mi_reader rd = mi_reader_of(p->h.imports);
  mi_import imp;
  int got;
  while ((got = mi_next_import(&rd, &imp)) == 1) {
    if (imp.name.n == 0) continue;
    const char *name = mi_text(imp.name);
    mr_record *r = mr_require(name);
    if (r == NULL) {
      mr_say("No find required module '%s'", name, NULL);
      return 0;
    }
    if (!mr_plan_entries(p, r, &imp)) return 0;
    p->required.push_back(r);
  }
  return got < 0 ? mr_bad("truncated import record") : 1;
}

static void mr_relocate(uint8_t *img, const mr_plan *p) {
  uint32_t base = mr_addr(img);
  mi_reader rd = mi_reader_of(p->m.members);
  mi_member x;
  while (mi_next_member(&rd, &x) == 1) mi_put32(x.addr, mi_get32(x.addr) + base);
  for (int i = 0; i < 3; i++)
    if (p->m.handler[i].n == 4) {
      uint8_t *h = (uint8_t *)p->m.handler[i].p;
      mi_put32(h, mi_get32(h) + base);
    }
}

static void mr_apply_relocs(uint8_t *img, const mr_plan *p) {
  uint32_t base = mr_addr(img), off;
  mi_reader rd = mi_reader_of(p->h.relocs);
  while (mi_next_reloc(&rd, &off) == 1) mi_put32(img + off, mi_get32(img + off) + base);
}

static mr_record *mr_commit(uint8_t *img, size_t size, mr_plan *p) {
  mr_record *r = mr_new(img, size, 0);
  size_t n = p->required.size();
  if (r == NULL) return NULL;
  if (n) {
    r->imports = (mr_record **)calloc(n, sizeof *r->imports);
    if (r->imports == NULL) {
      free(r);
      return NULL;
    }
    memcpy(r->imports, p->required.data(), n * sizeof *r->imports);
  }
  r->nimports = (int)n;
  for (size_t i = 0; i < n; i++) p->required[i]->users++;
  mr_relocate(img, p);
  for (const mr_bind &b : p->binds) mi_put32(b.slot, b.value);
  mr_link(r, 0);
  mr_apply_relocs(img, p);
  return r;
}

mr_record *mr_register(uint8_t *img, size_t size) {
  mr_plan p;
  p.img = img;
  if (!mi_check(img, size, &p.h)) return NULL;
  if (!mi_module_of(p.h.desc, &p.m)) {
    mr_bad("bad descriptor");
    return NULL;
  }
  if (!mr_check_members(&p)) return NULL;
  if (p.m.name.n && mr_find(mi_text(p.m.name))) {
    mr_say("Module with name '%s' already loaded. Unload it first.",
           mi_text(p.m.name), NULL);
    return NULL;
  }
  if (!mr_plan_imports(&p)) return NULL;
  return mr_commit(img, size, &p);
}

void mr_reset(void) {
  while (mr_head) {
    mr_record *r = mr_head;
    mr_head = r->next;
    free(r->imports);
    free(r->source);
    free(r);
  }
}
