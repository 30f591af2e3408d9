macro opt a, b {
  if a eq
    db 0
  else if a eq b
    db 1
  else
    db 2
  end if
  if b eqtype eax
    db 3
  end if
  if b eqtype 5
    db 4
  end if
  if b eqtype [x]
    db 5
  end if
  if a in <ecx, edx>
    db 6
  end if
  if a eq ecx & b eq ecx
    db 7
  end if
}
  opt , ebx
  opt ecx, ecx
  opt edx, 7
  opt eax, [ebx]
x:
