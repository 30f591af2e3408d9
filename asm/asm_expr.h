/*
** Evaluator state shared by the expression and condition readers.
*/
#ifndef asm_expr_h
#define asm_expr_h

#include "asm/asm_int.h"

#include <cstring>

struct asm_ectx {
  asm_state *st;
  const asm_toks &t;
  size_t pos, end;
  bool regs;
  bool probe = false;   /* `defined`: missing symbols fail quietly */
  bool missing = false;
  int err = ASM_OK;
  int depth = 0;
  asm_ectx(asm_state *s, const asm_toks &tk, size_t p, size_t e, bool r)
      : st(s), t(tk), pos(p), end(e), regs(r) {}
  const asm_tok *peek() const { return pos < end ? &t[pos] : nullptr; }
  bool fail(int e) {
    if (err == ASM_OK)
      err = e;
    return false;
  }
  bool word(const char *w) const {
    const asm_tok *k = peek();
    return k && asm_tok_is(*k, w);
  }
};

bool asm_expr_or(asm_ectx &c, asm_val &v);
bool asm_expr_pure(const asm_val &v);

#endif
