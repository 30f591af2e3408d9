#!/usr/bin/env python3
"""Instruction-form corpus of the assembler's differential test.

Writes tests/unit/asm/forms/<set>.txt: one instruction per line, then a tab
and the reference assembler's bytes in hex. Candidate forms are generated
from operand templates per instruction class; fasm (Debian package `fasm`)
assembles each alone and only the forms it accepts are kept, so a form list
records exactly what the dialect's reference makes of it. Run again after
changing the templates:  python3 tools/gen_asm_forms.py
"""
import os
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
OUT = os.path.join(ROOT, "tests", "unit", "asm", "forms")

R8 = ["al", "cl", "dl", "bl", "ah", "ch", "dh", "bh"]
R16 = ["ax", "cx", "dx", "bx", "sp", "bp", "si", "di"]
R32 = ["eax", "ecx", "edx", "ebx", "esp", "ebp", "esi", "edi"]

# 32-bit addressing: every ModRM/SIB shape, displacement sizes, no base
ADDR32 = ["[eax]", "[ecx]", "[ebp]", "[esp]", "[esi+1]", "[edi-128]",
          "[ebx+127]", "[edx+128]", "[eax-129]", "[ebp+0x12345678]",
          "[esp+8]", "[esp-4]", "[eax+ebx]", "[ecx+edx*2]", "[esi+edi*4+4]",
          "[ebp+eax*8-0x100]", "[eax*4]", "[ecx*8+0x10]", "[ebx*2]",
          "[ebx*3]", "[esi*5+7]", "[0x1234]", "[0x12345678]", "[esp+ebp]",
          "[ebp+esp]", "[edi+esi*1]"]
ADDR16 = ["[bx]", "[bp]", "[si]", "[di]", "[bx+si]", "[bx+di]", "[bp+si]",
          "[bp+di]", "[bx+5]", "[bp-2]", "[si+0x100]", "[bp+di+0x7F]",
          "[0x1234]"]
SEGS = ["es", "cs", "ss", "ds", "fs", "gs"]
IMM8 = ["0", "1", "0x7F", "-1", "-128", "0xFF"]
IMM16 = ["0x80", "0x1234", "-129", "0xFFFF"]
IMM32 = ["0x12345678", "-0x10000", "0xFFFFFFFF", "0x8000"]


def mem(size, addrs=ADDR32):
    return ["%s %s" % (size, a) for a in addrs]


def gp32():
    f = []
    alu = ["add", "or", "adc", "sbb", "and", "sub", "xor", "cmp"]
    for op in alu + ["mov", "test"]:
        for r in R8[:4] + R8[4:6]:
            f += ["%s %s, %s" % (op, r, x) for x in ["bl", "ch"]]
            f += ["%s %s, %s" % (op, r, i) for i in IMM8]
        for r in ["ax", "bx", "sp"]:
            f += ["%s %s, %s" % (op, r, x) for x in ["cx", "di"]]
            f += ["%s %s, %s" % (op, r, i) for i in IMM8 + IMM16]
        for r in ["eax", "ebx", "esp", "edi"]:
            f += ["%s %s, %s" % (op, r, x) for x in ["ecx", "ebp"]]
            f += ["%s %s, %s" % (op, r, i) for i in IMM8 + IMM16 + IMM32]
        for a in ADDR32:
            f += ["%s %s, %s" % (op, a, r) for r in ["al", "dx", "esi"]]
            if op != "test":
                f += ["%s %s, %s" % (op, r, a) for r in ["bh", "sp", "edi"]]
        for a in ADDR32[::3]:
            f += ["%s byte %s, 5" % (op, a), "%s word %s, 0x1234" % (op, a),
                  "%s dword %s, -3" % (op, a), "%s dword %s, 0x12345678" % (op, a)]
        for a in ADDR16:
            f += ["%s %s, ax" % (op, a), "%s word %s, 3" % (op, a)]
        for s in SEGS:
            f += ["%s %s:[eax+4], ecx" % (op, s), "%s eax, [%s:ebx]" % (op, s)]
    for op in ["not", "neg", "mul", "imul", "div", "idiv", "inc", "dec"]:
        f += ["%s %s" % (op, r) for r in R8 + R16 + R32]
        f += ["%s %s" % (op, m) for m in mem("byte", ADDR32[::4]) +
              mem("word", ADDR32[1::4]) + mem("dword", ADDR32[2::4])]
    for op in ["rol", "ror", "rcl", "rcr", "shl", "shr", "sar", "sal"]:
        for r in ["al", "bh", "cx", "si", "edx", "ebp"]:
            f += ["%s %s, %s" % (op, r, c) for c in ["1", "cl", "3", "31"]]
        for m in ["byte [eax]", "word [ebx+4]", "dword [esp+ecx*2]"]:
            f += ["%s %s, %s" % (op, m, c) for c in ["1", "cl", "7"]]
    f += ["push %s" % r for r in R16 + R32 + SEGS if r != "cs"]
    f += ["pop %s" % r for r in R16 + R32 + SEGS if r != "cs"]
    f += ["push cs", "push 1", "push -1", "push 0x80", "push 0x12345678",
          "push word 5", "push dword 5", "push word 0x1234", "push dword [eax]",
          "push word [ebx]", "pop dword [ecx+4]", "pop word [esi]",
          "pushw 1", "pushd 1"]
    for a in ADDR32[::2]:
        f += ["lea eax, %s" % a, "lea si, %s" % a]
    for op in ["movzx", "movsx"]:
        f += ["%s %s, %s" % (op, d, s) for d, s in
              [("ax", "bl"), ("eax", "bl"), ("eax", "bx"), ("esi", "ah")]]
        f += ["%s eax, byte [ebx]" % op, "%s eax, word [ebx+ecx]" % op,
              "%s cx, byte [esi]" % op]
    for op in ["bt", "bts", "btr", "btc"]:
        f += ["%s eax, ecx" % op, "%s ax, dx" % op, "%s [ebx], eax" % op,
              "%s eax, 5" % op, "%s dword [ebx], 31" % op, "%s word [ebx], 3" % op]
    for op in ["bsf", "bsr", "popcnt", "lzcnt", "tzcnt"]:
        f += ["%s eax, ecx" % op, "%s dx, [ebx]" % op, "%s esi, [eax+8]" % op]
    for op in ["shld", "shrd"]:
        f += ["%s eax, ebx, 4" % op, "%s ax, bx, cl" % op,
              "%s [esi], ecx, 1" % op, "%s [esi], cx, cl" % op]
    f += ["imul eax, ecx", "imul ax, [ebx]", "imul eax, ecx, 5",
          "imul eax, ecx, 500", "imul eax, [ebx], -3", "imul eax, 7",
          "imul dx, si, 0x1234", "imul eax, 100000"]
    for op in ["xchg", "xadd", "cmpxchg"]:
        f += ["%s %s" % (op, x) for x in ["eax, ecx", "ecx, eax", "ax, bx",
              "bx, ax", "al, cl", "[ebx], eax", "[ebx], dl", "[esi+4], cx"]]
    f += ["xchg eax, [ebx]", "xchg eax, eax", "xchg ax, ax",
          "cmpxchg8b [edi]", "cmpxchg8b qword [edi]"]
    cc = ["o", "no", "b", "c", "nae", "nb", "nc", "ae", "e", "z", "ne", "nz",
          "be", "na", "nbe", "a", "s", "ns", "p", "pe", "np", "po", "l",
          "nge", "nl", "ge", "le", "ng", "nle", "g"]
    for c in cc:
        f += ["set%s al" % c, "set%s byte [ebx]" % c,
              "cmov%s eax, ecx" % c, "cmov%s ax, [esi]" % c,
              "j%s $" % c, "j%s $+0x100" % c, "j%s near $" % c]
    f += ["jmp $", "jmp $+0x200", "jmp near $", "jmp short $", "jmp eax",
          "jmp dword [ebx]", "jmp word [ebx]", "jmp ax", "call $+5", "call eax",
          "call dword [eax+4]", "call word [ebx]", "jmp 0x10:0x12345678",
          "call 0x08:0x1000", "jmp far dword [eax]", "call far dword [ebx]",
          "jmp pword [eax]", "call fword [ebx]", "loop $", "loope $",
          "loopne $", "loopz $", "loopnz $", "jecxz $", "jcxz $"]
    f += ["ret", "ret 8", "retn", "retn 4", "retf", "retf 12", "retd",
          "retw", "enter 16, 0", "enter 8, 1", "leave", "int 3", "int 0x80",
          "int3", "into", "iret", "iretd", "iretw", "in al, dx", "in ax, dx",
          "in eax, dx", "in al, 0x60", "in eax, 0x10", "out dx, al",
          "out dx, ax", "out dx, eax", "out 0x80, al", "out 0x43, eax",
          "bound eax, [ebx]", "bound ax, [ebx]", "arpl [eax], bx", "arpl ax, bx",
          "lds eax, [ebx]", "les eax, [ebx]", "lfs eax, [ebx]",
          "lgs esi, [ebx]", "lss esp, [eax]", "lds si, [bx]",
          "mov eax, [0x12345678]", "mov [0x12345678], eax", "mov al, [0x100]",
          "mov [0x100], ax", "mov eax, cr0", "mov cr3, eax", "mov eax, dr7",
          "mov dr0, ecx", "mov ax, ds", "mov ds, ax", "mov eax, es",
          "mov [ebx], fs", "mov gs, [ebx]", "mov es, eax", "movbe eax, [ebx]",
          "movbe [ebx], cx", "crc32 eax, bl", "crc32 eax, ecx",
          "crc32 eax, word [ebx]", "bswap eax", "bswap edi",
          "lar eax, ecx", "lsl eax, [ebx]", "sldt ax", "str ax", "lldt ax",
          "ltr word [ebx]", "verr ax", "verw [ebx]", "sgdt [eax]",
          "sidt [ebx]", "lgdt [eax]", "lidt [ebx]", "smsw ax", "smsw eax",
          "lmsw ax", "invlpg [eax]", "prefetchnta [eax]", "prefetcht0 [eax]",
          "prefetcht1 [eax]", "prefetcht2 [eax]", "prefetchw [eax]",
          "clflush [eax]", "nop dword [eax]", "nop ax", "ud2", "rdrand eax",
          "rdseed ecx", "adcx eax, ebx", "adox eax, [ebx]",
          "andn eax, ebx, ecx", "bextr eax, ebx, ecx", "blsi eax, ebx",
          "blsmsk eax, [ebx]", "blsr eax, ecx", "bzhi eax, ebx, ecx",
          "mulx eax, ebx, ecx", "pdep eax, ebx, [ecx]", "pext eax, ebx, ecx",
          "rorx eax, ebx, 3", "sarx eax, ebx, ecx", "shlx eax, [ebx], ecx",
          "shrx eax, ebx, ecx"]
    f += ["aaa", "aas", "daa", "das", "aam", "aad", "aam 16", "aad 8",
          "cbw", "cwde", "cwd", "cdq", "clc", "stc", "cmc", "cld", "std",
          "cli", "sti", "lahf", "sahf", "pushf", "popf", "pushfd", "popfd",
          "pushfw", "popfw", "pusha", "popa", "pushad", "popad", "pushaw",
          "popaw", "nop", "hlt", "wait", "fwait", "cpuid", "rdtsc", "rdtscp",
          "rdmsr", "wrmsr", "rdpmc", "sysenter", "sysexit", "syscall",
          "clts", "invd", "wbinvd", "rsm", "xlat", "xlatb", "xlat byte [ebx]",
          "salc", "icebp", "int1", "pause", "lfence", "mfence", "sfence",
          "monitor", "mwait", "xgetbv", "xsetbv", "vmcall", "vmlaunch",
          "vmresume", "vmxoff", "swapgs", "ud1 eax, ecx", "emms", "femms",
          "clac", "stac", "xend", "xtest", "rdpid eax", "endbr32"]
    for s in ["movs", "cmps", "lods", "stos", "scas", "ins", "outs"]:
        f += ["%s%s" % (s, z) for z in "bwd"]
        for p in ["rep", "repe", "repne", "repz", "repnz"]:
            f += ["%s %s%s" % (p, s, z) for z in "bd"]
    f += ["movs byte [edi], [esi]", "movs dword [edi], [esi]",
          "movs word [es:edi], [fs:esi]", "cmps byte [esi], [edi]",
          "lods word [esi]", "lods byte [gs:esi]", "stos dword [edi]",
          "scas byte [edi]", "ins byte [edi], dx", "outs dx, dword [esi]",
          "outs dx, byte [fs:esi]", "movs byte [di], [si]",
          "lock add [eax], ebx", "lock inc dword [ebx]", "lock xadd [ecx], edx",
          "lock cmpxchg [ecx], ebx", "lock bts dword [eax], 3",
          "lock or byte [esi], 1", "lock neg word [eax]", "lock not dword [eax]",
          "lock sub [eax], cl", "lock xchg [eax], ebx", "lock cmpxchg8b [esi]",
          "rep nop", "lock", "rep", "repne"]
    return f


X87_MEM = ["[eax]", "[ebx+8]", "[esp+ecx*4]", "[0x1000]"]


def x87():
    f = []
    for op in ["fadd", "fmul", "fcom", "fcomp", "fsub", "fsubr", "fdiv", "fdivr"]:
        f += ["%s dword %s" % (op, a) for a in X87_MEM]
        f += ["%s qword %s" % (op, a) for a in X87_MEM[:2]]
        f += ["%s st%d" % (op, i) for i in range(8)]
        f += ["%s st0, st%d" % (op, i) for i in range(1, 8, 3)]
        f += ["%s st%d, st0" % (op, i) for i in range(1, 8, 3)]
        f += ["%s st(%d)" % (op, i) for i in [0, 3]]
        f += ["%s" % op]
    for op in ["faddp", "fmulp", "fsubp", "fsubrp", "fdivp", "fdivrp"]:
        f += ["%s" % op] + ["%s st%d, st0" % (op, i) for i in range(8)]
        f += ["%s st%d" % (op, i) for i in range(1, 4)]
    for op in ["fiadd", "fimul", "ficom", "ficomp", "fisub", "fisubr", "fidiv",
               "fidivr"]:
        f += ["%s word [eax]" % op, "%s dword [ebx+4]" % op]
    for op in ["fld", "fst", "fstp"]:
        f += ["%s dword [eax]" % op, "%s qword [ebx]" % op,
              "%s st%d" % (op, 1), "%s st%d" % (op, 7), "%s st(2)" % op]
    f += ["fld tword [eax]", "fstp tword [eax]", "fld st0", "fst st0"]
    for op in ["fild", "fistp", "fisttp"]:
        f += ["%s word [eax]" % op, "%s dword [eax]" % op, "%s qword [eax]" % op]
    f += ["fist word [eax]", "fist dword [ebx]", "fbld tword [eax]",
          "fbstp tword [eax]", "fbld [eax]", "fldcw [eax]", "fldcw word [eax]",
          "fstcw [eax]", "fnstcw word [eax]", "fstsw ax", "fnstsw ax",
          "fstsw [eax]", "fnstsw word [eax]", "fldenv [eax]", "fstenv [eax]",
          "fnstenv [eax]", "frstor [eax]", "fsave [eax]", "fnsave [eax]",
          "fxsave [eax]", "fxrstor [eax]", "ffree st3", "ffreep st1",
          "fxch", "fxch st2", "fucom", "fucom st3", "fucomp st1", "fucompp",
          "fcompp", "fcomi st1", "fcomi st0, st2", "fcomip st3",
          "fucomi st1", "fucomip st0, st4"]
    for c in ["b", "e", "be", "u", "nb", "ne", "nbe", "nu"]:
        f += ["fcmov%s st0, st%d" % (c, i) for i in [1, 5]]
    f += ["f2xm1", "fabs", "fchs", "fclex", "fnclex", "fcos", "fdecstp",
          "fincstp", "finit", "fninit", "fld1", "fldl2e", "fldl2t", "fldlg2",
          "fldln2", "fldpi", "fldz", "fnop", "fpatan", "fprem", "fprem1",
          "fptan", "frndint", "fscale", "fsin", "fsincos", "fsqrt", "ftst",
          "fxam", "fxtract", "fyl2x", "fyl2xp1", "feni", "fdisi", "fneni",
          "fndisi", "fsetpm"]
    return f


MMX_OPS = ["paddb", "paddw", "paddd", "paddq", "paddsb", "paddsw", "paddusb",
           "paddusw", "psubb", "psubw", "psubd", "psubq", "psubsb", "psubsw",
           "psubusb", "psubusw", "pmullw", "pmulhw", "pmulhuw", "pmuludq",
           "pmaddwd", "pand", "pandn", "por", "pxor", "pcmpeqb", "pcmpeqw",
           "pcmpeqd", "pcmpgtb", "pcmpgtw", "pcmpgtd", "packsswb", "packssdw",
           "packuswb", "punpckhbw", "punpckhwd", "punpckhdq", "punpcklbw",
           "punpcklwd", "punpckldq", "pavgb", "pavgw", "pmaxsw", "pmaxub",
           "pminsw", "pminub", "psadbw", "psllw", "pslld", "psllq", "psrlw",
           "psrld", "psrlq", "psraw", "psrad", "pshufb", "phaddw", "phaddd",
           "phaddsw", "phsubw", "phsubd", "phsubsw", "pmaddubsw", "pmulhrsw",
           "psignb", "psignw", "psignd", "pabsb", "pabsw", "pabsd"]


def mmx_sse_int():
    f = []
    for op in MMX_OPS:
        f += ["%s mm0, mm1" % op, "%s mm7, [eax+4]" % op,
              "%s xmm0, xmm1" % op, "%s xmm7, [ebx+ecx*2]" % op,
              "%s xmm3, dqword [esi]" % op, "%s mm2, qword [edi]" % op]
    for op in ["psllw", "pslld", "psllq", "psrlw", "psrld", "psrlq", "psraw",
               "psrad"]:
        f += ["%s mm1, 3" % op, "%s xmm2, 7" % op]
    f += ["pslldq xmm1, 4", "psrldq xmm2, 8", "palignr mm0, mm1, 3",
          "palignr xmm0, xmm1, 5", "pshufw mm0, mm1, 0x1B", "pshufd xmm0, xmm1, 0x1B",
          "pshufhw xmm0, [eax], 3", "pshuflw xmm0, xmm1, 3",
          "pextrw eax, mm1, 2", "pextrw eax, xmm1, 7", "pinsrw mm0, eax, 1",
          "pinsrw xmm0, [eax], 3", "pmovmskb eax, mm0", "pmovmskb eax, xmm3",
          "maskmovq mm0, mm1", "maskmovdqu xmm0, xmm1", "movntq [eax], mm0",
          "movd mm0, eax", "movd eax, mm1", "movd mm0, [eax]", "movd [eax], mm7",
          "movd xmm0, eax", "movd ecx, xmm1", "movd xmm2, [ebx]",
          "movd [ebx], xmm3", "movq mm0, mm1", "movq mm0, [eax]",
          "movq [eax], mm1", "movq xmm0, xmm1", "movq xmm0, [eax]",
          "movq [eax], xmm2", "movq2dq xmm0, mm1", "movdq2q mm0, xmm1",
          "movdqa xmm0, xmm1", "movdqa xmm0, [eax]", "movdqa [eax], xmm0",
          "movdqu xmm0, [eax]", "movdqu [eax+ecx], xmm7", "movntdq [eax], xmm0",
          "movnti [eax], ebx", "lddqu xmm0, [eax]", "punpckhqdq xmm0, xmm1",
          "punpcklqdq xmm0, [eax]"]
    return f


SSE_PS = ["addps", "subps", "mulps", "divps", "minps", "maxps", "sqrtps",
          "rcpps", "rsqrtps", "andps", "andnps", "orps", "xorps", "unpckhps",
          "unpcklps", "addpd", "subpd", "mulpd", "divpd", "minpd", "maxpd",
          "sqrtpd", "andpd", "andnpd", "orpd", "xorpd", "unpckhpd", "unpcklpd",
          "addsubps", "addsubpd", "haddps", "haddpd", "hsubps", "hsubpd",
          "cvtdq2ps", "cvtps2dq", "cvttps2dq", "cvtpd2dq", "cvttpd2dq",
          "cvtpd2ps", "movaps", "movups", "movapd", "movupd",
          "movsldup", "movshdup", "movddup"]
SSE_SS = ["addss", "subss", "mulss", "divss", "minss", "maxss", "sqrtss",
          "rcpss", "rsqrtss", "addsd", "subsd", "mulsd", "divsd", "minsd",
          "maxsd", "sqrtsd", "comiss", "ucomiss", "comisd", "ucomisd",
          "cvtss2sd", "cvtsd2ss"]
SSE4 = ["pmulld", "pmuldq", "pminsb", "pminsd", "pminuw", "pminud", "pmaxsb",
        "pmaxsd", "pmaxuw", "pmaxud", "pcmpeqq", "pcmpgtq", "packusdw",
        "phminposuw", "ptest", "pmovsxbw", "pmovsxbd", "pmovsxbq", "pmovsxwd",
        "pmovsxwq", "pmovsxdq", "pmovzxbw", "pmovzxbd", "pmovzxbq", "pmovzxwd",
        "pmovzxwq", "pmovzxdq", "aesenc", "aesenclast", "aesdec", "aesdeclast",
        "aesimc"]


def sse():
    f = []
    for op in SSE_PS:
        f += ["%s xmm0, xmm1" % op, "%s xmm7, [eax]" % op,
              "%s xmm2, [esi+ebx*8+16]" % op, "%s xmm4, dqword [edi]" % op]
    for op in SSE_SS:
        f += ["%s xmm0, xmm1" % op, "%s xmm3, [eax]" % op]
    f += ["%s xmm1, dword [ebx]" % op for op in ["addss", "movss", "cvtss2sd"]]
    f += ["%s xmm1, qword [ebx]" % op for op in ["addsd", "movsd", "cvtsd2ss"]]
    for op in SSE4:
        f += ["%s xmm0, xmm1" % op, "%s xmm5, [eax+4]" % op]
    for op in ["cmpps", "cmppd", "cmpss", "cmpsd", "shufps", "shufpd",
               "roundps", "roundpd", "roundss", "roundsd", "blendps", "blendpd",
               "pblendw", "dpps", "dppd", "mpsadbw", "pcmpestri", "pcmpestrm",
               "pcmpistri", "pcmpistrm", "pclmulqdq", "aeskeygenassist"]:
        f += ["%s xmm0, xmm1, 3" % op, "%s xmm2, [eax], 0" % op]
    for c in ["eq", "lt", "le", "unord", "neq", "nlt", "nle", "ord"]:
        f += ["cmp%sps xmm0, xmm1" % c, "cmp%ssd xmm2, [eax]" % c]
    f += ["blendvps xmm0, xmm1", "blendvpd xmm0, [eax]", "pblendvb xmm1, xmm2",
          "blendvps xmm0, xmm1, xmm0", "movss xmm0, xmm1", "movss xmm0, [eax]",
          "movss [eax], xmm0", "movsd xmm0, xmm1", "movsd xmm0, [eax]",
          "movsd [eax], xmm1", "movhps xmm0, [eax]", "movhps [eax], xmm0",
          "movlps xmm0, [eax]", "movlps [eax], xmm1", "movhpd xmm0, [eax]",
          "movlpd [eax], xmm0", "movhlps xmm0, xmm1", "movlhps xmm0, xmm1",
          "movmskps eax, xmm0", "movmskpd eax, xmm1", "movntps [eax], xmm0",
          "movntpd [eax], xmm1", "movntdqa xmm0, [eax]", "cvtpi2ps xmm0, mm1",
          "cvtps2pi mm0, xmm1", "cvttps2pi mm0, [eax]", "cvtpi2pd xmm0, mm1",
          "cvtpd2pi mm0, xmm1", "cvttpd2pi mm0, [eax]", "cvtsi2ss xmm0, eax",
          "cvtsi2ss xmm0, dword [eax]", "cvtsi2sd xmm0, ecx",
          "cvtsi2sd xmm1, dword [ebx]", "cvtss2si eax, xmm0",
          "cvttss2si eax, [ebx]", "cvtsd2si eax, xmm1", "cvttsd2si ecx, xmm2",
          "cvtps2pd xmm0, xmm1", "cvtps2pd xmm0, [eax]", "cvtdq2pd xmm0, xmm1",
          "pextrb eax, xmm1, 3", "pextrb [eax], xmm1, 3", "pextrd eax, xmm1, 1",
          "pextrd [eax], xmm2, 2", "pextrw [eax], xmm1, 5", "extractps eax, xmm1, 2",
          "extractps [eax], xmm0, 1", "pinsrb xmm0, eax, 1",
          "pinsrb xmm0, byte [eax], 2", "pinsrd xmm0, ecx, 3",
          "pinsrd xmm0, [eax], 0", "insertps xmm0, xmm1, 0x10",
          "insertps xmm0, [eax], 0x20", "ldmxcsr [eax]", "stmxcsr [eax]",
          "ldmxcsr dword [eax]", "popcnt eax, ecx", "crc32 eax, byte [ebx]",
          "sha1rnds4 xmm0, xmm1, 1", "sha1nexte xmm0, xmm1", "sha256rnds2 xmm0, xmm1"]
    return f


AVX_3 = ["vaddps", "vaddpd", "vsubps", "vsubpd", "vmulps", "vmulpd", "vdivps",
         "vdivpd", "vminps", "vmaxps", "vandps", "vandnps", "vorps", "vxorps",
         "vunpckhps", "vunpcklpd", "vaddsubps", "vhaddpd", "vhsubps",
         "vpaddb", "vpaddd", "vpsubq", "vpand", "vpor", "vpxor", "vpcmpeqb",
         "vpmulld", "vpmaxsd", "vpshufb", "vpunpcklbw", "vpackssdw",
         "vpavgb", "vpsadbw", "vpmaddwd", "vpermilps", "vpsllvd", "vpsrlvd",
         "vpsravd", "vpermd", "vpermps"]
AVX_2 = ["vsqrtps", "vrcpps", "vrsqrtps", "vmovaps", "vmovups", "vmovapd",
         "vmovupd", "vmovdqa", "vmovdqu", "vcvtdq2ps", "vcvtps2dq",
         "vcvttps2dq", "vmovsldup", "vmovshdup", "vmovddup", "vptest",
         "vtestps", "vpabsb", "vpabsd"]


def avx():
    f = []
    for op in AVX_3:
        f += ["%s xmm0, xmm1, xmm2" % op, "%s ymm0, ymm1, ymm2" % op,
              "%s xmm3, xmm4, [eax]" % op, "%s ymm5, ymm6, [ebx+ecx*4+8]" % op,
              "%s ymm7, ymm0, yword [esi]" % op]
    for op in AVX_2:
        f += ["%s xmm0, xmm1" % op, "%s ymm0, ymm1" % op,
              "%s xmm2, [eax]" % op, "%s ymm3, [ebx]" % op]
    for op in ["vaddss", "vsubsd", "vmulss", "vdivsd", "vsqrtss", "vmaxsd"]:
        f += ["%s xmm0, xmm1, xmm2" % op, "%s xmm3, xmm4, [eax]" % op]
    for op in ["vcmpps", "vcmppd", "vshufps", "vshufpd", "vblendps",
               "vroundps", "vdpps", "vpalignr", "vpblendw", "vmpsadbw",
               "vperm2f128", "vperm2i128", "vpblendd"]:
        f += ["%s xmm0, xmm1, xmm2, 3" % op, "%s ymm0, ymm1, [eax], 1" % op]
    for op in ["vfmadd132ps", "vfmadd213pd", "vfmadd231ss", "vfmsub132sd",
               "vfnmadd213ps", "vfnmsub231pd", "vfmaddsub132ps", "vfmsubadd213pd"]:
        f += ["%s xmm0, xmm1, xmm2" % op, "%s ymm0, ymm1, [eax]" % op]
    f += ["vblendvps xmm0, xmm1, xmm2, xmm3", "vblendvpd ymm0, ymm1, [eax], ymm3",
          "vpblendvb xmm0, xmm1, xmm2, xmm3", "vbroadcastss xmm0, [eax]",
          "vbroadcastss ymm0, [eax]", "vbroadcastsd ymm0, [eax]",
          "vbroadcastf128 ymm0, [eax]", "vbroadcasti128 ymm1, [eax]",
          "vpbroadcastb xmm0, xmm1", "vpbroadcastd ymm0, [eax]",
          "vinsertf128 ymm0, ymm1, xmm2, 1", "vinsertf128 ymm0, ymm1, [eax], 0",
          "vextractf128 xmm0, ymm1, 1", "vextractf128 [eax], ymm1, 0",
          "vinserti128 ymm0, ymm1, xmm2, 1", "vextracti128 xmm0, ymm1, 1",
          "vmaskmovps xmm0, xmm1, [eax]", "vmaskmovps [eax], ymm1, ymm2",
          "vpmaskmovd xmm0, xmm1, [eax]", "vzeroupper", "vzeroall",
          "vmovss xmm0, xmm1, xmm2", "vmovss xmm0, [eax]", "vmovss [eax], xmm1",
          "vmovsd xmm0, [eax]", "vmovd xmm0, eax", "vmovd eax, xmm1",
          "vmovq xmm0, xmm1", "vmovq xmm0, [eax]", "vmovmskps eax, ymm1",
          "vpmovmskb eax, xmm1", "vpextrb eax, xmm1, 2", "vpinsrd xmm0, xmm1, eax, 1",
          "vcvtps2pd ymm0, xmm1", "vcvtpd2ps xmm0, ymm1", "vcvtsi2ss xmm0, xmm1, eax",
          "vcvttss2si eax, xmm1", "vpsllw xmm0, xmm1, 3", "vpsrld ymm0, ymm1, 5",
          "vpslldq xmm0, xmm1, 4", "vpshufd ymm0, ymm1, 0x1B",
          "vldmxcsr [eax]", "vstmxcsr [eax]", "vlddqu ymm0, [eax]",
          "vmovntdq [eax], ymm0", "vmovntps [eax], xmm1", "vaesenc xmm0, xmm1, xmm2",
          "vpclmulqdq xmm0, xmm1, xmm2, 0x11", "vcvtph2ps ymm0, xmm1",
          "vcvtps2ph xmm0, ymm1, 0", "vpermq ymm0, ymm1, 0x1B",
          "vpgatherdd xmm0, [eax+xmm1*4], xmm2", "vgatherdps ymm0, [eax+ymm1*4], ymm2"]
    return f


def modes16():
    f = []
    for op in ["add", "mov", "cmp", "xor"]:
        f += ["%s ax, bx" % op, "%s eax, ebx" % op, "%s al, 5" % op,
              "%s ax, 0x1234" % op, "%s eax, 0x12345678" % op]
        f += ["%s %s, cx" % (op, a) for a in ADDR16]
        f += ["%s %s, ecx" % (op, a) for a in ["[eax]", "[esi+ecx*4+8]", "[ebp]"]]
        f += ["%s word %s, 7" % (op, a) for a in ADDR16[::3]]
    f += ["push ax", "push eax", "push 1", "push 0x1234", "push word 3",
          "push dword 3", "pop ds", "pop es", "push cs", "pusha", "popa",
          "pushad", "pushf", "pushfd", "iret", "iretd", "ret", "retf", "ret 2",
          "jmp $", "jmp near $+0x1000", "call $+3", "jmp ax", "jmp word [bx]",
          "call dword [bx]", "jmp 0x1000:0x0100", "call 0xF000:0xFFF0",
          "loop $", "jcxz $", "jecxz $", "je $+0x100", "jne $", "movsb",
          "movsw", "movsd", "rep stosw", "lodsd", "in al, dx", "out dx, ax",
          "int 0x21", "lea si, [bx+di+4]", "lea eax, [ebx+ecx]", "les di, [bx]",
          "lds si, [bp+4]", "movzx ax, bl", "movzx eax, word [bx]", "cbw",
          "cwde", "cwd", "cdq", "xlat", "inc ax", "dec eax", "inc cx",
          "mul bx", "imul ax, bx, 3", "shl ax, 1", "shr word [bx], cl",
          "fld dword [bx]", "fistp word [si]", "movq mm0, [bx]",
          "movaps xmm0, [si]", "bswap eax", "enter 4, 0", "leave", "cli",
          "sti", "hlt", "mov ax, cs", "mov ds, ax", "mov es, [bx]"]
    return f


R64 = ["rax", "rcx", "rdx", "rbx", "rsp", "rbp", "rsi", "rdi", "r8", "r9",
       "r12", "r13", "r15"]
ADDR64 = ["[rax]", "[rbp]", "[rsp]", "[r12]", "[r13]", "[r8+8]",
          "[rax+rbx*2]", "[r9+r10*4-4]", "[rsp+r11]", "[rbx+0x12345678]",
          "[rcx*8+0x10]", "[eax]", "[r8d+ecx*2]"]


def modes64():
    f = []
    for op in ["add", "mov", "cmp", "sub", "and", "test"]:
        f += ["%s %s, %s" % (op, r, s) for r, s in
              [("rax", "rbx"), ("r8", "rax"), ("rax", "r15"), ("r9d", "eax"),
               ("r10w", "cx"), ("r11b", "al"), ("sil", "dil"), ("spl", "bpl"),
               ("eax", "r12d")]]
        f += ["%s %s, %s" % (op, r, i) for r in ["rax", "r9", "ecx", "r10b"]
              for i in ["1", "-1", "0x1234", "-0x80000000"]]
        f += ["%s %s, rdx" % (op, a) for a in ADDR64]
        f += ["%s r11, %s" % (op, a) for a in ADDR64[::2] if op != "test"]
        f += ["%s qword %s, 5" % (op, a) for a in ADDR64[::3]]
    f += ["mov rax, 0x123456789ABC", "mov r8, 0xFFFFFFFFFFFFFFFF",
          "mov rax, -1", "mov eax, 0xFFFFFFFF", "mov r15, 1", "mov rcx, 0x80000000",
          "push rax", "push r8", "pop r15", "push 1", "push 0x12345678",
          "push qword [rax]", "pop qword [r8]", "push fs", "pop gs",
          "inc rax", "dec r9d", "inc byte [rax]", "neg qword [rbx]",
          "not r10", "imul rax, rbx", "imul r8, [rax], 7", "mul r12",
          "div qword [rsp]", "shl rax, 4", "sar r9, cl", "rol qword [rax], 1",
          "movzx rax, byte [rbx]", "movzx r8d, word [rax]", "movsx rax, bl",
          "movsxd rax, ecx", "movsxd r8, dword [rax]", "lea rax, [rbx+rcx*8]",
          "lea r8d, [rax+4]", "xchg rax, rbx", "xchg r8, rax", "cmpxchg [rax], r9",
          "cmpxchg16b [rax]", "bswap r12", "bswap rax", "cdqe", "cqo",
          "pushfq", "popfq", "iretq", "syscall", "sysret", "swapgs",
          "jmp rax", "jmp qword [rax]", "call r11", "call qword [rbx+8]",
          "jmp $", "jne $+0x1000", "call $", "loop $", "jrcxz $",
          "ret", "ret 16", "movsq", "rep stosq", "lodsq", "cmpsq", "scasq",
          "movq rax, xmm0", "movq xmm1, r8", "movd xmm0, r9d", "movq mm0, rax",
          "cvtsi2sd xmm0, rax", "cvttsd2si r8, xmm1", "pextrq rax, xmm1, 1",
          "pinsrq xmm0, rbx, 1", "movaps xmm8, xmm15", "addps xmm9, [r8]",
          "vaddps ymm8, ymm9, ymm15", "vmovdqu ymm12, [r13+rax]",
          "crc32 rax, qword [rbx]", "popcnt r8, r9", "bt rax, 63",
          "bts qword [rax], r8", "cmovz r8, rax", "setnz r9b", "sete sil",
          "nop", "mov cr8, rax", "mov rax, cr3", "fld qword [r8]",
          "fstp tword [rax]", "movnti [rax], r8", "andn rax, rbx, rcx",
          "shlx r8, r9, r10", "rdrand rax", "xadd [rax], r9", "lock inc qword [rax]",
          "mov al, [fs:0x28]", "mov rax, [gs:rbx]", "add eax, [rbx+r8*4]"]
    return f


SETS = [("gp32", "use32", gp32), ("x87", "use32", x87),
        ("mmx_sse_int", "use32", mmx_sse_int), ("sse", "use32", sse),
        ("avx", "use32", avx), ("mode16", "use16", modes16),
        ("mode64", "use64", modes64)]


def reference(mode, line, tmp):
    src = os.path.join(tmp, "f.asm")
    out = os.path.join(tmp, "f.bin")
    with open(src, "w") as fh:
        fh.write("%s\n%s\n" % (mode, line))
    if os.path.exists(out):
        os.unlink(out)
    r = subprocess.run(["fasm", src, out], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
    if r.returncode != 0:
        return None
    with open(out, "rb") as fh:
        return fh.read()


def main():
    only = sys.argv[1:]
    os.makedirs(OUT, exist_ok=True)
    with tempfile.TemporaryDirectory() as tmp:
        for name, mode, gen in SETS:
            if only and name not in only:
                continue
            seen, kept, dropped = set(), [], 0
            for line in gen():
                if line in seen:
                    continue
                seen.add(line)
                b = reference(mode, line, tmp)
                if b is None:
                    dropped += 1
                    continue
                kept.append("%s\t%s" % (line, b.hex(" ").upper()))
            with open(os.path.join(OUT, name + ".txt"), "w") as fh:
                fh.write("%s\n" % mode)
                fh.write("\n".join(kept) + "\n")
            print("%s: %d forms kept, %d refused by the reference" %
                  (name, len(kept), dropped))


if __name__ == "__main__":
    main()
