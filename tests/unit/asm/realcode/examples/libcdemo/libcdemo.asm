
; fasm example of using the C library in Unix systems

; compile the source with commands like:
;   fasm libcdemo.asm libcdemo.o
;   gcc libcdemo.o -o libcdemo
;   strip libcdemo

use32  ; format ELF  (adapted to flat output)

include 'ccall.inc'

; section '.text' executable  (adapted to flat output)

 ; public main  (adapted to flat output)
 printf = 0  ; extrn printf  (adapted to flat output)
 getpid = 0  ; extrn getpid  (adapted to flat output)

 main:
	call	getpid
	ccall	printf, msg,eax
	ret

; section '.data' writeable  (adapted to flat output)

 msg db "Current process ID is %d.",0xA,0
