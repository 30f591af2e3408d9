; x87, MMX, SSE, AVX
  fld st1
  fld dword [eax]
  fld qword [eax]
  fld tword [eax]
  fild word [eax]
  fild dword [eax]
  fild qword [eax]
  fst dword [ebx]
  fstp qword [ebx]
  fstp tword [ebx]
  fistp dword [ebx]
  fadd st0, st2
  fadd st2, st0
  fadd dword [eax]
  faddp st1, st0
  faddp
  fsub qword [eax]
  fsubr st0, st1
  fmul st0, st3
  fdiv dword [eax]
  fdivrp st1, st0
  fxch st1
  fxch
  fcom st1
  fcomp dword [eax]
  fcompp
  fucomi st0, st1
  fcomip st0, st1
  fldz
  fld1
  fldpi
  fchs
  fabs
  fsqrt
  fsin
  fcos
  fstsw ax
  fnstsw ax
  fstcw word [eax]
  fldcw word [eax]
  finit
  fninit
  fwait
  wait
  emms
  movd mm0, eax
  movq mm1, [eax]
  paddb mm0, mm1
  pxor mm2, mm2
  movaps xmm0, xmm1
  movaps xmm0, [eax]
  movups [eax], xmm7
  addps xmm0, xmm1
  addss xmm0, dword [eax]
  addsd xmm1, qword [ebx]
  mulpd xmm2, xmm3
  movd xmm0, eax
  movq xmm0, xmm1
  movq xmm0, qword [eax]
  movdqa xmm0, [eax]
  movdqu xmm1, [ebx]
  pshufd xmm0, xmm1, 0x1B
  shufps xmm0, xmm1, 0x44
  cvtsi2sd xmm0, eax
  cvttsd2si eax, xmm0
  cvtss2sd xmm0, xmm1
  comisd xmm0, xmm1
  sqrtps xmm0, xmm1
  xorps xmm0, xmm0
  pxor xmm1, xmm2
  pinsrw xmm0, eax, 3
  pextrw eax, xmm0, 3
  movsd xmm0, xmm1
  movsd xmm0, qword [eax]
  movss xmm0, dword [eax]
  ldmxcsr dword [eax]
  prefetchnta byte [eax]
  lfence
  mfence
  sfence
  clflush byte [eax]
  pshufb xmm0, xmm1
  pmulld xmm0, xmm1
  ptest xmm0, xmm1
  roundps xmm0, xmm1, 1
  crc32 eax, byte [ebx]
  popcnt eax, ebx
  vaddps ymm0, ymm1, ymm2
  vaddps xmm0, xmm1, [eax]
  vmovaps ymm0, [eax]
  vmovdqu yword [eax], ymm1
  vxorps ymm0, ymm0, ymm0
  vbroadcastss ymm0, dword [eax]
  vfmadd231ps xmm0, xmm1, xmm2
  vpermilps ymm0, ymm1, 5
  vzeroupper
  andn eax, ebx, ecx
  lzcnt eax, ebx
  movbe eax, [ebx]
  rdrand eax
