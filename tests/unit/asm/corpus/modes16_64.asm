use16
start16:
  mov ax, 1
  mov eax, 1
  mov al, [bx+si]
  mov ax, [bp+2]
  mov eax, [ebx]
  push ax
  push eax
  push 5
  jmp start16
  call start16
  jmp next16
  rb 200
next16:
  int 10h
  movsw
  movsd
  pusha
  pushad
  iret
  retf
use64
start64:
  mov rax, rbx
  mov rax, 1
  mov rax, -1
  mov rax, 0x123456789
  mov eax, 1
  mov r8d, r9d
  mov r10w, 5
  mov r11b, 7
  add rax, [rbx+r12*4+8]
  push r15
  pop rbp
  lea rsi, [rdi+rcx]
  mov al, [rsi]
  movsxd rax, ecx
  movzx rax, byte [rcx]
  mov qword [rax], 1
  inc qword [rax]
  shl r9, 3
  jmp start64
  call start64
  syscall
  cqo
  cdqe
  stosq
  rep movsq
  xchg rax, rcx
  xchg rcx, rax
  test r8, r8
  mov spl, 1
  mov sil, dil
  iretq
  pushfq
  mov rax, [fs:0x28]
x: dd 0
mov eax, [x]
mov eax, [0x10]
lea rax, [x]
mov [x], ecx
jmp qword [x]
