;; case: struc_basic
struc point x, y { .x dd x
 .y dd y }
p point 1, 2
mov eax, [p.y]
;; case: struc_label_itself
struc item { . db 1
 .next db 2 }
i item
mov al, [i]
mov al, [i.next]
;; case: struc_sizeof_by_difference
struc s { .a dd 0
 .b dw 0
 .end: }
v s
db v.end - v
;; case: struc_defaults
struc pt x:3, y:4 { .x db x
 .y db y }
a pt
b pt 7
;; case: struc_nested
struc inner { .v dd 5 }
struc outer { .i inner
 .w dw 6 }
o outer
mov eax, [o.i.v]
;; case: struc_restruc
struc s { .a db 1 }
struc s { .a db 2 }
restruc s
x s
;; case: struc_in_virtual
struc rec { .f1 dd ?
 .f2 dd ? }
virtual at ebx
 r rec
end virtual
mov eax, [r.f2]
;; case: struc_with_local
struc s { local l
 l: .a dd l }
q s
;; case: struc_two_instances
struc s v { .a db v }
m1 s 1
m2 s 2
db m2.a - m1.a
;; case: struc_group_args
struc arr [v] { common . db v }
t arr 1, 2, 3
;; case: struc_rb
struc buf n { .data rb n
 .len dd n }
b buf 4
;; case: struc_label_type
struc s { .a dw 1 }
x s
mov [x.a], 2
;; case: rept_simple
rept 3 { nop }
;; case: rept_counter
rept 4 i { db i }
;; case: rept_counter_base
rept 3 i:10 { db i }
;; case: rept_zero
rept 0 { db 1 }
db 2
;; case: rept_nested
rept 2 i { rept 2 j \{ db i*10+j \} }
;; case: rept_expression_count
n = 3
rept n*2 { db 0 }
;; case: rept_local
rept 2 { local l
 l: jmp l }
;; case: rept_concat
rept 3 i { v#i db i }
mov al, [v2]
;; case: rept_counter_expression
rept 3 i { dw i*i }
;; case: rept_multiline
rept 2 i {
 db i
 db i+1
}
;; case: irp_simple
irp r, eax, ebx, ecx { push r }
;; case: irp_empty
irp r, { db 1 }
db 2
;; case: irp_angle
irp v, <1, 2>, 3 { db v }
;; case: irp_registers
irp r, al, bl { inc r }
;; case: irp_strings
irp s, 'a', 'bc' { db s }
;; case: irps_symbols
irps s, eax ebx { push s }
;; case: irps_operators
irps s, + - * { db '0'
 }
;; case: irps_mixed
irps x, 1 2 3 { db x }
;; case: irp_nested_irps
irp a, <eax ecx>, <edx> { irps r, a \{ push r \} }
;; case: match_literal
match =yes, yes { db 1 }
match =yes, no { db 2 }
;; case: match_capture
match a+b, 1+2 { db a, b }
;; case: match_capture_rest
match a =to b, 5 to 9 { db a, b }
;; case: match_symbolic_constant
v equ 3
match x, v { db x }
;; case: match_empty_fails
match x, { db 1 }
db 2
;; case: match_any
match any, some words here { db 1 }
;; case: match_in_macro_args
macro m a { match =b x, a \{ db x \} }
m b 7
;; case: match_brackets
match [r], [eax] { mov ebx, r }
;; case: match_comma
match a=,b, 1,2 { db a, b }
;; case: match_nested
match a, 1 { match b, 2 \{ db a, b \} }
;; case: match_first_token
match =mov x, mov eax { inc x }
;; case: match_not_equal_literal
match =add, sub { db 1 }
db 0
;; case: percent_outside_repeat_in_rept
rept 3 i { db i, % }
;; case: percent_in_macro_called_in_repeat
macro m { db % }
repeat 3
m
end repeat
;; case: percent_in_macro_outside_repeat
macro m { db %, 1 }
m
;; case: percent_in_rept_inside_repeat
repeat 2
rept 2 { db % }
end repeat
;; case: percent_group_macro_in_repeat
macro m [x] { forward repeat 1
 db %, x
 end repeat }
m 1, 2
