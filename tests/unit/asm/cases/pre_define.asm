;; case: equ_simple
a equ 5
db a
;; case: equ_expression_text
a equ 2+3
db a*2
;; case: equ_redefine_restore
a equ 1
a equ 2
db a
restore a
db a
;; case: equ_refers_to_equ
a equ 3
b equ a+1
db b
;; case: equ_register
r equ eax
mov r, 1
inc r
;; case: equ_instruction_text
op equ mov
op eax, ebx
;; case: define_simple
define x 7
db x
;; case: define_not_substituted_at_definition
a equ 1
define b a
a equ 2
db b
;; case: equ_substituted_at_definition
a equ 1
b equ a
a equ 2
db b
;; case: define_restore
define x 1
define x 2
restore x
db x
;; case: restore_many
a equ 1
b equ 2
a equ 3
b equ 4
restore a, b
db a, b
;; case: fix_simple
mv fix mov
mv eax, ecx
;; case: fix_before_macro
macro m x { db x }
call_m fix m
call_m 5
;; case: equ_empty
nothing equ
db 1 nothing
;; case: equ_in_brackets
base equ ebx+4
mov eax, [base]
;; case: equ_size_word
sz equ dword
mov sz [eax], 1
;; case: equ_string
msg equ 'hi'
db msg, 0
;; case: equ_chain_three
a equ 1
b equ a+a
c equ b*b
dd c
;; case: equ_case_sensitive
A equ 1
a equ 2
db A, a
;; case: define_in_macro
macro d n, v { define n v }
d q, 9
db q
;; case: equ_after_use_symbolic
x = 1
db x
x equ 5
db x
;; case: restore_undefined_is_quiet
restore nothing_here
db 1
;; case: equ_label_name
lbl equ start
start: jmp lbl
;; case: equ_used_in_equ_condition
flag equ 1
if flag = 1
 db 0xAA
end if
;; case: equ_mem_operand
src equ [esi+8]
mov eax, src
