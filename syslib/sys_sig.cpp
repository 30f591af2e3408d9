/*
** sys_sig.cpp: the signature parser and the number conversions. A type is
** one to three words (`unsigned long long`), optionally `const`, and any
** type followed by `*` is a pointer.
*/
#include "syslib/sys_sig.h"

#include <ctype.h>
#include <math.h>
#include <stdio.h>
#include <string.h>

static const struct {
  const char *name;
  uint8_t type;
} sys_names[] = {
  {"void", SYS_VOID},
  {"i8", SYS_I8}, {"int8_t", SYS_I8}, {"char", SYS_I8}, {"signed char", SYS_I8},
  {"u8", SYS_U8}, {"uint8_t", SYS_U8}, {"unsigned char", SYS_U8}, {"BYTE", SYS_U8},
  {"i16", SYS_I16}, {"int16_t", SYS_I16}, {"short", SYS_I16},
  {"short int", SYS_I16}, {"signed short", SYS_I16}, {"SHORT", SYS_I16},
  {"u16", SYS_U16}, {"uint16_t", SYS_U16}, {"unsigned short", SYS_U16},
  {"unsigned short int", SYS_U16}, {"WORD", SYS_U16}, {"wchar_t", SYS_U16},
  {"i32", SYS_I32}, {"int32_t", SYS_I32}, {"int", SYS_I32}, {"signed", SYS_I32},
  {"signed int", SYS_I32}, {"long", SYS_I32}, {"long int", SYS_I32},
  {"signed long", SYS_I32}, {"BOOL", SYS_I32}, {"LONG", SYS_I32},
  {"INT", SYS_I32}, {"LPARAM", SYS_I32}, {"LRESULT", SYS_I32},
  {"u32", SYS_U32}, {"uint32_t", SYS_U32}, {"unsigned", SYS_U32},
  {"unsigned int", SYS_U32}, {"unsigned long", SYS_U32},
  {"unsigned long int", SYS_U32}, {"size_t", SYS_U32}, {"DWORD", SYS_U32},
  {"UINT", SYS_U32}, {"ULONG", SYS_U32}, {"WPARAM", SYS_U32},
  {"i64", SYS_I64}, {"int64_t", SYS_I64}, {"long long", SYS_I64},
  {"long long int", SYS_I64}, {"signed long long", SYS_I64},
  {"__int64", SYS_I64}, {"LONGLONG", SYS_I64},
  {"u64", SYS_U64}, {"uint64_t", SYS_U64}, {"unsigned long long", SYS_U64},
  {"unsigned long long int", SYS_U64}, {"unsigned __int64", SYS_U64},
  {"ULONGLONG", SYS_U64},
  {"float", SYS_FLOAT}, {"double", SYS_DOUBLE},
  {"pointer", SYS_POINTER}, {"HANDLE", SYS_POINTER}, {"HWND", SYS_POINTER},
  {"HMODULE", SYS_POINTER}, {"LPVOID", SYS_POINTER},
  {"string", SYS_STRING}, {"buffer", SYS_BUFFER},
};

static const char *const sys_short[] = {
  "void", "i8", "u8", "i16", "u16", "i32", "u32", "i64", "u64",
  "float", "double", "pointer", "string", "buffer"};

const char *sys_type_name(int t) {
  return t >= 0 && t <= SYS_BUFFER ? sys_short[t] : "?";
}

int sys_type_size(int t) {
  static const uint8_t size[] = {0, 1, 1, 2, 2, 4, 4, 8, 8, 4, 8, 4, 4, 4};
  return t >= 0 && t <= SYS_BUFFER ? size[t] : 0;
}

int sys_type_words(int t) { return (sys_type_size(t) + 3) / 4; }

struct sys_scan {
  const char *at, *start;
  char *why;
  size_t whysize;
};

static int sys_bad(struct sys_scan *p, const char *what) {
  snprintf(p->why, p->whysize, "%s at position %d", what,
           (int)(p->at - p->start) + 1);
  return -1;
}

static void sys_blanks(struct sys_scan *p) {
  while (isspace((unsigned char)*p->at)) p->at++;
}

static int sys_isname(int c) { return isalnum(c) || c == '_'; }

/* One type: its code, or -1 with the reason set. */
static int sys_type_at(struct sys_scan *p) {
  char name[64];
  size_t len = 0;
  int words = 0;
  const char *begin;
  sys_blanks(p);
  begin = p->at;
  while (sys_isname((unsigned char)*p->at)) {
    const char *w = p->at;
    while (sys_isname((unsigned char)*p->at)) p->at++;
    size_t wl = (size_t)(p->at - w);
    if (wl == 5 && memcmp(w, "const", 5) == 0) {   /* no meaning for a call */
      sys_blanks(p);
      continue;
    }
    if (len + wl + 2 > sizeof name || ++words > 4) {
      p->at = begin;
      return sys_bad(p, "type name too long");
    }
    if (len) name[len++] = ' ';
    memcpy(name + len, w, wl);
    len += wl;
    sys_blanks(p);
  }
  name[len] = '\0';
  if (len == 0) return sys_bad(p, "a type expected");
  int stars = 0;
  while (*p->at == '*') {
    p->at++;
    stars++;
    sys_blanks(p);
  }
  for (size_t i = 0; i < sizeof sys_names / sizeof sys_names[0]; i++)
    if (strcmp(sys_names[i].name, name) == 0)
      return stars ? (int)SYS_POINTER : (int)sys_names[i].type;
  const char *at = p->at;
  p->at = begin;
  char what[96];
  snprintf(what, sizeof what, "unknown type '%s'", name);
  sys_bad(p, what);
  p->at = at;
  return -1;
}

static int sys_list(struct sys_scan *p, struct sys_sig *s) {
  sys_blanks(p);
  if (*p->at == ')') return 1;
  for (;;) {
    sys_blanks(p);
    const char *begin = p->at;
    int t = sys_type_at(p);
    if (t < 0) return 0;
    if (t == SYS_VOID) {
      sys_blanks(p);
      if (s->n == 0 && *p->at == ')') return 1;   /* f(void) */
      p->at = begin;
      sys_bad(p, "'void' is not an argument type");
      return 0;
    }
    if (s->n == SYS_SIG_MAXARGS) {
      p->at = begin;
      sys_bad(p, "more than 32 arguments");
      return 0;
    }
    s->args[s->n++] = (uint8_t)t;
    s->words = (uint8_t)(s->words + sys_type_words(t));
    if (*p->at == ')') return 1;
    if (*p->at != ',') {
      sys_bad(p, "',' or ')' expected");
      return 0;
    }
    p->at++;
  }
}

int sys_sig_parse(const char *text, const char *conv, struct sys_sig *s,
                  char *why, size_t whysize) {
  struct sys_scan p = {text, text, why, whysize};
  memset(s, 0, sizeof *s);
  if (why && whysize) why[0] = '\0';
  if (conv == NULL || strcmp(conv, "stdcall") == 0) {
    s->conv = SYS_STDCALL;
  } else if (strcmp(conv, "cdecl") == 0) {
    s->conv = SYS_CDECL;
  } else {
    snprintf(why, whysize, "unknown calling convention '%s' (stdcall or cdecl)",
             conv);
    return 0;
  }
  int t = sys_type_at(&p);
  if (t < 0) return 0;
  if (t == SYS_BUFFER) {
    p.at = text;
    sys_blanks(&p);
    sys_bad(&p, "a buffer is not a result type");
    return 0;
  }
  s->ret = (uint8_t)t;
  if (*p.at != '(') return sys_bad(&p, "'(' expected"), 0;
  p.at++;
  if (!sys_list(&p, s)) return 0;
  p.at++;   /* the ')' */
  sys_blanks(&p);
  if (*p.at) return sys_bad(&p, "text after ')'"), 0;
  return 1;
}

uint64_t sys_u64_of(double d) {
  if (!(d == d) || isinf(d)) return 0;
  d = trunc(d);
  int neg = d < 0;
  if (neg) d = -d;
  uint64_t v = (uint64_t)fmod(d, 18446744073709551616.0);   /* exact */
  return neg ? 0 - v : v;
}

uint64_t sys_bits_of(int t, double d) {
  switch (t) {
    case SYS_FLOAT: {
      float f = (float)d;
      uint32_t b;
      memcpy(&b, &f, 4);
      return b;
    }
    case SYS_DOUBLE: {
      uint64_t b;
      memcpy(&b, &d, 8);
      return b;
    }
    default: {
      uint64_t v = sys_u64_of(d);
      int size = sys_type_size(t);
      return size >= 8 ? v : v & ((1ull << (8 * size)) - 1);
    }
  }
}

double sys_number_of(int t, uint64_t bits) {
  switch (t) {
    case SYS_I8: return (double)(int8_t)bits;
    case SYS_U8: return (double)(uint8_t)bits;
    case SYS_I16: return (double)(int16_t)bits;
    case SYS_U16: return (double)(uint16_t)bits;
    case SYS_I32: return (double)(int32_t)bits;
    case SYS_I64: return (double)(int64_t)bits;
    case SYS_U64: return (double)bits;
    case SYS_FLOAT: {
      float f;
      uint32_t b = (uint32_t)bits;
      memcpy(&f, &b, 4);
      return f;
    }
    case SYS_DOUBLE: {
      double d;
      memcpy(&d, &bits, 8);
      return d;
    }
    default: return (double)(uint32_t)bits;   /* u32, pointer */
  }
}
