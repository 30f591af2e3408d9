;; Operators by the reference's priorities, the 65-bit arithmetic of its
;; expressions, value ranges of fields, register terms that cancel, and
;; immediates and displacements whose bytes look like opcodes.
;; case: prec_00
 dd 1 shl 2 + 1
;; case: prec_01
 dd 6 and 3 + 1
;; case: prec_02
 dd 2*7 mod 4
;; case: prec_03
 dd 16 shr 2*2
;; case: prec_04
 dd 1 or 6 and 2
;; case: prec_05
 dd not 1 + 1
;; case: prec_06
 dd -1 and 2
;; case: prec_07
 dd - 1 and 2
;; case: prec_08
 dd +1 and 2
;; case: prec_09
 dd 3 * -2 + 1
;; case: prec_10
 dd 10 - -2 * 3
;; case: prec_11
 dd 7 and -1 + 1
;; case: prec_12
 dd 2 * -3 mod 2
;; case: prec_13
 dd 2 * not 1 + 1
;; case: prec_14
 dd not 1 * 3
;; case: prec_15
 dd not 1 mod 3
;; case: prec_16
 dd not not 1
;; case: prec_17
 dd - - 1 and 3
;; case: prec_18
 dd (-1) and 2
;; case: prec_19
 dd not -1 and 3
;; case: prec_20
 dd 1 shl not -2
;; case: prec_21
 dd 12 and 10 xor 3 or 64
;; case: prec_22
 dd 5 - 3 - 1
;; case: prec_23
 dd 100 / 10 / 5
;; case: prec_24
 dd 7 mod 4 mod 2
;; case: prec_25
 dd 1 shl 2 shl 1 + 1
;; case: prec_26
 dd 5 shl 2 mod 3
;; case: prec_27
 dd 3 mod 2 * 5
;; case: prec_28
 dd 1 + 2 shl 3
;; case: prec_29
 dd +3 * +2
;; case: prec_30
 dd 2 * - 3 shl 1
;; case: prec_31
 dd not 0 shl 4
;; case: prec_32
 dd not 1 shl 1
;; case: prec_33
 dd -not 1
;; case: prec_34
 dd bsf 8 + 1
;; case: prec_35
 dd bsr 16 shl 1
;; case: prec_36
 dd 1 shl bsf 4
;; case: prec_37
 dd -bsr 16
;; case: prec_38
 dd not bsf 8
;; case: prec_39
 dd bsf not 7
;; case: prec_40
 dd bsf -1
;; case: prec_41
 dd bsr 1 shl 4
;; case: prec_42
 dd 1 shl -1
;; case: prec_43
 dd 8 shr -1
;; case: prec_44
 dd (-8) shr 1
;; case: prec_45
 dd -7 / 2
;; case: prec_46
 dd -7 mod 2
;; case: prec_47
 dd (-7) mod (-2)
;; case: prec_48
 dd 7 mod (-2)
;; case: wide_00
 dq 0FFFFFFFFFFFFFFFFh / 2
;; case: wide_01
 dq (-1) shr 1
;; case: wide_02
 dq (-1) shr 64
;; case: wide_03
 dq (-1) shr 100
;; case: wide_04
 dq (-1) shl 63
;; case: wide_05
 dq (-1) shl 64
;; case: wide_06
 dq (-2) shl 63
;; case: wide_07
 dq 0 shl 100
;; case: wide_08
 dq 7FFFFFFFFFFFFFFFh * 2
;; case: wide_09
 dq 0FFFFFFFFFFFFFFFFh * -1
;; case: wide_10
 dq 0FFFFFFFFFFFFFFFFh and (-1)
;; case: wide_11
 dq 0FFFFFFFFFFFFFFFFh xor (-1)
;; case: wide_12
 dq not 0FFFFFFFFFFFFFFFFh
;; case: wide_13
 dq - 0FFFFFFFFFFFFFFFFh
;; case: wide_14
 dq (1 shl 63) / -1
;; case: wide_15
 dq 0FFFFFFFFFFFFFFFFh mod 10
;; case: wide_16
 dq 0 - 8000000000000001h
;; case: wide_17
 dq -(1 shl 63)-1
;; case: wide_18
 dq 1 shl 64
;; case: wide_19
 dq 1 shl 100
;; case: wide_20
 dq (1 shl 63) shl 1
;; case: wide_21
 dq 7FFFFFFFFFFFFFFFh * 3
;; case: wide_22
 dq 0FFFFFFFFFFFFFFFFh + 1
;; case: wide_23
 dq 5 / 0
;; case: wide_24
 dq 5 mod 0
;; case: wide_25
 dq bsf 0
;; case: wide_26
 dq bsr 0
;; case: wide_27
 dq bsr -1
;; case: range_00
 dd 0FFFFFFFFFFFFFFFBh
;; case: range_01
 mov eax, 0FFFFFFFFFFFFFFFBh
;; case: range_02
 mov eax, -0FFFFFFFBh
;; case: range_03
 dd -4294967296
;; case: range_04
 dd -4294967297
;; case: range_05
 dw -65536
;; case: range_06
 dw -65537
;; case: range_07
 db -256
;; case: range_08
 db -257
;; case: range_09
 db 256
;; case: range_10
 dd not 0FFFFFFFFh
;; case: range_11
 mov al, -256
;; case: range_12
 add eax, -4294967296
;; case: range_13
 mov eax, [eax-0FFFFFFFBh]
;; case: range_14
 mov eax, [eax+0FFFFFFFBh]
;; case: range_15
 mov eax, [eax+100000000h]
;; case: range_16
 mov eax, [eax-100000000h]
;; case: range_17
 mov eax, [-4294967296]
;; case: range_18
 mov eax, [0FFFFFFFFh]
;; case: regs_00
 mov eax, [ebp*4/2]
;; case: regs_01
 mov eax, [eax+ebx-ebx]
;; case: regs_02
 mov eax, [eax+ebx*3-ebx*2]
;; case: regs_03
 mov eax, [8+ebp-ebp]
;; case: regs_04
 db 8+ebp-ebp
;; case: regs_05
 virtual at ebp+8
 a dd ?
 c = $-(ebp+8)
 end virtual
 db c
;; case: regs_06
 virtual at ebp+8
 a dd ?
 b dd ?
 end virtual
 db b-a
;; case: regs_07
 virtual at ebp+8
 a dd ?
 end virtual
 mov eax, [a+4]
;; case: bytes_0f2x_00
 mov eax, 8207
;; case: bytes_0f2x_01
 mov eax, [ebx+200Fh]
;; case: bytes_0f2x_02
 mov dword [eax], 12210F00h
;; case: bytes_0f2x_03
 mov eax, 0F200Fh
;; case: bytes_0f2x_04
 mov ecx, 230F230Fh
;; case: bytes_0f2x_05
 add eax, 220Fh
;; case: bytes_0f2x_06
 mov eax, cr0
;; case: bytes_0f2x_07
 mov cr3, ebx
;; case: bytes_0f2x_08
 mov dr1, ecx
;; case: bytes_0f2x_09
 mov ecx, dr7
;; case: bytes_0f2x_10
 mov ax, 200Fh
;; case: bytes_0f2x_11
 push 210F0000h
;; case: bytes_0f2x_12
 lea eax, [ecx+0F20h]
;; case: bytes_0f2x_13
 mov byte [200Fh], 0Fh
;; case: bytes_0f2x_14
 nop dword [eax+1F0Fh]
;; case: bytes_0f2x_15
 mov eax, [200F200Fh]
;; case: bytes_0f2x_16
 cmp dword [ebx+210Fh], 0C0230Fh
;; case: sign_inside_00
 dd 8 xor +6 and 3
;; case: sign_inside_01
 dd 8 xor -6 and 3
;; case: sign_inside_02
 dd 8 + -6 and 3
;; case: sign_inside_03
 dd 8 * -6 and 3
;; case: sign_inside_04
 dd 8 shl -1 and 3
;; case: sign_inside_05
 dd 8 and -6 shl 1
;; case: sign_inside_06
 dd 8 and +6 shl 1
;; case: sign_inside_07
 dd 8 or -6 and 3
;; case: sign_inside_08
 dd not +6 and 3
;; case: sign_inside_09
 dd not -6 and 3
;; case: sign_inside_10
 dd 2 * not -6 and 3
;; case: sign_inside_11
 dd 8 xor not -6 and 3
;; case: sign_inside_12
 dd 8 xor (-6) and 3
;; case: sign_inside_13
 dd 8 mod -6 and 3
;; case: sign_inside_14
 dd 100 / -6 and 3
;; case: sign_inside_15
 dd 8 - -6 and 3
;; case: sign_inside_16
 dd 8 - -6 * 2
;; case: sign_inside_17
 dd 8 xor -6 * 2
;; case: sign_inside_18
 dd 8 xor -6 shl 2
;; case: sign_inside_19
 dd +8 xor 6 and 3
;; case: sign_inside_20
 dd + -6 and 3
;; case: sign_inside_21
 dd - +6 and 3
