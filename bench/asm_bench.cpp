// Assembler speed: a generated program of mixed instructions, labels,
// macros and data, assembled by our engine and, in the same run, by the
// dialect's reference assembler (fasm) and by NASM on the same program
// written in their syntax. Figures in lines per second.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "asm/asm.h"

namespace {

struct quiet : asm_services {
  std::string first;
  void message(const char *t) override {
    if (first.size() < 300) first += t;
  }
};

// The body in the syntax both assemblers share; `mac` is the macro call.
std::string body(int lines, bool nasm) {
  std::string s;
  char buf[160];
  int n = 0;
  for (int i = 0; n < lines; i++) {
    const int back = i > 3 ? i - 3 : 0;
    snprintf(buf, sizeof buf,
             "l%d:\n mov eax, %d\n add ebx, eax\n addmul ecx, edx\n"
             " mov dword [ebx+%d], ecx\n cmp eax, 10\n jne l%d\n"
             " push esi\n pop esi\n db 1, 2, 3\n",
             i, i, (i % 64) * 4, back);
    s += buf;
    n += 10;
  }
  (void)nasm;
  return s;
}

std::string fasm_source(int lines) {
  return "use32\nmacro addmul a, b\n{\n add a, b\n imul a, b\n}\n" + body(lines, false);
}

std::string nasm_source(int lines) {
  return "bits 32\n%macro addmul 2\n add %1, %2\n imul %1, %2\n%endmacro\n" +
         body(lines, true);
}

double seconds_since(std::chrono::steady_clock::time_point t) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
}

// Every figure is the best of this many runs: the machine may be shared.
const int kRuns = 5;

// Runs a command on a source file; the best wall time, or -1 if it failed.
double run_tool(const char *cmd, const std::string &src, const char *path) {
  FILE *f = fopen(path, "wb");
  if (!f) return -1;
  fwrite(src.data(), 1, src.size(), f);
  fclose(f);
  double best = -1;
  for (int i = 0; i < kRuns; i++) {
    auto t = std::chrono::steady_clock::now();
    int rc = system(cmd);
    double s = seconds_since(t);
    if (rc != 0) return -1;
    if (best < 0 || s < best) best = s;
  }
  return best;
}

}  // namespace

int main(int argc, char **argv) {
  int lines = argc > 1 ? atoi(argv[1]) : 100000;
  std::string src = fasm_source(lines);
  quiet svc;
  asm_options opt;
  opt.format = ASM_FORMAT_BINARY;
  opt.memory = 512u * 1024 * 1024;
  std::vector<uint8_t> out;
  bool ok = true;
  double ours = -1;
  for (int i = 0; i < kRuns && ok; i++) {
    auto t = std::chrono::steady_clock::now();
    ok = asm_assemble("bench", src.data(), src.size(), &svc, opt, out);
    double s = seconds_since(t);
    if (ours < 0 || s < ours) ours = s;
  }
  printf("program: %d lines, best of %d runs each\n", lines, kRuns);
  if (ok)
    printf("trelk assembler: %8.3f s  %10.0f lines/s  (%zu bytes)\n", ours,
           lines / ours, out.size());
  else
    printf("trelk assembler: failed: %s\n", svc.first.c_str());
#ifndef _WIN32
  double f = run_tool("fasm /tmp/trelk_bench.asm /tmp/trelk_bench.bin >/dev/null 2>&1",
                      src, "/tmp/trelk_bench.asm");
  if (f >= 0)
    printf("fasm (reference): %8.3f s  %10.0f lines/s  ours/reference speed %.2f\n",
           f, lines / f, f / ours);
  else
    printf("fasm (reference): not available\n");
  double n = run_tool("nasm -f bin /tmp/trelk_bench_n.asm -o /tmp/trelk_bench_n.bin >/dev/null 2>&1",
                      nasm_source(lines), "/tmp/trelk_bench_n.asm");
  if (n >= 0)
    printf("nasm -f bin:      %8.3f s  %10.0f lines/s  ours/nasm speed %.2f\n",
           n, lines / n, n / ours);
  else
    printf("nasm: not available\n");
#endif
  return ok ? 0 : 1;
}
