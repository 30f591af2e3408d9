/*
** Guarded call. Frame of mg_invoke, below the saved EBP:
**   -4 ebx, -8 esi, -12 edi, -16 FPU control word,
**   -20 frame pointer, -24 handler, -28 link = registration record.
** On a fault the handler unwinds the records below ours and resumes at
** mg_recover with ESP at our record and EBP taken from it; mg_recover
** unlinks the record and returns -1 through the normal epilogue.
*/
#include <windows.h>

#include "native/modules/mod_guard.h"

uint32_t mg_last_code = 0;

extern "C" EXCEPTION_DISPOSITION __cdecl mg_handler(EXCEPTION_RECORD *rec,
                                                   void *frame, CONTEXT *ctx,
                                                   void *dispatch);
extern "C" void mg_resume(void *frame) __attribute__((noreturn));
static void *volatile mg_pending;

__asm__(
  ".text\n"
  ".globl _mg_invoke\n"
  ".globl _mg_resume\n"
  "_mg_invoke:\n"
  "  pushl %ebp\n"
  "  movl %esp, %ebp\n"
  "  pushl %ebx\n"
  "  pushl %esi\n"
  "  pushl %edi\n"
  "  subl $4, %esp\n"
  "  fnstcw (%esp)\n"
  "  pushl %ebp\n"
  "  pushl $_mg_handler\n"
  "  pushl %fs:0\n"
  "  movl %esp, %fs:0\n"
  "  movl 16(%ebp), %ecx\n"
  "  movl 12(%ebp), %esi\n"
  "  leal 0(,%ecx,4), %eax\n"
  "  subl %eax, %esp\n"
  "  andl $-16, %esp\n"
  "  movl %esp, %edi\n"
  "  cld\n"
  "  rep movsl\n"
  "  call *8(%ebp)\n"
  "  movl -28(%ebp), %ecx\n"
  "  movl %ecx, %fs:0\n"
  "  leal -12(%ebp), %esp\n"
  "  popl %edi\n"
  "  popl %esi\n"
  "  popl %ebx\n"
  "  popl %ebp\n"
  "  ret\n"
  "_mg_resume:\n"
  "  movl 4(%esp), %eax\n"
  "  movl %eax, %esp\n"
  "  movl 8(%esp), %ebp\n"
  "_mg_recover:\n"
  "  movl (%esp), %ecx\n"
  "  movl %ecx, %fs:0\n"
  "  cld\n"
  "  fninit\n"
  "  fldcw -16(%ebp)\n"
  "  movl 20(%ebp), %ecx\n"
  "  movl $1, (%ecx)\n"
  "  movl $-1, %eax\n"
  "  leal -12(%ebp), %esp\n"
  "  popl %edi\n"
  "  popl %esi\n"
  "  popl %ebx\n"
  "  popl %ebp\n"
  "  ret\n");

/* Faults of the processor and the system's errors raised in the called
   code; not debugger events, not C++ or other software notifications. */
static int mg_catches(DWORD code) {
  if (code == STATUS_BREAKPOINT || code == STATUS_DATATYPE_MISALIGNMENT) return 1;
  return (code & 0xF0000000u) == 0xC0000000u;
}

extern "C" EXCEPTION_DISPOSITION __cdecl mg_handler(EXCEPTION_RECORD *rec,
                                                   void *frame, CONTEXT *ctx,
                                                   void *dispatch) {
  (void)dispatch;
  if (rec->ExceptionFlags & 6) return ExceptionContinueSearch;   /* unwinding */
  if (!mg_catches(rec->ExceptionCode)) return ExceptionContinueSearch;
  (void)ctx;
  mg_last_code = rec->ExceptionCode;
  /* As a compiled handler does: unwind the abandoned frames (the called
     code's own, and the dispatcher's), then resume at our record. The
     record address goes through memory, as the unwind may not keep the
     callee-saved registers. */
  mg_pending = frame;
  RtlUnwind(frame, NULL, rec, NULL);
  mg_resume(mg_pending);
}
