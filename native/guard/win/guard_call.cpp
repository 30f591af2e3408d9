/*
** The guarded call. Frame of ng_invoke, below the saved EBP:
**   -4 ebx, -8 esi, -12 edi, -16 FPU control word, -20 MXCSR,
**   -24 frame pointer, -28 handler, -32 link = registration record.
** After a normal return the frame is found through fs:0, the callee
** having put the handler chain back, so a callee that lost EBP returns
** safely too. On an exception
** the handler unwinds the records above ours (the callee's own handlers
** see the unwind), then drops onto our record with the EBP kept in it and
** leaves through ng_recover. The exception is never continued, so
** non-continuable ones are handled too. RtlUnwind need not keep EBX, ESI
** or EDI, hence the handler is assembly.
*/
#include <windows.h>

#include <malloc.h>
#include <stdio.h>

#include "native/guard/guard.h"

#if !defined(__i386__)
#error "the guarded call is 32-bit x86 code"
#endif

ng_fault ng_last;

extern "C" void ng_note(const EXCEPTION_RECORD *rec);

__asm__(
  ".text\n"
  ".globl _ng_invoke\n"
  "_ng_invoke:\n"
  "  pushl %ebp\n"
  "  movl %esp, %ebp\n"
  "  pushl %ebx\n"
  "  pushl %esi\n"
  "  pushl %edi\n"
  "  subl $8, %esp\n"
  "  fnstcw -16(%ebp)\n"
  "  stmxcsr -20(%ebp)\n"
  "  pushl %ebp\n"
  "  pushl $ng_handler\n"
  "  pushl %fs:0\n"
  "  movl %esp, %fs:0\n"
  "  movl 16(%ebp), %ecx\n"
  "  testl %ecx, %ecx\n"
  "  jge 5f\n"
  "  xorl %ecx, %ecx\n"           /* no words for a count below 0 */
  "5:\n"
  "  movl 12(%ebp), %esi\n"
  "  leal 0(,%ecx,4), %eax\n"
  "  subl %eax, %esp\n"
  "  andl $-16, %esp\n"
  "  movl %esp, %edi\n"
  "  testl %ecx, %ecx\n"         /* a loop: rep movs starts slowly */
  "  jz 3f\n"
  "4:\n"
  "  movl (%esi), %eax\n"
  "  movl %eax, (%edi)\n"
  "  addl $4, %esi\n"
  "  addl $4, %edi\n"
  "  decl %ecx\n"
  "  jnz 4b\n"
  "3:\n"
  "  call *8(%ebp)\n"
  "  movl %fs:0, %ecx\n"          /* our record, unless the chain is broken */
  "  cmpl $ng_handler, 4(%ecx)\n"
  "  je 2f\n"
  "  leal -32(%ebp), %ecx\n"
  "2:\n"
  "  movl 8(%ecx), %ebp\n"
  "  movl (%ecx), %ecx\n"
  "  movl %ecx, %fs:0\n"
  "  cld\n"                       /* as callers expect it */
  "  emms\n"                      /* nothing stays on the FPU stack */
  "  leal -12(%ebp), %esp\n"
  "  popl %edi\n"
  "  popl %esi\n"
  "  popl %ebx\n"
  "  popl %ebp\n"
  "  ret\n"
  "ng_recover:\n"                 /* ESP at our record, EBP ours */
  "  movl (%esp), %ecx\n"
  "  movl %ecx, %fs:0\n"
  "  cld\n"
  "  fninit\n"
  "  fldcw -16(%ebp)\n"
  "  ldmxcsr -20(%ebp)\n"
  "  movl 20(%ebp), %ecx\n"
  "  movl $1, (%ecx)\n"
  "  movl $-1, %eax\n"
  "  leal -12(%ebp), %esp\n"
  "  popl %edi\n"
  "  popl %esi\n"
  "  popl %ebx\n"
  "  popl %ebp\n"
  "  ret\n"
  /* EXCEPTION_DISPOSITION handler(record, frame, context, dispatch) */
  "ng_handler:\n"
  "  movl 4(%esp), %eax\n"
  "  testl $6, 4(%eax)\n"         /* EXCEPTION_UNWINDING | EXIT_UNWIND */
  "  jnz 1f\n"
  "  pushl %eax\n"
  "  call _ng_note\n"
  "  popl %eax\n"
  "  pushl $0\n"
  "  pushl %eax\n"
  "  pushl $0\n"
  "  pushl 20(%esp)\n"            /* the frame: our record */
  "  call _RtlUnwind@16\n"
  "  movl 8(%esp), %esp\n"
  "  movl 8(%esp), %ebp\n"
  "  jmp ng_recover\n"
  "1:\n"
  "  movl $1, %eax\n"             /* ExceptionContinueSearch */
  "  ret\n");

extern "C" void ng_note(const EXCEPTION_RECORD *rec) {
  ng_last.code = rec->ExceptionCode;
  ng_last.at = (uint32_t)(uintptr_t)rec->ExceptionAddress;
  ng_last.access = -1;
  ng_last.target = 0;
  if (rec->ExceptionCode == EXCEPTION_ACCESS_VIOLATION && rec->NumberParameters >= 2) {
    ng_last.access = (int)rec->ExceptionInformation[0];
    ng_last.target = (uint32_t)rec->ExceptionInformation[1];
  }
}

/* A stack overflow used up the guard page below the stack; without a new
   one the next overflow would end the process. */
void ng_after_fault(void) {
  if (ng_last.code == (uint32_t)STATUS_STACK_OVERFLOW) _resetstkoflw();
}

static const struct {
  uint32_t code;
  const char *name;
} ng_names[] = {
  {0xC0000005u, "access violation"},
  {0xC0000094u, "integer division by zero"},
  {0xC0000095u, "integer overflow"},
  {0xC000001Du, "illegal instruction"},
  {0xC0000096u, "privileged instruction"},
  {0xC00000FDu, "stack overflow"},
  {0xC000008Cu, "array bounds exceeded"},
  {0xC000008Du, "floating-point denormal operand"},
  {0xC000008Eu, "floating-point division by zero"},
  {0xC000008Fu, "floating-point inexact result"},
  {0xC0000090u, "floating-point invalid operation"},
  {0xC0000091u, "floating-point overflow"},
  {0xC0000092u, "floating-point stack check"},
  {0xC0000093u, "floating-point underflow"},
  {0xC0000006u, "in-page error"},
  {0xC0000008u, "invalid handle"},
  {0xC0000025u, "noncontinuable exception"},
  {0x80000001u, "guard page violation"},
  {0x80000002u, "datatype misalignment"},
  {0x80000003u, "breakpoint"},
  {0x80000004u, "single step"},
  {0xE06D7363u, "C++ exception"},
};

const char *ng_describe(const ng_fault *f, char *buf, size_t size) {
  const char *name = "exception";
  for (const auto &n : ng_names)
    if (n.code == f->code) name = n.name;
  const char *how = f->access == 0 ? "reading" : f->access == 1 ? "writing"
                  : f->access == 8 ? "executing" : NULL;
  if (how)
    snprintf(buf, size, "%s %s address 0x%08X at 0x%08X (exception 0x%08X)",
             name, how, (unsigned)f->target, (unsigned)f->at, (unsigned)f->code);
  else
    snprintf(buf, size, "%s at 0x%08X (exception 0x%08X)", name,
             (unsigned)f->at, (unsigned)f->code);
  return buf;
}
