; Procedures of the shipped proc32.inc driven through every form it
; offers: calling conventions, saved registers, typed arguments, locals
; with and without initial values, local arrays and structures, nested
; calls through stdcall, ccall, invoke and cinvoke.

use32
org 401000h

include '../examples/elfexe/dynamic/proc32.inc'

struc POINT x,y
 { .x dd x+0
   .y dd y+0 }
virtual at 0
 POINT POINT
 sizeof.POINT = $
end virtual

start:
	stdcall add3, 1, 2, 3
	ccall	csum, eax, 5
	stdcall frame, 10, 20
	stdcall saver, ebx, [value]
	invoke	table_entry, 7
	cinvoke table_entry2, 1, 2
	stdcall nolocals
	stdcall typed, 1, 2, 3
	stdcall withlocal, 4
	stdcall arrays
	ret

proc add3 a, b, c
	mov	eax, [a]
	add	eax, [b]
	add	eax, [c]
	ret
endp

proc csum c x, y
	mov	eax, [x]
	add	eax, [y]
	ret
endp

proc frame stdcall uses ebx esi edi, p1, p2
  locals
    t1 dd ?
    t2 dw 5
    t3 db 'ab', 0
    t4 dd 12345678h
  endl
	mov	eax, [p1]
	mov	[t1], eax
	movzx	ebx, [t2]
	lea	esi, [t3]
	mov	edi, [t4]
	add	eax, [p2]
	ret
endp

proc saver uses ebx, v, w
	mov	ebx, [v]
	xor	ebx, [w]
	mov	eax, ebx
	ret
endp

proc typed a:BYTE, b:WORD, c:DWORD
	movzx	eax, [a]
	movzx	ecx, [b]
	add	eax, ecx
	add	eax, [c]
	ret
endp

proc withlocal n
	local	buf[16]:BYTE, count:DWORD, pt:POINT, q:QWORD
	mov	eax, [n]
	mov	[count], eax
	lea	edx, [buf]
	mov	[pt.x], eax
	mov	[pt.y], edx
	fild	[q]
	ret
endp

proc nolocals
	mov	eax, -1
	ret
endp

proc arrays uses esi
  locals
    list dd 1, 2, 3, 4
    name db 'trelk', 0
    pad rb 3
    more rd 2
  endl
	lea	esi, [list]
	mov	eax, [esi+8]
	mov	al, [name+1]
	mov	[more+4], eax
	ret
endp

proc unused_one a
	mov	eax, [a]
	ret
endp

value dd 99
table_entry dd add3
table_entry2 dd csum
