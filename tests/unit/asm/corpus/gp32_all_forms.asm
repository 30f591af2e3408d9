; general-purpose instructions, all operand kinds
irp op, add,or,adc,sbb,and,sub,xor,cmp {
  op al, 1
  op ax, 1
  op eax, 1
  op bl, 0x7F
  op bx, 0x1234
  op ebx, 0x12345678
  op cl, dl
  op cx, dx
  op ecx, edx
  op byte [eax], 1
  op word [eax+4], 300
  op dword [eax+ecx*2+0x100], -2
  op [ebx], al
  op [ebx], ax
  op [ebx], eax
  op al, [ebx]
  op ax, [ebx]
  op eax, [ebx]
}
irp op, rol,ror,rcl,rcr,shl,shr,sar {
  op al, 1
  op ax, 2
  op eax, cl
  op byte [eax], 1
  op word [eax], 5
  op dword [eax], cl
}
irp op, not,neg,mul,imul,div,idiv,inc,dec {
  op bl
  op bx
  op ebx
  op byte [esi]
  op word [esi]
  op dword [esi]
}
  test al, 1
  test ax, 0x100
  test ebx, 0x10000
  test [eax], cl
  test dword [eax], 4
  mov cl, 5
  mov cx, 5
  mov ecx, 5
  mov byte [edi], 5
  mov word [edi], 5
  mov [edi], cx
  mov ds, ax
  mov ax, ds
  mov [eax], es
  mov es, [eax]
  mov dr7, eax
  mov eax, cr3
  movzx ecx, bl
  movzx ecx, bx
  movsx cx, bl
  movsx ecx, word [eax]
  imul cx, dx
  imul ecx, [eax], 1000
  imul ecx, edx, -3
  xchg cl, dl
  xchg [eax], ecx
  xchg ax, bx
  xadd ecx, edx
  cmpxchg [ebx], ecx
  cmpxchg8b [ebx]
  bt eax, 3
  bts dword [eax], 7
  btr eax, ecx
  btc [eax], ecx
  bsf eax, ebx
  bsr eax, [ebx]
  shld eax, ebx, 4
  shrd eax, ebx, cl
  push ax
  push ds
  push es
  push fs
  push dword [eax]
  pop word [eax]
  pop fs
  push -1
  push 0x80
  lea eax, [eax+eax*8+0x7F]
  lea eax, [esp+0x80]
  lea ebx, [ebp-4]
  lea ecx, [eax+ebx*8-0x1000]
  mov eax, [bx+si]
  mov ax, [bp+di+2]
  mov eax, [es:ebx]
  mov eax, [cs:ebx+4]
  mov eax, [ss:ebp]
  mov eax, [gs:eax*4]
  movsb
  movsw
  movsd
  cmpsb
  scasd
  lodsw
  stosb
  rep stosd
  repne scasb
  repe cmpsd
  movs dword [edi], [esi]
  movs byte [edi], [fs:esi]
  cmps byte [esi], [edi]
  stos word [edi]
  insb
  outsd
  in al, 0x60
  in eax, dx
  out dx, ax
  out 0x43, al
  cbw
  cwde
  cwd
  cdq
  clc
  stc
  cmc
  cld
  std
  cli
  sti
  hlt
  sahf
  lahf
  pushfd
  popfd
  pusha
  popa
  aaa
  aas
  daa
  das
  aam
  aad
  xlatb
  into
  iret
  iretd
  int 3
  int 21h
  retf
  retf 8
  ret 0x10
  leave
  enter 8, 1
  jmp far 0x10:0x1000
  call far 0x18:0x2000
  jmp far dword [eax]
  call pword [eax]
  call word [eax]
  bound eax, [ebx]
  arpl [eax], bx
  lds eax, [ebx]
  les ecx, [ebx]
  lfs edx, [ebx]
  lgs esi, [ebx]
  lss edi, [ebx]
  cpuid
  rdtsc
  rdmsr
  wrmsr
  sysenter
  ud2
  wbinvd
  invd
  invlpg [eax]
  lgdt [eax]
  sidt [eax]
  lldt ax
  str ax
  ltr word [eax]
  smsw ax
  lmsw ax
  clts
  nop
  pause
  bswap ecx
  setc bl
  seta byte [eax]
  setge cl
  cmova eax, [ebx]
  cmovl ecx, edx
  salc
  lock inc dword [eax]
  lock add [eax], ecx
  xlat byte [ebx]
