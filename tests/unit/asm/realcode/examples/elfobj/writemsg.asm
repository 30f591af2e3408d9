
use32  ; format ELF  (adapted to flat output)

; section '.text' executable  (adapted to flat output)

 ; public writemsg  (adapted to flat output)

 writemsg:
	mov	ecx,esi
    find_end:
	lodsb
	or	al,al
	jnz	find_end
	mov	edx,esi
	sub	edx,ecx
	mov	eax,4
	mov	ebx,1
	int	0x80
	ret
