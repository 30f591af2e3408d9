/*
** sys_call.cpp: the guarded call. The trampoline links an exception
** registration record of its own into the thread's handler chain (fs:0)
** around the call:
**
**   ebp-4..-12   saved ebx, esi, edi
**   ebp-16       FPU control word at entry
**   ebp-20       record: saved ebp     <- the handler reads it
**   ebp-24       record: handler
**   ebp-28       record: previous      <- fs:0 during the call
**
** The handler declines unwinds; for an exception it unwinds every frame
** the callee registered (their cleanup runs), then drops onto the record
** with the trampoline's ebp and leaves through sys_call_fault. The
** exception is never continued, so non-continuable ones are handled too.
** RtlUnwind may clobber ebx, esi and edi, hence the handler is assembly.
*/
#include <windows.h>

#include "sys_call.h"

#if !defined(__i386__)
#error "the guarded call is 32-bit x86 code"
#endif

__asm__(
    ".text\n"
    ".globl _sys_guarded_call\n"
    "_sys_guarded_call:\n"
    "  pushl %ebp\n"
    "  movl %esp, %ebp\n"
    "  pushl %ebx\n"
    "  pushl %esi\n"
    "  pushl %edi\n"
    "  subl $4, %esp\n"
    "  fnstcw (%esp)\n"
    "  pushl %ebp\n"
    "  pushl $_sys_seh_handler\n"
    "  pushl %fs:0\n"
    "  movl %esp, %fs:0\n"
    "  movl 16(%ebp), %ecx\n"
    "  movl 12(%ebp), %esi\n"
    "sys_call_push:\n"
    "  testl %ecx, %ecx\n"
    "  jle sys_call_go\n"
    "  decl %ecx\n"
    "  pushl (%esi,%ecx,4)\n"
    "  jmp sys_call_push\n"
    "sys_call_go:\n"
    "  call *8(%ebp)\n"
    "sys_call_done:\n"
    "  leal -28(%ebp), %esp\n"
    "  popl %fs:0\n"
    "  leal -12(%ebp), %esp\n"
    "  popl %edi\n"
    "  popl %esi\n"
    "  popl %ebx\n"
    "  popl %ebp\n"
    "  ret\n"
    "\n"
    "sys_call_fault:\n"
    "  cld\n"
    "  fninit\n"
    "  fldcw -16(%ebp)\n"
    "  movl 20(%ebp), %eax\n"
    "  movl $1, (%eax)\n"
    "  movl $-1, %eax\n"
    "  jmp sys_call_done\n"
    "\n"
    /* EXCEPTION_DISPOSITION handler(record, frame, context, dispatch) */
    "_sys_seh_handler:\n"
    "  movl 4(%esp), %eax\n"
    "  testl $6, 4(%eax)\n"          /* EXCEPTION_UNWINDING | EXIT_UNWIND */
    "  jnz sys_seh_decline\n"
    "  movl (%eax), %ecx\n"
    "  movl %ecx, _sys_fault_code\n"
    "  pushl $0\n"
    "  pushl %eax\n"
    "  pushl $0\n"
    "  pushl 20(%esp)\n"             /* the frame: our record */
    "  call _RtlUnwind@16\n"
    "  movl 8(%esp), %esp\n"
    "  movl 8(%esp), %ebp\n"
    "  jmp sys_call_fault\n"
    "sys_seh_decline:\n"
    "  movl $1, %eax\n"              /* ExceptionContinueSearch */
    "  ret\n");

extern "C" {
uint32_t sys_fault_code;
}

/* A stack overflow used up the guard page below the stack; without a new
   one the next overflow would end the process. */
void sys_after_fault(void) {
  if (sys_fault_code != (uint32_t)STATUS_STACK_OVERFLOW) return;
  HMODULE crt = GetModuleHandleA("msvcrt.dll");
  FARPROC reset = crt ? GetProcAddress(crt, "_resetstkoflw") : NULL;
  if (reset) ((int(__cdecl *)(void))reset)();
}
