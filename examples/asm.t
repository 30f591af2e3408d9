-- asm.t: x86 code inside Lua. An `asmfunc' is assembled while its chunk is
-- compiled and then called like any Lua function; `asm' at the top of a
-- chunk loads a module of its own. Run it with dofile("asm.t"), or from
-- "Main Menu" -> "Examples". See docs/inline-assembly.md and docs/assembly.md.

-- Adds two integers: the arguments are read and the sum pushed through the
-- interpreter's own API (lua.tointeger, lua.pushnumber, cdecl).
asmfunc add(a, b) lua!
  push ebx
  mov ebx, [esp+8]          ; L
  push 1
  push ebx
  call lua.tointeger        ; lua_tointeger(L, 1)
  add esp, 8
  push eax
  push 2
  push ebx
  call lua.tointeger        ; lua_tointeger(L, 2)
  add esp, 8
  pop ecx
  add eax, ecx
  push eax                  ; the sum as a double
  fild dword [esp]
  sub esp, 4
  fstp qword [esp]
  push ebx
  call lua.pushnumber       ; lua_pushnumber(L, sum)
  add esp, 12
  mov eax, 1                ; one result
  pop ebx
  ret
end

-- A module with a function member and a variable, reached through `modules'.
asm lua!
  module squares, 'example module'
  function square, 'f:ud:ud;', 'n * n'
  variable calls, 'ud', 'rw'
square:
  inc dword [calls]
  mov eax, [esp+4]
  imul eax, eax
  ret 4
calls dd 0
end

local sq = modules.byname.squares.byname
print("\r2 + 3 = " .. add(2, 3) .. " (asmfunc add)\r")
print("12 squared is " .. sq.square(12) .. " (module squares, called " ..
      sq.calls.val .. " time)\r")

-- A window to try it: two numbers, added in x86 when the button is pressed.
asm_example = dialog{name = "Inline assembly", w = 260, h = 110}
asm_a = edit{name = "40", comment = "a whole number"}
asm_b = edit{name = "2", comment = "another one"}
asm_sum = label{name = "press the button"}
asm_a.digital = 10
asm_b.digital = 10
asm_example:ins(asm_a, 10, 10, 80, 22)
asm_example:ins(label{name = "+"}, 96, 10, 16, 22)
asm_example:ins(asm_b, 116, 10, 80, 22)
asm_example:ins(button{name = "Add in x86", comment = "calls the asmfunc add",
  command = 'asm_sum.name = asm_a.text .. " + " .. asm_b.text .. " = " .. ' ..
            'add(tonumber(asm_a.text) or 0, tonumber(asm_b.text) or 0)'},
  10, 42, 100, 24)
asm_example:ins(asm_sum, 120, 42, 130, 24)
asm_example:show(140, 420)
