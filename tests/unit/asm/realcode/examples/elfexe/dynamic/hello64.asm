
use64  ; format ELF64 executable 3  (adapted to flat output)
; entry start  (adapted to flat output)

include 'import64.inc'

interpreter '/lib64/ld-linux-x86-64.so.2'
needed 'libc.so.6'
import printf,exit

; segment readable executable  (adapted to flat output)

start:

	lea	rdi,[msg]
	xor	eax,eax
	call	[printf]

	call	[exit]

; segment readable writeable  (adapted to flat output)

msg db 'Hello world!',0xA,0
