; realistic macro library: stdcall, invoke-like, proc frames, structures
macro stdcall proc, [arg] {
 common
  if ~ arg eq
 reverse
   pushd arg
 common
  end if
  call proc
}
macro pushd value {
  match [addr], value \{ push dword [addr] \}
  match =addr v, value \{ lea edx, [v]
                           push edx \}
  if value eqtype 0
    push value
  end if
  if value eqtype eax
    push value
  end if
}
macro invoke proc, [arg] {
 common
  stdcall [proc], arg
}
macro frame_proc name, [reg] {
 common
  name:
  push ebp
  mov ebp, esp
 forward
  push reg
}
macro frame_end [reg] {
 reverse
  pop reg
 common
  leave
  ret
}
struc counter start {
  .value dd start
  .step  dd 1
}
struc pair a, b {
  .first counter a
  .second counter b
}
macro cmpjmp a, cond, b, target {
  cmp a, b
  j#cond target
}
macro zero [r] { xor r, r }
macro swapv a, b {
  push a
  push b
  pop a
  pop b
}
frame_proc worker, ebx, esi
  stdcall helper, 1, eax, [buf], addr buf
  stdcall helper
  invoke table, 5, 6
  zero eax, ecx, edx
  cmpjmp eax, e, 5, done
  cmpjmp ecx, ne, edx, worker
  swapv eax, ebx
done:
frame_end ebx, esi
helper:
  ret
table dd helper
buf db 16 dup 0
c1 counter 7
p pair 1, 2
  mov eax, [c1.value]
  mov eax, [p.second.step]
rept 4 n:0 {
  mov [buf + n*4], n
}
irp reg, eax, ebx {
  local skip
  test reg, reg
  jz skip
  inc reg
skip:
}
