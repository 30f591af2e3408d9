; data and labels
org 0x1000
start:
  db 1, 2, 3
  db 'hello', 0
  db 'it''s', 0
  dw 0x1234, 'ab'
  dd 0x12345678, start, -1
  dq 0x123456789ABCDEF0
  dp 0x123456789ABC
  df 1
  du 'wide', 0
  db 4 dup (1, 2)
  dw 3 dup 7
  db 2 dup ('xy')
  db ?
value dd 5
bytes db 1,2,3
  mov eax, [value]
  mov [value], 7
  inc [value]
  mov al, [bytes+1]
  lea esi, [bytes]
.loc1:
  jmp .loc1
  jmp bytes.loc1
@@:
  dec ecx
  jnz @b
  jmp @f
  nop
@@:
  ret
x = 5
y = x * 3 + 2
  mov eax, y
  mov eax, x shl 4
  mov eax, (x + 1) * 2
  mov eax, 100 / 7
  mov eax, 100 mod 7
  mov eax, 0xF0 and 0x3C
  mov eax, 0xF0 or 0x0F
  mov eax, 0xFF xor 0x0F
  mov eax, not 0
  mov eax, -x
  mov eax, 1010b
  mov eax, 17o
  mov eax, 0FFh
  mov eax, $1F
  mov eax, 'AB'
  mov eax, $
  mov eax, $$
  mov eax, $ - start
here:
  mov eax, here - start
  align 4
  db 1
  align 16
  rb 3
  rw 2
  dd 9
last:
  times 3 nop
  times 2 db %
  mov eax, last
