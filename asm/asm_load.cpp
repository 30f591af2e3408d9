/*
** Bytes read from or into addressing spaces: load and store read or patch
** bytes already assembled (from the space's origin up to its current
** position), in the current space or one named by a `name::` label; file
** puts a file's bytes into the output.
**   load name [size] from [space:]address
**   store [size] value at [space:]address
**   file 'name' [:offset] [,count]
*/
#include "asm/asm_int.h"

namespace {

bool is_word(const asm_tok &k, const char *w) { return asm_tok_is(k, w); }

bool err(asm_state *st, int id) {
  asm_error(st, id, *st->line);
  return false;
}

/* The space a `name:` before an address names, or the current one; pos
** moves past the name. Null after reporting a space not yet labelled. */
asm_area *space(asm_state *st, const asm_toks &t, size_t &pos) {
  if (pos + 2 < t.size() && t[pos].kind == ASM_TK_NAME && t[pos + 1].sym(':') &&
      !asm_tok_kw(t[pos]).reg) {
    auto it = st->area_labels.find(t[pos].s);
    if (it == st->area_labels.end()) {
      err(st, ASM_E_UNDEFINED); /* the reference: out of scope */
      return nullptr;
    }
    pos += 2;
    return it->second.closed ? &st->closed_areas[it->second.index]
                             : &st->areas[it->second.index];
  }
  return &asm_out_area(st);
}

/* Position in the area's bytes of `size` bytes at address v. */
bool locate(asm_state *st, asm_area &a, const asm_val &v, int size, size_t &at) {
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
  asm_area *from = space(st, t, pos);
  if (!from)
    return false;
  int e = asm_expr_eval(st, t, pos, t.size(), true, v);
  if (e)
    return err(st, e);
  if (pos != t.size())
    return err(st, ASM_E_EXTRA_CHARS);
  size_t at;
  asm_val r;
  if (locate(st, *from, v, size, at)) {
    const asm_area &a = *from;
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
  asm_area *into = space(st, t, pos);
  if (!into)
    return false;
  e = asm_expr_eval(st, t, pos, t.size(), true, addr);
  if (e)
    return err(st, e);
  if (pos != t.size())
    return err(st, ASM_E_EXTRA_CHARS);
  size_t at;
  if (!locate(st, *into, addr, size, at))
    return false;
  asm_area &a = *into;
  for (int i = 0; i < size; i++)
    a.bytes[at + (size_t)i] = (uint8_t)((uint64_t)v.v >> (8 * i));
  if (a.init_end < at + (size_t)size) /* reserved space stored into is data */
    a.init_end = at + (size_t)size;
  return true;
}

/* name:: names the current addressing space for load and store. */
bool asm_area_label(asm_state *st, const std::string &name) {
  if (st->area_labels.count(name))
    return err(st, ASM_E_ALREADY_DEFINED);
  st->area_labels[name] = asm_state::area_ref{false, st->areas.size() - 1};
  return true;
}

/* A virtual block ends: a space it labelled is kept for load and store. */
void asm_area_close(asm_state *st) {
  size_t top = st->areas.size() - 1;
  bool kept = false;
  for (auto &kv : st->area_labels)
    if (!kv.second.closed && kv.second.index == top) {
      if (!kept) {
        st->closed_areas.push_back(std::move(st->areas[top]));
        kept = true;
      }
      kv.second = asm_state::area_ref{true, st->closed_areas.size() - 1};
    }
  st->areas.pop_back();
}

/* file 'name' [:offset] [,count] */
bool asm_file_line(asm_state *st, const asm_line &l, size_t pos) {
  const asm_toks &t = l.t;
  if (pos >= t.size() || t[pos].kind != ASM_TK_STR)
    return err(st, ASM_E_INVALID_ARG);
  std::string name = t[pos++].s;
  auto it = st->files.find(name);
  if (it == st->files.end()) { /* read once, kept for every pass */
    std::string text, found = name;
    if (!asm_read_file(st, l.origin, found, text))
      return err(st, ASM_E_FILE_NOT_FOUND);
    if (!asm_charge(st, text.size()))
      return false;
    st->mem_base += text.size();
    it = st->files.emplace(name, std::move(text)).first;
  }
  const std::string &data = it->second;
  int64_t from = 0, count = -1;
  int e;
  if (pos < t.size() && t[pos].sym(':')) {
    pos++;
    if ((e = asm_expr_const(st, t, pos, t.size(), from)) != 0)
      return err(st, e);
    if (from < 0)
      return err(st, ASM_E_INVALID_VALUE);
  }
  if (pos < t.size() && t[pos].sym(',')) {
    pos++;
    if ((e = asm_expr_const(st, t, pos, t.size(), count)) != 0)
      return err(st, e);
    if (count < 0)
      return err(st, ASM_E_INVALID_VALUE);
  }
  if (pos != t.size())
    return err(st, ASM_E_EXTRA_CHARS);
  if ((uint64_t)from > data.size())
    return err(st, ASM_E_VALUE_RANGE);
  if (count < 0)
    count = (int64_t)data.size() - from;
  if ((uint64_t)count > data.size() - (uint64_t)from)
    return err(st, ASM_E_VALUE_RANGE);
  st->dep = true;
  return asm_out_bytes(st, (const uint8_t *)data.data() + from, (size_t)count);
}
