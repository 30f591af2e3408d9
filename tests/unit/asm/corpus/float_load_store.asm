; floats, load and store
  dd 1.5, -2.25, 1.0e3, 3.14159, 1e3, 2.5f
  dq 1.5, -0.1, 1e10, 1.0e-3
  dt 1.0, -3.5, 0.1
  mov eax, 1.5
  push 2.0
first:
  db 'abc'
  load x byte from first + 1
  db x
  load y word from first
  dw y
  store byte 'Z' at first
  store word 0x4142 at first + 1
  virtual at 0
    db 'hello'
    load h dword from 1
  end virtual
  dd h
  repeat 4
    load b byte from first + % - 1
    db b xor 0x20
  end repeat
