;; case: label_forward_jump
 jmp there
 nop
there:
;; case: label_backward_jump
back: nop
 jmp back
;; case: label_far_forward
 jmp far_away
 rb 200
far_away:
;; case: label_near_boundary_127
 jmp l
 db 127 dup 0x90
l:
;; case: label_near_boundary_128
 jmp l
 db 128 dup 0x90
l:
;; case: label_local
glob:
.a: jmp .a
other:
.a: jmp .a
;; case: label_local_full_name
g1:
.x: nop
g2:
 jmp g1.x
;; case: label_anonymous
@@: dec eax
 jnz @b
 jmp @f
 nop
@@: ret
;; case: label_anonymous_chain
@@: db 1
@@: dw @b
 dw @f
@@:
;; case: label_data
v dd 5
 mov eax, [v]
;; case: label_data_size_implied
v dw 5
 inc [v]
;; case: label_data_size_override
v dd 5
 mov al, byte [v]
;; case: label_directive
label here byte
 db 1
 mov al, [here]
;; case: label_directive_at
label port dword at 0x400
 mov eax, [port]
;; case: label_equals
x = 5
 db x
x = x + 1
 db x
;; case: label_equals_forward_reference
 db y
y = 7
;; case: label_address_difference
a: db 1, 2, 3
b:
 db b - a
;; case: label_dollar
 db $ - $$
 nop
 dd $
;; case: label_dollar_dollar
org 0x100
 dd $$
 dd $
;; case: label_forward_several_passes
 jmp l3
l1: jmp l2
l2: jmp l1
 rb l3 - l1
l3: ret
;; case: label_used_before_size
 mov eax, [v]
v dd 0
;; case: label_org_address
org 0x1000
start: dd start
;; case: label_double_definition
x: nop
x: nop
;; case: label_undefined
 jmp nowhere
;; case: label_reserved_word
eax: nop
;; case: expr_decimal_hex_binary_octal
 db 10, 0x10, 10h, $10, 101b, 17o, 17q, 9d
;; case: expr_char_constants
 dd 'abcd'
 dw 'x'
 db 'a'+1
;; case: expr_precedence
 db 2+3*4, (2+3)*4, 10-4-3, 20/3, 20 mod 7
;; case: expr_bitwise
 db 0F0h and 3Ch, 0F0h or 0Fh, 0FFh xor 0Fh, not 0FFFFFF0h and 0Fh
;; case: expr_shifts
 dd 1 shl 10, 0x8000 shr 4
;; case: expr_unary_minus
 db -1, - -2, -(3)
 dd -5
;; case: expr_negative_values
 dw -1
 dd -100000
;; case: expr_parentheses_nested
 dd ((1+2)*(3+4)) shl (1+1)
;; case: expr_sizes_of_fields
 dd 1 shl 31
 dq 1 shl 40
;; case: expr_division_by_zero
 db 1/0
;; case: expr_value_out_of_range_byte
 db 256
;; case: expr_value_out_of_range_word
 dw 70000
;; case: expr_negative_byte_range
 db -129
;; case: expr_label_arithmetic
a: rb 4
b: dd (b-a)*2
;; case: expr_relocatable_difference
x: nop
y: nop
 mov eax, y-x
;; case: expr_memory_scale_expression
 mov eax, [ebx+ecx*(1+1)]
;; case: expr_memory_displacement_label
tbl dd 1, 2
 mov eax, [tbl+ecx*4]
;; case: expr_float_dd
 dd 1.5, -2.0, 1e3
;; case: expr_float_dq
 dq 3.25, 1.0e-2
;; case: expr_float_dt
 dt 1.0, 0.5
;; case: expr_invalid
 db 1+
;; case: expr_missing_bracket
 mov eax, [ebx
