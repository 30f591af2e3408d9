;; case: data_db_list
 db 1, 2, 3, 0xFF
;; case: data_dw_dd_dq
 dw 1, 0x1234
 dd 0x12345678
 dq 0x123456789ABCDEF0
;; case: data_dt
 dt 1
;; case: data_dp_df
 dp 0x123456789ABC
 df 0x1234:0x56789ABC
;; case: data_strings
 db 'hello', 0
 db "dq ""x""", 0
 db 'it''s'
;; case: data_dw_string
 dw 'ab'
 dd 'abcd'
;; case: data_du
 du 'hi', 0
;; case: data_dup
 db 3 dup 7
 dw 2 dup (1, 2)
;; case: data_dup_nested
 db 2 dup (1, 2 dup 3)
;; case: data_dup_string
 db 2 dup 'ab'
;; case: data_uninit_question
 db 1, ?, 3
 dd ?
 db 0
;; case: data_reserve
 rb 3
 rw 1
 rd 1
 db 1
;; case: data_reserve_at_end
 db 1
 rb 10
;; case: data_rq_rt_rp_rf
 rq 1
 rt 1
 rp 1
 rf 1
 db 0xEE
;; case: data_label_with_reserve
buf rb 4
 mov dword [buf], 1
;; case: data_align
 db 1
 align 4
 db 2
 align 16
 db 3
;; case: data_align_already
 dd 1
 align 4
 db 2
;; case: data_times
 times 3 db 0xAA
 times 2 nop
;; case: data_times_counter
 times 4 db %
;; case: data_times_zero
 times 0 db 1
 db 2
;; case: data_times_expression
n = 2
 times n*2 dw n
;; case: data_times_instruction
 times 3 inc eax
;; case: data_dd_labels
a: dd b
b: dd a
;; case: data_mixed_label_data
t dw 1, 2, 3
 mov ax, [t+2]
;; case: data_byte_range_unsigned
 db 255, -128
;; case: data_dd_negative
 dd -1, -0x80000000
;; case: if_true
if 1
 db 1
end if
;; case: if_false_else
if 0
 db 1
else
 db 2
end if
;; case: if_else_if
x = 2
if x = 1
 db 1
else if x = 2
 db 2
else
 db 3
end if
;; case: if_relations
if 1 < 2 & 3 > 2 & 2 <= 2 & 3 >= 3 & 4 <> 5
 db 1
end if
;; case: if_or_not
if 0 | ~ 0
 db 1
end if
;; case: if_defined
x = 1
if defined x
 db 1
end if
if defined y
 db 2
end if
;; case: if_defined_forward
if defined later
 db 1
end if
later = 3
;; case: if_used
if used f
 f: ret
end if
 call f
;; case: if_not_used
if used g
 g: ret
end if
 db 0
;; case: if_eq_symbols
if eax eq eax
 db 1
end if
if eax eq ebx
 db 2
end if
;; case: if_nested
if 1
 if 0
  db 1
 else
  db 2
 end if
end if
;; case: if_on_label_distance
a: rb 10
b:
if b - a > 5
 db 1
end if
;; case: if_missing_end
if 1
 db 1
;; case: repeat_simple
repeat 3
 db %
end repeat
;; case: repeat_total
repeat 3
 db %t
end repeat
;; case: repeat_zero
repeat 0
 db 1
end repeat
 db 2
;; case: repeat_nested_counters
repeat 2
 repeat 2
  db %
 end repeat
end repeat
;; case: repeat_break
repeat 10
 if % > 3
  break
 end if
 db %
end repeat
;; case: repeat_computed
repeat 4
 dd % * %
end repeat
;; case: while_simple
x = 1
while x < 100
 dw x
 x = x * 3
end while
;; case: while_break
x = 0
while 1
 x = x + 1
 if x = 4
  break
 end if
 db x
end while
;; case: while_counter
while % < 4
 db %
end while
;; case: virtual_size
virtual at 0
 db 1, 2, 3
 sz = $
end virtual
 db sz
;; case: virtual_load
virtual at 0
 dd 0x11223344
 load b byte from 1
 load w word from 2
end virtual
 db b
 dw w
;; case: virtual_labels
virtual at ebp-8
 loc1 dd ?
 loc2 dd ?
end virtual
 mov eax, [loc2]
 mov [loc1], eax
;; case: load_from_output
 db 5, 6
 load x byte from $$+1
 db x
;; case: store_into_output
 db 0, 0
 store byte 9 at $$
;; case: store_word
a: dw 0
 store word 0x1234 at a
;; case: load_dword
d: dd 0xAABBCCDD
 load v dword from d
 dd v
;; case: org_twice
org 0x10
 dd $
org 0x100
 dd $
;; case: use16_code
use16
 mov ax, bx
 push word 1
;; case: use64_code
use64
 mov rax, rbx
 add r8, 1
;; case: use_modes_mixed
use16
 inc ax
use32
 inc ax
use64
 inc ax
;; case: display_text
display 'hello', 13, 10
 db 1
;; case: err_directive
err
;; case: format_binary
format binary
 db 1
;; case: end_if_without_if
end if
;; case: repeat_without_end
repeat 2
 db 1
;; case: virtual_without_end
virtual at 0
 db 1
;; case: break_outside_loop
break
;; case: data_invalid_item_paren
 db (1
;; case: data_invalid_item_empty
 db 1,,2
