start:
 mov eax, ebx
 mov eax, 1
 mov al, 0xFF
 add eax, 1
 add eax, 1000
 add ebx, 0xFFFFFFFF
 and eax, 0xFFFFFF00
 mov eax, [ebx]
 mov eax, [ebp]
 mov eax, [esp]
 mov eax, [ebx+esi*4+8]
 mov eax, [ebx*2]
 mov eax, [ebx*4]
 lea eax, [ebx*3]
 lea eax, [ebp+eax]
 lea eax, [eax+esp]
 mov dword [eax], 1
 mov byte [eax+1], 2
 mov word [eax], 3
 push 1
 push 1000
 push word 1
 push eax
 pop ebx
 xchg eax, ebx
 xchg ebx, eax
 test eax, ebx
 shl eax, 1
 shl eax, 3
 shl eax, cl
 sar dword [eax], 1
 inc eax
 dec dword [ebx]
 jmp start
 jmp forward
 call start
 je start
 jne forward
 nop
forward:
 ret
 ret 4
 movzx eax, byte [ebx]
 movsx eax, word [ebx]
 imul eax, ebx, 10
 imul eax, [ebx]
 rep movsb
 movsd
 stosd
 lods byte [esi]
 mov eax, [fs:0]
 mov eax, [0x1234]
 mov [0x1234], al
 int 0x80
 int3
 cdq
 leave
 pushad
 popad
 pushfd
 setz al
 cmovne eax, ebx
 loop forward
 jecxz forward
 lock xadd [eax], ecx
 bswap eax
 mov eax, cr0
 in al, dx
 out 0x80, al
 neg eax
 not eax
 mul ecx
 div dword [ebx]
 xor eax, eax
 cmp eax, -1
 sub esp, 128
 sub esp, 127
 mov eax,[ebx+ecx]
 mov eax,[ebp+ecx]
 mov eax,[ecx+ebp]
 mov eax,[ebp+ecx*2]
 call dword [eax]
 jmp eax
 jmp dword [ebx]
 enter 16,0
