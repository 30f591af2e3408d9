// The vector maps against the Zydis decoder on random bytes from a fixed
// seed: legacy 0F, 0F 38 and 0F 3A rows under the mandatory prefixes, and
// two- and three-byte VEX forms. Where both decode, lengths must agree and
// the mnemonics must name the same instruction; an encoding only one side
// accepts must be one of the listed deviations, or (Zydis alone) belong to
// an extension the tables do not cover.
#include "native/das386/das_decode.h"
#include "native/das386/das_internal.h"
#include "tests/unit/das386/das_test_util.h"

#include <Zydis/Zydis.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// xorshift64*: the same sequence on every machine.
struct rng {
  uint64_t s;
  unsigned next() {
    s ^= s >> 12, s ^= s << 25, s ^= s >> 27;
    return (unsigned)((s * 2685821657736338717ull) >> 32);
  }
  unsigned below(unsigned n) { return next() % n; }
};

// A random instruction over the vector maps: prefixes, escape or VEX,
// opcode, ModRM and random tail bytes.
std::vector<unsigned char> random_code(rng &r) {
  std::vector<unsigned char> b;
  static const unsigned char pfx[] = {0x66, 0xF3, 0xF2, 0x67, 0x2E, 0x3E};
  int form = r.below(10);
  if (form < 5) {
    int n = r.below(8) < 5 ? 1 : r.below(3);
    for (int i = 0; i < n; i++) b.push_back(pfx[r.below(i == 0 ? 3 : 6)]);
    b.push_back(0x0F);
    if (form == 1) b.push_back(0x38);
    if (form == 2) b.push_back(0x3A);
  } else {
    if (r.below(16) == 0) b.push_back(pfx[r.below(6)]);
    if (form < 7) {
      b.push_back(0xC5);
      b.push_back((unsigned char)(r.next() | (r.below(16) ? 0xC0 : 0)));
    } else {
      b.push_back(0xC4);
      unsigned m = r.below(16) ? 1 + r.below(3) : r.below(32);
      b.push_back((unsigned char)((r.below(16) ? 0xC0 : r.next() & 0xC0) | (r.next() & 0x20) | m));
      b.push_back((unsigned char)r.next());
    }
  }
  b.push_back((unsigned char)r.next());  // opcode
  for (int i = 0; i < 12; i++) b.push_back((unsigned char)r.next());
  return b;
}

TEST(DasSimd, RandomAgainstZydis) {
  ZydisDecoder zd;
  ASSERT_EQ(ZydisDecoderInit(&zd, ZYDIS_MACHINE_MODE_LEGACY_32, ZYDIS_STACK_WIDTH_32),
            ZYAN_STATUS_SUCCESS);
    rng r{0x7265746C6B444153ull};
  int both = 0, neither = 0, failures = 0, registers = 0;
  std::map<std::string, int> uncovered, hints;
  std::map<std::string, std::pair<int, std::string>> bad;
  auto fail = [&](const std::string &key, const std::string &what) {
    failures++;
    auto &f = bad[key];
    if (f.first++ == 0) f.second = what;
  };
  for (int i = 0; i < 400000; i++) {
    std::vector<unsigned char> b = random_code(r);
    ZydisDecoderContext ctx;
    ZydisDecodedInstruction zi;
    ZydisDecodedOperand ops[ZYDIS_MAX_OPERAND_COUNT];
    bool zok = ZYAN_SUCCESS(ZydisDecoderDecodeInstruction(&zd, &ctx, b.data(), b.size(), &zi));
    das_result d;
    int len = das_decode(b.data(), b.size(), 0, &d);
    std::string zname = zok ? ZydisMnemonicGetString(zi.mnemonic) : "";
    if (zok && len >= 0) {
      both++;
      std::string ours = das_mnemonic(d.text);
      if (len != zi.length)
        fail("length " + zname, das_hex(b.data(), 14) + d.text + " vs " + zname + " length " +
                                    std::to_string(zi.length));
      // explicit register operands, vector ones included, appear in the text
      if (das_vector_row(b.data(), b.size()) && !das_hint_space(b.data(), b.size()) &&
          ZYAN_SUCCESS(ZydisDecoderDecodeOperands(&zd, &ctx, &zi, ops, zi.operand_count)))
      {
        // our operands reversed are Zydis's explicit ones: registers by name,
        // memory as [..], immediates as $..
        std::vector<std::string> mine = das_operands(d.text), want;
        for (int o = 0; o < zi.operand_count; o++) {
          const ZydisDecodedOperand &op = ops[o];
          if (op.visibility != ZYDIS_OPERAND_VISIBILITY_EXPLICIT) continue;
          if (op.type == ZYDIS_OPERAND_TYPE_REGISTER) {
            want.push_back(das_reg_name(op.reg.value));
            registers++;
          } else {
            want.push_back(op.type == ZYDIS_OPERAND_TYPE_MEMORY ? "[" : "$");
          }
        }
        // the implicit XMM0 of the blends and SHA256RNDS2 is written first
        if (mine.size() == want.size() + 1 && mine[0] == "X0") mine.erase(mine.begin());
        bool same = mine.size() == want.size();
        for (size_t o = 0; same && o < want.size(); o++) {
          const std::string &m = mine[mine.size() - 1 - o];
          same = want[o].size() == 1 ? m.find(want[o]) != std::string::npos : m == want[o];
        }
        if (!same) {
          std::string w;
          for (auto &x : want) w += " " + x;
          fail("operands " + ours, das_hex(b.data(), 14) + d.text + " vs" + w);
        }
      }
      if (das_hint_space(b.data(), b.size()) && ours.rfind("nop", 0) == 0) hints[zname]++;
      else if (!das_same_name(ours, zname) && zi.meta.isa_ext != ZYDIS_ISA_EXT_BASE &&
               zi.meta.isa_ext != ZYDIS_ISA_EXT_X87 && zi.meta.isa_ext != ZYDIS_ISA_EXT_LONGMODE)
        fail("name " + ours + " " + zname, das_hex(b.data(), 14) + d.text + " vs " + zname);
    } else if (zok) {
      if (zi.encoding == ZYDIS_INSTRUCTION_ENCODING_3DNOW || !das_vector_row(b.data(), b.size())) continue;
      bool known = das_knows(zname);
      if (known) fail("rejects " + zname, das_hex(b.data(), 14) + d.error + " but Zydis: " + zname);
      else uncovered[zname]++;
    } else if (len >= 0) {
      if (!das_vector_row(b.data(), b.size())) continue;  // the integer rows have their own sweep
      fail("accepts " + das_mnemonic(d.text), das_hex(b.data(), 14) + d.text + " but Zydis rejects");
    } else {
      neither++;
    }
  }
  int shown = 0;
  for (const auto &f : bad)
    if (++shown <= 80) ADD_FAILURE() << f.first << ": " << f.second.second << " (" << f.second.first << ")";
  EXPECT_EQ(failures, 0);
  EXPECT_GT(both, 90000);
  EXPECT_GT(registers, 60000);
  printf("both decode %d (%d register operands), neither %d, failures %d\n", both, registers,
         neither, failures);
  std::string gaps;
  for (const auto &u : uncovered) gaps += " " + u.first;
  printf("decoded by Zydis only (extensions the tables leave out):%s\n", gaps.c_str());
}

}  // namespace
