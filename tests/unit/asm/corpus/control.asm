; assembly-time control
VER = 3
if VER = 3
  db 1
else
  db 2
end if
if VER > 5
  db 3
else if VER >= 3 & VER < 4
  db 4
else
  db 5
end if
if ~ (VER = 2) | 0
  db 6
end if
if defined VER
  db 7
end if
if defined NOTHERE
  db 8
end if
if used lbl
  db 9
end if
repeat 4
  db %
end repeat
repeat 3
  if % = 2
    break
  end if
  db % + 0x10
end repeat
n = 1
while n < 100
  n = n * 3
  dw n
end while
virtual at 0
  vstart: dd 1, 2
  vsize = $ - vstart
end virtual
  db vsize
virtual
  nop
  nop
  vn = $ - $$
end virtual
  db vn
lbl:
  jmp lbl
  repeat 2
   repeat 2
     db %
   end repeat
  end repeat
  times 3 db 0xCC
  jmp fwd
  rb 130
fwd:
  jmp near fwd2
fwd2:
  jmp short fwd2
  je fwd
  je back
back:
  loop back
  call back
