
; fasm demonstration of assembling object files

; compile the program using commands like:
;   fasm msgdemo.asm msgdemo.o
;   fasm writemsg.asm writemsg.o
;   ld msgdemo.o writemsg.o -o msgdemo

use32  ; format ELF  (adapted to flat output)

; section '.text' executable  (adapted to flat output)

 ; public _start  (adapted to flat output)
 _start:

 writemsg = 0  ; extrn writemsg  (adapted to flat output)

	mov	esi,msg
	call	writemsg

	mov	eax,1
	xor	ebx,ebx
	int	0x80

; section '.data' writeable  (adapted to flat output)

 msg db "Elves are coming!",0xA,0
