/*
** das_decode.cpp: the table walk. Every byte goes through das_next, which
** refuses a seventeenth byte and any byte beyond the caller's buffer.
*/
#include "native/das386/das_internal.h"

#include <stdio.h>
#include <string.h>

static int das_next(das_state *s, int *b) {
  if (s->n >= DAS_MAXLEN) return DAS_TOOLONG;
  if ((size_t)s->n >= s->avail) return DAS_TRUNCATED;
  *b = s->code[s->n++];
  return DAS_OK;
}

/* n little-endian bytes. */
static int das_bytes(das_state *s, int n, uint32_t *v) {
  uint32_t x = 0;
  for (int i = 0; i < n; i++) {
    int b, st = das_next(s, &b);
    if (st) return st;
    x |= (uint32_t)b << (8 * i);
  }
  *v = x;
  return DAS_OK;
}

static uint32_t das_sext8(uint32_t v) { return (uint32_t)(int32_t)(int8_t)v; }
static uint32_t das_sext16(uint32_t v) { return (uint32_t)(int32_t)(int16_t)v; }

/* 16-bit forms: r/m selects base and index; 3 = BX, 5 = BP, 6 = SI, 7 = DI.
   SI or DI alone is a base, so it reads [SI + 0x0] rather than [SI*1 + 0x0]. */
static const signed char das_base16[8] = {3, 3, 5, 5, 6, 7, 5, 3};
static const signed char das_index16[8] = {6, 7, 6, 7, -1, -1, -1, -1};

static int das_addr16(das_state *s) {
  s->base = das_base16[s->rm];
  s->index = das_index16[s->rm];
  s->scale = 0;
  if (s->mod == 0 && s->rm == 6) {
    s->base = -1;
    return das_bytes(s, 2, &s->disp);
  }
  if (s->mod == 1) {
    int st = das_bytes(s, 1, &s->disp);
    s->disp = das_sext8(s->disp);
    return st;
  }
  if (s->mod == 2) {
    int st = das_bytes(s, 2, &s->disp);
    s->disp = das_sext16(s->disp);
    return st;
  }
  return DAS_OK;
}

static int das_addr32(das_state *s) {
  int base = s->rm;
  if (s->rm == 4) {
    int sib, st = das_next(s, &sib);
    if (st) return st;
    s->scale = sib >> 6;
    s->index = s->sibindex = (sib >> 3) & 7;
    if (s->index == 4) s->index = -1;
    base = sib & 7;
  }
  s->base = base;
  if (s->mod == 0 && base == 5) {
    s->base = -1;
    return das_bytes(s, 4, &s->disp);
  }
  if (s->mod == 1) {
    int st = das_bytes(s, 1, &s->disp);
    s->disp = das_sext8(s->disp);
    return st;
  }
  if (s->mod == 2) return das_bytes(s, 4, &s->disp);
  return DAS_OK;
}

/* ModRM and whatever addressing bytes follow it; read once per instruction
   (a group's entry may name a ModRM kind again to check it). */
static int das_modrm(das_state *s) {
  if (s->have_modrm) return DAS_OK;
  int b, st = das_next(s, &b);
  if (st) return st;
  s->have_modrm = 1;
  s->modrm = b;
  s->mod = b >> 6;
  s->reg = (b >> 3) & 7;
  s->rm = b & 7;
  if (s->mod == 3) return DAS_OK;
  return s->adsize == 16 ? das_addr16(s) : das_addr32(s);
}

static int das_opsized(das_state *s, uint32_t *v) {
  return das_bytes(s, s->size == 'L' ? 4 : 2, v);
}

/* Kinds that read operands and stay in the current entry. */
static int das_operand(das_state *s, int kind) {
  int st;
  switch (kind) {
  case DK_IMM8: return das_bytes(s, 1, &s->imm);
  case DK_IMM8S:
    st = das_bytes(s, 1, &s->imm);
    s->imm = das_sext8(s->imm);
    if (s->size != 'L') s->imm &= 0xFFFF;
    return st;
  case DK_REL8:
    st = das_bytes(s, 1, &s->imm);
    s->imm = das_sext8(s->imm);
    s->flags |= DAS_FRELATIVE;
    return st;
  case DK_IMM16: return das_bytes(s, 2, &s->imm);
  case DK_IMM2: return das_bytes(s, 1, &s->imm2);
  case DK_IMMV: return das_opsized(s, &s->imm);
  case DK_OFFSET: return das_bytes(s, s->adsize == 32 ? 4 : 2, &s->disp);
  case DK_RELV:
    st = das_opsized(s, &s->imm);
    if (s->size != 'L') s->imm = das_sext16(s->imm);
    s->flags |= DAS_FRELATIVE;
    return st;
  case DK_MODRM: return das_modrm(s);
  case DK_MODRMB:
    s->size = 'B';
    return das_modrm(s);
  case DK_REGONLY:
    st = das_modrm(s);
    return st ? st : s->mod == 3 ? DAS_OK : DAS_NOTREG;
  case DK_MEMONLY:
    st = das_modrm(s);
    return st ? st : s->mod != 3 ? DAS_OK : DAS_NOTMEM;
  case DK_FST0: return s->rm == 0 ? DAS_OK : DAS_UNDEFINED;
  case DK_FST1: return s->rm == 1 ? DAS_OK : DAS_UNDEFINED;
  case DK_INDIRECT: s->flags |= DAS_FINDIRECT; return DAS_OK;
  case DK_RETURN: s->flags |= DAS_FRETURN; return DAS_OK;
  case DK_LIT0A: {
    int b;
    st = das_next(s, &b);
    return st ? st : b == 0x0A ? DAS_OK : DAS_UNDEFINED;
  }
  case DK_FAR:
    st = das_opsized(s, &s->disp);
    return st ? st : das_bytes(s, 2, &s->farseg);
  case DK_VL0: return s->vl == 0 ? DAS_OK : DAS_UNDEFINED;
  case DK_VL1: return s->vl == 1 ? DAS_OK : DAS_UNDEFINED;
  case DK_W0: return s->vw == 0 ? DAS_OK : DAS_UNDEFINED;
  case DK_W1: return s->vw == 1 ? DAS_OK : DAS_UNDEFINED;
  case DK_VSIB: {
    /* destination, mask and index must be three different registers */
    if ((st = das_modrm(s))) return st;
    int v = s->vvvv & 7;
    if (s->mod == 3 || s->rm != 4 || s->adsize != 32) return DAS_UNDEFINED;
    return s->reg != v && s->reg != s->sibindex && v != s->sibindex ? DAS_OK : DAS_UNDEFINED;
  }
  }
  return DAS_BADKIND;
}

/* Kinds that move to another entry: sets *e and returns DAS_OK. */
static int das_switch(das_state *s, const das_entry *table, int kind,
                      const das_entry **e) {
  const das_entry *cur = *e;
  int st, b;
  switch (kind) {
  case DK_GROUPB: s->size = 'B'; /* fall through */
  case DK_GROUP:
    if ((st = das_modrm(s))) return st;
    *e = &cur->next[s->reg];
    return DAS_OK;
  case DK_FGROUP:
    if ((st = das_modrm(s))) return st;
    *e = &cur->next[s->mod == 3 ? 8 + s->reg : s->reg];
    return DAS_OK;
  case DK_FGROUPX:
    if ((st = das_modrm(s))) return st;
    *e = &cur->next[s->mod == 3 ? 8 + (s->modrm & 0x3F) : s->reg];
    return DAS_OK;
  case DK_ESCAPE:
    if ((st = das_next(s, &b))) return st;
    *e = &cur->next[b];
    return DAS_OK;
  case DK_MANDATORY: {
    /* F3/F2 outrank 66; a consumed F3/F2 is part of the opcode, not a prefix */
    int at = s->vex ? s->vpp : s->rep ? s->rep : s->op66;
    if (at >= 2 && !s->vex) s->prefix = nullptr;
    *e = &cur->next[at];
    return DAS_OK;
  }
  case DK_VEXW: *e = &cur->next[s->vw]; return DAS_OK;
  case DK_VEXL: *e = &cur->next[s->vl]; return DAS_OK;
  case DK_MODSEL:
    if ((st = das_modrm(s))) return st;
    *e = &cur->next[s->mod == 3];
    return DAS_OK;
  case DK_PREFIX:
    s->prefix = cur->text;
    b = s->code[s->n - 1];
    if (b == 0xF0) s->lock = 1;
    else s->rep = b == 0xF3 ? 2 : 3;
    break;
  case DK_SEGMENT: s->segment = cur->text; break;
  case DK_OPSIZE: s->size = 'W'; s->op66 = 1; break;
  case DK_ADSIZE: s->adsize = 16; break;
  }
  if ((st = das_next(s, &b))) return st;
  *e = &table[b];
  return DAS_OK;
}

/* Kinds that move to another entry, as a bit set (one test per kind). */
static const uint64_t das_switch_set =
    1ull << DK_GROUP | 1ull << DK_GROUPB | 1ull << DK_FGROUP | 1ull << DK_FGROUPX |
    1ull << DK_ESCAPE | 1ull << DK_PREFIX | 1ull << DK_SEGMENT | 1ull << DK_OPSIZE |
    1ull << DK_ADSIZE | 1ull << DK_MANDATORY | 1ull << DK_VEXW | 1ull << DK_VEXL |
    1ull << DK_MODSEL;

static int das_switches(int kind) { return (das_switch_set >> kind) & 1; }

/* C4 and C5 are LES and LDS unless the next byte has mod 3: then they start
   a VEX prefix (3 or 2 bytes) and the opcode indexes a VEX map. *sw tells
   whether the walk moved to a new entry. */
static int das_vex(das_state *s, const das_entry **e, int *sw) {
  *sw = 0;
  if (s->n >= DAS_MAXLEN) return DAS_TOOLONG;
  if ((size_t)s->n >= s->avail) return DAS_TRUNCATED;
  if ((s->code[s->n] >> 6) != 3) return DAS_OK;
  int three = s->code[s->n - 1] == 0xC4, b, st, map = 1;
  if (s->op66 || s->rep || s->lock) return DAS_UNDEFINED;
  if ((st = das_next(s, &b))) return st;
  if (three) {
    map = b & 31;
    if ((st = das_next(s, &b))) return st;
    s->vw = b >> 7;
  }
  s->vex = 1;
  s->vvvv = (~b >> 3) & 15;
  s->vl = (b >> 2) & 1;
  s->vpp = b & 3;
  if ((st = das_next(s, &b))) return st;
  if (map < 1 || map > 3) return DAS_UNDEFINED;
  *e = &das_vex_map.e[map - 1][b];
  *sw = 1;
  return DAS_OK;
}

/* A VEX instruction that names no vvvv register must leave the field 1111. */
static int das_vvvv_used(const char *t) {
  for (; *t; t++)
    if (t[0] == '%' && (t[1] == 'v' || t[1] == 'u' || t[1] == 'V')) return 1;
  return 0;
}

/* Walks the tables to the entry whose text is the instruction's format. */
static int das_walk(das_state *s, const das_entry *table,
                    const das_entry **found, int *badkind) {
  int b, st = das_next(s, &b);
  if (st) return st;
  const das_entry *e = &table[b];
again:
  if (!e->text && !e->next) return DAS_UNDEFINED;
  for (int i = 0; i < DAS_KINDS; i++) {
    int k = e->kind[i];
    if (k == DK_NONE) break;
    if (k > DK_LAST) {
      *badkind = k;
      return DAS_BADKIND;
    }
    if (k == DK_VEX) {
      int sw;
      if ((st = das_vex(s, &e, &sw))) return st;
      if (sw) goto again;
      continue;
    }
    if (das_switches(k)) {
      if (!e->next && (k < DK_PREFIX || k > DK_ADSIZE)) {  /* a table kind without its table */
        *badkind = k;
        return DAS_BADKIND;
      }
      if ((st = das_switch(s, table, k, &e))) return st;
      goto again;
    }
    if ((st = das_operand(s, k))) return st;
  }
  if (!e->text) return DAS_UNDEFINED;
  if (s->vex && s->vvvv && !das_vvvv_used(e->text)) return DAS_UNDEFINED;
  *found = e;
  return DAS_OK;
}

static void das_error(const das_state *s, int st, int badkind, das_result *r) {
  char *p = r->error;
  switch (st) {
  case DAS_TOOLONG: snprintf(p, DAS_ERRLEN, "instruction too long"); break;
  case DAS_NOTREG: snprintf(p, DAS_ERRLEN, "invalid R/M register: %x", s->modrm); break;
  case DAS_NOTMEM: snprintf(p, DAS_ERRLEN, "invalid R/M memory mode: %x", s->modrm); break;
  case DAS_BADKIND: snprintf(p, DAS_ERRLEN, "bad operand type %d", badkind); break;
  case DAS_TRUNCATED: snprintf(p, DAS_ERRLEN, "instruction truncated after %d bytes", s->n); break;
  case DAS_UNDEFINED: {
    int len = snprintf(p, DAS_ERRLEN, "opcode: ??");
    for (int i = 0; i < s->n; i++)
      len += snprintf(p + len, DAS_ERRLEN - len, "%02x", s->code[i]);
    snprintf(p + len, DAS_ERRLEN - len, "??");
    break;
  }
  }
}

int das_decode_with(const das_entry *table, const unsigned char *code,
                    size_t avail, uint32_t start, das_result *r) {
  /* field by field: a block clear of the state costs a third of the walk */
  das_state s;
  s.code = code;
  s.avail = avail;
  s.start = start;
  s.n = 0;
  s.prefix = s.segment = nullptr;
  s.size = 'L';
  s.adsize = 32;
  s.have_modrm = s.modrm = s.mod = s.reg = s.rm = 0;
  s.scale = s.sibindex = 0;
  s.index = s.base = -1;
  s.imm = s.imm2 = s.disp = s.farseg = 0;
  s.flags = 0;
  s.op66 = s.rep = s.lock = 0;
  s.vex = s.vvvv = s.vl = s.vw = s.vpp = 0;
  /* the texts are read up to their NUL: clearing all of them costs more than
     the decoding of a short instruction */
  r->status = DAS_OK;
  r->flags = 0;
  r->target = 0;
  r->text[0] = r->error[0] = 0;
  const das_entry *e = nullptr;
  int badkind = 0;
  int st = das_walk(&s, table, &e, &badkind);
  r->used = s.n;
  if (st) {
    r->status = st;
    r->length = -1;
    das_error(&s, st, badkind, r);
    return -1;
  }
  r->length = s.n;
  r->flags = s.flags;
  if (s.flags & DAS_FRELATIVE) r->target = start + (uint32_t)s.n + s.imm;
  das_format(&s, e->text, r->text);
  return s.n;
}

int das_decode(const unsigned char *code, size_t avail, uint32_t start,
               das_result *r) {
  return das_decode_with(das_one, code, avail, start, r);
}
