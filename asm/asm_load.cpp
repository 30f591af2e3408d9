/*
** load and store: read or patch bytes already assembled in the current
** addressing space (from its origin up to the current position).
**   load name [size] from address
**   store [size] value at address
*/
#include "asm_int.h"

namespace {

bool is_word(const asm_tok &k, const char *w) { return asm_tok_is(k, w); }

bool err(asm_state *st, int id) {
  asm_error(st, id, *st->line);
  return false;
}

/* Position in the area's bytes of `size` bytes at address v. */
bool locate(asm_state *st, const asm_val &v, int size, size_t &at) {
  asm_area &a = asm_out_area(st);
  if (!asm_val_same_regs(v, a.org_regs) || v.reloc != a.org_reloc)
    return err(st, ASM_E_INVALID_ADDRESS);
  int64_t off = v.v - a.org;
  int64_t avail = (int64_t)(a.bytes.size() - a.org_at);
  if (off < 0 || off > avail - size)
    return err(st, ASM_E_VALUE_RANGE);
  at = a.org_at + (size_t)off;
  return true;
}

int size_at(const asm_line &l, size_t &pos) {
  int s = pos < l.t.size() && l.t[pos].kind == ASM_TK_NAME ? asm_size_word(l.t[pos].s) : 0;
  if (s)
    pos++;
  return s;
}

} // namespace

bool asm_load_line(asm_state *st, const asm_line &l, size_t pos) {
  const asm_toks &t = l.t;
  if (pos >= t.size() || t[pos].kind != ASM_TK_NAME)
    return err(st, ASM_E_INVALID_ARG);
  std::string name = t[pos++].s;
  int size = size_at(l, pos);
  if (!size)
    size = 1;
  if (size > 8)
    return err(st, ASM_E_OPERAND_SIZE);
  if (pos >= t.size() || !is_word(t[pos], "from"))
    return err(st, ASM_E_INVALID_ARG);
  pos++;
  asm_val v;
  int e = asm_expr_eval(st, t, pos, t.size(), true, v);
  if (e)
    return err(st, e);
  if (pos != t.size())
    return err(st, ASM_E_EXTRA_CHARS);
  size_t at;
  asm_val r;
  if (locate(st, v, size, at)) {
    const asm_area &a = asm_out_area(st);
    uint64_t x = 0;
    for (int i = size; i-- > 0;)
      x = (x << 8) | a.bytes[at + (size_t)i];
    r.v = (int64_t)x;
  }
  if (!asm_sym_valid_name(name) || asm_reg_find(name))
    return err(st, ASM_E_INVALID_NAME);
  if (!asm_sym_define(st, asm_sym_name(st, name, false), r, 0, true))
    return st->fatal ? false : err(st, ASM_E_ALREADY_DEFINED);
  return true;
}

bool asm_store_line(asm_state *st, const asm_line &l, size_t pos) {
  const asm_toks &t = l.t;
  int size = size_at(l, pos);
  if (!size)
    size = 1;
  if (size > 8)
    return err(st, ASM_E_OPERAND_SIZE);
  asm_val v, addr;
  int e = asm_expr_eval(st, t, pos, t.size(), false, v);
  if (e)
    return err(st, e);
  if (v.reloc || v.nreg)
    return err(st, ASM_E_SYMBOL_USE);
  if (pos >= t.size() || !is_word(t[pos], "at"))
    return err(st, ASM_E_INVALID_ARG);
  pos++;
  e = asm_expr_eval(st, t, pos, t.size(), true, addr);
  if (e)
    return err(st, e);
  if (pos != t.size())
    return err(st, ASM_E_EXTRA_CHARS);
  size_t at;
  if (!locate(st, addr, size, at))
    return false;
  asm_area &a = asm_out_area(st);
  for (int i = 0; i < size; i++)
    a.bytes[at + (size_t)i] = (uint8_t)((uint64_t)v.v >> (8 * i));
  if (a.init_end < at + (size_t)size) /* reserved space stored into is data */
    a.init_end = at + (size_t)size;
  return true;
}
