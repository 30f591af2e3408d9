/*
** Names the instruction set gives meaning to: registers, size words and
** mnemonics, looked up case-insensitively. Register and mnemonic numbers
** are the encoder's own, so the bridge needs no translation.
*/
#include "asm_int.h"

#include <Zydis/Zydis.h>

#include <cstring>

namespace {
struct reg_tables {
  std::unordered_map<std::string, int> regs, mnems;
  reg_tables();
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

reg_tables::reg_tables() {
  for (int r = 1; r <= ZYDIS_REGISTER_MAX_VALUE; r++) {
    const char *s = ZydisRegisterGetString((ZydisRegister)r);
    if (s && *s)
      regs[s] = r;
  }
  regs["st"] = ZYDIS_REGISTER_ST0;
  for (int m = 1; m <= ZYDIS_MNEMONIC_MAX_VALUE; m++) {
    const char *s = ZydisMnemonicGetString((ZydisMnemonic)m);
    if (s && *s)
      mnems[s] = m;
  }
  for (auto &a : mnem_alias) {
    auto it = mnems.find(a[1]);
    if (it != mnems.end())
      mnems[a[0]] = it->second;
  }
  mnems["rep"] = -1;
  mnems["repe"] = mnems["repz"] = -2;
  mnems["repne"] = mnems["repnz"] = -3;
  mnems["lock"] = -4;
}

const reg_tables &tables() {
  static const reg_tables t;
  return t;
}
} // namespace

int asm_reg_find(const std::string &name) {
  if (name.size() > 8)
    return 0;
  auto &m = tables().regs;
  auto it = m.find(asm_lower(name));
  return it == m.end() ? 0 : it->second;
}

int asm_reg_size(asm_state *st, int reg) {
  ZydisMachineMode mode = st->bits == 64 ? ZYDIS_MACHINE_MODE_LONG_64
                          : st->bits == 16 ? ZYDIS_MACHINE_MODE_LEGACY_16
                                           : ZYDIS_MACHINE_MODE_LEGACY_32;
  return ZydisRegisterGetWidth(mode, (ZydisRegister)reg) / 8;
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

int asm_size_word(const std::string &name) {
  static const struct { const char *n; int s; } words[] = {
    {"byte", 1}, {"word", 2}, {"dword", 4}, {"fword", 6}, {"pword", 6},
    {"qword", 8}, {"tbyte", 10}, {"tword", 10}, {"dqword", 16},
    {"xword", 16}, {"qqword", 32}, {"yword", 32}, {"zword", 64},
  };
  if (name.size() > 6)
    return 0;
  std::string l = asm_lower(name);
  for (auto &w : words)
    if (l == w.n)
      return w.s;
  return 0;
}

/* Returns the mnemonic number, or 0; prefixes give -1 rep, -2 repe,
** -3 repne, -4 lock. */
int asm_mnemonic_find(const std::string &name, int *prefix) {
  *prefix = 0;
  if (name.size() > 20)
    return 0;
  auto &m = tables().mnems;
  auto it = m.find(asm_lower(name));
  if (it == m.end())
    return 0;
  if (it->second < 0) {
    *prefix = -it->second;
    return 0;
  }
  return it->second;
}
