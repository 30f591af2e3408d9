/*
** Symbol table of the assembly passes. A symbol read before its definition
** in a pass takes the value it had at the end of the previous pass; the
** passes repeat until no symbol changes between two of them.
*/
#include "asm_int.h"

enum { ASM_SYM_COST = 24 };

bool asm_sym_valid_name(const std::string &name) {
  if (name.empty() || name.size() > ASM_MAX_NAME)
    return false;
  char c = name[0];
  if ((c >= '0' && c <= '9') || c == '$' || c == '%')
    return false;
  return true;
}

/* Full name: '.x' belongs to the last global label, '@@' labels are
** numbered, '@b' and '@f' name the previous and the next of them. */
std::string asm_sym_name(asm_state *st, const std::string &name, bool define) {
  if (name.size() > 1 && name[0] == '.' && name[1] != '.')
    return st->global + name;
  if (name == "@@" && define)
    return "@@" + std::to_string(st->anon);
  if (name.size() != 2 || name[0] != '@')
    return name;
  char c = (char)(name[1] | 0x20);
  if (c == 'b' || c == 'r')
    return "@@" + std::to_string(st->anon - 1);
  if (c == 'f')
    return "@@" + std::to_string(st->anon);
  return name;
}

/* Copies the register terms of `from` over those of `to`. */
void asm_val_regs(asm_val &to, const asm_val &from) {
  to.nreg = from.nreg;
  for (int i = 0; i < 4; i++) {
    to.reg[i] = from.reg[i];
    to.scale[i] = from.scale[i];
  }
}

void asm_val_regs(asm_val &to, const asm_regs &from) {
  to.nreg = from.nreg;
  for (int i = 0; i < 4; i++) {
    to.reg[i] = from.reg[i];
    to.scale[i] = from.scale[i];
  }
}

void asm_regs_of(asm_regs &to, const asm_val &from) {
  to.nreg = from.nreg;
  for (int i = 0; i < 4; i++) {
    to.reg[i] = from.reg[i];
    to.scale[i] = from.scale[i];
  }
}

bool asm_regs_same(const asm_regs &a, const asm_regs &b) {
  if (a.nreg != b.nreg)
    return false;
  for (int i = 0; i < a.nreg; i++)
    if (a.reg[i] != b.reg[i] || a.scale[i] != b.scale[i])
      return false;
  return true;
}

bool asm_val_same_regs(const asm_val &a, const asm_val &b) {
  if (a.nreg != b.nreg)
    return false;
  for (int i = 0; i < a.nreg; i++)
    if (a.reg[i] != b.reg[i] || a.scale[i] != b.scale[i])
      return false;
  return true;
}

bool asm_sym_define(asm_state *st, const std::string &name, const asm_val &v,
                    int size, bool var) {
  asm_sym &s = st->syms[name];
  if (s.def_pass == st->pass && !(var && s.var))
    return false;
  if (s.def_pass < 0 && !s.had_last) {
    if (!asm_charge(st, ASM_SYM_COST + name.size()))
      return false;
    st->mem_base += ASM_SYM_COST + name.size(); /* the table outlives the pass */
  }
  s.cur = v.v;
  s.reloc = v.reloc;
  asm_regs_of(s.regs, v);
  s.size = size;
  s.var = var;
  s.def_pass = st->pass;
  return true;
}

void asm_sym_value(asm_state *st, const std::string &raw, asm_val &out) {
  st->dep = true;
  std::string name = asm_sym_name(st, raw, false);
  auto it = st->syms.find(name);
  out = asm_val();
  if (it != st->syms.end()) {
    asm_sym &s = it->second;
    s.used = true;
    if (s.def_pass == st->pass) {
      out.v = s.cur;
      out.reloc = s.reloc;
      out.size = s.size;
      asm_val_regs(out, s.regs);
      return;
    }
    if (s.had_last) {
      out.v = s.last;
      out.reloc = s.last_reloc;
      out.size = s.last_size;
      asm_val_regs(out, s.last_regs);
      out.unknown = true;
      return;
    }
  } else if (asm_charge(st, ASM_SYM_COST + name.size())) {
    st->syms[name].used = true;
  }
  out.unknown = true;
  if (st->line)
    asm_error(st, ASM_E_UNDEFINED, *st->line);
}

bool asm_sym_defined(asm_state *st, const std::string &raw) {
  st->dep = true;
  auto it = st->syms.find(asm_sym_name(st, raw, false));
  if (it == st->syms.end())
    return false;
  return it->second.def_pass == st->pass || it->second.had_last;
}

bool asm_sym_used(asm_state *st, const std::string &raw) {
  st->dep = true;
  auto it = st->syms.find(asm_sym_name(st, raw, false));
  if (it == st->syms.end())
    return false;
  return it->second.used || it->second.used_last;
}

/* Compares this pass's values with the last pass's and rolls them over. */
void asm_sym_end_pass(asm_state *st) {
  for (auto &kv : st->syms) {
    asm_sym &s = kv.second;
    if (s.def_pass == st->pass) {
      if (!s.had_last || s.cur != s.last || s.reloc != s.last_reloc ||
          s.size != s.last_size || !asm_regs_same(s.regs, s.last_regs))
        st->changed = true;
      s.last = s.cur;
      s.last_regs = s.regs;
      s.last_reloc = s.reloc;
      s.last_size = s.size;
      s.had_last = true;
    } else if (s.had_last) {
      s.had_last = false;
      st->changed = true;
    }
    if (s.used != s.used_last) /* `if used` may read otherwise now */
      st->changed = true;
    s.used_last = s.used;
    s.used = false;
  }
}
