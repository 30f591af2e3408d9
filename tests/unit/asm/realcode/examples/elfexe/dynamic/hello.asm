
use32  ; format ELF executable 3  (adapted to flat output)
; entry start  (adapted to flat output)

include 'import32.inc'
include 'proc32.inc'

interpreter '/lib/ld-linux.so.2'
needed 'libc.so.6'
import printf,exit

; segment readable executable  (adapted to flat output)

start:
	cinvoke printf,msg
	cinvoke exit

; segment readable writeable  (adapted to flat output)

msg db 'Hello world!',0xA,0
