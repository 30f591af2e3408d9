// Differential test against the Zydis decoder (32-bit legacy mode): every
// one- and two-byte opcode under a spread of prefixes, ModRM, SIB and
// displacement bytes. Where Zydis decodes a legacy instruction that the
// tables hold, the lengths must agree; where Zydis finds nothing at an opcode
// the tables leave empty, the decoder must report the undefined opcode.
// Explicit memory, register and immediate operands must read as Zydis
// decodes them.
#include "native/das386/das_decode.h"
#include "native/das386/das_internal.h"

#include <Zydis/Zydis.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace {

bool empty(const das_entry &e) { return !e.text && !e.next; }

// Forms that the tables deliberately leave out although Zydis knows them:
// later extensions encoded in the ModRM byte of a defined opcode, and
// undocumented aliases of floating-point rows. Returns why, or null.
const char *known_gap(int two, int op, int modrm) {
  int mod = modrm >> 6, reg = (modrm >> 3) & 7;
  if (!two) {
    if ((op == 0xD4 || op == 0xD5) && modrm != 0x0A) return "AAM/AAD base other than 10";
    if ((op == 0xC6 || op == 0xC7) && reg == 7 && mod == 3) return "XABORT/XBEGIN";
    if (op >= 0xD8 && op <= 0xDF) {
      if (mod != 3) return reg == 1 ? "FISTTP" : nullptr;
      int row = (op << 8) | (modrm & 0xF8);
      switch (row) {
      case 0xD9D8: return "FSTP1";
      case 0xDCD0: return "FCOM2";
      case 0xDCD8: return "FCOMP3";
      case 0xDDC8: return "FXCH4";
      case 0xDED0: return "FCOMP5";
      case 0xDFC0: return "FFREEP";
      case 0xDFC8: return "FXCH7";
      case 0xDFD0: return "FSTP8";
      case 0xDFD8: return "FSTP9";
      }
    }
    return nullptr;
  }
  if (op == 0x01 && mod != 3 && reg == 5) return "0F 01 /5 memory forms (shadow stacks)";
  if (op == 0x01 && mod == 3) return "0F 01 register forms of later extensions";
  if (op >= 0x20 && op <= 0x23 && mod != 3) return "control register moves ignore mod";
  if (op == 0xC7 && reg != 1 && !(reg >= 6 && mod == 3)) return "0F C7 extensions";
  return nullptr;
}

struct Case {
  std::vector<unsigned char> prefixes;
  int two, op, modrm, sib;
};

std::vector<unsigned char> bytes_of(const Case &c) {
  std::vector<unsigned char> b = c.prefixes;
  if (c.two) b.push_back(0x0F);
  b.push_back((unsigned char)c.op);
  b.push_back((unsigned char)c.modrm);
  if (c.sib >= 0) b.push_back((unsigned char)c.sib);
  // Displacement and immediate bytes: mixed signs, no 0x0F or prefixes.
  static const unsigned char tail[] = {0x84, 0x33, 0x22, 0x91, 0x0A, 0x55,
                                       0x96, 0x77, 0x88, 0x99, 0x10, 0x20};
  b.insert(b.end(), tail, tail + sizeof tail);
  return b;
}

std::string hex(const std::vector<unsigned char> &b, int n) {
  std::string s;
  char t[4];
  for (int i = 0; i < n && i < (int)b.size(); i++) {
    snprintf(t, sizeof t, "%02x ", b[i]);
    s += t;
  }
  return s;
}

class DasZydis : public ::testing::Test {
protected:
  ZydisDecoder zd;
  std::map<std::string, int> gaps;
  int compared = 0, undefined_checked = 0, failures = 0;

  void SetUp() override {
    ASSERT_EQ(ZydisDecoderInit(&zd, ZYDIS_MACHINE_MODE_LEGACY_32, ZYDIS_STACK_WIDTH_32),
              ZYAN_STATUS_SUCCESS);
  }

  // Failures are grouped by the bytes up to the opcode, one example each.
  std::map<std::string, std::pair<int, std::string>> failed;
  void fail(const std::vector<unsigned char> &b, const std::string &what) {
    failures++;
    size_t k = 0;
    while (k < b.size() && (b[k] == 0x66 || b[k] == 0x67 || b[k] == 0xF2 || b[k] == 0xF3 ||
                            b[k] == 0xF0 || b[k] == 0x2E || b[k] == 0x3E || b[k] == 0x64))
      k++;
    k += b[k] == 0x0F ? 2 : 1;
    auto &f = failed[hex(b, (int)k)];
    if (f.first++ == 0) f.second = hex(b, 12) + what;
  }
  void TearDown() override {
    int shown = 0;
    for (const auto &f : failed)
      if (++shown <= 60) ADD_FAILURE() << f.second.second << " (" << f.second.first << " alike)";
  }

  void check(const Case &c) {
    std::vector<unsigned char> b = bytes_of(c);
    ZydisDecodedInstruction zi;
    bool zok = ZYAN_SUCCESS(ZydisDecoderDecodeInstruction(&zd, nullptr, b.data(), b.size(), &zi));
    das_result r;
    int len = das_decode(b.data(), b.size(), 0, &r);
    const das_entry &top = c.two ? das_two[c.op] : das_one[c.op];
    if (!zok) {
      if (!empty(top)) return;
      undefined_checked++;
      if (r.status != DAS_UNDEFINED) fail(b, std::string("expected undefined, got ") + r.text + r.error);
      return;
    }
    if (zi.encoding != ZYDIS_INSTRUCTION_ENCODING_LEGACY) return;
    if (zi.opcode_map != (c.two ? ZYDIS_OPCODE_MAP_0F : ZYDIS_OPCODE_MAP_DEFAULT)) return;
    if (len >= 0) {
      compared++;
      if (len != zi.length)
        fail(b, "length " + std::to_string(len) + " vs Zydis " + std::to_string(zi.length) +
                    ": " + r.text);
      return;
    }
    if (r.status == DAS_UNDEFINED && empty(top)) return;  // not in the maps
    if (const char *why = known_gap(c.two, c.op, c.modrm)) {
      gaps[why]++;
      return;
    }
    fail(b, std::string("Zydis decodes, das386 says: ") + r.error);
  }

  void sweep(const std::vector<unsigned char> &prefixes) {
    bool a16 = false;
    for (unsigned char p : prefixes) a16 |= p == 0x67;
    for (int two = 0; two < 2; two++)
      for (int op = 0; op < 256; op++) {
        if (!two && das_one[op].kind[0] >= DK_ESCAPE) continue;  // prefixes and 0x0F
        for (int m = 0; m < 256; m++) {
          if (!a16 && (m >> 6) != 3 && (m & 7) == 4) {
            for (int sib : {0x00, 0x24, 0x25, 0x65, 0x8C, 0xE5})
              check(Case{prefixes, two, op, m, sib});
          } else {
            check(Case{prefixes, two, op, m, -1});
          }
        }
      }
  }
};

TEST_F(DasZydis, LengthsAgree) {
  const std::vector<std::vector<unsigned char>> sets = {
      {}, {0x66}, {0x67}, {0xF3}, {0xF2}, {0xF0}, {0x2E}, {0x64}, {0x66, 0x67}, {0x3E, 0x66, 0xF2},
  };
  for (const auto &p : sets) sweep(p);
  EXPECT_EQ(failures, 0);
  EXPECT_GT(compared, 100000);
  EXPECT_GT(undefined_checked, 10000);
  printf("compared %d lengths, %d undefined opcodes\n", compared, undefined_checked);
  for (const auto &g : gaps) printf("  left out: %s (%d)\n", g.first.c_str(), g.second);
}

// A Zydis register in this notation: no E on 32-bit registers, F0..F7 for
// the floating-point stack.
std::string reg_name(ZydisRegister r) {
  std::string s = ZydisRegisterGetString(r);
  for (char &c : s) c = (char)toupper((unsigned char)c);
  if (s.size() == 3 && s[0] == 'E' && r >= ZYDIS_REGISTER_EAX && r <= ZYDIS_REGISTER_EDI)
    s = s.substr(1);
  if (s.size() == 3 && s[0] == 'S' && s[1] == 'T') s = "F" + s.substr(2);
  // vector registers: M0..M7, X0..X7, Y0..Y7
  if (s.size() == 3 && s[0] == 'M' && s[1] == 'M') s = "M" + s.substr(2);
  if (s.size() == 4 && (s[0] == 'X' || s[0] == 'Y') && s[1] == 'M' && s[2] == 'M')
    s = s.substr(0, 1) + s.substr(3);
  return s;
}

std::string hex32(uint32_t v) {
  char b[16];
  snprintf(b, sizeof b, "0x%X", (unsigned)v);
  return b;
}

// The text a memory operand must have, built from Zydis's fields.
std::string mem_text(const ZydisDecodedOperandMem &m, int adsize) {
  bool base = m.base != ZYDIS_REGISTER_NONE, index = m.index != ZYDIS_REGISTER_NONE;
  uint32_t d = (uint32_t)m.disp.value;
  if (adsize == 16 && !base && !index) d &= 0xFFFF;
  std::string idx = index ? reg_name(m.index) + "*" + std::to_string(m.scale) : "";
  if (m.base == ZYDIS_REGISTER_ESP)
    return "[SP+" + hex32(d) + "]" + (index ? "(" + idx + ")" : "");
  std::string s = "[";
  if (base) s += reg_name(m.base) + " + ";
  if (index) s += idx + " + ";
  s += (int32_t)d < 0 ? "-" + hex32(0u - d) : hex32(d);
  return s + "]";
}

// An immediate: $ and the value at the operand size, or a branch target
// counted from the instruction's start.
std::string imm_text(const ZydisDecodedOperand &o, const ZydisDecodedInstruction &zi) {
  uint32_t v = (uint32_t)o.imm.value.u;
  if (o.imm.is_relative) return hex32(zi.length + v);
  int bits = o.imm.is_signed ? zi.operand_width : o.size;
  if (bits < 32) v &= (1u << bits) - 1;
  return "$" + hex32(v);
}

TEST_F(DasZydis, OperandsAgree) {
  const std::vector<std::vector<unsigned char>> sets = {{}, {0x67}, {0x66}, {0x64}};
  int memories = 0, registers = 0, immediates = 0;
  for (const auto &p : sets)
    for (int two = 0; two < 2; two++)
      for (int op = 0; op < 256; op++) {
        if (!two && das_one[op].kind[0] >= DK_ESCAPE) continue;
        if (!two && op >= 0xA0 && op <= 0xA3) continue;  // moffs: unsigned by design
        for (int m = 0; m < 256; m++)
          for (int sib : {-1, 0x24, 0x65, 0xE5}) {
            bool wants_sib = p != std::vector<unsigned char>{0x67} && (m >> 6) != 3 && (m & 7) == 4;
            if (wants_sib != (sib >= 0)) continue;
            std::vector<unsigned char> b = bytes_of(Case{p, two, op, m, sib});
            ZydisDecoderContext ctx;
            ZydisDecodedInstruction zi;
            ZydisDecodedOperand ops[ZYDIS_MAX_OPERAND_COUNT];
            if (!ZYAN_SUCCESS(ZydisDecoderDecodeInstruction(&zd, &ctx, b.data(), b.size(), &zi)) ||
                zi.encoding != ZYDIS_INSTRUCTION_ENCODING_LEGACY ||
                !ZYAN_SUCCESS(ZydisDecoderDecodeOperands(&zd, &ctx, &zi, ops, zi.operand_count)))
              continue;
            das_result r;
            if (das_decode(b.data(), b.size(), 0, &r) < 0) continue;
            std::string text = r.text;
            for (int i = 0; i < zi.operand_count; i++) {
              const ZydisDecodedOperand &o = ops[i];
              if (o.visibility != ZYDIS_OPERAND_VISIBILITY_EXPLICIT) continue;
              std::string want;
              if (o.type == ZYDIS_OPERAND_TYPE_MEMORY &&
                  (o.mem.type == ZYDIS_MEMOP_TYPE_MEM || o.mem.type == ZYDIS_MEMOP_TYPE_AGEN)) {
                want = mem_text(o.mem, zi.address_width);
                memories++;
              } else if (o.type == ZYDIS_OPERAND_TYPE_REGISTER &&
                         !(two && (op == 0x0D || (op >= 0x18 && op <= 0x1F)))) {  // hints
                want = reg_name(o.reg.value);
                if (want == "DR4" || want == "DR5") continue;  // written ???
                registers++;
              } else if (o.type == ZYDIS_OPERAND_TYPE_IMMEDIATE &&
                         !(!two && (op == 0xD4 || op == 0xD5))) {  // base 10 is implied
                want = imm_text(o, zi);
                immediates++;
              } else {
                continue;
              }
              if (text.find(want) == std::string::npos) fail(b, text + " lacks " + want);
            }
          }
      }
  EXPECT_EQ(failures, 0);
  EXPECT_GT(memories, 50000);
  EXPECT_GT(registers, 50000);
  EXPECT_GT(immediates, 50000);
  printf("checked %d memory, %d register and %d immediate operands\n", memories, registers,
         immediates);
}

}  // namespace
