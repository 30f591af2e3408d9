/*
** Reading module images. Every function takes its bounds from a span and
** fails instead of reading beyond them.
*/
#include "native/modules/mod_image.h"

#include <string.h>

mi_reader mi_reader_of(mi_span s) {
  mi_reader r = {s.p, s.p + s.n};
  return r;
}

int mi_vnum(mi_reader *r, uint32_t *v) {
  if (r->p >= r->end) return 0;
  size_t extra = r->p[0] & 3;
  if ((size_t)(r->end - r->p) < extra + 1) return 0;
  uint32_t x = r->p[0] >> 2;
  for (size_t i = 1; i <= extra; i++) x += (uint32_t)r->p[i] << (6 + 8 * (i - 1));
  r->p += extra + 1;
  *v = x;
  return 1;
}

int mi_item(mi_reader *r, mi_span *s) {
  mi_reader save = *r;
  uint32_t n;
  if (!mi_vnum(r, &n) || (size_t)(r->end - r->p) < n) {
    *r = save;
    return 0;
  }
  s->p = r->p;
  s->n = n;
  r->p += n;
  return 1;
}

uint32_t mi_get32(const uint8_t *p) {
  return (uint32_t)p[0] | (uint32_t)p[1] << 8 | (uint32_t)p[2] << 16 |
         (uint32_t)p[3] << 24;
}

void mi_put32(uint8_t *p, uint32_t v) {
  for (int i = 0; i < 4; i++) p[i] = (uint8_t)(v >> (8 * i));
}

int mi_check(const uint8_t *img, size_t size, mi_header *h) {
  if (img == NULL || size < 6 || img[0] != MI_JMP) return 0;
  uint32_t hdr = mi_get32(img + 2);
  if (hdr == 0 || hdr > size || size - hdr < 4) return 0;
  if (mi_get32(img + hdr) != MI_SIGNATURE) return 0;
  mi_span rest = {img + hdr + 4, size - hdr - 4};
  mi_reader r = mi_reader_of(rest);
  h->hdr = hdr;
  return mi_item(&r, &h->desc) && mi_item(&r, &h->relocs) &&
         mi_item(&r, &h->imports);
}

int mi_is_text(mi_span s) {
  if (s.n == 0) return 1;
  return s.p[s.n - 1] == 0 && memchr(s.p, 0, s.n) == s.p + s.n - 1;
}

const char *mi_text(mi_span s) {
  return s.n ? (const char *)s.p : "";
}

int mi_module_of(mi_span desc, mi_module *m) {
  mi_reader r = mi_reader_of(desc);
  if (!mi_item(&r, &m->name) || !mi_item(&r, &m->comment)) return 0;
  for (int i = 0; i < 3; i++)
    if (!mi_item(&r, &m->handler[i])) return 0;
  if (!mi_is_text(m->name) || !mi_is_text(m->comment)) return 0;
  for (int i = 0; i < 3; i++)
    if (m->handler[i].n != 0 && m->handler[i].n != 4) return 0;
  m->members.p = r.p;
  m->members.n = (size_t)(r.end - r.p);
  return 1;
}

int mi_next_member(mi_reader *r, mi_member *m) {
  if (r->p >= r->end) return 0;
  mi_reader save = *r;
  m->at = r->p;
  if (!mi_item(r, &m->name) || !mi_item(r, &m->comment) || r->p >= r->end)
    goto bad;
  m->kind = *r->p++;
  if (!mi_item(r, &m->sig) || r->end - r->p < 4) goto bad;
  if (!mi_is_text(m->name) || !mi_is_text(m->comment)) goto bad;
  m->addr = (uint8_t *)r->p;
  r->p += 4;
  return 1;
bad:
  *r = save;
  return -1;
}

int mi_next_import(mi_reader *r, mi_import *imp) {
  if (r->p >= r->end) return 0;
  mi_span rec;
  if (!mi_item(r, &rec)) return -1;
  mi_reader in = mi_reader_of(rec);
  if (!mi_item(&in, &imp->name) || !mi_is_text(imp->name)) return -1;
  if (imp->name.n == 0) {   /* skipped record: nothing else is read */
    imp->entries.p = rec.p + rec.n;
    imp->entries.n = 0;
    return 1;
  }
  if (!mi_item(&in, &imp->extra)) return -1;
  for (int i = 0; i < 3; i++)
    if (!mi_item(&in, &imp->slot[i]) ||
        (imp->slot[i].n != 0 && imp->slot[i].n != 4))
      return -1;
  imp->entries.p = in.p;
  imp->entries.n = (size_t)(in.end - in.p);
  return 1;
}

int mi_next_reloc(mi_reader *r, uint32_t *offset) {
  if (r->p >= r->end) return 0;
  return mi_vnum(r, offset) ? 1 : -1;
}

int mi_sig_of(mi_span s, mi_sig *sig) {
  mi_reader r = mi_reader_of(s);
  memset(sig, 0, sizeof *sig);
  if (s.n == 0) return 1;
  if (!mi_vnum(&r, &sig->nparams) || (size_t)(r.end - r.p) < sig->nparams)
    return 0;
  sig->params = r.p;
  r.p += sig->nparams;
  if (!mi_vnum(&r, &sig->nresults) || (size_t)(r.end - r.p) < sig->nresults)
    return 0;
  sig->results = r.p;
  return 1;
}

int mi_same(mi_span a, mi_span b) {
  return a.n == b.n && (a.n == 0 || memcmp(a.p, b.p, a.n) == 0);
}

/* Bounded text output: keeps writing into a cut buffer. */
struct mi_out {
  char *p;
  size_t n, cap;
};

static void out_char(mi_out *o, char c) {
  if (o->n + 1 < o->cap) o->p[o->n++] = c;
}

static void out_type(mi_out *o, uint8_t t) {
  t &= MI_TYPEMASK;
  if (t == MI_REAL) {
    out_char(o, 'r');
    return;
  }
  out_char(o, (t & MI_SIGNED) ? 's' : 'u');
  static const char size_letter[8] = {0, 'b', 'w', 'd', 0, 'q', 'q', 's'};
  char c = size_letter[t & MI_SIZEMASK];
  if (c) out_char(o, c);
}

static void out_list(mi_out *o, const uint8_t *types, uint32_t n) {
  out_char(o, ':');
  for (uint32_t i = 0; i < n; i++) {
    if (i) out_char(o, ',');
    out_type(o, types[i]);
  }
}

size_t mi_typetext(uint8_t kind, mi_span sig, char *out, size_t cap) {
  mi_out o = {out, 0, cap};
  if (cap == 0) return 0;
  if (kind != 0) {
    out_type(&o, kind);
  } else {
    mi_sig s;
    out_char(&o, 'f');
    if (sig.n && mi_sig_of(sig, &s)) {
      out_list(&o, s.params, s.nparams);
      out_list(&o, s.results, s.nresults);
    }
    out_char(&o, ';');
  }
  out[o.n] = 0;
  return o.n;
}

const char *mi_access(uint8_t kind) {
  if (kind == 0) return "x";
  static const char *const names[4] = {"", "r", "w", "rw"};
  return names[((kind & MI_READ) ? 1 : 0) | ((kind & MI_WRITE) ? 2 : 0)];
}
