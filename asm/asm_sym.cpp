/*
** Symbol table of the assembly passes. A symbol read before its definition
** in a pass takes the value it had at the end of the previous pass; the
** passes repeat until no symbol changes between two of them.
*/
#include "asm/asm_int.h"

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

/* Gives the symbol its value for this pass; false when it was defined in
** this pass already and may not be defined again. */
bool asm_sym_set(asm_state *st, asm_sym &s, const asm_val &v, int size, bool var) {
  if (s.def_pass == st->pass && !(var && s.var))
    return false;
  s.multi = s.def_pass == st->pass;
  s.label = !var;
  /* how far this label moved since the last pass: labels further on
  ** have most likely moved as far, and are read so (as the reference) */
  if (!var && s.had_last && s.last_reloc == v.reloc)
    st->shift = v.v - s.last;
  s.cur = v.v;
  s.wide = v.wide;
  s.reloc = v.reloc;
  asm_regs_of(s.regs, v);
  s.size = size;
  s.var = var;
  s.def_pass = st->pass;
  return true;
}

/* The entry of a full name, made when missing; the table outlives the
** passes, so its memory is charged for good. */
static asm_sym *entry(asm_state *st, const std::string &name) {
  auto [it, fresh] = st->syms.try_emplace(name); /* one lookup, new or not */
  if (!fresh)
    return &it->second;
  if (!asm_charge(st, ASM_SYM_COST + name.size())) {
    st->syms.erase(it);
    return nullptr;
  }
  st->mem_base += ASM_SYM_COST + name.size();
  return &it->second;
}

bool asm_sym_define(asm_state *st, const std::string &name, const asm_val &v,
                    int size, bool var) {
  asm_sym *s = entry(st, name);
  return s && asm_sym_set(st, *s, v, size, var);
}

/* The symbol a name token stands for here. The token keeps it, so later
** passes find it at once; a '.' name is checked against the global label
** it was found under, an anonymous one is found every time. */
asm_sym *asm_sym_lookup(asm_state *st, const asm_tok &k) {
  const std::string &raw = k.s;
  bool local = raw.size() > 1 && raw[0] == '.' && raw[1] != '.';
  bool anon = raw.size() == 2 && raw[0] == '@';
  asm_sym *kept = k.s.e->second.sym; /* kept with the name's text */
  if (!anon && kept && (!local || kept->scope == st->global_sym))
    return kept;
  asm_sym *s = entry(st, asm_sym_name(st, raw, false));
  if (!s || anon || raw.empty())
    return s;
  if (local)
    s->scope = st->global_sym;
  k.s.e->second.sym = s;
  return s;
}

void asm_sym_value(asm_state *st, const asm_tok &k, asm_val &out) {
  st->dep = true;
  out = asm_val();
  asm_sym *p = asm_sym_lookup(st, k);
  if (!p) {
    out.unknown = true;
    return;
  }
  asm_sym &s = *p;
  s.used = true;
  if (s.def_pass == st->pass) {
    out.v = s.cur;
    out.wide = s.wide;
    out.reloc = s.reloc;
    out.size = s.size;
    asm_val_regs(out, s.regs);
    return;
  }
  if (s.had_last && s.last_multi && st->line) /* a variable before its value */
    asm_error(st, ASM_E_UNDEFINED, *st->line);
  if (s.had_last) {
    out.v = s.last + (s.label ? st->shift : 0);
    out.wide = s.last_wide;
    if (s.pred_pass != st->pass) {
      s.pred_pass = st->pass;
      s.pred = out.v;
      s.pred_wide = out.wide;
      s.pred_varied = false;
    } else if (s.pred != out.v || s.pred_wide != out.wide) {
      s.pred_varied = true;
    }
    out.reloc = s.last_reloc;
    out.size = s.last_size;
    asm_val_regs(out, s.last_regs);
    return;
  }
  s.pred_pass = st->pass;
  out.unknown = true; /* no value yet: 0, and jumps to it are short */
  if (st->line)
    asm_error(st, ASM_E_UNDEFINED, *st->line);
}

bool asm_sym_defined(asm_state *st, const std::string &raw) {
  st->dep = true;
  std::string name = asm_sym_name(st, raw, false);
  auto it = st->syms.find(name);
  if (it == st->syms.end()) {
    if (!asm_charge(st, ASM_SYM_COST + name.size()))
      return false;
    it = st->syms.emplace(name, asm_sym()).first;
  }
  asm_sym &s = it->second;
  if (s.def_pass != st->pass && s.had_last && s.last_multi)
    return false; /* a variable is defined from its first value on */
  bool r = s.def_pass == st->pass || s.had_last;
  if (s.def_pass != st->pass && s.defined_pass != st->pass) {
    s.defined_pass = st->pass; /* checked against the definitions of the pass */
    s.defined_answer = r;
  }
  return r;
}

bool asm_sym_used(asm_state *st, const std::string &raw) {
  st->dep = true;
  std::string name = asm_sym_name(st, raw, false);
  auto it = st->syms.find(name);
  if (it == st->syms.end()) {
    if (!asm_charge(st, ASM_SYM_COST + name.size()))
      return false;
    it = st->syms.emplace(name, asm_sym()).first;
  }
  asm_sym &s = it->second;
  bool r = s.used || s.used_last;
  if (s.used_pass != st->pass) {
    s.used_pass = st->pass;
    s.used_answer = r;
  }
  return r;
}

/* Whether the pass's readings before the definition gave the value the
** definition then gave. */
static bool predicted(const asm_sym &s) {
  return s.had_last && !s.pred_varied && s.cur == s.pred && s.wide == s.pred_wide &&
         s.reloc == s.last_reloc && s.size == s.last_size &&
         asm_regs_same(s.regs, s.last_regs);
}

/* Checks the predictions of the pass and rolls the values over. Values
** that changed but were only read after their definition need no pass. */
void asm_sym_end_pass(asm_state *st) {
  int pass = st->pass;
  for (auto &kv : st->syms) {
    asm_sym &s = kv.second;
    bool defined = s.def_pass == pass;
    if (s.pred_pass == pass && (defined ? !predicted(s) : s.had_last))
      st->changed = true;
    if (s.defined_pass == pass && s.defined_answer != defined)
      st->changed = true;
    if (s.used_pass == pass && s.used_answer != s.used)
      st->changed = true;
    if (defined) {
      s.last = s.cur;
      s.last_wide = s.wide;
      s.last_regs = s.regs;
      s.last_reloc = s.reloc;
      s.last_size = s.size;
      s.last_multi = s.multi;
      s.had_last = true;
    } else {
      s.had_last = false;
    }
    s.used_last = s.used;
    s.used = false;
  }
}
