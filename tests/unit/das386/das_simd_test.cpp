// The vector maps against the Zydis decoder on random bytes from a fixed
// seed: legacy 0F, 0F 38 and 0F 3A rows under the mandatory prefixes, and
// two- and three-byte VEX forms. Where both decode, lengths must agree and
// the mnemonics must name the same instruction; an encoding only one side
// accepts must be one of the listed deviations, or (Zydis alone) belong to
// an extension the tables do not cover.
#include "native/das386/das_decode.h"
#include "native/das386/das_internal.h"

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

std::string hex(const unsigned char *b, int n) {
  std::string s;
  char t[4];
  for (int i = 0; i < n; i++) {
    snprintf(t, sizeof t, "%02x ", b[i]);
    s += t;
  }
  return s;
}

// Our mnemonic in lower case without the prefix text.
std::string our_mnemonic(const char *text) {
  std::string s = text;
  for (const char *p : {"REP ", "REPNE ", "LOCK "})
    if (s.rfind(p, 0) == 0) s = s.substr(strlen(p));
  s = s.substr(0, s.find_first_of("\t "));
  for (char &c : s) c = (char)tolower((unsigned char)c);
  return s;
}

// Same instruction name, allowing our trailing size letter.
bool same_name(const std::string &ours, const std::string &z) {
  if (ours == z) return true;
  if (ours.size() == z.size() + 1 && ours.compare(0, z.size(), z) == 0 &&
      std::string("bwl").find(ours.back()) != std::string::npos)
    return true;
  return false;
}

// A Zydis register in this notation.
std::string reg_name(ZydisRegister r) {
  std::string s = ZydisRegisterGetString(r);
  for (char &c : s) c = (char)toupper((unsigned char)c);
  if (s.size() == 3 && s[0] == 'E') s = s.substr(1);
  if (s.size() == 3 && s[0] == 'M' && s[1] == 'M') s = "M" + s.substr(2);
  if (s.size() == 4 && (s[0] == 'X' || s[0] == 'Y') && s[1] == 'M' && s[2] == 'M')
    s = s.substr(0, 1) + s.substr(3);
  return s;
}

// The operand texts after the tab.
std::vector<std::string> operands(const char *text) {
  std::vector<std::string> out;
  const char *p = strchr(text, '\t');
  if (!p) p = strchr(text, ' ');
  if (!p) return out;
  std::string cur;
  for (p++; *p; p++) {
    if (*p == ',') {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += *p;
    }
  }
  out.push_back(cur);
  return out;
}

// Every mnemonic the tables can produce (lower case, %S/%w/%W expanded).
void collect(const das_entry *t, int n, std::set<std::string> &out, std::set<const void *> &seen) {
  if (!seen.insert(t).second) return;
  for (int i = 0; i < n; i++) {
    const das_entry &e = t[i];
    if (e.text) {
      std::string m = our_mnemonic(e.text);
      std::vector<std::string> forms = {m};
      for (const char *v : {"%s", "%w", "%W"}) {
        std::vector<std::string> next;
        for (auto &f : forms) {
          size_t at = f.find(v);
          if (at == std::string::npos) {
            next.push_back(f);
            continue;
          }
          for (const char *r : {"b", "w", "l", "s", "d", "q"})
            next.push_back(f.substr(0, at) + r + f.substr(at + 2));
        }
        forms = next;
      }
      for (auto &f : forms) out.insert(f);
    }
    if (!e.next) continue;
    int k = e.kind[0], m = k == DK_ESCAPE ? 256 : k == DK_FGROUPX ? 72
                         : k == DK_FGROUP ? 16 : k == DK_MANDATORY ? 4
                         : (k == DK_VEXL || k == DK_VEXW || k == DK_MODSEL) ? 2 : 8;
    if (e.next != das_one) collect(e.next, m, out, seen);
  }
}

std::set<std::string> our_names() {
  std::set<std::string> out;
  std::set<const void *> seen;
  collect(das_one, 256, out, seen);
  for (int m = 0; m < 3; m++) collect(das_vex_map.e[m], 256, out, seen);
  return out;
}

// Names that differ from Zydis's on purpose: the program's own notation.
const std::map<std::string, std::string> renamed = {
    {"cvtsi2ssl", "cvtsi2ss"}, {"cvtsi2sdl", "cvtsi2sd"},
    {"cvttss2sil", "cvttss2si"}, {"cvttsd2sil", "cvttsd2si"},
    {"cvtss2sil", "cvtss2si"}, {"cvtsd2sil", "cvtsd2si"},
    {"vcvtsi2ssl", "vcvtsi2ss"}, {"vcvtsi2sdl", "vcvtsi2sd"},
    {"vcvttss2sil", "vcvttss2si"}, {"vcvttsd2sil", "vcvttsd2si"},
    {"vcvtss2sil", "vcvtss2si"}, {"vcvtsd2sil", "vcvtsd2si"},
};

// Whether the bytes reach a row chosen by a mandatory prefix or a VEX map.
bool vector_row(const std::vector<unsigned char> &b) {
  size_t k = 0;
  while (k < b.size() && (b[k] == 0x66 || b[k] == 0x67 || b[k] == 0xF2 || b[k] == 0xF3 ||
                          b[k] == 0x2E || b[k] == 0x3E))
    k++;
  if (b[k] == 0xC4 || b[k] == 0xC5) return true;
  return b[k] == 0x0F && das_two[b[k + 1]].kind[0] >= DK_ESCAPE;
}

// 0F 18-1F: the hint space, NOP on processors without the extension that
// gives the row a meaning (bounds checks, shadow stacks, cache hints).
bool hint_space(const std::vector<unsigned char> &b) {
  size_t k = 0;
  while (k < b.size() && b[k] != 0x0F) k++;
  return k + 1 < b.size() && b[k + 1] >= 0x18 && b[k + 1] <= 0x1F;
}

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
  const std::set<std::string> names = our_names();
  rng r{0x7265746C6B444153ull};
  int both = 0, neither = 0, failures = 0, registers = 0;
  std::map<std::string, int> uncovered, renamed_seen;
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
      std::string ours = our_mnemonic(d.text);
      if (len != zi.length)
        fail("length " + zname, hex(b.data(), 14) + d.text + " vs " + zname + " length " +
                                    std::to_string(zi.length));
      // explicit register operands, vector ones included, appear in the text
      if (vector_row(b) && !hint_space(b) &&
          ZYAN_SUCCESS(ZydisDecoderDecodeOperands(&zd, &ctx, &zi, ops, zi.operand_count)))
      {
        // our operands reversed are Zydis's explicit ones: registers by name,
        // memory as [..], immediates as $..
        std::vector<std::string> mine = operands(d.text), want;
        for (int o = 0; o < zi.operand_count; o++) {
          const ZydisDecodedOperand &op = ops[o];
          if (op.visibility != ZYDIS_OPERAND_VISIBILITY_EXPLICIT) continue;
          if (op.type == ZYDIS_OPERAND_TYPE_REGISTER) {
            want.push_back(reg_name(op.reg.value));
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
          fail("operands " + ours, hex(b.data(), 14) + d.text + " vs" + w);
        }
      }
      auto rn = renamed.find(ours);
      if (rn != renamed.end() && rn->second == zname) renamed_seen[ours]++;
      else if (hint_space(b) && ours.rfind("nop", 0) == 0) renamed_seen["hint " + zname]++;
      else if (!same_name(ours, zname) && zi.meta.isa_ext != ZYDIS_ISA_EXT_BASE &&
               zi.meta.isa_ext != ZYDIS_ISA_EXT_X87 && zi.meta.isa_ext != ZYDIS_ISA_EXT_LONGMODE)
        fail("name " + ours + " " + zname, hex(b.data(), 14) + d.text + " vs " + zname);
    } else if (zok) {
      if (zi.encoding == ZYDIS_INSTRUCTION_ENCODING_3DNOW || !vector_row(b)) continue;
      bool known = names.count(zname) || names.count(zname + "l");
      if (known) fail("rejects " + zname, hex(b.data(), 14) + d.error + " but Zydis: " + zname);
      else uncovered[zname]++;
    } else if (len >= 0) {
      if (!vector_row(b)) continue;  // the integer rows have their own sweep
      fail("accepts " + our_mnemonic(d.text), hex(b.data(), 14) + d.text + " but Zydis rejects");
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
