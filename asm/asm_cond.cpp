/*
** Conditions of if and while: relations = < > <= >= <> between values,
** ~ & | and parentheses, `defined` and `used`, and the comparisons of
** token runs eq, eqtype and in.
*/
#include "asm/asm_expr.h"

namespace {

typedef asm_ectx ectx;

bool e_or(ectx &c, asm_val &v) { return asm_expr_or(c, v); }
bool pure(const asm_val &v) { return asm_expr_pure(v); }


bool c_or(ectx &c, bool &r);

int c_relop(ectx &c) {
  const asm_tok *k = c.peek();
  if (!k || k->kind != ASM_TK_SYM)
    return 0;
  const asm_tok *n = c.pos + 1 < c.end ? &c.t[c.pos + 1] : nullptr;
  if (k->sym('=')) { c.pos++; return 1; }
  if (k->sym('<')) {
    if (n && n->sym('=')) { c.pos += 2; return 2; }   /* <= */
    if (n && n->sym('>')) { c.pos += 2; return 3; }   /* <> */
    c.pos++;
    return 4;                                          /* < */
  }
  if (k->sym('>')) {
    if (n && n->sym('=')) { c.pos += 2; return 5; }   /* >= */
    c.pos++;
    return 6;                                          /* > */
  }
  return 0;
}

bool c_relation(ectx &c, bool &r) {
  asm_val a, b;
  if (!e_or(c, a))
    return false;
  int op = c_relop(c);
  if (!op) {
    if (!pure(a))
      return c.fail(ASM_E_INVALID_EXPR);
    r = a.v != 0;
    return true;
  }
  if (!e_or(c, b))
    return false;
  if (a.fp || b.fp)
    return c.fail(ASM_E_INVALID_VALUE);
  if (a.nreg || b.nreg || a.reloc != b.reloc)
    return c.fail(ASM_E_SYMBOL_USE);
  int64_t x = a.v, y = b.v;
  switch (op) {
  case 1: r = x == y; break;
  case 2: r = x <= y; break;
  case 3: r = x != y; break;
  case 4: r = x < y; break;
  case 5: r = x >= y; break;
  default: r = x > y; break;
  }
  return true;
}

bool c_defined(ectx &c, bool &r) {
  c.pos++;
  asm_val v;
  ectx p(c.st, c.t, c.pos, c.end, false);
  p.probe = true;
  int saved = c.st->err;
  bool ok = e_or(p, v);
  c.st->err = saved;
  c.pos = p.pos;
  r = ok && !p.missing;
  if (!ok) { /* skip what could not be read */
    while (c.pos < c.end && !c.t[c.pos].sym('&') && !c.t[c.pos].sym('|') &&
           !c.t[c.pos].sym(')'))
      c.pos++;
  }
  return true;
}

/* End of a condition term: the next & | or unbalanced ) at this level. */
size_t term_end(const ectx &c, size_t from) {
  int depth = 0;
  for (size_t i = from; i < c.end; i++) {
    const asm_tok &k = c.t[i];
    if (k.sym('(') || k.sym('<') || k.sym('['))
      depth++;
    else if (k.sym(')') || k.sym('>') || k.sym(']')) {
      if (depth == 0)
        return i;
      depth--;
    } else if (depth == 0 && (k.sym('&') || k.sym('|')))
      return i;
  }
  return c.end;
}

bool is_op_word(const asm_tok &k, const char *w) {
  return k.kind == ASM_TK_NAME && asm_lower(k.s) == w;
}

bool same_toks(const asm_toks &t, size_t a, size_t ae, size_t b, size_t be) {
  if (ae - a != be - b)
    return false;
  for (size_t i = 0; i < ae - a; i++)
    if (t[a + i].kind != t[b + i].kind || t[a + i].s != t[b + i].s)
      return false;
  return true;
}

/* What t[a..e) reads as: 'n' a numeric expression (symbols need not
** exist), 'f' a floating-point one, 'a' one with registers, 'x' none. */
char expr_kind(asm_state *st, const asm_toks &t, size_t a, size_t e) {
  ectx p(st, t, a, e, false);
  p.probe = true;
  asm_val v;
  int saved = st->err;
  bool ok = e_or(p, v) && p.pos == e;
  st->err = saved;
  return !ok ? 'x' : v.fp ? 'f' : v.nreg ? 'a' : 'n';
}

/* Kind of each comma-separated item, for eqtype. A size operator is a
** kind of its own; registers are one kind whatever their size, but for
** the control, debug and test registers; a
** floating-point value is not a number. */
std::string kinds(asm_state *st, const asm_toks &t, size_t a, size_t e) {
  std::string r;
  size_t i = a;
  while (i < e) {
    size_t j = i;
    while (j < e && !t[j].sym(','))
      j++;
    size_t k = i;
    for (; k < j && t[k].kind == ASM_TK_NAME && asm_size_word(t[k].s); k++)
      r += 'z';
    if (j == k + 1 && t[k].kind == ASM_TK_STR)
      r += 's';
    else if (j == k + 1 && asm_reg_find(t[k].s))
      r += asm_reg_special(asm_reg_find(t[k].s)) ? 'c' : 'r';
    else if (j > k && (t[k].sym('[') || (j > k + 1 && t[k + 1].sym('['))))
      r += 'm';
    else if (j > k)
      r += expr_kind(st, t, k, j);
    r += ',';
    i = j + 1;
  }
  return r;
}

/* a eq b, a eqtype b, a in <b, c>: comparisons of the tokens themselves. */
bool c_symbolic(ectx &c, bool &r, bool &found) {
  size_t e = term_end(c, c.pos);
  size_t k = c.pos;
  int depth = 0;
  for (; k < e; k++) {
    const asm_tok &x = c.t[k];
    if (x.sym('(') || x.sym('<') || x.sym('[')) depth++;
    if (x.sym(')') || x.sym('>') || x.sym(']')) depth--;
    if (depth == 0 && (is_op_word(x, "eq") || is_op_word(x, "eqtype") ||
                       is_op_word(x, "in")))
      break;
  }
  found = k < e;
  if (!found)
    return true;
  std::string op = asm_lower(c.t[k].s);
  size_t a = c.pos, b = k + 1;
  if (op == "eq") {
    r = same_toks(c.t, a, k, b, e);
  } else if (op == "eqtype") {
    r = kinds(c.st, c.t, a, k) == kinds(c.st, c.t, b, e);
  } else {
    if (b >= e || !c.t[b].sym('<') || !c.t[e - 1].sym('>'))
      return c.fail(ASM_E_INVALID_EXPR);
    r = false;
    size_t i = b + 1;
    while (i < e - 1) {
      size_t j = i;
      while (j < e - 1 && !c.t[j].sym(','))
        j++;
      r |= same_toks(c.t, a, k, i, j);
      i = j + 1;
    }
  }
  c.pos = e;
  return true;
}

bool c_atom(ectx &c, bool &r) {
  bool found;
  if (!c_symbolic(c, r, found))
    return false;
  if (found)
    return true;
  if (c.word("defined"))
    return c_defined(c, r);
  if (c.word("used")) {
    c.pos++;
    const asm_tok *k = c.peek();
    if (!k || k->kind != ASM_TK_NAME)
      return c.fail(ASM_E_INVALID_EXPR);
    c.pos++;
    r = asm_sym_used(c.st, k->s);
    return true;
  }
  const asm_tok *k = c.peek();
  if (k && k->sym('(')) {
    /* a bracketed condition, or an arithmetic term: try the first */
    ectx sub(c.st, c.t, c.pos + 1, c.end, c.regs);
    sub.depth = c.depth + 1;
    if (sub.depth > ASM_MAX_DEPTH) {
      asm_fatal(c.st, ASM_E_OUT_OF_STACK);
      return c.fail(ASM_E_OUT_OF_STACK);
    }
    bool br;
    if (c_or(sub, br) && sub.peek() && sub.peek()->sym(')')) {
      size_t after = sub.pos + 1;
      const asm_tok *n = after < c.end ? &c.t[after] : nullptr;
      if (!n || n->sym('&') || n->sym('|') || n->sym(')')) {
        c.pos = after;
        r = br;
        return true;
      }
    }
    if (c.st->fatal)
      return c.fail(c.st->fatal);
  }
  return c_relation(c, r);
}

bool c_not(ectx &c, bool &r) {
  const asm_tok *k = c.peek();
  if (k && k->sym('~')) {
    c.pos++;
    if (++c.depth > ASM_MAX_DEPTH) {
      asm_fatal(c.st, ASM_E_OUT_OF_STACK);
      return c.fail(ASM_E_OUT_OF_STACK);
    }
    if (!c_not(c, r))
      return false;
    c.depth--;
    r = !r;
    return true;
  }
  return c_atom(c, r);
}

bool c_and(ectx &c, bool &r) {
  if (!c_not(c, r))
    return false;
  while (c.peek() && c.peek()->sym('&')) {
    c.pos++;
    bool b;
    if (!c_not(c, b))
      return false;
    r = r && b;
  }
  return true;
}

bool c_or(ectx &c, bool &r) {
  if (!c_and(c, r))
    return false;
  while (c.peek() && c.peek()->sym('|')) {
    c.pos++;
    bool b;
    if (!c_and(c, b))
      return false;
    r = r || b;
  }
  return true;
}
} // namespace

int asm_expr_cond(asm_state *st, const asm_toks &t, size_t &pos, size_t end,
                  bool &out) {
  ectx c(st, t, pos, end, false);
  bool ok = c_or(c, out);
  pos = c.pos;
  return ok ? ASM_OK : c.err;
}
