/*
** Bridge to the encoder tables: builds an encoder request from a parsed
** instruction, settles what the source left open (memory operand size,
** short or long branch) and diagnoses requests the tables reject.
** Relocatable fields are encoded with a placeholder that forces their full
** 32-bit form; the real value is patched in and its offset reported.
*/
#include "asm/asm_int.h"

#include <Zydis/Zydis.h>

#include <cstring>
#include <vector>
#include <utility>

namespace {

const uint32_t PH_DISP = 0x7ABCDE01, PH_IMM = 0x7ABCDE02, PH_IMM16 = 0x7AB3;

bool is_branch(int m) {
  switch (m) {
  case ZYDIS_MNEMONIC_JMP: case ZYDIS_MNEMONIC_CALL:
  case ZYDIS_MNEMONIC_JB: case ZYDIS_MNEMONIC_JBE: case ZYDIS_MNEMONIC_JCXZ:
  case ZYDIS_MNEMONIC_JECXZ: case ZYDIS_MNEMONIC_JRCXZ: case ZYDIS_MNEMONIC_JL:
  case ZYDIS_MNEMONIC_JLE: case ZYDIS_MNEMONIC_JNB: case ZYDIS_MNEMONIC_JNBE:
  case ZYDIS_MNEMONIC_JNL: case ZYDIS_MNEMONIC_JNLE: case ZYDIS_MNEMONIC_JNO:
  case ZYDIS_MNEMONIC_JNP: case ZYDIS_MNEMONIC_JNS: case ZYDIS_MNEMONIC_JNZ:
  case ZYDIS_MNEMONIC_JO: case ZYDIS_MNEMONIC_JP: case ZYDIS_MNEMONIC_JS:
  case ZYDIS_MNEMONIC_JZ: case ZYDIS_MNEMONIC_LOOP: case ZYDIS_MNEMONIC_LOOPE:
  case ZYDIS_MNEMONIC_LOOPNE: case ZYDIS_MNEMONIC_XBEGIN:
    return true;
  default:
    return false;
  }
}

ZydisMachineMode mode_of(asm_state *st) {
  return st->bits == 64   ? ZYDIS_MACHINE_MODE_LONG_64
         : st->bits == 16 ? ZYDIS_MACHINE_MODE_LEGACY_16
                          : ZYDIS_MACHINE_MODE_LEGACY_32;
}

ZydisOperandSizeHint size_hint(int bytes) {
  switch (bytes) {
  case 1: return ZYDIS_OPERAND_SIZE_HINT_8;
  case 2: return ZYDIS_OPERAND_SIZE_HINT_16;
  case 4: return ZYDIS_OPERAND_SIZE_HINT_32;
  case 8: return ZYDIS_OPERAND_SIZE_HINT_64;
  default: return ZYDIS_OPERAND_SIZE_HINT_NONE;
  }
}


/* Sign-extends v from `size` bytes, after checking that it fits there. */
bool fit_imm(int64_t &v, int size) {
  if (size <= 0 || size >= 8)
    return true;
  int bits = size * 8;
  int64_t lo = -(int64_t(1) << bits), hi = (int64_t(1) << bits) - 1;
  if (v < lo || v > hi)
    return false;
  uint64_t m = (uint64_t(1) << bits) - 1, x = (uint64_t)v & m;
  if (x >> (bits - 1))
    x |= ~m;
  v = (int64_t)x;
  return true;
}

struct enc {
  asm_state *st;
  asm_insn &in;
  ZydisEncoderRequest req;
  int memop = -1;        /* the memory operand, if any */
  bool rel = false;      /* relative branch to operand 0 */
  int64_t here = 0;
  int64_t rel_value = 0;  /* displacement of a relative branch */
  int rip = -1;           /* 64-bit: operand addressed relative to RIP */
  int64_t rip_disp = 0;
  ZydisBranchWidth width = ZYDIS_BRANCH_WIDTH_NONE;
  int imm_size = 0;      /* size the immediate must fit */
  bool imm_zero = false; /* diagnosis: immediate replaced by 0 */
  bool full_imm = false; /* stated immediate size: no short form */
  uint8_t seg = 0;       /* segment override prefix byte */
  bool as32 = false;     /* 16-bit code with a 32-bit address: encoded as
                         ** 32-bit code, the size prefixes turned round */
  enc(asm_state *s, asm_insn &i) : st(s), in(i) {}
};

/* The segment an address uses without override: the stack segment for
** the frame and stack pointers as base, the data segment otherwise. */
int default_seg(const asm_operand &o) {
  switch (o.base) {
  case ZYDIS_REGISTER_BP: case ZYDIS_REGISTER_EBP: case ZYDIS_REGISTER_RBP:
  case ZYDIS_REGISTER_SP: case ZYDIS_REGISTER_ESP: case ZYDIS_REGISTER_RSP:
    return ZYDIS_REGISTER_SS;
  default:
    return ZYDIS_REGISTER_DS;
  }
}

/* The segment override an operand states, as the prefix byte; none where
** it is the default, nor es, cs, ss, ds in 64-bit code, which ignores
** them (the reference leaves them out). */
uint8_t seg_byte(asm_state *st, int seg) {
  static const uint8_t bytes[6] = {0x26, 0x2E, 0x36, 0x3E, 0x64, 0x65};
  int k = asm_reg_seg(seg);
  if (!k || (st->bits == 64 && k <= 4))
    return 0;
  return bytes[k - 1];
}

bool module_mode(asm_state *st) { return st->opt.format == ASM_FORMAT_MODULE; }

/* A 32-bit absolute address keeps its full size: the encoder would
** otherwise pick the 16-bit address form of the accumulator moves. */
/* [dword eax+1]: a size in the brackets takes the displacement at full
** width, whatever its value */
bool full_disp(const asm_operand &o) {
  return o.stated && (o.base || o.index);
}

bool abs_disp(const enc &e, const asm_operand &o) {
  return ((e.st->bits == 32 || e.as32) && !o.base && !o.index && o.addr != 2) ||
         full_disp(o);
}

/* A plain address with its size stated in 64-bit code is absolute: an
** address that sign-extends from 32 bits needs no prefix, one that only
** zero-extends takes the 32-bit address size. */
int abs64(const asm_operand &o, int &size, ZyanI64 &d) {
  const asm_val &v = o.val;
  if (o.stated == 4 && (v.wide || v.v < INT32_MIN || v.v > (int64_t)UINT32_MAX))
    return ASM_E_VALUE_RANGE;
  int64_t x = o.stated == 4 ? (int64_t)(uint32_t)v.v : v.v; /* 64 bits wrap */
  if (x < INT32_MIN || x > (int64_t)UINT32_MAX)
    return ASM_E_VALUE_RANGE;
  size = x <= INT32_MAX ? 8 : 4;
  d = (int32_t)x;
  return ASM_OK;
}

/* The displacement as the address size holds it: a 16-bit address takes
** -8000h to 0FFFFh, a 32-bit one wraps within 32 bits from -2^32 up, a
** 64-bit one must be a signed 32-bit number once wrapped to 64 bits, as
** the reference checks them. */
int disp_value(asm_state *st, const asm_operand &o, ZyanI64 &d) {
  int a = o.addr ? o.addr : st->bits / 8;
  const asm_val &v = o.val;
  if (o.base == ZYDIS_REGISTER_RIP || o.base == ZYDIS_REGISTER_EIP) {
    if (v.wide || v.v < INT32_MIN || v.v > INT32_MAX)
      return ASM_E_VALUE_RANGE;
    d = v.v;
  } else if (a == 2 && (o.base || o.index)) {
    if (v.wide || v.v < -0x8000 || v.v > 0xFFFF)
      return ASM_E_VALUE_RANGE;
    d = (int16_t)v.v;
  } else if (a == 2 && o.stated && (v.v < -0x8000 || v.v > 0xFFFF)) {
    return ASM_E_VALUE_RANGE;
  } else if (a <= 4) {
    /* 64-bit code: the value wraps at 64 bits, then must be a 32-bit
    ** address or a negative 32-bit displacement */
    if (st->bits == 64 ? v.v < INT32_MIN || v.v > (int64_t)UINT32_MAX : !asm_val_fits(v, 4))
      return ASM_E_VALUE_RANGE;
    d = a == 2 && v.v >= 0 && v.v <= 0xFFFF ? v.v : (int32_t)v.v;
  } else {
    if (v.v < INT32_MIN || v.v > INT32_MAX)
      return ASM_E_VALUE_RANGE;
    d = v.v;
  }
  return ASM_OK;
}

int build(enc &e) {
  asm_state *st = e.st;
  ZydisEncoderRequest &r = e.req;
  memset(&r, 0, sizeof r);
  r.machine_mode = e.as32 ? ZYDIS_MACHINE_MODE_LEGACY_32 : mode_of(st);
  r.mnemonic = (ZydisMnemonic)e.in.mnem;
  if (e.in.prefix & 1) r.prefixes |= ZYDIS_ATTRIB_HAS_REP;
  if (e.in.prefix & 2) r.prefixes |= ZYDIS_ATTRIB_HAS_REPE;
  if (e.in.prefix & 4) r.prefixes |= ZYDIS_ATTRIB_HAS_REPNE;
  if (e.in.prefix & 8) r.prefixes |= ZYDIS_ATTRIB_HAS_LOCK;
  r.operand_count = (ZyanU8)e.in.nops;
  e.seg = seg_byte(st, e.in.seg);
  if (e.in.addr)
    r.address_size_hint = e.in.addr == 2 ? ZYDIS_ADDRESS_SIZE_HINT_16
                          : e.in.addr == 4 ? ZYDIS_ADDRESS_SIZE_HINT_32
                                           : ZYDIS_ADDRESS_SIZE_HINT_64;
  for (int i = 0; i < e.in.nops; i++) {
    asm_operand &o = e.in.ops[i];
    ZydisEncoderOperand &z = r.operands[i];
    if (o.seg && o.seg != default_seg(o))
      e.seg = seg_byte(st, o.seg);
    switch (o.kind) {
    case ASM_OP_REG:
      z.type = ZYDIS_OPERAND_TYPE_REGISTER;
      z.reg.value = (ZydisRegister)o.reg;
      break;
    case ASM_OP_MEM: {
      z.type = ZYDIS_OPERAND_TYPE_MEMORY;
      int a64 = 0;
      ZyanI64 d64 = 0;
      if (st->bits == 64 && o.stated && !o.base && !o.index && !o.val.reloc) {
        int err = abs64(o, a64, d64);
        if (err)
          return err;
      }
      if (!o.base && !o.index && i != e.rip) { /* a plain address: its size, or the mode's */
        int a = a64 ? a64 : o.addr ? o.addr : e.as32 ? 4 : st->bits / 8;
        r.address_size_hint = a == 2 ? ZYDIS_ADDRESS_SIZE_HINT_16
                              : a == 4 ? ZYDIS_ADDRESS_SIZE_HINT_32
                                       : ZYDIS_ADDRESS_SIZE_HINT_64;
      }
      z.mem.base = (ZydisRegister)(i == e.rip ? ZYDIS_REGISTER_RIP : o.base);
      z.mem.index = (ZydisRegister)o.index;
      z.mem.scale = (ZyanU8)o.scale;
      z.mem.size = (ZyanU16)(o.size < 0 ? -o.size : o.size);
      if (o.val.reloc && (o.val.reloc != 1 || !module_mode(st)))
        return ASM_E_SYMBOL_USE;
      if (i == e.rip) {
        z.mem.displacement = e.rip_disp;
      } else if (a64) {
        z.mem.displacement = d64;
        if (e.in.mnem == ZYDIS_MNEMONIC_LEA)
          z.mem.size = (ZyanU16)a64; /* lea: the operand's size is the address size */
      } else if (o.val.reloc || abs_disp(e, o)) {
        z.mem.displacement = o.addr == 2 ? PH_IMM16 : PH_DISP;
      } else {
        int err = disp_value(st, o, z.mem.displacement);
        if (err)
          return err;
      }
      break;
    }
    case ASM_OP_FAR:
      z.type = ZYDIS_OPERAND_TYPE_POINTER;
      if (o.val.reloc)
        return ASM_E_SYMBOL_USE;
      z.ptr.segment = (ZyanU16)o.far_seg;
      z.ptr.offset = (ZyanU32)o.val.v;
      break;
    default: {
      z.type = ZYDIS_OPERAND_TYPE_IMMEDIATE;
      int64_t v = o.val.v;
      if (e.rel && i == 0) {
        z.imm.s = e.rel_value;
        break;
      }
      if (o.val.reloc) {
        if (o.val.reloc != 1 || !module_mode(st))
          return ASM_E_SYMBOL_USE;
        z.imm.u = PH_IMM;
        break;
      }
      if (o.val.fp) {
        uint8_t b[8];
        int n = e.imm_size ? e.imm_size : 4;
        if (n != 4 && n != 8)
          return ASM_E_INVALID_VALUE;
        if (!asm_float_bits(o.val.f, n, b))
          return ASM_E_VALUE_RANGE;
        uint64_t x = 0;
        for (int k = n; k-- > 0;)
          x = (x << 8) | b[k];
        v = (int64_t)x;
      }
      if ((o.val.wide && e.imm_size != 8) || !fit_imm(v, e.imm_size))
        return ASM_E_VALUE_RANGE;
      z.imm.s = e.imm_zero ? 0 : v;
      if (e.full_imm && !e.imm_zero)
        z.imm.u = o.size == 2 ? PH_IMM16 : PH_IMM;
      break;
    }
    }
    if (o.size > 0 && o.kind == ASM_OP_IMM)
      r.operand_size_hint = size_hint(o.size);
  }
  if (e.in.opsize && e.in.mnem != ZYDIS_MNEMONIC_RET) /* ret: a prefix later */
    r.operand_size_hint = size_hint(e.in.opsize);
  if (e.rel) {
    r.branch_width = e.width;
  } else if (e.in.jump == ASM_JUMP_FAR) {
    r.branch_type = ZYDIS_BRANCH_TYPE_FAR;
  }
  return ASM_OK;
}

bool run(enc &e, asm_code &out) {
  ZyanUSize len = sizeof out.b;
  ZydisEncoderRequest r = e.req;
  ZyanStatus s = ZydisEncoderEncodeInstruction(&r, out.b, &len);
  if (!ZYAN_SUCCESS(s))
    return false;
  out.len = len;
  return true;
}

int try_encode(enc &e, asm_code &out) {
  int err = build(e);
  if (err)
    return err;
  return run(e, out) ? ASM_OK : -1;
}

/* Memory operand without a size: the one size the tables accept, or any
** when the encoding does not depend on it (`*uniform`). */
int settle_size(enc &e, asm_code &out, bool *uniform) {
  static const int sizes[] = {1, 2, 4, 6, 8, 10, 16, 32, 64};
  /* x87 and SSE state images, the mode's own size first */
  static const int state16[] = {14, 94, 512}, state32[] = {28, 108, 512};
  asm_operand &m = e.in.ops[e.memop];
  int found = 0, count = 0;
  asm_code first;
  *uniform = false;
  for (int s : sizes) {
    m.size = s;
    asm_code c;
    int err = try_encode(e, c);
    if (err > 0)
      return err;
    if (err == 0) {
      if (count && (c.len != first.len || memcmp(c.b, first.b, c.len))) {
        m.size = 0;
        return ASM_E_SIZE_NOT_SPECIFIED;
      }
      if (!count) {
        first = c;
        found = s;
      }
      count++;
    }
  }
  for (int s : e.st->bits == 16 ? state16 : state32) {
    if (count)
      break;
    m.size = s;
    if (try_encode(e, first) == ASM_OK) {
      found = s;
      count = 1;
    }
  }
  m.size = found;
  if (!count)
    return -1;
  *uniform = count > 1;
  out = first;
  return ASM_OK;
}

/* Why the tables refused the instruction. */
int diagnose(enc &e) {
  asm_insn &in = e.in;
  for (int i = 0; i < in.nops; i++)
    if (in.ops[i].kind == ASM_OP_IMM && !e.rel) {
      enc z(e.st, in);
      z.imm_zero = true;
      z.memop = e.memop;
      asm_code c;
      if (try_encode(z, c) == ASM_OK)
        return ASM_E_VALUE_RANGE;
    }
  int s0 = 0;
  for (int i = 0; i < in.nops; i++) {
    const asm_operand &o = in.ops[i];
    int s = o.kind == ASM_OP_REG ? asm_reg_size(e.st, o.reg)
            : o.kind == ASM_OP_MEM ? (o.size < 0 ? -o.size : o.size) : 0;
    if (o.kind == ASM_OP_REG && !asm_reg_is_gp(o.reg))
      s = 0;
    if (s && s0 && s != s0)
      return ASM_E_SIZES_MISMATCH;
    if (s)
      s0 = s;
  }
  return ASM_E_INVALID_OPERAND;
}

/* Where the fields of an encoding lie, read back by the decoder: fields
** are found by their place, never by searching for their bytes. */
bool layout_in(ZydisMachineMode m, const asm_code &c, ZydisDecodedInstruction &d) {
  ZydisDecoder dec;
  ZydisStackWidth w = m == ZYDIS_MACHINE_MODE_LONG_64 ? ZYDIS_STACK_WIDTH_64
                      : m == ZYDIS_MACHINE_MODE_LEGACY_16 ? ZYDIS_STACK_WIDTH_16
                                                          : ZYDIS_STACK_WIDTH_32;
  if (!ZYAN_SUCCESS(ZydisDecoderInit(&dec, m, w)))
    return false;
  return ZYAN_SUCCESS(ZydisDecoderDecodeInstruction(&dec, nullptr, c.b, c.len, &d)) &&
         d.length == c.len;
}

bool layout(asm_state *st, const asm_code &c, ZydisDecodedInstruction &d) {
  return layout_in(mode_of(st), c, d);
}

/* Mnemonic and operand sizes of an encoding, as the decoder reads it. */
bool meaning(ZydisMachineMode m, const asm_code &c, std::vector<int> &out) {
  ZydisDecoder dec;
  ZydisDecodedInstruction d;
  ZydisDecodedOperand ops[ZYDIS_MAX_OPERAND_COUNT];
  ZydisStackWidth w = m == ZYDIS_MACHINE_MODE_LEGACY_16 ? ZYDIS_STACK_WIDTH_16
                                                        : ZYDIS_STACK_WIDTH_32;
  if (!ZYAN_SUCCESS(ZydisDecoderInit(&dec, m, w)) ||
      !ZYAN_SUCCESS(ZydisDecoderDecodeFull(&dec, c.b, c.len, &d, ops)) || d.length != c.len)
    return false;
  out.assign(1, (int)d.mnemonic);
  for (int i = 0; i < d.operand_count_visible; i++)
    out.push_back(ops[i].size);
  return true;
}

/* A 32-bit encoding made fit for 16-bit code: the address-size prefix
** added and, where the operation's size depends on it, the operand-size
** prefix turned round; the decoder checks that the meaning stayed. */
bool to_mode16(asm_code &out) {
  ZydisDecodedInstruction d;
  std::vector<int> want, got;
  if (!layout_in(ZYDIS_MACHINE_MODE_LEGACY_32, out, d) || out.len + 2 > sizeof out.b ||
      !meaning(ZYDIS_MACHINE_MODE_LEGACY_32, out, want))
    return false;
  for (int turn = 0; turn <= 1; turn++) {
    asm_code c = out;
    size_t op66 = c.len;
    for (size_t i = 0; i < d.raw.prefix_count; i++)
      if (c.b[i] == 0x66 && d.raw.prefixes[i].type != ZYDIS_PREFIX_TYPE_MANDATORY)
        op66 = i;
    if (turn && op66 < c.len) {
      memmove(c.b + op66, c.b + op66 + 1, c.len - op66 - 1);
      c.len--;
    } else if (turn) {
      memmove(c.b + 1, c.b, c.len++);
      c.b[0] = 0x66;
    }
    memmove(c.b + 1, c.b, c.len++);
    c.b[0] = 0x67;
    if (meaning(ZYDIS_MACHINE_MODE_LEGACY_16, c, got) && got == want) {
      out = c;
      return true;
    }
  }
  return false;
}

void put_le(asm_code &out, size_t at, uint64_t v, int n) {
  for (int k = 0; k < n; k++)
    out.b[at + (size_t)k] = (uint8_t)(v >> (8 * k));
}

/* Puts the real values over the placeholders and notes their offsets. */
int patch(enc &e, asm_code &out) {
  bool any = e.full_imm;
  for (int i = 0; i < e.in.nops && !any; i++) {
    const asm_operand &o = e.in.ops[i];
    any = (o.kind == ASM_OP_MEM && (o.val.reloc || abs_disp(e, o))) ||
          (o.kind == ASM_OP_IMM && o.val.reloc && !(e.rel && i == 0));
  }
  if (!any)
    return ASM_OK;
  ZydisDecodedInstruction d;
  if (!layout(e.st, out, d))
    return ASM_E_INVALID_OPERAND;
  if (e.full_imm) {
    const asm_operand &o = e.in.ops[0];
    int n = o.size == 2 ? 2 : 4;
    if (d.raw.imm[0].size != n * 8)
      return ASM_E_OPERAND_SIZE;
    put_le(out, d.raw.imm[0].offset, (uint64_t)o.val.v, n);
    return ASM_OK;
  }
  for (int i = 0; i < e.in.nops; i++) {
    asm_operand &o = e.in.ops[i];
    bool is_mem = o.kind == ASM_OP_MEM;
    if (!(o.val.reloc || (is_mem && abs_disp(e, o))) ||
        (!is_mem && o.kind != ASM_OP_IMM) || (e.rel && i == 0))
      continue;
    size_t at;
    if (is_mem && full_disp(o) && !o.val.reloc) {
      const asm_val &v = o.val;
      int n = o.addr == 2 ? 2 : 4;
      if (d.raw.disp.size != n * 8)
        return ASM_E_INVALID_ADDRESS;
      if (n == 2 ? v.wide || v.v < -0x8000 || v.v > 0xFFFF
          : o.addr == 8 ? v.v < INT32_MIN || v.v > INT32_MAX
          : e.st->bits == 64 ? v.wide || v.v < INT32_MIN || v.v > (int64_t)UINT32_MAX
                             : !asm_val_fits(v, 4))
        return ASM_E_VALUE_RANGE;
      put_le(out, d.raw.disp.offset, (uint64_t)v.v, n);
      continue;
    }
    if (is_mem) {
      if (d.raw.disp.size != 32)
        return ASM_E_SYMBOL_USE;
      at = d.raw.disp.offset;
      if (!asm_val_fits(o.val, 4))
        return ASM_E_VALUE_RANGE;
    } else {
      int k = d.raw.imm[1].size == 32 && d.raw.imm[0].size != 32 ? 1 : 0;
      if (d.raw.imm[k].size != 32)
        return ASM_E_SYMBOL_USE;
      at = d.raw.imm[k].offset;
    }
    if (out.nreloc == 2)
      return ASM_E_SYMBOL_USE;
    put_le(out, at, (uint64_t)o.val.v, 4);
    if (o.val.reloc)
      out.reloc_at[out.nreloc++] = (uint8_t)at;
  }
  return ASM_OK;
}

/* Relative branch: the shortest width whose displacement reaches the
** target, measured from the end of the instruction of that width. A
** target with no value yet gets the short form: the passes grow it. */
int branch(enc &e, asm_code &out) {
  asm_operand &t = e.in.ops[0];
  asm_val here = asm_out_here(e.st);
  if (t.val.reloc != here.reloc)
    return ASM_E_SYMBOL_USE;
  ZydisBranchWidth near = e.st->bits == 16 ? ZYDIS_BRANCH_WIDTH_16
                                           : ZYDIS_BRANCH_WIDTH_32;
  ZydisBranchWidth widths[2] = {ZYDIS_BRANCH_WIDTH_8, near};
  int first = e.in.jump == ASM_JUMP_NEAR ? 1 : 0;
  int last = e.in.jump == ASM_JUMP_SHORT ? 0 : 1;
  if (t.val.unknown && first == 0) { /* no value yet: short, as the reference */
    e.width = widths[0];
    e.rel_value = 0;
    int err = try_encode(e, out);
    if (err >= 0)
      return err;
  }
  bool any = false;
  asm_code wide;
  for (int k = first; k <= last; k++) {
    e.width = widths[k];
    e.rel_value = 0;
    asm_code probe;
    int err = try_encode(e, probe);
    if (err > 0)
      return err;
    if (err < 0)
      continue;
    any = true;
    wide = probe;
    int64_t rel = t.val.v - (here.v + (int64_t)probe.len);
    int64_t lim = k == 0 ? 0x80 : near == ZYDIS_BRANCH_WIDTH_16 ? 0x8000
                                                                : INT64_C(0x80000000);
    if (rel < -lim || rel >= lim)
      continue;
    e.rel_value = rel;
    return try_encode(e, out);
  }
  if (!any)
    return -1;
  out = wide; /* keeps the length while the passes settle */
  return ASM_E_JUMP_RANGE;
}

/* mov to or from control and debug registers: the register form of the
** ModRM byte, which processors assume whatever the field holds. Only the
** ModRM byte of such a mov is touched, found by the decoder. */
void fix_mov_cr(asm_state *st, const asm_insn &in, asm_code &out) {
  if (in.mnem != ZYDIS_MNEMONIC_MOV || in.nops != 2)
    return;
  bool special = false;
  for (int i = 0; i < 2; i++) {
    ZydisRegisterClass c = ZydisRegisterGetClass((ZydisRegister)in.ops[i].reg);
    special |= in.ops[i].kind == ASM_OP_REG &&
               (c == ZYDIS_REGCLASS_CONTROL || c == ZYDIS_REGCLASS_DEBUG);
  }
  ZydisDecodedInstruction d;
  if (special && layout(st, out, d) && d.opcode_map == ZYDIS_OPCODE_MAP_0F &&
      d.opcode >= 0x20 && d.opcode <= 0x23)
    out.b[d.raw.modrm.offset] |= 0xC0;
}

/* Legacy prefixes in the reference's order: lock, segment, address size,
** operand size, then the prefixes the opcode itself needs (66, F2, F3 of
** SSE forms). The decoder tells which is which. */
bool legacy_prefix(uint8_t b) {
  return b == 0xF0 || b == 0xF2 || b == 0xF3 || b == 0x26 || b == 0x2E || b == 0x36 ||
         b == 0x3E || b == 0x64 || b == 0x65 || b == 0x66 || b == 0x67;
}

void order_prefixes(asm_state *st, asm_code &out) {
  if (out.len < 3 || !legacy_prefix(out.b[0]) || !legacy_prefix(out.b[1]))
    return; /* fewer than two prefixes: nothing to order */
  ZydisDecodedInstruction d;
  if (!layout(st, out, d) || d.raw.prefix_count < 2)
    return;
  size_t n = d.raw.prefix_count;
  uint8_t rank[16], bytes[16];
  for (size_t i = 0; i < n; i++) {
    uint8_t b = out.b[i];
    bool need = d.raw.prefixes[i].type == ZYDIS_PREFIX_TYPE_MANDATORY;
    bytes[i] = b;
    rank[i] = b == 0xF0 ? 0
              : b == 0x26 || b == 0x2E || b == 0x36 || b == 0x3E || b == 0x64 || b == 0x65 ? 1
              : b == 0x67 ? 2 : b == 0x66 && !need ? 3 : 4;
  }
  size_t k = 0;
  for (uint8_t want = 0; want <= 4; want++)
    for (size_t i = 0; i < n; i++)
      if (rank[i] == want)
        out.b[k++] = bytes[i];
}

} // namespace

static int encode_once(enc &e, asm_code &out);
static int encode_main(asm_state *st, asm_insn &in, asm_code &out);
static int abs32_in_64(enc &e, asm_code &out);

static bool is_reg(const asm_operand &o, int reg) {
  return o.kind == ASM_OP_REG && (!reg || o.reg == reg);
}

/* Forms the dialect writes otherwise than the tables list them. */
static void shape(asm_state *st, asm_insn &in) {
  asm_operand *o = in.ops;
  int m = in.mnem;
  /* test and xchg take the register first or second alike */
  if ((m == ZYDIS_MNEMONIC_TEST || m == ZYDIS_MNEMONIC_XCHG) && in.nops == 2 &&
      is_reg(o[0], 0) && o[1].kind == ASM_OP_MEM)
    std::swap(o[0], o[1]);
  /* imul eax, 7 is imul eax, eax, 7 */
  if (m == ZYDIS_MNEMONIC_IMUL && in.nops == 2 && is_reg(o[0], 0) &&
      o[1].kind == ASM_OP_IMM) {
    o[2] = o[1];
    o[1] = o[0];
    in.nops = 3;
  }
  /* the implied xmm0 of the SSE4.1 variable blends may be written */
  if ((m == ZYDIS_MNEMONIC_BLENDVPS || m == ZYDIS_MNEMONIC_BLENDVPD ||
       m == ZYDIS_MNEMONIC_PBLENDVB) && in.nops == 3 &&
      is_reg(o[2], ZYDIS_REGISTER_XMM0))
    in.nops = 2;
  /* the MMX low unpacks read a dword; a qword may be named */
  if ((m == ZYDIS_MNEMONIC_PUNPCKLBW || m == ZYDIS_MNEMONIC_PUNPCKLWD ||
       m == ZYDIS_MNEMONIC_PUNPCKLDQ) && in.nops == 2 &&
      ZydisRegisterGetClass((ZydisRegister)o[0].reg) == ZYDIS_REGCLASS_MMX &&
      o[1].kind == ASM_OP_MEM && o[1].size == 8)
    o[1].size = 4;
  /* a pointer through memory: dword in 16-bit code, pword anywhere */
  if ((m == ZYDIS_MNEMONIC_CALL || m == ZYDIS_MNEMONIC_JMP) && in.nops == 1 &&
      o[0].kind == ASM_OP_MEM && (o[0].size == 6 || (st->bits == 16 && o[0].size == 4)))
    in.jump = ASM_JUMP_FAR;
  /* pushw [eax]: the size in the name */
  if (in.opsize && in.nops == 1 && o[0].kind == ASM_OP_MEM && !o[0].size)
    o[0].size = in.opsize;
}

/* nop with an operand: the dialect's 0F 1F /0, not the hint opcodes. */
static void fix_nop(asm_state *st, const asm_insn &in, asm_code &out) {
  ZydisDecodedInstruction d;
  if (in.mnem != ZYDIS_MNEMONIC_NOP || in.nops != 1 || !layout(st, out, d) ||
      d.opcode_map != ZYDIS_OPCODE_MAP_0F || d.opcode < 0x18 || d.opcode > 0x1F)
    return;
  out.b[d.raw.modrm.offset - 1] = 0x1F;
  out.b[d.raw.modrm.offset] &= 0xC7;
}

/* x87 forms that name fewer stack registers than the tables list:
** faddp means faddp st1, st0; fxch and fcom mean st1. */
static int encode_fpu(asm_state *st, asm_insn &in, asm_code &out, int first) {
  const char *name = ZydisMnemonicGetString((ZydisMnemonic)in.mnem);
  bool reg_only = true;
  for (int i = 0; i < in.nops; i++)
    reg_only &= in.ops[i].kind == ASM_OP_REG &&
                ZydisRegisterGetClass((ZydisRegister)in.ops[i].reg) == ZYDIS_REGCLASS_X87;
  if (!name || name[0] != 'f' || in.nops > 1 || !reg_only)
    return first;
  asm_operand st0, st1;
  st0.kind = st1.kind = ASM_OP_REG;
  st0.reg = ZYDIS_REGISTER_ST0;
  st1.reg = ZYDIS_REGISTER_ST1;
  asm_operand given = in.ops[0];
  asm_operand tries[3][2] = {{st1, st0}, {st0, st1}, {st1, st1}};
  int counts[3] = {2, 2, 1};
  if (in.nops == 1) {
    tries[0][0] = st0;
    tries[0][1] = given;
    tries[1][0] = given;
    tries[1][1] = st0;
    counts[2] = 0;
  }
  for (int k = 0; k < 3; k++) {
    if (!counts[k])
      continue;
    asm_insn t = in;
    t.nops = counts[k];
    t.ops[0] = tries[k][0];
    t.ops[1] = tries[k][1];
    if (encode_main(st, t, out) == ASM_OK)
      return ASM_OK;
  }
  return first;
}

namespace {
struct digest {
  uint64_t a = 0x9E3779B97F4A7C15ull, b = 0xC2B2AE3D27D4EB4Full;
  void add(uint64_t x) {
    a = (a ^ x) * 0x100000001B3ull;
    a ^= a >> 29;
    b = (b + x) * 0xFF51AFD7ED558CCDull;
    b ^= b >> 32;
  }
  void add_val(const asm_val &v) {
    add((uint64_t)v.v);
    add((uint64_t)(int64_t)v.reloc);
    add((uint64_t)v.nreg | (uint64_t)v.size << 8 | (uint64_t)v.fp << 40 |
        (uint64_t)v.unknown << 41 | (uint64_t)(uint8_t)v.wide << 48);
    for (int i = 0; i < v.nreg; i++) {
      add((uint64_t)v.reg[i]);
      add((uint64_t)v.scale[i]);
    }
    if (v.fp) {
      uint64_t f[2] = {0, 0};
      memcpy(f, &v.f, sizeof v.f < sizeof f ? sizeof v.f : sizeof f);
      add(f[0]);
      add(f[1] & 0xFFFF);
    }
  }
};

/* Everything an encoding depends on: the instruction, the mode, the
** output format and where it lands. */
void memo_key(asm_state *st, const asm_insn &in, digest &d) {
  d.add((uint64_t)(int64_t)in.mnem);
  d.add((uint64_t)in.prefix | (uint64_t)in.jump << 8 | (uint64_t)in.seg << 16 |
        (uint64_t)in.addr << 32 | (uint64_t)in.wait << 40 | (uint64_t)in.nops << 48);
  d.add((uint64_t)st->bits | (uint64_t)st->opt.format << 8 |
        (uint64_t)in.opsize << 16);
  /* the place matters to relative branches and to 64-bit addresses */
  if ((in.nops && in.ops[0].kind == ASM_OP_IMM) || st->bits == 64) {
    d.add_val(asm_out_here(st));
    st->dep = true;
  }
  for (int i = 0; i < in.nops; i++) {
    const asm_operand &o = in.ops[i];
    d.add((uint64_t)o.kind | (uint64_t)(uint32_t)o.size << 8 | (uint64_t)o.reg << 40);
    d.add((uint64_t)o.base | (uint64_t)o.index << 16 | (uint64_t)o.scale << 32 |
          (uint64_t)o.seg << 40 | (uint64_t)o.addr << 56 | (uint64_t)o.stated << 60);
    d.add((uint64_t)o.far_seg);
    d.add_val(o.val);
  }
}
} // namespace

static int encode_blendv(asm_state *st, asm_insn &in, asm_code &out);

static int encode_fresh(asm_state *st, asm_insn &in, asm_code &out) {
  int err = encode_blendv(st, in, out);
  if (err >= 0)
    return err;
  err = encode_main(st, in, out);
  if (err == ASM_E_INVALID_OPERAND)
    err = encode_fpu(st, in, out, err);
  return err;
}

/* The AVX variable blends, which the tables cannot encode: the fixed
** blend of the same shape with the selector register in imm8[7:4], and
** the opcode byte put right. */
static int encode_blendv(asm_state *st, asm_insn &in, asm_code &out) {
  static const struct { int from, to; uint8_t op; } blends[] = {
    {ZYDIS_MNEMONIC_VBLENDVPS, ZYDIS_MNEMONIC_VBLENDPS, 0x4A},
    {ZYDIS_MNEMONIC_VBLENDVPD, ZYDIS_MNEMONIC_VBLENDPD, 0x4B},
    {ZYDIS_MNEMONIC_VPBLENDVB, ZYDIS_MNEMONIC_VPBLENDW, 0x4C},
  };
  for (auto &b : blends) {
    if (in.mnem != b.from)
      continue;
    asm_operand &sel = in.ops[3];
    ZydisRegisterClass c = ZydisRegisterGetClass((ZydisRegister)sel.reg);
    if (in.nops != 4 || sel.kind != ASM_OP_REG ||
        (c != ZYDIS_REGCLASS_XMM && c != ZYDIS_REGCLASS_YMM))
      return ASM_E_INVALID_OPERAND;
    asm_insn t = in;
    t.mnem = b.to;
    t.ops[3] = asm_operand();
    t.ops[3].val.v = ZydisRegisterGetId((ZydisRegister)sel.reg) << 4;
    int err = encode_main(st, t, out);
    if (err)
      return err;
    ZydisDecodedInstruction d;
    if (!layout(st, out, d) || d.encoding != ZYDIS_INSTRUCTION_ENCODING_VEX)
      return ASM_E_INVALID_OPERAND;
    out.b[d.raw.modrm.offset - 1] = b.op; /* the opcode byte */
    return ASM_OK;
  }
  return -1;
}

/* Condition code of a conditional jump, -1 for any other mnemonic. */
static int jcc_code(int m) {
  switch (m) {
  case ZYDIS_MNEMONIC_JO: return 0;
  case ZYDIS_MNEMONIC_JNO: return 1;
  case ZYDIS_MNEMONIC_JB: return 2;
  case ZYDIS_MNEMONIC_JNB: return 3;
  case ZYDIS_MNEMONIC_JZ: return 4;
  case ZYDIS_MNEMONIC_JNZ: return 5;
  case ZYDIS_MNEMONIC_JBE: return 6;
  case ZYDIS_MNEMONIC_JNBE: return 7;
  case ZYDIS_MNEMONIC_JS: return 8;
  case ZYDIS_MNEMONIC_JNS: return 9;
  case ZYDIS_MNEMONIC_JP: return 10;
  case ZYDIS_MNEMONIC_JNP: return 11;
  case ZYDIS_MNEMONIC_JL: return 12;
  case ZYDIS_MNEMONIC_JNL: return 13;
  case ZYDIS_MNEMONIC_JLE: return 14;
  case ZYDIS_MNEMONIC_JNLE: return 15;
  default: return -1;
  }
}

/* jmp, jcc and call to an address, the commonest lines of all, written
** directly with the same sizing rules as branch(); -1 leaves every other
** form (and every fault) to the tables. */
static int encode_jump(asm_state *st, const asm_insn &in, asm_code &out) {
  int cc = jcc_code(in.mnem);
  bool jmp = in.mnem == ZYDIS_MNEMONIC_JMP, call = in.mnem == ZYDIS_MNEMONIC_CALL;
  if ((cc < 0 && !jmp && !call) || in.nops != 1 || in.prefix || in.opsize || in.seg ||
      in.addr || in.wait || in.jump == ASM_JUMP_FAR)
    return -1;
  const asm_operand &t = in.ops[0];
  if (t.kind != ASM_OP_IMM || t.size || t.val.fp || t.val.wide || t.val.nreg)
    return -1;
  asm_val here = asm_out_here(st);
  if (t.val.reloc != here.reloc || here.nreg || here.wide)
    return -1;
  st->dep = true;
  int wide = st->bits == 16 ? 2 : 4;
  bool short_ok = !call && in.jump != ASM_JUMP_NEAR;
  if (short_ok) {
    int64_t rel = t.val.unknown ? 0 : t.val.v - (here.v + 2);
    if (rel >= -128 && rel <= 127) {
      out.b[0] = jmp ? 0xEB : (uint8_t)(0x70 + cc);
      out.b[1] = (uint8_t)rel;
      out.len = 2;
      out.nreloc = 0;
      return ASM_OK;
    }
    if (in.jump == ASM_JUMP_SHORT)
      return -1;
  }
  size_t n = jmp || call ? 1 : 2;
  int64_t rel = t.val.v - (here.v + (int64_t)n + wide);
  int64_t lim = wide == 2 ? 0x8000 : INT64_C(0x80000000);
  if (rel < -lim || rel >= lim)
    return -1;
  if (jmp || call) {
    out.b[0] = jmp ? 0xE9 : 0xE8;
  } else {
    out.b[0] = 0x0F;
    out.b[1] = (uint8_t)(0x80 + cc);
  }
  for (int k = 0; k < wide; k++)
    out.b[n + (size_t)k] = (uint8_t)((uint64_t)rel >> (8 * k));
  out.len = n + (size_t)wide;
  out.nreloc = 0;
  return ASM_OK;
}

int asm_enc_insn(asm_state *st, asm_insn &in, asm_code &out) {
  int fast = encode_jump(st, in, out);
  if (fast >= 0)
    return fast;
  digest d;
  memo_key(st, in, d);
  if (st->memo.empty())
    st->memo.resize(ASM_MEMO_SLOTS);
  asm_enc_memo &m = st->memo[(size_t)(d.a ^ (d.a >> 32)) & (ASM_MEMO_SLOTS - 1)];
  if (m.err >= 0 && m.key == d.a && m.check == d.b) {
    out = m.code;
    return m.err;
  }
  int err = encode_fresh(st, in, out);
  if (err >= 0) { /* a newer encoding takes the slot */
    m.key = d.a;
    m.check = d.b;
    m.err = err;
    m.code = out;
  }
  return err;
}

/* 64-bit code: ah, ch, dh and bh cannot stand beside a register that
** needs the REX prefix. */
static bool rex_conflict(asm_state *st, const asm_insn &in) {
  if (st->bits != 64)
    return false;
  bool high = false, rex = false;
  for (int i = 0; i < in.nops; i++) {
    const asm_operand &o = in.ops[i];
    int regs[3] = {o.kind == ASM_OP_REG ? o.reg : 0, o.base, o.index};
    for (int r : regs) {
      if (!r)
        continue;
      if (r == ZYDIS_REGISTER_AH || r == ZYDIS_REGISTER_CH || r == ZYDIS_REGISTER_DH ||
          r == ZYDIS_REGISTER_BH)
        high = true;
      else if ((r >= ZYDIS_REGISTER_SPL && r <= ZYDIS_REGISTER_R15B) ||
               (r >= ZYDIS_REGISTER_R8W && r <= ZYDIS_REGISTER_R15W) ||
               (r >= ZYDIS_REGISTER_R8D && r <= ZYDIS_REGISTER_R15D) ||
               (r >= ZYDIS_REGISTER_R8 && r <= ZYDIS_REGISTER_R15))
        rex = true;
    }
  }
  return high && rex;
}

/* mov between the accumulator and a plain address of stated size: the
** plain-offset form with the address at that size, as the reference
** writes it. -1: not that form. */
static int moffs(asm_state *st, const asm_insn &in, int memop, asm_code &out) {
  const asm_operand &m = in.ops[memop], &r = in.ops[1 - memop];
  if (r.kind != ASM_OP_REG)
    return -1;
  int size = r.reg == ZYDIS_REGISTER_AL ? 1 : r.reg == ZYDIS_REGISTER_AX ? 2
             : r.reg == ZYDIS_REGISTER_EAX ? 4 : r.reg == ZYDIS_REGISTER_RAX ? 8 : 0;
  int msize = m.size < 0 ? -m.size : m.size;
  if (!size || (msize && msize != size))
    return -1;
  if (st->bits != 64 && m.stated == 8)
    return ASM_E_ADDRESS_SIZE;
  int64_t x = m.val.v;
  if (m.stated == 4 && !asm_val_fits(m.val, 4))
    return ASM_E_VALUE_RANGE;
  size_t n = 0;
  uint8_t seg = m.seg ? seg_byte(st, m.seg) : 0;
  if (seg)
    out.b[n++] = seg;
  if (m.stated != (st->bits == 16 ? 2 : st->bits == 32 ? 4 : 8))
    out.b[n++] = 0x67;
  if ((size == 2 && st->bits != 16) || (size == 4 && st->bits == 16))
    out.b[n++] = 0x66;
  if (size == 8)
    out.b[n++] = 0x48;
  out.b[n++] = (uint8_t)(0xA0 + (size > 1) + (memop == 0 ? 2 : 0));
  for (int k = 0; k < m.stated; k++)
    out.b[n++] = (uint8_t)((uint64_t)x >> (8 * k));
  out.len = n;
  out.nreloc = 0;
  return ASM_OK;
}

static int encode_main(asm_state *st, asm_insn &in, asm_code &out) {
  if (rex_conflict(st, in))
    return ASM_E_REG_COMBINATION;
  shape(st, in);
  enc e(st, in);
  for (int i = 0; i < in.nops; i++) {
    asm_operand &o = in.ops[i];
    if (o.kind == ASM_OP_MEM)
      e.memop = i;
    if (o.kind == ASM_OP_IMM && i > 0 && !e.imm_size) {
      const asm_operand &d = in.ops[0];
      e.imm_size = d.kind == ASM_OP_REG ? asm_reg_size(st, d.reg)
                   : d.kind == ASM_OP_MEM ? (d.size < 0 ? -d.size : d.size) : 0;
    }
    if (o.kind == ASM_OP_IMM && o.size > 0)
      e.imm_size = o.size;
  }
  /* lea reads no memory; the encoder takes the operand's size for the
  ** address size */
  if (in.mnem == ZYDIS_MNEMONIC_LEA && in.nops == 2 && in.ops[1].kind == ASM_OP_MEM &&
      in.ops[1].size <= 0)
    in.ops[1].size = in.ops[1].addr ? in.ops[1].addr : st->bits / 8;
  /* 16-bit code: the accumulator's plain-offset form takes a negative
  ** address as a 32-bit one, as the reference does */
  if (in.mnem == ZYDIS_MNEMONIC_MOV && st->bits == 16 && in.nops == 2)
    for (int i = 0; i < 2; i++) {
      asm_operand &m = in.ops[i], &r = in.ops[1 - i];
      if (m.kind == ASM_OP_MEM && !m.base && !m.index && !m.addr && m.val.v < 0 &&
          r.kind == ASM_OP_REG && (r.reg == ZYDIS_REGISTER_AL || r.reg == ZYDIS_REGISTER_AX ||
                                   r.reg == ZYDIS_REGISTER_EAX))
        m.addr = 4;
    }
  /* ret n: n from 0 to 0FFFFh; ret 0 is the plain return unless sized */
  if (in.mnem == ZYDIS_MNEMONIC_RET && in.nops == 1 && in.ops[0].kind == ASM_OP_IMM) {
    const asm_val &v = in.ops[0].val;
    if (v.reloc || v.wide || v.v < 0 || v.v > 0xFFFF)
      return ASM_E_VALUE_RANGE;
    if (v.v == 0 && in.ops[0].size == 0)
      in.nops = 0;
  }
  /* push imm: the operand has the stack's size; a 64-bit push takes a
  ** signed 32-bit number */
  if (in.mnem == ZYDIS_MNEMONIC_PUSH && in.nops == 1 && in.ops[0].kind == ASM_OP_IMM &&
      !in.ops[0].val.reloc && !in.ops[0].val.fp) {
    asm_operand &o = in.ops[0];
    int size = o.size > 0 ? o.size : in.opsize ? in.opsize : st->bits / 8;
    if (size == 8) {
      if (o.val.v < INT32_MIN || o.val.v > INT32_MAX)
        return ASM_E_VALUE_RANGE;
      o.val.wide = 0;
    } else {
      e.imm_size = size;
    }
  }
  if ((in.mnem == ZYDIS_MNEMONIC_AAM || in.mnem == ZYDIS_MNEMONIC_AAD) &&
      in.nops == 0) { /* decimal base by default */
    in.nops = 1;
    in.ops[0] = asm_operand();
    in.ops[0].val.v = 10;
  }
  e.rel = is_branch(in.mnem) && in.nops == 1 && in.ops[0].kind == ASM_OP_IMM;
  /* push with a stated size keeps its immediate at that size */
  e.full_imm = in.mnem == ZYDIS_MNEMONIC_PUSH && in.nops == 1 &&
               in.ops[0].kind == ASM_OP_IMM &&
               (in.ops[0].size == 2 || in.ops[0].size == 4 ||
                (in.ops[0].size == 8 && st->bits == 64)) &&
               !in.ops[0].val.reloc;
  /* xchg of two registers: the first goes to the reg field, except that
  ** the accumulator takes the short form */
  if (in.mnem == ZYDIS_MNEMONIC_XCHG && in.nops == 2 &&
      in.ops[0].kind == ASM_OP_REG && in.ops[1].kind == ASM_OP_REG) {
    int r1 = in.ops[1].reg;
    if (r1 != ZYDIS_REGISTER_AX && r1 != ZYDIS_REGISTER_EAX && r1 != ZYDIS_REGISTER_RAX)
      std::swap(in.ops[0], in.ops[1]);
  }
  if (in.mnem == ZYDIS_MNEMONIC_MOV && in.nops == 2 && e.memop >= 0 &&
      in.ops[e.memop].stated && !in.ops[e.memop].base && !in.ops[e.memop].index &&
      !in.ops[e.memop].val.reloc && !in.prefix) {
    int err = moffs(st, in, e.memop, out);
    if (err >= 0)
      return err;
  }
  if (st->bits == 64 && e.memop >= 0 && in.ops[e.memop].stated && !in.ops[e.memop].base &&
      !in.ops[e.memop].index && !in.ops[e.memop].val.reloc)
    return abs32_in_64(e, out);
  if (st->bits == 64 && e.memop >= 0 && !in.ops[e.memop].stated && !in.ops[e.memop].base &&
      !in.ops[e.memop].index && !in.ops[e.memop].val.reloc &&
      !seg_byte(st, in.ops[e.memop].seg)) { /* es, cs, ss, ds mean nothing here */
    /* plain addresses are reached relative to the next instruction */
    e.rip = e.memop;
    int err = encode_once(e, out);
    if (err)
      return err;
    e.rip_disp = in.ops[e.memop].val.v - (asm_out_here(st).v + (int64_t)out.len);
    /* the target must lie within reach: no wrapping at 32 bits */
    if (in.ops[e.memop].val.unknown)
      e.rip_disp = 0;
    else if (e.rip_disp < INT32_MIN || e.rip_disp > INT32_MAX)
      return ASM_E_VALUE_RANGE;
  }
  return encode_once(e, out);
}

/* A 32-bit absolute address that only zero-extends: the encoder takes no
** address-size hint for it, so the prefix goes in by hand, after any
** segment override and before the operand-size prefix and REX. */
static int abs32_in_64(enc &e, asm_code &out) {
  int size;
  ZyanI64 d;
  int err = abs64(e.in.ops[e.memop], size, d);
  if (!err)
    err = encode_once(e, out);
  if (err || size != 4)
    return err;
  size_t at = 0;
  while (at < out.len && (out.b[at] == 0x64 || out.b[at] == 0x65 || out.b[at] == 0xF0 ||
                          out.b[at] == 0xF2 || out.b[at] == 0xF3))
    at++;
  for (size_t k = at; k < out.len && (out.b[k] == 0x66 || out.b[k] == 0x67 ||
                                      (out.b[k] & 0xF0) == 0x40); k++)
    if (out.b[k] == 0x67)
      return ASM_OK;
  if (out.len >= sizeof out.b)
    return ASM_E_INVALID_OPERAND;
  memmove(out.b + at + 1, out.b + at, out.len - at);
  out.b[at] = 0x67;
  out.len++;
  for (int k = 0; k < out.nreloc; k++)
    out.reloc_at[k]++;
  return ASM_OK;
}

static int encode_once(enc &e, asm_code &out) {
  asm_insn &in = e.in;
  int err;
  /* 32-bit addresses in 16-bit code are encoded as 32-bit code: the
  ** encoder would size their displacements by 16-bit rules */
  if (e.st->bits == 16 && e.memop >= 0)
    e.as32 = in.ops[e.memop].addr == 4;
  if (e.rel) {
    err = branch(e, out);
  } else if (e.memop >= 0 && in.ops[e.memop].size == 0) {
    bool uniform;
    err = settle_size(e, out, &uniform);
  } else {
    err = try_encode(e, out);
    bool lone = in.nops == 1 && e.memop == 0; /* clflush byte [eax] */
    int stated = e.memop >= 0 ? in.ops[e.memop].size : 0;
    if (err < 0 && e.memop >= 0 &&
        ((in.ops[e.memop].size < 0 && in.mnem == ZYDIS_MNEMONIC_LEA) || lone)) {
      /* a label's size does not bind where only the address counts, nor
      ** a stated size where the single operand's size is fixed */
      bool uniform;
      in.ops[e.memop].size = 0;
      err = settle_size(e, out, &uniform);
      if (err == ASM_E_SIZE_NOT_SPECIFIED && stated > 0)
        err = ASM_E_OPERAND_SIZE; /* push byte [eax] */
    }
  }
  if (err < 0)
    return diagnose(e);
  if (err)
    return err;
  if (e.as32 && !to_mode16(out))
    return ASM_E_INVALID_OPERAND;
  fix_mov_cr(e.st, in, out);
  fix_nop(e.st, in, out);
  /* xchg eax, eax in 64-bit code clears the upper half: 90 would not */
  if (in.mnem == ZYDIS_MNEMONIC_XCHG && e.st->bits == 64 && out.len == 1 &&
      out.b[0] == 0x90 && in.ops[0].kind == ASM_OP_REG && in.ops[0].reg == ZYDIS_REGISTER_EAX) {
    out.b[0] = 0x87;
    out.b[1] = 0xC0;
    out.len = 2;
  }
  /* retw in 32-bit code, retd in 16-bit code, retfq in 64-bit code: the
  ** size the name states, by a prefix of its own */
  if (in.mnem == ZYDIS_MNEMONIC_RET && in.opsize && out.len < sizeof out.b) {
    bool far = in.jump == ASM_JUMP_FAR;
    int natural = e.st->bits == 16 ? 2 : e.st->bits == 32 || far ? 4 : 8;
    uint8_t p = in.opsize == natural ? 0 : in.opsize == 8 ? 0x48 : 0x66;
    if (p) {
      memmove(out.b + 1, out.b, out.len++);
      out.b[0] = p;
    }
  }
  if (e.seg && out.len < sizeof out.b) { /* written by hand: any form takes it */
    memmove(out.b + 1, out.b, out.len++);
    out.b[0] = e.seg;
  }
  order_prefixes(e.st, out);
  return patch(e, out);
}
