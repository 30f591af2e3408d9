;; Addressing as the reference encodes it: segment prefixes and their order,
;; which register is the base, plain addresses beyond 16 bits in 16-bit
;; code, lea, and string operands with segments. Found by the fuzzer.
;; case: segment_prefix_order_sse
addsd xmm0,[fs:eax]
movapd xmm0,[fs:bx]
crc32 eax,word [gs:si]
popcnt ax,[fs:bx]
vaddps ymm0,ymm1,[fs:eax]
movaps xmm0,[fs:eax]
;; case: segment_prefix_order_64
use64
addsd xmm8,[gs:r8d]
mov ax,[fs:ebx]
mov rax,[gs:rbx]
;; case: segment_ignored_in_64
use64
mov qword[ds:rsp+028D01975h],114
movsx rbx,word[es:rax+r9]
mov sil,[cs:r15]
shl qword[cs:r11d+eax*1],cl
mov [cs:ebp+r12d*1],rcx
mov qword[es:ebp],-01960329Dh
mov eax,[ss:eax+ebp]
mov eax,[es:rbx]
;; case: segment_on_lea
lea esp,[ds:esp+edx+127]
use16
lea bp,[cs:si+bx]
;; case: segment_picks_base
mov eax,[ds:ebp+eax]
mov eax,[ds:eax+ebp]
mov eax,[ss:eax+ebp*1]
mov eax,[ss:eax+ebp*2]
mov eax,[ss:ebp+esp]
mov eax,[ds:esp+ebp]
mov eax,[ds:ebp+ebp]
mov eax,[ss:ebx+esi]
mov eax,[es:ebp+eax]
mov eax,[ss:eax+esp]
mov eax,[ds:esp]
mov eax,[ss:esp]
mov eax,[ds:ebp]
cmove ecx,[ss:eax+ebp*1]
;; case: segment_base_16
use16
mov ax,[ss:bp]
mov ax,[ds:bp+si]
mov ax,[ss:ebp+eax]
;; case: base_first_written_32
mov ecx,[ebp+eax+5]
mov ecx,[ebp+eax]
mov ecx,[ebp+ecx*1]
mov ecx,[ebx+ebp]
mov ecx,[esi+ebp+1]
;; case: base_not_rbp_64
use64
mov ecx,[ebp+eax+5]
mov ecx,[r13+rax]
mov ecx,[r13d+eax]
mov ecx,[ebp+ebp]
mov ecx,[rbp+r13]
mov ecx,[r13+rbp]
mov ecx,[r13+rsp]
mov ecx,[ebp+eax*1+128]
mov ecx,[eax*1+ebp]
mov ecx,[ebp*1+eax*1]
mov ecx,[rbp+rax]
mov ecx,[ebp+r8d]
mov ecx,[rbp+rax*1+5]
mov ecx,[rbp+rax*2]
mov ecx,[rax+rbp]
mov ecx,[rbp+rbp]
mov ecx,[rbp+rsp]
mov ecx,[rbp+r12]
mov ecx,[r13+r12]
mov ecx,[r12+r13]
mov ecx,[rsp+rbp]
;; case: index_first_16
use16
mov ax,[si+bx]
mov ax,[di+bp+5]
xchg ecx,[si+bx]
;; case: plain_address_16_beyond
use16
rol dword [043716C8Dh], 3
mov [04F72DD30h], si
mov [-1],eax
mov al,[10000h]
movaps xmm0,[12345678h]
fld dword [-5]
lea edx,[80000h]
push dword [0FFFFFh]
inc word [-2]
fld dword [10000h]
movd mm0,[10000h]
movq xmm1,[10000h]
add word [10000h],5
add dword [10000h],5
movzx eax,word [10000h]
movzx ax,byte [10000h]
;; case: plain_address_16_accumulator
use16
mov al,[-5]
mov bl,[-5]
mov [-5],ax
mov [-5],cx
mov eax,[-8000h]
mov ecx,[-8000h]
mov ecx,[-8001h]
mov al,[0FFFFh]
;; case: lea_plain_addresses
use16
lea cx,[1234h]
lea cx,[bx+1234h]
lea ecx,[1234h]
lea cx,[12345h]
lea cx,[ebx]
use32
lea ecx,[1234h]
lea ax,[bx]
use64
lea rcx,[1234h]
lea ecx,[rax]
lea cx,[eax]
;; case: string_operand_segments
rep stos dword [es:edi]
lods byte [cs:esi]
movs byte [es:edi],[fs:esi]
movs byte [edi],[ds:esi]
cmps dword [gs:esi],[edi]
xlat byte [fs:ebx]
;; case: rept_negative_counter
rept 4 n:-2 { dw n }
;; case: address_32_in_16_displacements
use16
not dword [edx+ebp*8-04BFFD7h]
not dword [edx+ebp*8-4]
not dword [edx+ebp*8+10000h]
mov eax,[edx+ebp*8-04BFFD7h]
mov ax,[ebx+1]
movaps xmm0,[eax+100h]
mov [ecx*4+12345h],al
lea ax,[eax+10000h]
push word [esi]
push dword [esi+80h]
;; case: stack_segment_stack_pointer_first
mov eax,[ss:esp+ebp+4]
;; case: stack_segment_stack_pointer_second
mov eax,[ss:ebp+esp+4]
mov eax,[ds:ebp+esp]
mov eax,[ds:esp+eax]
mov eax,[ds:eax+esp]
;; case: stack_pointer_twice
mov eax,[esp+esp]
;; case: xchg_same_register
xchg eax,eax
xchg ax,ax
xchg al,al
xchg ecx,ecx
use16
xchg eax,eax
xchg ax,ax
use64
xchg eax,eax
xchg rax,rax
xchg ax,ax
xchg r8d,r8d
xchg r8,r8
xchg eax,r8d
xchg ecx,ecx
;; case: ds_doubled_frame_pointer
mov eax,[ds:ebp*2+8]
mov eax,[ds:ebp*2-200]
cvtsi2sd xmm2,dword [ds:ebp*2+128]
mov eax,[ds:ebp*2]
mov eax,[ds:ebp*2+far_]
mov eax,[ds:ebp*3+1000]
mov eax,[ebp*2+1000]
use16
mov eax,[ds:ebp*2+1000]
use64
mov eax,[ds:ebp*2+1000]
far_ = 1000
