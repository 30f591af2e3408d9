; preprocessor
SIZE equ 4
define COUNT 3
  mov eax, SIZE*COUNT
SIZE equ 8
  mov eax, SIZE
restore SIZE
  mov eax, SIZE
macro pushall r1, r2, r3 {
  push r1
  push r2
  push r3
}
  pushall eax, ebx, ecx
macro twice instr {
  instr
  instr
}
  twice nop
  twice <mov eax, 1>
macro def name, val:7 { name dd val }
  def first
  def second, 9
macro req a* { db a }
  req 5
macro stdpush [arg] {
 reverse push arg
}
  stdpush 1, 2, 3
macro lst first, [rest] {
 common
  db first
 forward
  db rest
 common
  db 0
}
  lst 9, 8, 7, 6
macro cat a, b { a#b dd 1 }
  cat foo, bar
  mov eax, [foobar]
macro loc {
 local here
here:
  jmp here
}
  loc
  loc
rept 3 { nop }
rept 3 n { db n }
rept 2 k:5 { db k }
irp r, eax, ebx, ecx { inc r }
irps s, 1 2 3 { db s }
match a+b, 3+4 { db a, b }
match =yes, no { db 0xFF }
match =no, no { db 0xEE }
struc point x, y {
 .x dd x
 .y dd y
}
p1 point 1, 2
  mov eax, [p1.y]
macro outer v {
 macro inner \{ db v \}
 inner
}
  outer 0x42
macro nop { db 0x66, 0x90 }
  nop
purge nop
  nop
long equ 1 + \
  2
  db long
macro m1 a { db a }
lbl: m1 7
  jmp lbl
