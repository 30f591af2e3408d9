struc str [data] {
 common
  . db data
  .size = $ - .
}
msg str 'hello', 0
  mov ecx, msg.size
  mov esi, msg
struc vec x, y {
  .x dw x
  .y dw y
}
struc body {
  .pos vec 1, 2
  .vel vec 3, 4
}
b body
  mov ax, [b.vel.y]
virtual at ebx
  vv vec ?, ?
end virtual
  mov ax, [vv.y]
  mov [vv.x], 5
