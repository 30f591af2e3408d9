/*
** The differential fuzzer's fixed run: programs from a fixed range of
** seeds (asm_gen.cpp, the same programs on every machine) must assemble to
** what the reference made of them, recorded in gen/reference.txt as the
** output's length and digest (asm_gen_diff --record writes it). The run
** must also put every pair of adjacent byte values into encoded
** immediates and displacements. Where fasm is installed, a sample of the
** record is checked against it again; asm_gen_diff runs any other seeds.
** The item run does the same for one-item programs (asm_gen_item.cpp,
** gen/items.txt), where one wrong item cannot hide in a long program.
*/
#include "tests/unit/asm/asm_gen.h"
#include "tests/unit/asm/asm_test_util.h"
#include "tests/support/ts_tmp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

namespace fs = std::filesystem;

namespace {

/* The digest of the program of seed 1: a generator that changed, or a
** compiler that drew otherwise, would make the record meaningless. */
const char *const seed1_digest = "b2628896a19d0e00bd7f66ba9a2ceca0";
const char *const items_digest = "eb4f6c0bbe59a27a419d88fa9fc5a619";

struct expected {
  bool refused = false;
  size_t size = 0;
  std::string digest;
};

std::map<uint64_t, expected> record(const char *file = "reference.txt") {
  std::map<uint64_t, expected> out;
  std::ifstream f(fs::path(ASM_GEN_DIR) / file);
  std::string line;
  while (std::getline(f, line)) {
    if (line.empty() || line[0] == '#')
      continue;
    std::istringstream s(line);
    uint64_t seed;
    std::string a, b;
    s >> seed >> a >> b;
    expected e;
    e.refused = a == "ERR";
    if (!e.refused) {
      e.size = std::stoul(a);
      e.digest = b;
    }
    out[seed] = e;
  }
  return out;
}

/* Our result in the record's terms. */
expected ours_of(const std::string &src, std::string *messages) {
  test_services svc;
  asm_options opt;
  opt.format = ASM_FORMAT_BINARY;
  std::vector<uint8_t> out;
  expected e;
  if (!asm_assemble("gen", src.data(), src.size(), &svc, opt, out)) {
    e.refused = true;
    if (messages)
      *messages = svc.out;
    return e;
  }
  e.size = out.size();
  e.digest = asm_gen_digest(out);
  return e;
}

expected ours(uint64_t seed, std::string *messages = nullptr) {
  return ours_of(asm_gen(seed).source, messages);
}

/* Our results against a record; the first differences described. */
int compare(const std::map<uint64_t, expected> &rec, bool items, std::string &report) {
  int bad = 0;
  for (const auto &kv : rec) {
    std::string msg;
    expected got = items ? ours_of(asm_gen_item(kv.first), &msg) : ours(kv.first, &msg);
    const expected &want = kv.second;
    bool same = want.refused ? got.refused
                             : !got.refused && got.size == want.size && got.digest == want.digest;
    if (same)
      continue;
    if (++bad <= 20)
      report += "  seed " + std::to_string(kv.first) + ": " +
                (want.refused ? std::string("the reference refused it, ours did not")
                 : got.refused ? "ours refused it: " + msg
                               : "other bytes (" + std::to_string(got.size) + " for " +
                                     std::to_string(want.size) + ")") + "\n";
  }
  return bad;
}

TEST(AsmGen, FixedRunMatchesTheReference) {
  auto rec = record();
  ASSERT_GE(rec.size(), 2000u) << "gen/reference.txt is missing or short";
  std::string report;
  int bad = compare(rec, false, report);
  EXPECT_EQ(bad, 0) << bad << " of " << rec.size()
                    << " programs differ (see them with asm_gen_diff --print SEED):\n"
                    << report;
}

/* Floats of every unit, eqtype, stated address sizes: items near the
** edges, many of them refused by the reference, one per program. */
TEST(AsmGen, ItemRunMatchesTheReference) {
  auto rec = record("items.txt");
  ASSERT_GE(rec.size(), 3000u) << "gen/items.txt is missing or short";
  size_t refused = 0;
  for (const auto &kv : rec)
    refused += kv.second.refused;
  EXPECT_GT(refused, rec.size() / 5) << "the run should reach past the edges";
  EXPECT_LT(refused, rec.size() * 3 / 5) << "the run should mostly assemble";
  std::string report;
  int bad = compare(rec, true, report);
  EXPECT_EQ(bad, 0) << bad << " of " << rec.size()
                    << " items differ (see them with asm_gen_diff --items --print SEED):\n"
                    << report;
}

/* The run walks the whole byte sequence: every byte pair stands somewhere
** in an immediate or a displacement, so no rewrite of opcode-like bytes
** inside a field can pass unseen. */
TEST(AsmGen, FixedRunCoversEveryBytePair) {
  auto rec = record();
  std::vector<char> seen(65536, 0);
  for (const auto &kv : rec)
    for (uint32_t i : asm_gen(kv.first).pairs)
      seen[(size_t)asm_gen_debruijn(i) << 8 | asm_gen_debruijn(i + 1)] = 1;
  size_t missing = 0;
  for (char c : seen)
    missing += !c;
  EXPECT_EQ(missing, 0u);
}

TEST(AsmGen, SameSeedSameProgram) {
  EXPECT_EQ(asm_gen_item(7), asm_gen_item(7));
  std::string it = asm_gen_item(1) + asm_gen_item(2) + asm_gen_item(3);
  EXPECT_EQ(asm_gen_digest(std::vector<uint8_t>(it.begin(), it.end())), items_digest)
      << "the item generator changed: record its run again (asm_gen_diff --items --record)";
  EXPECT_EQ(asm_gen(7).source, asm_gen(7).source);
  EXPECT_NE(asm_gen(7).source, asm_gen(8).source);
  std::string s = asm_gen(1).source;
  EXPECT_EQ(asm_gen_digest(std::vector<uint8_t>(s.begin(), s.end())), seed1_digest)
      << "the generator changed: record the run again (asm_gen_diff --record)";
}

/* A sample of a record checked against fasm itself, where it is
** installed: the whole run is asm_gen_diff's job. */
void recheck(const std::map<uint64_t, expected> &rec, bool items) {
  if (std::system("command -v fasm >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "fasm is not installed: the recorded results stand";
  fs::path dir = ts_newdir("asm_gen");
  int checked = 0;
  for (const auto &kv : rec) {
    if (kv.first % 97 != 1)
      continue;
    fs::path in = dir / "p.asm", bin = dir / "p.bin";
    std::ofstream(in, std::ios::binary) << (items ? asm_gen_item(kv.first)
                                                  : asm_gen(kv.first).source);
    fs::remove(bin);
    std::string cmd = "fasm '" + in.string() + "' '" + bin.string() + "' >/dev/null 2>&1";
    bool ok = std::system(cmd.c_str()) == 0;
    EXPECT_EQ(!ok, kv.second.refused) << "seed " << kv.first;
    if (ok && !kv.second.refused) {
      std::ifstream f(bin, std::ios::binary);
      std::vector<uint8_t> b((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
      EXPECT_EQ(asm_gen_digest(b), kv.second.digest) << "seed " << kv.first;
    }
    checked++;
  }
  fs::remove_all(dir);
  EXPECT_GT(checked, 10);
}

TEST(AsmGen, RecordStillMatchesTheReference) { recheck(record(), false); }

TEST(AsmGen, ItemRecordStillMatchesTheReference) { recheck(record("items.txt"), true); }

} // namespace
