// Decoding throughput of das386 beside the Zydis decoder, over the code
// sections of a 32-bit PE file (by default this program itself on Windows,
// a 32-bit Wine DLL elsewhere). Prints figures; no pass or fail.
#include "native/das386/das_decode.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <Zydis/Zydis.h>

#include <ctime>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

bool read_file(const char *path, Bytes &out) {
  FILE *f = fopen(path, "rb");
  if (!f) return false;
  unsigned char b[65536];
  size_t n;
  while ((n = fread(b, 1, sizeof b, f)) > 0) out.insert(out.end(), b, b + n);
  fclose(f);
  return true;
}

uint32_t le32(const Bytes &b, size_t at) {
  if (at + 4 > b.size()) return 0;
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | (uint32_t)b[at + 3] << 24;
}

// The raw bytes of every executable section of a PE image.
Bytes code_sections(const Bytes &file) {
  Bytes code;
  uint32_t pe = le32(file, 0x3C);
  if (file.size() < 64 || le32(file, pe) != 0x4550) return code;
  unsigned nsec = le32(file, pe + 6) & 0xFFFF;
  unsigned optsize = le32(file, pe + 20) & 0xFFFF;
  size_t sec = pe + 24 + optsize;
  for (unsigned i = 0; i < nsec; i++, sec += 40) {
    uint32_t size = le32(file, sec + 16), at = le32(file, sec + 20);
    uint32_t flags = le32(file, sec + 36);
    if (!(flags & 0x20000020u) || at >= file.size()) continue;
    if (size > file.size() - at) size = (uint32_t)(file.size() - at);
    code.insert(code.end(), file.begin() + at, file.begin() + at + size);
  }
  return code;
}

// Processor time of this thread: on a machine shared with other work the
// wall clock measures the neighbours as much as the decoders.
double cpu_seconds() {
#ifdef _WIN32
  FILETIME c, e, k, u;
  GetThreadTimes(GetCurrentThread(), &c, &e, &k, &u);
  return (((uint64_t)u.dwHighDateTime << 32 | u.dwLowDateTime) +
          ((uint64_t)k.dwHighDateTime << 32 | k.dwLowDateTime)) * 1e-7;
#else
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return t.tv_sec + t.tv_nsec * 1e-9;
#endif
}

struct Figures {
  long long instructions = 0, passes = 0;
  double seconds = 0;
};

// Linear sweep, one byte forward over anything undecodable, repeated until
// at least a fifth of a second of processor time has passed.
template <class Decode>
Figures sweep(const Bytes &code, Decode decode) {
  Figures f;
  double t0 = cpu_seconds();
  do {
    for (size_t at = 0; at < code.size();) {
      int len = decode(code.data() + at, code.size() - at);
      at += len > 0 ? len : 1;
      f.instructions++;
    }
    f.passes++;
    f.seconds = cpu_seconds() - t0;
  } while (f.seconds < 0.2);
  return f;
}

void report(const char *name, const Figures &f, size_t bytes) {
  printf("  %-7s %12.0f instructions/s %8.1f MB/s\n", name, f.instructions / f.seconds,
         (double)bytes * f.passes / f.seconds / 1e6);
}

// The vector instruction forms of the assembler's tests, one after another:
// MMX, SSE and AVX code, rare in system DLLs.
Bytes vector_forms() {
  Bytes code;
#ifdef DAS_FORMS_DIR
  for (const char *name : {"mmx_sse_int.txt", "sse.txt", "avx.txt"}) {
    FILE *f = fopen((std::string(DAS_FORMS_DIR) + "/" + name).c_str(), "r");
    if (!f) continue;
    char line[512];
    while (fgets(line, sizeof line, f)) {
      char *tab = strchr(line, '\t');
      if (!tab) continue;
      unsigned v;
      int used;
      for (char *p = tab + 1; sscanf(p, "%2x%n", &v, &used) == 1; p += used) code.push_back((unsigned char)v);
    }
    fclose(f);
  }
#endif
  return code;
}

// das386 beside Zydis over one piece of code, in alternating rounds whose
// best is kept (on a loaded machine the slowest rounds say nothing about
// the decoders); returns the speed ratio.
template <class D, class Z>
double compare(const char *what, const Bytes &code, D das, Z zydis) {
  Figures d, z;
  for (int round = 0; round < 5; round++) {
    Figures dr = sweep(code, das), zr = sweep(code, zydis);
    if (round == 0 || dr.instructions / dr.seconds > d.instructions / d.seconds) d = dr;
    if (round == 0 || zr.instructions / zr.seconds > z.instructions / z.seconds) z = zr;
  }
  printf("%s, %zu bytes of code\n", what, code.size());
  report("das386", d, code.size());
  report("Zydis", z, code.size());
  double ratio = (d.instructions / d.seconds) / (z.instructions / z.seconds);
  printf("  das386/Zydis %.2fx (goal at least 1.2x)\n", ratio);
  return ratio;
}

}  // namespace

int main(int argc, char **argv) {
  const char *path = argc > 1 ? argv[1] :
#ifdef _WIN32
                              argv[0];
#else
                              "/usr/lib/i386-linux-gnu/wine/i386-windows/kernelbase.dll";
#endif
  Bytes file;
  if (!read_file(path, file)) {
    fprintf(stderr, "bench_das386: cannot read %s\n", path);
    return 1;
  }
  Bytes code = code_sections(file);
  if (code.empty()) {
    fprintf(stderr, "bench_das386: no 32-bit code sections in %s\n", path);
    return 1;
  }
  ZydisDecoder zd;
  ZydisDecoderInit(&zd, ZYDIS_MACHINE_MODE_LEGACY_32, ZYDIS_STACK_WIDTH_32);

  auto das = [](const unsigned char *p, size_t n) {
    das_result r;
    return das_decode(p, n, 0, &r);
  };
  auto zydis = [&zd](const unsigned char *p, size_t n) {
    ZydisDecodedInstruction zi;
    if (!ZYAN_SUCCESS(ZydisDecoderDecodeInstruction(&zd, nullptr, p, n, &zi))) return -1;
    return (int)zi.length;
  };
  printf("das386 decoding benchmark\n");
  compare(path, code, das, zydis);
  Bytes vec = vector_forms();
  if (!vec.empty()) compare("vector forms (MMX, SSE, AVX)", vec, das, zydis);

  // Agreement along das386's own sweep.
  long long same = 0, total = 0;
  for (size_t at = 0; at < code.size(); total++) {
    das_result r;
    ZydisDecodedInstruction zi;
    int len = das_decode(code.data() + at, code.size() - at, 0, &r);
    if (ZYAN_SUCCESS(ZydisDecoderDecodeInstruction(&zd, nullptr, code.data() + at,
                                                   code.size() - at, &zi)) &&
        len == zi.length)
      same++;
    at += len > 0 ? len : 1;
  }

  printf("  same length as Zydis at %.2f%% of %lld positions\n",
         total ? 100.0 * same / total : 0.0, total);
  return 0;
}
