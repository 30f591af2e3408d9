/*
** Names the instruction set gives meaning to: registers, size words and
** mnemonics, looked up case-insensitively. Register and mnemonic numbers
** are the encoder's own, so the bridge needs no translation.
*/
#include "asm/asm_int.h"

#include <Zydis/Zydis.h>

#include <cstring>
#include <deque>
#include <string_view>

namespace {
/* One table for every name with a meaning: registers, mnemonics and their
** aliases, prefixes, size words and data directives. Keys are lower case
** and point into static text or into `owned`. */
/* FNV-1a: names are short, a plain hash beats the library's */
struct name_hash {
  size_t operator()(std::string_view s) const {
    uint32_t h = 2166136261u;
    for (char c : s)
      h = (h ^ (uint8_t)c) * 16777619u;
    return h;
  }
};

struct reg_tables {
  std::unordered_map<std::string_view, int, name_hash> index; /* name -> kws[] */
  std::vector<asm_kw> kws;
  std::deque<std::string> owned;
  reg_tables();
  asm_kw &entry(const char *name);
};

/* Names this dialect uses where the encoder's tables use another. */
const char *const mnem_alias[][2] = {
  {"je", "jz"}, {"jne", "jnz"}, {"jc", "jb"}, {"jnae", "jb"}, {"jnc", "jnb"},
  {"jae", "jnb"}, {"ja", "jnbe"}, {"jna", "jbe"}, {"jg", "jnle"},
  {"jge", "jnl"}, {"jnge", "jl"}, {"jng", "jle"}, {"jpe", "jp"},
  {"jpo", "jnp"},
  {"sete", "setz"}, {"setne", "setnz"}, {"setc", "setb"}, {"setnae", "setb"},
  {"setnc", "setnb"}, {"setae", "setnb"}, {"seta", "setnbe"},
  {"setna", "setbe"}, {"setg", "setnle"}, {"setge", "setnl"},
  {"setnge", "setl"}, {"setng", "setle"}, {"setpe", "setp"},
  {"setpo", "setnp"},
  {"cmove", "cmovz"}, {"cmovne", "cmovnz"}, {"cmovc", "cmovb"},
  {"cmovnae", "cmovb"}, {"cmovnc", "cmovnb"}, {"cmovae", "cmovnb"},
  {"cmova", "cmovnbe"}, {"cmovna", "cmovbe"}, {"cmovg", "cmovnle"},
  {"cmovge", "cmovnl"}, {"cmovnge", "cmovl"}, {"cmovng", "cmovle"},
  {"cmovpe", "cmovp"}, {"cmovpo", "cmovnp"},
  {"loopz", "loope"}, {"loopnz", "loopne"}, {"sal", "shl"},
  {"retn", "ret"}, {"xlatb", "xlat"}, {"wait", "fwait"}, {"icebp", "int1"},
  {"pushfd", "pushfd"}, {"popfd", "popfd"},
};

const struct { const char *n; int s; } size_words[] = {
  {"byte", 1}, {"word", 2}, {"dword", 4}, {"fword", 6}, {"pword", 6},
  {"qword", 8}, {"tbyte", 10}, {"tword", 10}, {"dqword", 16},
  {"xword", 16}, {"qqword", 32}, {"yword", 32}, {"zword", 64},
};

const struct { const char *n; int u; bool r; } data_dirs[] = {
  {"db", 1, false}, {"dw", 2, false}, {"du", 2, false}, {"dd", 4, false},
  {"dp", 6, false}, {"df", 6, false}, {"dq", 8, false}, {"dt", 10, false},
  {"rb", 1, true}, {"rw", 2, true}, {"rd", 4, true}, {"rp", 6, true},
  {"rf", 6, true}, {"rq", 8, true}, {"rt", 10, true},
};

/* Names the instruction reader treats apart (asm_insn.cpp). */
const char *const mode_names[] = {"pusha", "popa", "pushf", "popf", "iret",
                                  "pushaw", "popaw", "pushfw", "popfw", "iretw"};
const char *const string_names[] = {"movs", "cmps", "scas", "lods", "stos",
                                    "ins", "outs"};
const char *const wait_names[] = {"fstsw", "fstcw", "finit", "fclex",
                                  "fsave", "fstenv", "feni", "fdisi"};

asm_kw &reg_tables::entry(const char *name) {
  auto it = index.find(name);
  if (it != index.end())
    return kws[(size_t)it->second];
  kws.emplace_back();
  index.emplace(std::string_view(name), (int)kws.size() - 1);
  return kws.back();
}

reg_tables::reg_tables() {
  kws.emplace_back(); /* 0: no meaning */
  /* the registers the reference knows; the encoder's flags, tables,
  ** tile and control-state registers are ordinary names there */
  for (int r = 1; r <= ZYDIS_REGISTER_MAX_VALUE; r++) {
    const char *s = ZydisRegisterGetString((ZydisRegister)r);
    switch (ZydisRegisterGetClass((ZydisRegister)r)) {
    case ZYDIS_REGCLASS_INVALID: case ZYDIS_REGCLASS_TMM: case ZYDIS_REGCLASS_FLAGS:
    case ZYDIS_REGCLASS_TABLE:
      continue;
    case ZYDIS_REGCLASS_IP:
      if (r == ZYDIS_REGISTER_IP)
        continue;
      break;
    default:
      break;
    }
    if (s && *s)
      entry(s).reg = r;
  }
  entry("st").reg = ZYDIS_REGISTER_ST0;
  static const char *const low_bytes[] = {"r8l", "r9l", "r10l", "r11l", "r12l",
                                          "r13l", "r14l", "r15l"};
  for (int i = 0; i < 8; i++)
    entry(low_bytes[i]).reg = ZYDIS_REGISTER_R8B + i;
  for (int m = 1; m <= ZYDIS_MNEMONIC_MAX_VALUE; m++) {
    const char *s = ZydisMnemonicGetString((ZydisMnemonic)m);
    if (s && *s)
      entry(s).mnem = m;
  }
  for (auto &a : mnem_alias) {
    auto it = index.find(a[1]);
    if (it != index.end() && kws[(size_t)it->second].mnem)
      entry(a[0]).mnem = kws[(size_t)it->second].mnem;
  }
  /* push, pop and ret with the operand size in the name */
  static const struct { const char *n, *to; int size; } sized[] = {
    {"pushw", "push", 2}, {"pushd", "push", 4}, {"popw", "pop", 2},
    {"popd", "pop", 4}, {"retw", "ret", 2}, {"retd", "ret", 4},
    {"retnw", "ret", 2}, {"retnd", "ret", 4},
  };
  for (auto &z : sized) {
    asm_kw &k = entry(z.n);
    k.mnem = kws[(size_t)index.find(z.to)->second].mnem;
    k.opsize = z.size;
  }
  entry("rep").prefix = 1;
  entry("repe").prefix = entry("repz").prefix = 2;
  entry("repne").prefix = entry("repnz").prefix = 3;
  entry("lock").prefix = 4;
  for (auto &w : size_words)
    entry(w.n).size = w.s;
  for (auto &d : data_dirs) {
    asm_kw &k = entry(d.n);
    k.unit = d.u;
    k.reserve = d.r;
  }
  for (const char *n : mode_names)
    entry(n).flags |= ASM_KW_MODE;
  for (const char *n : string_names)
    entry(n).flags |= ASM_KW_STRING;
  for (const char *n : wait_names)
    entry(n).flags |= ASM_KW_WAIT;
  entry("retf").flags |= ASM_KW_RETF;
  static const struct { const char *n; int size; } far_rets[] = {
    {"retfw", 2}, {"retfd", 4}, {"retfq", 8}};
  for (auto &z : far_rets) {
    asm_kw &k = entry(z.n);
    k.flags |= ASM_KW_RETF;
    k.opsize = z.size;
  }
}

const reg_tables &tables() {
  static const reg_tables t;
  return t;
}

/* Index of a name in the table, 0 when it has no meaning. */
int kw_index(const std::string &name) {
  char buf[24];
  size_t n = name.size();
  if (n == 0 || n > sizeof buf)
    return 0;
  char f = (char)(name[0] | 0x20);
  if (f < 'a' || f > 'z') /* every name with a meaning starts with a letter */
    return 0;
  for (size_t i = 0; i < n; i++) {
    char c = name[i];
    buf[i] = c >= 'A' && c <= 'Z' ? (char)(c - 'A' + 'a') : c;
  }
  auto &t = tables();
  auto it = t.index.find(std::string_view(buf, n));
  return it == t.index.end() ? 0 : it->second;
}

const asm_kw &kw_of(const std::string &name) {
  return tables().kws[(size_t)kw_index(name)];
}
} // namespace

const asm_kw &asm_tok_kw_find(const asm_tok &k) {
  if (k.kind != ASM_TK_NAME || k.s.empty())
    return tables().kws[0];
  const asm_kw *kw = &tables().kws[(size_t)kw_index(k.s)];
  k.s.e->second.kw = kw; /* kept with the text: one lookup per name */
  return *kw;
}

int asm_reg_find(const std::string &name) { return kw_of(name).reg; }

int asm_reg_size(asm_state *st, int reg) {
  ZydisMachineMode mode = st->bits == 64 ? ZYDIS_MACHINE_MODE_LONG_64
                          : st->bits == 16 ? ZYDIS_MACHINE_MODE_LEGACY_16
                                           : ZYDIS_MACHINE_MODE_LEGACY_32;
  return ZydisRegisterGetWidth(mode, (ZydisRegister)reg) / 8;
}

bool asm_reg_special(int reg) {
  switch (ZydisRegisterGetClass((ZydisRegister)reg)) {
  case ZYDIS_REGCLASS_CONTROL: case ZYDIS_REGCLASS_DEBUG:
    return true;
  default:
    return false;
  }
}

bool asm_reg_is_gp(int reg) {
  switch (ZydisRegisterGetClass((ZydisRegister)reg)) {
  case ZYDIS_REGCLASS_GPR8: case ZYDIS_REGCLASS_GPR16:
  case ZYDIS_REGCLASS_GPR32: case ZYDIS_REGCLASS_GPR64:
    return true;
  default:
    return false;
  }
}

int asm_reg_seg(int reg) {
  if (ZydisRegisterGetClass((ZydisRegister)reg) != ZYDIS_REGCLASS_SEGMENT)
    return 0;
  return reg - ZYDIS_REGISTER_ES + 1;
}

int asm_size_word(const std::string &name) { return kw_of(name).size; }

/* Returns the mnemonic number, or 0; prefixes give *prefix 1 rep, 2 repe,
** 3 repne, 4 lock. */
int asm_mnemonic_find(const std::string &name, int *prefix) {
  const asm_kw &k = kw_of(name);
  *prefix = k.prefix;
  return k.mnem;
}
