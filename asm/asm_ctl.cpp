/*
** Assembly-time control: if / else if / else / end if, repeat, while,
** break and virtual. The blocks are paired once before the passes; each
** pass then follows the pairs with a stack of open blocks.
*/
#include "asm/asm_int.h"

enum {
  CTL_NONE, CTL_IF, CTL_ELSE, CTL_ENDIF, CTL_REPEAT, CTL_ENDREPEAT,
  CTL_WHILE, CTL_ENDWHILE, CTL_BREAK, CTL_VIRTUAL, CTL_ENDVIRTUAL
};

namespace {

bool word(const asm_toks &t, size_t i, const char *w) {
  return i < t.size() && asm_tok_is(t[i], w);
}

int open_kind(int k) {
  return k == CTL_ENDIF ? CTL_IF : k == CTL_ENDREPEAT ? CTL_REPEAT
         : k == CTL_ENDWHILE ? CTL_WHILE : CTL_VIRTUAL;
}

bool fail(asm_state *st, int id, const asm_line &l) {
  asm_error(st, id, l);
  return false;
}

/* Block sizes and conditions, reported at the line with the fault. */
bool cond(asm_state *st, const asm_line &l, size_t pos, bool &r) {
  int e = asm_expr_cond(st, l.t, pos, l.t.size(), r);
  if (!e && pos != l.t.size())
    e = ASM_E_EXTRA_CHARS;
  if (e) {
    r = false;
    return fail(st, e, l);
  }
  return true;
}

void leave_loop(asm_state *st) {
  asm_blk &b = st->blocks.back();
  st->counter = b.save_counter;
  st->counter_total = b.save_total;
  st->blocks.pop_back();
}

void enter_loop(asm_state *st, int kind, size_t i, int64_t count) {
  asm_blk b;
  b.kind = kind;
  b.start = i;
  b.count = count;
  b.index = 1;
  b.save_counter = st->counter;
  b.save_total = st->counter_total;
  st->blocks.push_back(b);
  st->counter = 1;
  st->counter_total = count;
}

size_t do_if(asm_state *st, const asm_line &l, size_t i) {
  bool r;
  cond(st, l, 1, r);
  asm_blk b;
  b.kind = ASM_BLK_IF;
  b.start = i;
  b.done = r;
  st->blocks.push_back(b);
  return r ? i + 1 : (size_t)st->pair[i];
}

size_t do_else(asm_state *st, const asm_line &l, size_t i) {
  asm_blk &b = st->blocks.back();
  if (b.done) {
    size_t j = i;
    while (st->ctl[j] != CTL_ENDIF)
      j = (size_t)st->pair[j];
    return j;
  }
  if (word(l.t, 1, "if")) {
    bool r;
    cond(st, l, 2, r);
    b.done = r;
    return r ? i + 1 : (size_t)st->pair[i];
  }
  if (l.t.size() > 1)
    fail(st, ASM_E_EXTRA_CHARS, l);
  b.done = true;
  return i + 1;
}

size_t do_repeat(asm_state *st, const asm_line &l, size_t i) {
  size_t pos = 1;
  int64_t n = 0;
  int e = asm_expr_const(st, l.t, pos, l.t.size(), n);
  if (!e && pos != l.t.size())
    e = ASM_E_EXTRA_CHARS;
  if (e || n < 0) {
    fail(st, e ? e : ASM_E_INVALID_VALUE, l);
    n = 0;
  }
  if (n == 0)
    return (size_t)st->pair[i] + 1;
  enter_loop(st, ASM_BLK_REPEAT, i, n);
  return i + 1;
}

size_t do_while(asm_state *st, const asm_line &l, size_t i) {
  bool again = !st->blocks.empty() && st->blocks.back().kind == ASM_BLK_WHILE &&
               st->blocks.back().start == i;
  if (again) {
    asm_blk &b = st->blocks.back();
    b.index++;
    st->counter = b.index;
  }
  if (!again) /* the condition already sees % as 1; no total is known */
    enter_loop(st, ASM_BLK_WHILE, i, -1);
  bool r;
  cond(st, l, 1, r);
  if (!r) {
    leave_loop(st);
    return (size_t)st->pair[i] + 1;
  }
  return i + 1;
}

size_t do_end_loop(asm_state *st, size_t i) {
  asm_blk &b = st->blocks.back();
  if (b.kind == ASM_BLK_WHILE)
    return b.start;
  if (++b.index <= b.count) {
    st->counter = b.index;
    return b.start + 1;
  }
  leave_loop(st);
  return i + 1;
}

size_t do_break(asm_state *st, const asm_line &l, size_t i) {
  while (!st->blocks.empty() && st->blocks.back().kind == ASM_BLK_IF)
    st->blocks.pop_back();
  if (st->blocks.empty() || st->blocks.back().kind == ASM_BLK_VIRTUAL) {
    fail(st, ASM_E_UNEXPECTED_INSN, l);
    return i + 1;
  }
  size_t start = st->blocks.back().start;
  leave_loop(st);
  return (size_t)st->pair[start] + 1;
}

size_t do_virtual(asm_state *st, const asm_line &l, size_t i) {
  asm_area a;
  asm_val here = asm_out_here(st);
  size_t pos = 1;
  if (word(l.t, 1, "at")) {
    pos = 2;
    int e = asm_expr_eval(st, l.t, pos, l.t.size(), true, here);
    if (!e && pos != l.t.size())
      e = ASM_E_EXTRA_CHARS;
    if (e)
      fail(st, e, l);
  } else if (l.t.size() > 1) {
    fail(st, ASM_E_EXTRA_CHARS, l);
  }
  a.org = here.v;
  a.org_reloc = here.reloc;
  asm_val_regs(a.org_regs, here);
  st->areas.push_back(a);
  asm_blk b;
  b.kind = ASM_BLK_VIRTUAL;
  b.start = i;
  st->blocks.push_back(b);
  return i + 1;
}

} // namespace

int asm_ctl_kind(const asm_toks &t) {
  if (t.empty() || t[0].kind != ASM_TK_NAME || t[0].s.size() > 7)
    return CTL_NONE;
  if (t.size() > 1 && (t[1].sym(':') || t[1].sym('=')))
    return CTL_NONE;
  const asm_tok &w = t[0];
  if (asm_tok_kw(w).mnem || asm_tok_kw(w).unit)
    return CTL_NONE;
  if (asm_tok_is(w, "if")) return CTL_IF;
  if (asm_tok_is(w, "else")) return CTL_ELSE;
  if (asm_tok_is(w, "repeat")) return CTL_REPEAT;
  if (asm_tok_is(w, "while")) return CTL_WHILE;
  if (asm_tok_is(w, "break")) return CTL_BREAK;
  if (asm_tok_is(w, "virtual")) return CTL_VIRTUAL;
  if (asm_tok_is(w, "end") && t.size() == 2) {
    if (word(t, 1, "if")) return CTL_ENDIF;
    if (word(t, 1, "repeat")) return CTL_ENDREPEAT;
    if (word(t, 1, "while")) return CTL_ENDWHILE;
    if (word(t, 1, "virtual")) return CTL_ENDVIRTUAL;
  }
  return CTL_NONE;
}

/* Links every opening directive to its next part and every end to its
** opening; faults here are final, whatever the passes would find. */
bool asm_ctl_pair(asm_state *st) {
  std::vector<size_t> open, part;
  st->pair.assign(st->lines.size(), -1);
  st->ctl.resize(st->lines.size());
  for (size_t i = 0; i < st->lines.size(); i++)
    st->ctl[i] = (uint8_t)asm_ctl_kind(st->lines[i].t);
  for (size_t i = 0; i < st->lines.size(); i++) {
    const asm_line &l = st->lines[i];
    int k = st->ctl[i];
    switch (k) {
    case CTL_IF: case CTL_REPEAT: case CTL_WHILE: case CTL_VIRTUAL:
      open.push_back(i);
      part.push_back(i);
      break;
    case CTL_ELSE:
      /* no part may follow a plain else */
      if (open.empty() || st->ctl[open.back()] != CTL_IF ||
          (st->ctl[part.back()] == CTL_ELSE &&
           !word(st->lines[part.back()].t, 1, "if")))
        return fail(st, ASM_E_UNEXPECTED_INSN, l);
      st->pair[part.back()] = (int)i;
      part.back() = i;
      break;
    case CTL_ENDIF: case CTL_ENDREPEAT: case CTL_ENDWHILE: case CTL_ENDVIRTUAL:
      if (open.empty() || st->ctl[open.back()] != open_kind(k))
        return fail(st, ASM_E_UNEXPECTED_INSN, l);
      st->pair[part.back()] = (int)i;
      st->pair[i] = (int)open.back();
      open.pop_back();
      part.pop_back();
      break;
    case CTL_BREAK: {
      bool loop = false;
      for (size_t o : open) {
        int ok = st->ctl[o];
        loop |= ok == CTL_REPEAT || ok == CTL_WHILE;
      }
      if (!loop)
        return fail(st, ASM_E_UNEXPECTED_INSN, l);
      break;
    }
    default:
      break;
    }
  }
  if (!open.empty())
    return fail(st, ASM_E_MISSING_END, st->lines[open.back()]);
  return true;
}

/* Runs the control directive at line i and moves i to the next line. */
bool asm_ctl_line(asm_state *st, const asm_line &l, size_t &i) {
  int k = st->ctl[i];
  int need = k == CTL_ELSE || k == CTL_ENDIF ? ASM_BLK_IF
             : k == CTL_ENDREPEAT ? ASM_BLK_REPEAT
             : k == CTL_ENDWHILE ? ASM_BLK_WHILE
             : k == CTL_ENDVIRTUAL ? ASM_BLK_VIRTUAL : -1;
  if (need >= 0 && (st->blocks.empty() || st->blocks.back().kind != need)) {
    fail(st, ASM_E_UNEXPECTED_INSN, l); /* defensive: pairing rules it out */
    i++;
    return false;
  }
  switch (k) {
  case CTL_IF: i = do_if(st, l, i); break;
  case CTL_ELSE: i = do_else(st, l, i); break;
  case CTL_ENDIF: st->blocks.pop_back(); i++; break;
  case CTL_REPEAT: i = do_repeat(st, l, i); break;
  case CTL_WHILE: i = do_while(st, l, i); break;
  case CTL_ENDREPEAT: case CTL_ENDWHILE: i = do_end_loop(st, i); break;
  case CTL_BREAK: i = do_break(st, l, i); break;
  case CTL_VIRTUAL: i = do_virtual(st, l, i); break;
  case CTL_ENDVIRTUAL:
    asm_area_close(st);
    st->blocks.pop_back();
    i++;
    break;
  default: i++; break;
  }
  return !st->fatal;
}
