/*
** das_format.cpp: expands a format text's % verbs into the instruction's
** text. Output stops, NUL-terminated, when the buffer is full.
*/
#include "native/das386/das_internal.h"

#include <string.h>

static const char *const das_word[8] = {"AX", "CX", "DX", "BX", "SP", "BP", "SI", "DI"};
static const char *const das_byte[8] = {"AL", "CL", "DL", "BL", "AH", "CH", "DH", "BH"};
static const char *const das_mmx[8] = {"M0", "M1", "M2", "M3", "M4", "M5", "M6", "M7"};
static const char *const das_xmm[8] = {"X0", "X1", "X2", "X3", "X4", "X5", "X6", "X7"};
static const char *const das_ymm[8] = {"Y0", "Y1", "Y2", "Y3", "Y4", "Y5", "Y6", "Y7"};
static const char *const das_sreg[8] = {"ES", "CS", "SS", "DS", "FS", "GS", "???", "???"};

/* The text is built in a scratch buffer without a bound check per
   character: no verb writes more than DAS_VERBMAX, and no verb starts past
   DAS_SCRATCH - DAS_VERBMAX. The result is cut to DAS_TEXTLEN after. */
enum { DAS_VERBMAX = 64, DAS_SCRATCH = 4 * DAS_TEXTLEN };

struct das_out {
  char *p;
  int len;
};

static void das_put(das_out *o, const char *t) {
  while (*t) o->p[o->len++] = *t++;
}

/* 0x and upper-case digits, no leading zeros. */
static void das_hex(das_out *o, uint32_t v) {
  int n = 1;
  while (n < 8 && (v >> (4 * n)) != 0) n++;
  char *p = o->p + o->len;
  p[0] = '0';
  p[1] = 'x';
  for (int i = n - 1; i >= 0; i--, v >>= 4) p[2 + i] = "0123456789ABCDEF"[v & 15];
  o->len += 2 + n;
}

static const char *das_regname(const das_state *s, int r) {
  return s->size == 'B' ? das_byte[r] : das_word[r];
}

static void das_scaled(const das_state *s, das_out *o) {
  char b[4] = {'*', (char)('0' + (1 << s->scale)), 0, 0};
  das_put(o, das_word[s->index]);
  das_put(o, b);
}

/* "[base + " of a memory operand, or "[" without a base. */
static void das_open(const das_state *s, das_out *o) {
  das_put(o, "[");
  if (s->base >= 0) {
    das_put(o, das_word[s->base]);
    das_put(o, " + ");
  }
}

/* The signed displacement and "]". */
static void das_close(const das_state *s, das_out *o) {
  if ((int32_t)s->disp < 0) {
    das_put(o, "-");
    das_hex(o, 0u - s->disp);
  } else {
    das_hex(o, s->disp);
  }
  das_put(o, "]");
}

/* Memory operand of ModRM. */
static void das_memory(const das_state *s, das_out *o) {
  if (s->segment) das_put(o, s->segment);
  if (s->adsize == 32 && s->base == 4) {
    das_put(o, "[SP+");
    das_hex(o, s->disp);
    das_put(o, "]");
    if (s->index >= 0) {
      das_put(o, "(");
      das_scaled(s, o);
      das_put(o, ")");
    }
    return;
  }
  das_open(s, o);
  if (s->index >= 0) {
    das_scaled(s, o);
    das_put(o, " + ");
  }
  das_close(s, o);
}

/* name and a digit 0-7, or ??? when not ok. */
static void das_numbered(das_out *o, const char *name, int n, int ok) {
  char b[2] = {(char)('0' + n), 0};
  if (!ok) {
    das_put(o, "???");
    return;
  }
  das_put(o, name);
  das_put(o, b);
}

/* r/m as a register of the given list, or the memory operand. */
static void das_rm(const das_state *s, const char *const *names, das_out *o) {
  if (s->mod == 3) das_put(o, names[s->rm]);
  else das_memory(s, o);
}

/* Memory with a vector index (gathers): [base + X3*4 + disp]. */
static void das_vsib(const das_state *s, const char *const *names, das_out *o) {
  char b[4] = {'*', (char)('0' + (1 << s->scale)), 0, 0};
  if (s->segment) das_put(o, s->segment);
  das_open(s, o);
  das_put(o, names[s->sibindex]);
  das_put(o, b);
  das_put(o, " + ");
  das_close(s, o);
}

static void das_verb(const das_state *s, char c, das_out *o) {
  const char *const *vec = s->vl ? das_ymm : das_xmm;
  char b[3] = {'%', c, 0};
  switch (c) {
  case '%': das_put(o, "%"); break;
  case 'S': b[0] = s->size; b[1] = 0; das_put(o, b); break;
  case 'r': das_put(o, das_regname(s, s->reg)); break;
  case 'R': das_put(o, das_word[s->reg]); break;
  case 'e':
    if (s->mod == 3) das_put(o, das_regname(s, s->rm));
    else das_memory(s, o);
    break;
  case 'E':
    if (s->segment) das_put(o, s->segment);
    das_put(o, "[");
    das_hex(o, s->disp);
    das_put(o, "]");
    break;
  case 'i': das_put(o, "$"); das_hex(o, s->imm); break;
  case 'I': das_put(o, "$"); das_hex(o, s->imm2); break;
  case 'p': das_hex(o, s->start + (uint32_t)s->n + s->imm); break;
  case 'd': das_hex(o, s->farseg); das_put(o, ":"); das_hex(o, s->disp); break;
  case 'g': das_put(o, das_sreg[s->reg]); break;
  case 'C': das_numbered(o, "CR", s->reg, 1); break;
  case 'D': das_numbered(o, "DR", s->reg, s->reg < 4 || s->reg > 5); break;
  case 'T': das_numbered(o, "TR", s->reg, s->reg > 5); break;
  case 'f': das_numbered(o, "F", s->rm, 1); break;
  case 'X': das_put(o, s->size == 'L' ? "CWDE" : "CBW"); break;
  case 'x': das_put(o, s->size == 'L' ? "CDQ" : "CWD"); break;
  case 'O': case 'A': break;
  case 'm': das_put(o, das_mmx[s->reg]); break;
  case 'M': das_rm(s, das_mmx, o); break;
  case 'q': das_put(o, das_xmm[s->reg]); break;
  case 'Q': das_rm(s, das_xmm, o); break;
  case 'y': das_put(o, vec[s->reg]); break;
  case 'Y': das_rm(s, vec, o); break;
  case 'v': das_put(o, vec[s->vvvv & 7]); break;
  case 'u': das_put(o, das_xmm[s->vvvv & 7]); break;
  case 'V': das_put(o, das_word[s->vvvv & 7]); break;
  case 'Z': das_put(o, vec[(s->imm >> 4) & 7]); break;
  case 'w': das_put(o, s->vw ? "D" : "S"); break;
  case 'G': das_vsib(s, vec, o); break;
  case 'H': das_vsib(s, das_xmm, o); break;
  case 'W': das_put(o, s->vw ? "Q" : "D"); break;
  default: das_put(o, b); break;
  }
}

void das_format(const das_state *s, const char *fmt, char *out) {
  char buf[DAS_SCRATCH];
  das_out o = {buf, 0};
  if (s->prefix) {
    das_put(&o, s->prefix);
    das_put(&o, " ");
  }
  for (const char *f = fmt; *f && o.len < DAS_SCRATCH - DAS_VERBMAX; f++) {
    if (*f != '%')
      buf[o.len++] = *f;
    else if (f[1])
      das_verb(s, *++f, &o);
    else
      buf[o.len++] = '%';
  }
  int n = o.len < DAS_TEXTLEN - 1 ? o.len : DAS_TEXTLEN - 1;
  memcpy(out, buf, (size_t)n);
  out[n] = 0;
}
