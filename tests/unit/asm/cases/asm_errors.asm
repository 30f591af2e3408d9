;; case: err_illegal_instruction
 movx eax, 1
;; case: err_invalid_operand
 mov 1, eax
;; case: err_operand_sizes
 mov al, bx
;; case: err_size_not_specified
 inc [eax]
;; case: err_size_not_specified_mov
 mov [eax], 1
;; case: err_invalid_size_of_operand
 push byte [eax]
;; case: err_invalid_address
 mov eax, [ebx*3+ecx]
;; case: err_address_sizes
 mov eax, [bx+ecx]
;; case: err_jump_out_of_range
 jmp short far_label
 rb 300
far_label:
;; case: err_loop_out_of_range
l: rb 300
 loop l
;; case: err_value_out_of_range_imm
 mov al, 300
;; case: err_value_out_of_range_dw
 dw 65536
;; case: err_undefined_in_expression
 dd missing + 1
;; case: err_symbol_already_defined_eq
a: nop
a = 1
;; case: err_missing_end_quote
 db 'abc
;; case: err_extra_characters
 nop nop
;; case: err_extra_characters_data
 db 1 2
;; case: err_reserved_word_label
byte: nop
;; case: err_invalid_name_label
1abc: nop
;; case: err_unexpected_close_brace
}
;; case: err_incomplete_macro
macro m {
;; case: err_invalid_macro_arguments
macro m [a { db a }
;; case: err_invalid_value_align
 align 3
;; case: err_invalid_use_of_symbol_mul
a: dd a*2
;; case: err_include_missing
include 'no_such_file.inc'
;; case: err_else_without_if
else
;; case: err_times_negative
times -1 nop
;; case: err_too_many_arguments_struc
struc s a { .a db a }
x s 1, 2
;; case: err_invalid_argument_label
label
;; case: err_division_by_zero_const
x = 5 / 0
;; case: err_match_missing_brace
match a, b
;; case: err_rept_invalid_count
rept x { db 1 }
;; case: err_unexpected_instruction_end
end
;; case: err_operand_mem_mem
 mov [eax], [ebx]
;; case: err_far_imm
 mov eax, 1:2
;; case: err_float_in_byte
 db 1.5
