/* systest.dll: exports for the DLL-call tests. Arrays passed from scripts
   end with a zero word. */
#include <windows.h>

#include <stdarg.h>
#include <stdint.h>
#include <string.h>

#define EXPORT __declspec(dllexport)

EXPORT uint32_t st_count(const uint32_t *a) {
  uint32_t n = 0;
  while (a[n]) n++;
  return n;
}

EXPORT uint32_t st_sum(const uint32_t *a) {
  uint32_t s = 0;
  for (; *a; a++) s += *a;
  return s;
}

/* a[i][j] of a table of tables */
EXPORT uint32_t st_at2(const uint32_t *a, uint32_t i, uint32_t j) {
  return ((const uint32_t *)(uintptr_t)a[i])[j];
}

EXPORT uint32_t st_strlen(const char *s) { return (uint32_t)strlen(s); }

EXPORT uint32_t __stdcall st_sub(uint32_t a, uint32_t b) { return a - b; }

EXPORT uint32_t st_sub_cdecl(uint32_t a, uint32_t b) { return a - b; }

EXPORT uint32_t st_max(void) { return 0xFFFFFFFFu; }

EXPORT uint32_t st_argc_sum(uint32_t n, ...) {
  va_list ap;
  uint32_t s = 0;
  va_start(ap, n);
  while (n--) s += va_arg(ap, uint32_t);
  va_end(ap);
  return s;
}

EXPORT uint32_t st_crash(void) {
  volatile uintptr_t at = 16;   /* an address the compiler cannot see */
  return *(volatile uint32_t *)at;
}

EXPORT uint32_t st_divide(uint32_t a, uint32_t b) {
  volatile uint32_t d = b;
  return a / d;
}

/* Leaves values on the FPU stack, then faults. */
EXPORT uint32_t st_fpu_crash(void) {
  __asm__ volatile("fld1\n fld1\n fld1\n fldpi\n fldpi\n fldpi\n fldz\n");
  return st_crash();
}

EXPORT uint32_t st_raise(void) {
  RaiseException(0xE0001234u, EXCEPTION_NONCONTINUABLE, 0, NULL);
  return 5;
}

/* Clobbers the callee-saved registers, then faults with a wild stack. */
EXPORT uint32_t st_wild(void) {
  __asm__ volatile("movl $0x1234, %%ebx\n movl $0x5678, %%esi\n"
                   "movl $0x9abc, %%edi\n subl $4096, %%esp\n"
                   "movl 16, %%eax\n" ::: "eax", "ebx", "esi", "edi", "memory");
  return 0;
}

EXPORT uint32_t st_null(const void *p) { return p == NULL; }

/* A function with an exception registration of its own: the handler counts
   unwinds and resumes the continuable exception 0xE0000002. */
static volatile LONG st_unwinds;

static EXCEPTION_DISPOSITION __cdecl st_handler(EXCEPTION_RECORD *rec,
                                                void *frame, CONTEXT *ctx,
                                                void *disp) {
  (void)frame, (void)ctx, (void)disp;
  if (rec->ExceptionFlags & (EXCEPTION_UNWINDING | EXCEPTION_EXIT_UNWIND)) {
    st_unwinds++;
    return ExceptionContinueSearch;
  }
  if (rec->ExceptionCode == 0xE0000002u) return ExceptionContinueExecution;
  return ExceptionContinueSearch;
}

static uint32_t st_with_frame(uint32_t (*body)(void)) {
  void *volatile rec[2];
  rec[1] = (void *)st_handler;
  __asm__ volatile("movl %%fs:0, %%eax\n movl %%eax, (%0)\n movl %0, %%fs:0"
                   :: "r"(rec) : "eax", "memory");
  uint32_t r = body();
  __asm__ volatile("movl (%0), %%eax\n movl %%eax, %%fs:0"
                   :: "r"(rec) : "eax", "memory");
  return r;
}

static uint32_t st_resumed(void) {
  RaiseException(0xE0000002u, 0, 0, NULL);
  return 42;
}

EXPORT uint32_t st_seh_crash(void) { return st_with_frame(st_crash); }
EXPORT uint32_t st_seh_handled(void) { return st_with_frame(st_resumed); }
EXPORT uint32_t st_unwound(void) { return (uint32_t)st_unwinds; }

/* Recurses until the stack runs out: the endless recursion is the point. */
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Winfinite-recursion"
EXPORT uint32_t st_overflow(uint32_t depth) {
  volatile char pad[512];
  pad[0] = (char)depth;
  return st_overflow(depth + 1) + pad[0];
}
#pragma GCC diagnostic pop

/* (ESP + 4) mod 16 on entry: 0 when the caller aligned the stack. */
EXPORT __attribute__((naked)) uint32_t st_align(void) {
  __asm__("leal 4(%esp), %eax\n andl $15, %eax\n ret\n");
}

/* A double result, left in ST0 for a caller that reads EAX. */
EXPORT double st_half(void) { return 0.5; }

/* Typed calls: every argument type in one call, narrow results with junk
   in the rest of EAX, 64-bit and floating results. */
EXPORT double __stdcall st_mix(signed char a, unsigned short b, long long c,
                               float d, double e, unsigned char f) {
  return (double)a + (double)b + (double)c + (double)d + e + (double)f;
}

EXPORT float st_fsum(float a, double b, float c) { return a + (float)b + c; }

EXPORT long long __stdcall st_neg64(long long v) { return -v; }

EXPORT unsigned long long st_u64max(void) { return 0xFFFFFFFFFFFFFFFFull; }

__asm__(".globl _st_junk_byte\n_st_junk_byte:\n  movl $0x123456FF, %eax\n  ret\n"
        ".section .drectve\n  .ascii \" -export:st_junk_byte\"\n  .text\n");

/* Calls a callback the way a DLL does: f(a, b) with the given convention. */
EXPORT int st_call_std(int (__stdcall *f)(int, int), int a, int b) { return f(a, b); }
EXPORT int st_call_cdecl(int (*f)(int, int), int a, int b) { return f(a, b); }
/* ESP is checked around a stdcall callback that must pop its 2 words. */
EXPORT int st_std_pops(int (__stdcall *f)(int, int)) {
  uintptr_t before, after;
  __asm__ volatile("movl %%esp, %0" : "=r"(before));
  int r = f(1, 2);
  __asm__ volatile("movl %%esp, %0" : "=r"(after));
  return before == after ? r : -1000;
}
EXPORT double st_call_fp(double (*f)(float, double), float a, double b) { return f(a, b); }
/* A callback with text arguments: a real one, a null and an unreadable one. */
EXPORT int st_call_str(int (__stdcall *f)(const char *, const char *, const char *)) {
  return f("hello", NULL, (const char *)16);
}
