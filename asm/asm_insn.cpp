/*
** Instruction lines: prefixes, mnemonic and operands (registers, memory
** in brackets with size words and segment overrides, immediates and far
** pointers), handed to the encoder; the bytes go to the output.
*/
#include "asm/asm_int.h"

#include <Zydis/Zydis.h>

namespace {

bool is_word(const asm_tok &k, const char *w) { return asm_tok_is(k, w); }

/* End of the operand starting at b: the next comma outside brackets. */
size_t op_end(const asm_toks &t, size_t b) {
  int depth = 0;
  for (size_t i = b; i < t.size(); i++) {
    if (t[i].sym('[') || t[i].sym('('))
      depth++;
    else if (t[i].sym(']') || t[i].sym(')'))
      depth--;
    else if (t[i].sym(',') && depth <= 0)
      return i;
  }
  return t.size();
}

int fail(asm_state *st, int id) {
  asm_error(st, id, *st->line);
  return id;
}

/* Splits the register terms of an address into base, index and scale. */
int mem_regs(asm_state *st, asm_operand &op) {
  asm_val &v = op.val;
  int regs[4], scales[4], n = 0, vsib = 0, vscale = 0, ip = 0;
  for (int i = 0; i < v.nreg; i++) {
    if (v.scale[i] == 0)
      continue;
    ZydisRegisterClass c = ZydisRegisterGetClass((ZydisRegister)v.reg[i]);
    if (c == ZYDIS_REGCLASS_XMM || c == ZYDIS_REGCLASS_YMM || c == ZYDIS_REGCLASS_ZMM) {
      /* a vector index: gathers and scatters */
      int s = (int)v.scale[i];
      if (vsib || (s != 1 && s != 2 && s != 4 && s != 8) || v.scale[i] != s)
        return ASM_E_INVALID_ADDRESS;
      vsib = v.reg[i];
      vscale = s;
      continue;
    }
    if (c == ZYDIS_REGCLASS_IP) { /* [rip+n]: n counts from the next instruction */
      if (st->bits != 64 || v.scale[i] != 1 || ip)
        return ASM_E_INVALID_ADDRESS;
      ip = v.reg[i];
      continue;
    }
    if (!asm_reg_is_gp(v.reg[i]) || v.scale[i] < 0 || v.scale[i] > 9)
      return ASM_E_INVALID_ADDRESS;
    regs[n] = v.reg[i];
    scales[n++] = (int)v.scale[i];
  }
  v.nreg = 0;
  if (ip) {
    if (n || vsib || v.reloc)
      return ASM_E_INVALID_ADDRESS;
    op.base = ip;
    op.addr = ip == ZYDIS_REGISTER_EIP ? 4 : 8;
    return ASM_OK;
  }
  for (int i = 0; i < n; i++) {
    int sz = asm_reg_size(st, regs[i]);
    if (sz < 2)
      return ASM_E_INVALID_ADDRESS;
    if (op.addr && op.addr != sz)
      return ASM_E_INVALID_ADDRESS;
    op.addr = sz;
  }
  if (n == 1) {
    int s = scales[0];
    if (s == 1) {
      op.base = regs[0];
    } else if (s == 2 || s == 3 || s == 5 || s == 9) {
      if (regs[0] == ZYDIS_REGISTER_ESP || regs[0] == ZYDIS_REGISTER_RSP)
        return ASM_E_INVALID_ADDRESS; /* the stack pointer cannot index */
      op.base = op.index = regs[0];
      op.scale = s - 1;
      /* [ds:ebp*2+disp32]: the reference keeps the index alone, which
      ** needs no prefix, where the split needs disp32 anyway */
      if (s == 2 && st->bits != 64 && op.seg == ZYDIS_REGISTER_DS &&
          regs[0] == ZYDIS_REGISTER_EBP && !v.reloc && !v.wide &&
          (v.v < -128 || v.v > 127)) {
        op.base = 0;
        op.scale = 2;
      }
    } else if (s == 4 || s == 8) {
      op.index = regs[0];
      op.scale = s;
    } else {
      return ASM_E_INVALID_ADDRESS;
    }
  } else if (n == 2) {
    int b = 0, x = 1;
    if (scales[0] != 1 && scales[1] == 1) {
      b = 1;
      x = 0;
    }
    if (scales[b] != 1)
      return ASM_E_INVALID_ADDRESS;
    int s = scales[x];
    if (s != 1 && s != 2 && s != 4 && s != 8)
      return ASM_E_INVALID_ADDRESS;
    op.base = regs[b];
    op.index = regs[x];
    op.scale = s;
    /* 64-bit code: the reference makes (e|r)bp the index rather than a
    ** base that needs a displacement */
    if (s == 1 && st->bits == 64 && op.index != op.base &&
        (op.base == ZYDIS_REGISTER_EBP || op.base == ZYDIS_REGISTER_RBP) &&
        op.index != ZYDIS_REGISTER_ESP && op.index != ZYDIS_REGISTER_RSP) {
      op.base = regs[x];
      op.index = regs[b];
    }
    /* 16-bit addresses: bx or bp is the base, si or di the index */
    if (s == 1 && (op.base == ZYDIS_REGISTER_SI || op.base == ZYDIS_REGISTER_DI) &&
        (op.index == ZYDIS_REGISTER_BX || op.index == ZYDIS_REGISTER_BP)) {
      op.base = regs[x];
      op.index = regs[b];
    }
    /* outside 64-bit code the reference picks the base that makes the
    ** stated segment the default one, so that no prefix is needed; then
    ** a stack pointer written second becomes the base (one that the
    ** segment rule moved to the index stays there: invalid) */
    bool esp_second = op.index == ZYDIS_REGISTER_ESP || op.index == ZYDIS_REGISTER_RSP;
    bool bp_base = op.base == ZYDIS_REGISTER_EBP;
    bool bp_index = op.index == ZYDIS_REGISTER_EBP;
    if (s == 1 && st->bits != 64 && op.addr == 4 &&
        ((op.seg == ZYDIS_REGISTER_DS && bp_base && !bp_index && !esp_second) ||
         (op.seg == ZYDIS_REGISTER_SS && !bp_base && bp_index))) {
      int t = op.base;
      op.base = op.index;
      op.index = t;
    }
    if (s == 1 && (op.index == ZYDIS_REGISTER_ESP || op.index == ZYDIS_REGISTER_RSP)) {
      if (!esp_second)
        return ASM_E_INVALID_ADDRESS;
      op.index = op.base;
      op.base = regs[x];
    }
  } else if (n > 2) {
    return ASM_E_INVALID_ADDRESS;
  } else if (n == 0 && vsib == 0 && st->bits == 16 && !op.val.reloc &&
             (op.val.wide || op.val.v < -0x8000 || op.val.v > 0xFFFF)) {
    op.addr = 4; /* beyond 16 bits: a 32-bit address, as the reference */
  }
  if (vsib) {
    if (op.index)
      return ASM_E_INVALID_ADDRESS;
    op.index = vsib;
    op.scale = vscale;
  }
  if (op.index && op.scale == 0)
    op.scale = 1;
  return ASM_OK;
}

/* [dword eax+1], [word 10], [qword 10]: a size in the brackets is the
** address size. With registers it must be theirs and the displacement
** takes its full width; a plain address takes it as its own. */
int stated_addr(asm_state *st, asm_operand &op, int stated) {
  if (stated != 2 && stated != 4 && stated != 8)
    return ASM_E_ADDRESS_SIZE;
  bool ip = op.base == ZYDIS_REGISTER_RIP || op.base == ZYDIS_REGISTER_EIP;
  bool regs = op.base || op.index;
  if (!regs)
    op.addr = 0; /* the value's own width gives way to the stated one */
  if (ip || (regs && op.addr != stated) || (!regs && st->bits == 64 && stated == 2))
    return ASM_E_INVALID_ADDRESS;
  asm_val &v = op.val;
  if (!regs && st->bits != 64 && stated == 8 && !v.reloc) {
    /* taken as a 32-bit address cut to 32 bits, as the reference does;
    ** only the plain-offset mov refuses it */
    v.v = (int64_t)(uint32_t)v.v;
    v.wide = 0;
    op.addr = 4;
    op.stated = 8;
    return ASM_OK;
  }
  /* a 16-bit displacement wraps: -10000h to 0FFFFh; so does the plain
  ** offset of mov, but other plain addresses stop at -8000h */
  if (stated == 2 && !v.reloc && (v.wide || v.v < -0x10000 || v.v > 0xFFFF))
    return ASM_E_VALUE_RANGE;
  if (stated == 2 && regs)
    v.v = (int16_t)v.v;
  op.addr = stated;
  op.stated = stated;
  return ASM_OK;
}

int parse_mem(asm_state *st, const asm_toks &t, size_t b, size_t e,
              asm_operand &op) {
  op.kind = ASM_OP_MEM;
  if (!t[e - 1].sym(']'))
    return ASM_E_INVALID_ADDRESS;
  e--;
  if (b + 1 < e && t[b + 1].sym(':') && asm_reg_seg(asm_tok_kw(t[b]).reg)) {
    op.seg = asm_tok_kw(t[b]).reg;
    b += 2;
  }
  int stated = 0;
  if (b < e && asm_tok_kw(t[b]).size)
    stated = asm_tok_kw(t[b++]).size;
  if (b >= e)
    return ASM_E_INVALID_ADDRESS;
  int err = asm_expr_eval(st, t, b, e, true, op.val);
  if (err)
    return err;
  if (b != e)
    return ASM_E_INVALID_ADDRESS;
  if (!op.size && op.val.size)
    op.size = -op.val.size; /* implied by a label: weaker than stated */
  err = mem_regs(st, op);
  return err ? err : stated ? stated_addr(st, op, stated) : ASM_OK;
}

int parse_operand(asm_state *st, asm_insn &in, const asm_toks &t, size_t b,
                  size_t e, asm_operand &op) {
  for (; b < e && t[b].kind == ASM_TK_NAME; b++) {
    int sz = asm_tok_kw(t[b]).size;
    if (sz && !op.size) {
      op.size = sz;
      if (b + 1 < e && is_word(t[b + 1], "ptr"))
        b++;
    } else if (is_word(t[b], "short")) {
      in.jump = ASM_JUMP_SHORT;
    } else if (is_word(t[b], "near")) {
      in.jump = ASM_JUMP_NEAR;
    } else if (is_word(t[b], "far")) {
      in.jump = ASM_JUMP_FAR;
    } else {
      break;
    }
  }
  if (b >= e)
    return ASM_E_INVALID_OPERAND;
  if (b + 2 < e && t[b + 1].sym(':') && t[b + 2].sym('[') &&
      asm_reg_seg(asm_tok_kw(t[b]).reg)) {
    op.seg = asm_tok_kw(t[b]).reg;
    b += 2;
  }
  if (t[b].sym('['))
    return parse_mem(st, t, b + 1, e, op);
  if (e - b == 1 && asm_tok_kw(t[b]).reg) {
    op.kind = ASM_OP_REG;
    op.reg = asm_tok_kw(t[b]).reg;
    if (op.size && op.size != asm_reg_size(st, op.reg))
      return ASM_E_SIZES_MISMATCH;
    return ASM_OK;
  }
  int err = asm_expr_eval(st, t, b, e, false, op.val);
  if (err)
    return err;
  if (b < e && t[b].sym(':')) {
    if (in.mnem != ZYDIS_MNEMONIC_JMP && in.mnem != ZYDIS_MNEMONIC_CALL)
      return ASM_E_EXTRA_CHARS;
    b++;
    if (op.val.reloc)
      return ASM_E_SYMBOL_USE;
    op.kind = ASM_OP_FAR;
    op.far_seg = op.val.v;
    err = asm_expr_eval(st, t, b, e, false, op.val);
    if (err)
      return err;
  }
  if (b != e || op.val.nreg)
    return ASM_E_INVALID_OPERAND;
  return ASM_OK;
}

/* rep, repe, repne and lock are bytes of their own, written in the order
** the source gives them and checked against nothing, as in the dialect's
** reference: `repe movsb' and `lock mov' are what they say. */
struct prefixes {
  uint8_t b[8];
  size_t n = 0;
};

bool add_prefix(prefixes &p, int which) {
  static const uint8_t bytes[4] = {0xF3, 0xF3, 0xF2, 0xF0};
  if (p.n == sizeof p.b)
    return false;
  p.b[p.n++] = bytes[which - 1];
  return true;
}

bool emit_code(asm_state *st, const asm_code &c) {
  size_t at = asm_out_area(st).bytes.size();
  if (!asm_out_bytes(st, c.b, c.len))
    return false;
  asm_val one;
  one.reloc = 1;
  for (int i = 0; i < c.nreloc; i++)
    asm_out_reloc(st, one, 4, at + c.reloc_at[i]);
  return true;
}

/* movs, cmps, scas, lods, stos, ins, outs with operands: the size comes
** from them, only the source's segment can be overridden. */
int string_form(asm_state *st, asm_insn &in, const std::string &name) {
  int size = 0;
  for (int i = 0; i < in.nops; i++) {
    asm_operand &o = in.ops[i];
    int s = o.kind == ASM_OP_MEM ? (o.size < 0 ? -o.size : o.size)
            : o.kind == ASM_OP_REG && asm_reg_is_gp(o.reg) &&
                      asm_reg_find("dx") != o.reg ? asm_reg_size(st, o.reg) : 0;
    if (s && size && s != size)
      return ASM_E_SIZES_MISMATCH;
    if (s)
      size = s;
    if (o.kind == ASM_OP_MEM) {
      if (o.addr && in.addr && o.addr != in.addr)
        return ASM_E_ADDRESS_SIZES;
      if (o.addr)
        in.addr = o.addr;
      /* only the source (si) can take another segment; es of the
      ** destination and ds of the source are the defaults */
      bool source = o.base == ZYDIS_REGISTER_SI || o.base == ZYDIS_REGISTER_ESI ||
                    o.base == ZYDIS_REGISTER_RSI || o.base == ZYDIS_REGISTER_BX ||
                    o.base == ZYDIS_REGISTER_EBX || o.base == ZYDIS_REGISTER_RBX;
      if (o.seg && source && o.seg != ZYDIS_REGISTER_DS)
        in.seg = o.seg;
    }
  }
  if (asm_lower(name) == "xlat") {
    if (in.nops != 1 || in.ops[0].kind != ASM_OP_MEM)
      return ASM_E_INVALID_OPERAND;
    in.nops = 0;
    return ASM_OK;
  }
  if (!size)
    return ASM_E_SIZE_NOT_SPECIFIED;
  const char *suffix = size == 1 ? "b" : size == 2 ? "w" : size == 4 ? "d"
                       : size == 8 ? "q" : nullptr;
  int prefix;
  in.mnem = suffix ? asm_mnemonic_find(asm_lower(name) + suffix, &prefix) : 0;
  if (!in.mnem)
    return ASM_E_OPERAND_SIZE;
  in.nops = 0;
  return ASM_OK;
}

bool emit_insn(asm_state *st, asm_insn &in, const prefixes &pre) {
  if (pre.n && !asm_out_bytes(st, pre.b, pre.n))
    return false;
  if (in.wait) {
    static const uint8_t fwait = 0x9B;
    if (!asm_out_bytes(st, &fwait, 1))
      return false;
  }
  asm_code code;
  int err = asm_enc_insn(st, in, code);
  if (err == ASM_E_JUMP_RANGE && code.len) {
    fail(st, err);
    return emit_code(st, code) && false;
  }
  if (err)
    return fail(st, err), false;
  return emit_code(st, code);
}

bool binary_word(const asm_tok &k) {
  static const char *const ops[] = {"mod", "and", "or", "xor", "shl", "shr"};
  for (const char *o : ops)
    if (asm_tok_is(k, o))
      return true;
  return false;
}

/* End of one operand of `push a b c`: a register alone, a size word and
** an address in brackets, or an expression up to the first two operands
** with no operator between them. */
size_t stack_operand_end(const asm_toks &t, size_t b, size_t e) {
  while (b < e && t[b].kind == ASM_TK_NAME && asm_tok_kw(t[b]).size)
    b++;
  if (b < e && asm_tok_kw(t[b]).reg && !(b + 1 < e && t[b + 1].sym(':')))
    return b + 1;
  if (b + 1 < e && asm_tok_kw(t[b]).reg && t[b + 1].sym(':'))
    b += 2; /* fs:[...] */
  if (b < e && t[b].sym('[')) {
    int depth = 0;
    for (; b < e; b++) {
      if (t[b].sym('['))
        depth++;
      else if (t[b].sym(']') && --depth == 0)
        return b + 1;
    }
    return e;
  }
  bool operand = true; /* an operand is expected next */
  while (b < e) {
    const asm_tok &k = t[b];
    if (operand) {
      if (k.sym('-') || k.sym('+') || asm_tok_is(k, "not") || asm_tok_is(k, "bsf") ||
          asm_tok_is(k, "bsr")) {
        b++;
        continue;
      }
      if (k.sym('(')) {
        int depth = 0;
        for (; b < e; b++) {
          if (t[b].sym('('))
            depth++;
          else if (t[b].sym(')') && --depth == 0)
            break;
        }
        b++;
      } else {
        b++;
      }
      operand = false;
    } else {
      if (!(k.sym('+') || k.sym('-') || k.sym('*') || k.sym('/') || binary_word(k)))
        return b;
      b++;
      operand = true;
    }
  }
  return e;
}

/* push and pop with several operands: one instruction for each, in order. */
bool stack_list(asm_state *st, const asm_insn &base, const prefixes &pre,
                const asm_toks &t, size_t pos) {
  while (pos < t.size()) {
    size_t e = stack_operand_end(t, pos, t.size());
    asm_insn in = base;
    in.nops = 1;
    int err = parse_operand(st, in, t, pos, e, in.ops[0]);
    if (err)
      return fail(st, err), false;
    if (!emit_insn(st, in, pre))
      return false;
    pos = e;
  }
  return true;
}

} // namespace

/* x87 control instructions that wait first: fwait, then the no-wait form. */
bool wait_form(const std::string &name, int *m) {
  static const char *const forms[] = {"fstsw", "fstcw", "finit", "fclex",
                                      "fsave", "fstenv", "feni", "fdisi"};
  std::string l = asm_lower(name);
  for (const char *f : forms)
    if (l == f) {
      int none;
      *m = asm_mnemonic_find("fn" + l.substr(1), &none);
      return *m != 0;
    }
  return false;
}

/* x87 control forms of the 8087 and 287 that later processors ignore. */
bool raw_form(const std::string &name, const uint8_t *&bytes, size_t &n) {
  static const struct { const char *name; uint8_t b[3]; size_t n; } forms[] = {
    {"fneni", {0xDB, 0xE0}, 2}, {"fndisi", {0xDB, 0xE1}, 2},
    {"fsetpm", {0xDB, 0xE4}, 2}, {"feni", {0x9B, 0xDB, 0xE0}, 3},
    {"fdisi", {0x9B, 0xDB, 0xE1}, 3},
  };
  std::string l = asm_lower(name);
  for (auto &f : forms)
    if (l == f.name) {
      bytes = f.b;
      n = f.n;
      return true;
    }
  return false;
}

/* cmpeqps xmm0, xmm1 is cmpps xmm0, xmm1, 0: the predicate named in the
** mnemonic becomes the last operand. */
int cmp_form(const std::string &name, int64_t *pred) {
  static const char *const preds[] = {
    "eq", "lt", "le", "unord", "neq", "nlt", "nle", "ord", "eq_uq", "nge",
    "ngt", "false", "neq_oq", "ge", "gt", "true", "eq_os", "lt_oq", "le_oq",
    "unord_s", "neq_us", "nlt_uq", "nle_uq", "ord_s", "eq_us", "nge_uq",
    "ngt_uq", "false_os", "neq_os", "ge_oq", "gt_oq", "true_us"};
  std::string l = asm_lower(name);
  bool vex = l.compare(0, 4, "vcmp") == 0;
  size_t from = vex ? 4 : 3;
  if (l.size() < from + 3 || l.compare(0, from, vex ? "vcmp" : "cmp") != 0)
    return 0;
  std::string kind = l.substr(l.size() - 2), p = l.substr(from, l.size() - from - 2);
  int limit = vex ? 32 : 8;
  for (int i = 0; i < limit; i++)
    if (p == preds[i]) {
      int none;
      int m = asm_mnemonic_find((vex ? "vcmp" : "cmp") + kind, &none);
      *pred = i;
      return kind == "ps" || kind == "pd" || kind == "ss" || kind == "sd" ? m : 0;
    }
  return 0;
}

/* Forms whose operand size follows the code mode. */
int mode_form(asm_state *st, const std::string &name, int m) {
  static const char *const forms[][3] = {
    {"pusha", "pushad", "pushad"}, {"popa", "popad", "popad"},
    {"pushf", "pushfd", "pushfq"}, {"popf", "popfd", "popfq"},
    {"iret", "iretd", "iretq"},
    {"pushaw", "pusha", ""}, {"popaw", "popa", ""}, {"pushfw", "pushf", "pushf"},
    {"popfw", "popf", "popf"}, {"iretw", "iret", "iret"},
  };
  std::string l = asm_lower(name);
  for (auto &f : forms) {
    if (l != f[0])
      continue;
    const char *to = st->bits == 16 ? (l.back() == 'w' ? f[1] : f[0])
                     : st->bits == 32 ? f[1] : f[2];
    int none;
    int r = *to ? asm_mnemonic_find(to, &none) : 0;
    return r ? r : m;
  }
  return m;
}

bool asm_insn_line(asm_state *st, const asm_line &l, size_t pos) {
  const asm_toks &t = l.t;
  asm_insn in;
  prefixes pre;
  int64_t pred = -1;
  std::string strop;
  while (pos < t.size() && t[pos].kind == ASM_TK_NAME) {
    const asm_kw &kw = asm_tok_kw(t[pos]);
    int prefix = kw.prefix;
    int m = kw.mnem;
    if (!m && !prefix && (kw.flags & ASM_KW_WAIT) && wait_form(t[pos].s, &m))
      in.wait = true;
    if (!prefix && (kw.flags & ASM_KW_MODE))
      m = mode_form(st, t[pos].s, m);
    if (!m && !prefix && (kw.flags & ASM_KW_RETF)) {
      m = ZYDIS_MNEMONIC_RET; /* a far return, 64-bit in 64-bit code */
      in.jump = ASM_JUMP_FAR;
    }
    bool xlat = m == ZYDIS_MNEMONIC_XLAT;
    if ((xlat || (!m && !prefix && (kw.flags & ASM_KW_STRING))) && pos + 1 < t.size()) {
      strop = t[pos++].s;
      in.mnem = m ? m : -1;
      break;
    }
    pos++;
    if (prefix) {
      if (!add_prefix(pre, prefix))
        return fail(st, ASM_E_ILLEGAL_INSN), false;
      continue;
    }
    in.opsize = kw.opsize;
    if (!in.opsize && (kw.flags & ASM_KW_RETF) && st->bits == 64)
      in.opsize = 8;
    const uint8_t *raw;
    size_t nraw;
    if (!m && raw_form(t[pos - 1].s, raw, nraw)) {
      if (pos != t.size())
        return fail(st, ASM_E_INVALID_OPERAND), false;
      return asm_out_bytes(st, pre.b, pre.n) && asm_out_bytes(st, raw, nraw);
    }
    if (!m)
      m = cmp_form(t[pos - 1].s, &pred);
    if (!m)
      return fail(st, ASM_E_ILLEGAL_INSN), false;
    in.mnem = m;
    break;
  }
  if (!in.mnem) {
    if (pos < t.size() || !pre.n)
      return fail(st, ASM_E_ILLEGAL_INSN), false;
    return asm_out_bytes(st, pre.b, pre.n);
  }
  if (pos < t.size() && (asm_tok_kw(t[pos]).mnem || asm_tok_kw(t[pos]).prefix))
    return fail(st, ASM_E_EXTRA_CHARS), false;
  if ((in.mnem == ZYDIS_MNEMONIC_PUSH || in.mnem == ZYDIS_MNEMONIC_POP) &&
      pos < t.size() && op_end(t, pos) == t.size() &&
      stack_operand_end(t, pos, t.size()) < t.size())
    return stack_list(st, in, pre, t, pos);
  while (pos < t.size()) {
    if (in.nops == 5)
      return fail(st, ASM_E_INVALID_OPERAND), false;
    size_t e = op_end(t, pos);
    int err = parse_operand(st, in, t, pos, e, in.ops[in.nops++]);
    if (err)
      return fail(st, err), false;
    pos = e;
    if (pos < t.size()) {
      pos++;
      if (pos == t.size())
        return fail(st, ASM_E_INVALID_OPERAND), false;
    }
  }
  if (pred >= 0) {
    if (in.nops == 5)
      return fail(st, ASM_E_INVALID_OPERAND), false;
    asm_operand &o = in.ops[in.nops++];
    o.kind = ASM_OP_IMM;
    o.val.v = pred;
  }
  if (!strop.empty()) {
    int e = string_form(st, in, strop);
    if (e)
      return fail(st, e), false;
  }
  return emit_insn(st, in, pre);
}
