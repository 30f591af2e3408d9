// The assembler's own test material decoded: every 32-bit instruction form
// (one instruction each), the assembled corpus and the differential
// generator's programs swept as code. Lengths must agree with Zydis along
// its sweep and with the stored objdump record (das_objdump_record.py);
// vector instructions must carry Zydis's and objdump's names.
#include "native/das386/das_decode.h"
#include "native/das386/das_internal.h"
#include "tests/unit/das386/das_gen_code.h"
#include "tests/unit/das386/das_test_util.h"

#include <Zydis/Zydis.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

Bytes from_hex(const std::string &h) {
  Bytes b;
  std::istringstream s(h);
  std::string t;
  while (s >> t)
    for (size_t i = 0; i + 1 < t.size(); i += 2) b.push_back((unsigned char)std::stoul(t.substr(i, 2), nullptr, 16));
  return b;
}

Bytes read_file(const fs::path &p) {
  std::ifstream f(p, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Exact-size copy, so that a read past the instruction is an ASan error.
int decode(const Bytes &b, size_t at, size_t n, das_result *r) {
  std::vector<unsigned char> copy(b.begin() + at, b.begin() + at + n);
  return das_decode(copy.data(), copy.size(), 0, r);
}

// objdump names a comparison or carry-less multiplication by its
// immediate (cmpltps, pclmulhqlqdq); das386 writes the immediate.
bool objdump_alias(const std::string &ours, const std::string &theirs) {
  for (const char *stem : {"cmp", "vcmp", "pclmul", "vpclmul"}) {
    std::string st = stem;
    if (ours.rfind(st, 0) != 0 || theirs.rfind(st, 0) != 0) continue;
    std::string tail = ours.substr(st.size());  // ps, pd, ss, sd, qdq
    if (tail.size() <= 3 && theirs.size() > ours.size() &&
        theirs.compare(theirs.size() - tail.size(), tail.size(), tail) == 0)
      return true;
  }
  return false;
}

// A waiting x87 control instruction (9B D9 /7 and the like) that objdump
// reads as one: das386 reads WAIT, then the instruction.
bool waiting_pair(const Bytes &b, size_t at, size_t n) {
  if (n < 2 || b[at] != 0x9B) return false;
  das_result r;
  if (decode(b, at, 1, &r) != 1 || std::string(r.text) != "WAIT") return false;
  return decode(b, at + 1, n - 1, &r) == (int)n - 1;
}

class DasCorpus : public ::testing::Test {
protected:
  ZydisDecoder zd;
  int failures = 0;
  std::map<std::string, std::pair<int, std::string>> failed;
  std::map<std::string, int> left_out;

  void SetUp() override {
    ASSERT_EQ(ZydisDecoderInit(&zd, ZYDIS_MACHINE_MODE_LEGACY_32, ZYDIS_STACK_WIDTH_32),
              ZYAN_STATUS_SUCCESS);
  }
  void TearDown() override {
    int shown = 0;
    for (const auto &f : failed)
      if (++shown <= 40) ADD_FAILURE() << f.first << ": " << f.second.second << " (" << f.second.first << ")";
    EXPECT_EQ(failures, 0);
    std::string gaps;
    for (const auto &g : left_out) gaps += " " + g.first;
    if (!gaps.empty()) printf("  decoded elsewhere only (not in the tables):%s\n", gaps.c_str());
  }
  void fail(const std::string &key, const std::string &what) {
    failures++;
    auto &f = failed[key];
    if (f.first++ == 0) f.second = what;
  }

  // The instruction at b[at..] as Zydis and das386 see it. Returns the
  // length Zydis found (0: none).
  int compare(const Bytes &b, size_t at, bool names) {
    size_t n = std::min(b.size() - at, (size_t)DAS_MAXLEN);
    ZydisDecodedInstruction zi;
    if (!ZYAN_SUCCESS(ZydisDecoderDecodeInstruction(&zd, nullptr, b.data() + at, n, &zi))) return 0;
    das_result r;
    int len = decode(b, at, n, &r);
    std::string zname = ZydisMnemonicGetString(zi.mnemonic);
    std::string where = das_hex(b.data() + at, zi.length);
    if (len < 0) {
      if (das_vector_row(b.data() + at, n) && das_knows(zname))
        fail("rejects " + zname, where + r.error);
      else
        left_out[zname]++;
    } else if (len != zi.length) {
      fail("length " + zname, where + r.text + ": " + std::to_string(len) + " vs Zydis " +
                                  std::to_string(zi.length));
    } else if (names && das_vector_row(b.data() + at, n) && !das_hint_space(b.data() + at, n) &&
               !das_same_name(das_mnemonic(r.text), zname)) {
      fail("name " + zname, where + r.text);
    }
    return zi.length;
  }

  // Zydis's linear sweep; das386 is compared at each of its positions.
  int sweep(const Bytes &b) {
    int n = 0;
    for (size_t at = 0; at < b.size(); n++) {
      int len = compare(b, at, true);
      at += len > 0 ? len : 1;
    }
    return n;
  }
};

TEST_F(DasCorpus, EveryThirtyTwoBitForm) {
  int forms = 0, kept = 0, waiting = 0;
  for (const auto &e : fs::directory_iterator(ASM_FORMS_DIR)) {
    std::ifstream f(e.path());
    std::string line;
    if (!std::getline(f, line) || line != "use32") continue;
    while (std::getline(f, line)) {
      size_t tab = line.find('\t');
      if (tab == std::string::npos) continue;
      Bytes b = from_hex(line.substr(tab + 1));
      das_result r;
      int len = decode(b, 0, b.size(), &r);
      forms++;
      if (len < 0 && !das_vector_row(b.data(), b.size())) {
        kept++;  // UD2, AAM with another base: undefined in the integer tables
        left_out[line.substr(0, line.find_first_of(" \t"))]++;
        continue;
      }
      if (waiting_pair(b, 0, b.size())) {
        waiting++;
        continue;
      }
      if (len != (int)b.size())
        fail("form " + e.path().filename().string(), line + " -> " + r.text + r.error);
      else
        compare(b, 0, true);
    }
  }
  EXPECT_GT(forms, 6000);
  printf("  %d forms (%d waiting x87 pairs, %d undefined integer forms)\n", forms, waiting, kept);
}

TEST_F(DasCorpus, AssembledCorpusAndGeneratedPrograms) {
  int positions = 0, files = 0;
  for (const auto &e : fs::directory_iterator(ASM_CORPUS_DIR))
    if (e.path().extension() == ".bin") {
      positions += sweep(read_file(e.path()));
      files++;
    }
  EXPECT_GE(files, 10);
  int programs = 0;
  for (uint64_t seed = 1; seed <= 200; seed++) {
    std::vector<uint8_t> out;
    if (!das_gen_code(seed, out)) continue;
    positions += sweep(Bytes(out.begin(), out.end()));
    programs++;
  }
  EXPECT_GT(programs, 150);
  printf("  %d positions of %d corpus files and %d generated programs\n", positions, files,
         programs);
}

TEST_F(DasCorpus, StoredObjdumpRecord) {
  std::ifstream f(fs::path(DAS_DATA_DIR) / "objdump.txt");
  ASSERT_TRUE(f) << "tests/data/das386/objdump.txt is missing";
  std::string line;
  int records = 0, named = 0;
  std::map<std::string, int> theirs_only;
  while (std::getline(f, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream s(line);
    std::string hexes, name;
    int length;
    s >> hexes >> length >> name;
    Bytes b = from_hex(hexes);
    ASSERT_EQ((int)b.size(), length) << line;
    records++;
    if (name == "(bad)" || name == "(prefix)") continue;
    das_result r;
    int len = decode(b, 0, b.size(), &r);
    if (len < 0) {
      if (das_vector_row(b.data(), b.size()) && das_knows(name))
        fail("objdump rejects " + name, line + ": " + r.error);
      else
        theirs_only[name]++;
      continue;
    }
    if (len != length) {
      if (waiting_pair(b, 0, b.size())) continue;
      fail("objdump length " + name, line + ": " + r.text);
      continue;
    }
    if (das_vector_row(b.data(), b.size()) && !das_hint_space(b.data(), b.size())) {
      named++;
      std::string ours = das_mnemonic(r.text);
      if (!das_same_name(ours, name) && !objdump_alias(ours, name))
        fail("objdump name " + ours + " " + name, line + ": " + r.text);
    }
  }
  EXPECT_GT(records, 15000);
  EXPECT_GT(named, 1000);
  std::string gaps;
  for (const auto &g : theirs_only) gaps += " " + g.first;
  printf("  %d records, %d vector names compared; objdump only:%s\n", records, named,
         gaps.c_str());
}

}  // namespace
