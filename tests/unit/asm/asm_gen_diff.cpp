/*
** asm_gen_diff: the differential fuzzer against the reference assembler.
** Generates programs (asm_gen.cpp) for a run of seeds, assembles each with
** fasm and with this engine, and reports every seed whose results differ;
** or records the reference's results for the stored fixed-seed run.
**
**   asm_gen_diff [--seed S] [--count N] [--keep DIR]   compare, report
**   asm_gen_diff --record FILE [--seed S] [--count N]  store fasm's results
**   asm_gen_diff --print S                             show one program
**   --items (first) does the same for the one-item programs
**
** Needs fasm on the PATH; writes only into a temporary folder (and DIR).
*/
#include "asm/asm.h"
#include "tests/unit/asm/asm_gen.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct quiet : asm_services {
  std::string text;
  void message(const char *t) override { text += t; }
};

std::string slurp(const fs::path &p) {
  std::ifstream f(p, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

/* The reference's result: the bytes, or "ERR:" and its message. */
std::string reference(const fs::path &dir, const std::string &src, std::vector<uint8_t> &out) {
  fs::path in = dir / "p.asm", bin = dir / "p.bin", log = dir / "p.log";
  std::ofstream(in, std::ios::binary) << src;
  fs::remove(bin);
  std::string cmd = "fasm '" + in.string() + "' '" + bin.string() + "' >'" + log.string() + "' 2>&1";
  if (std::system(cmd.c_str()) != 0) {
    std::string l = slurp(log);
    size_t e = l.rfind("error: ");
    return "ERR:" + (e == std::string::npos ? l : l.substr(e + 7));
  }
  std::string b = slurp(bin);
  out.assign(b.begin(), b.end());
  return "";
}

std::string ours(const std::string &src, std::vector<uint8_t> &out) {
  quiet svc;
  asm_options opt;
  opt.format = ASM_FORMAT_BINARY;
  opt.memory = 64u << 20;
  if (!asm_assemble("gen", src.data(), src.size(), &svc, opt, out))
    return "ERR:" + svc.text;
  return "";
}

int usage() {
  fprintf(stderr, "usage: asm_gen_diff [--items] [--seed S] [--count N] [--keep DIR]\n"
                  "       asm_gen_diff [--items] --record FILE [--seed S] [--count N]\n"
                  "       asm_gen_diff [--items] --print S\n");
  return 2;
}

} // namespace

int main(int argc, char **argv) {
  uint64_t seed = 1, count = 2000;
  std::string record, keep;
  bool items = argc > 1 && std::string(argv[1]) == "--items";
  auto program = [items](uint64_t s) {
    return items ? asm_gen_item(s) : asm_gen(s).source;
  };
  for (int i = items ? 2 : 1; i < argc; i++) {
    std::string a = argv[i];
    if (i + 1 >= argc)
      return usage();
    if (a == "--seed")
      seed = strtoull(argv[++i], nullptr, 0);
    else if (a == "--count")
      count = strtoull(argv[++i], nullptr, 0);
    else if (a == "--record")
      record = argv[++i];
    else if (a == "--keep")
      keep = argv[++i];
    else if (a == "--print") {
      fputs(program(strtoull(argv[++i], nullptr, 0)).c_str(), stdout);
      return 0;
    } else
      return usage();
  }
  fs::path dir = fs::temp_directory_path() / ("asm_gen_diff_" + std::to_string(getpid()));
  fs::create_directories(dir);
  std::ofstream rec;
  if (!record.empty()) {
    rec.open(record, std::ios::binary);
    rec << "# asm_gen_diff --record: seed, then the reference's output length and\n"
           "# digest (asm_gen_digest), or ERR when it refused the program\n";
  }
  int differ = 0, refused = 0;
  double t_ref = 0, t_ours = 0;
  for (uint64_t s = seed; s < seed + count; s++) {
    std::string src = program(s);
    std::vector<uint8_t> want, got;
    auto t0 = std::chrono::steady_clock::now();
    std::string rerr = reference(dir, src, want);
    auto t1 = std::chrono::steady_clock::now();
    std::string oerr = ours(src, got);
    auto t2 = std::chrono::steady_clock::now();
    t_ref += std::chrono::duration<double>(t1 - t0).count();
    t_ours += std::chrono::duration<double>(t2 - t1).count();
    if (!rerr.empty())
      refused++;
    if (rec.is_open()) {
      if (rerr.empty())
        rec << s << " " << want.size() << " " << asm_gen_digest(want) << "\n";
      else
        rec << s << " ERR\n";
    }
    bool same = rerr.empty() ? oerr.empty() && got == want : !oerr.empty();
    if (same)
      continue;
    differ++;
    size_t at = 0;
    while (at < want.size() && at < got.size() && want[at] == got[at])
      at++;
    printf("seed %llu differs:", (unsigned long long)s);
    if (!rerr.empty())
      printf(" fasm %s", rerr.c_str());
    else if (!oerr.empty())
      printf(" ours %s\n", oerr.c_str());
    else
      printf(" first at offset %zu of %zu / %zu bytes\n", at, want.size(), got.size());
    if (!keep.empty()) {
      fs::create_directories(keep);
      std::ofstream(fs::path(keep) / ("seed" + std::to_string(s) + ".asm"), std::ios::binary)
          << src;
    }
  }
  fs::remove_all(dir);
  printf("%llu programs from seed %llu: %d differ, %d refused by the reference; "
         "fasm %.2f s, ours %.2f s\n",
         (unsigned long long)count, (unsigned long long)seed, differ, refused, t_ref, t_ours);
  return differ ? 1 : 0;
}
