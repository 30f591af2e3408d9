
; fasm demonstration of writing simple ELF executable

use32  ; format ELF executable 3  (adapted to flat output)
; entry start  (adapted to flat output)

; segment readable executable  (adapted to flat output)

start:

	mov	eax,4
	mov	ebx,1
	mov	ecx,msg
	mov	edx,msg_size
	int	0x80

	mov	eax,1
	xor	ebx,ebx
	int	0x80

; segment readable writeable  (adapted to flat output)

msg db 'Hello world!',0xA
msg_size = $-msg
