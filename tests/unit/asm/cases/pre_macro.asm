;; case: macro_no_args
macro three { db 3 }
three
three
;; case: macro_one_arg
macro b1 x { db x }
b1 4
;; case: macro_two_args
macro pair a, b { db a, b }
pair 1, 2
;; case: macro_missing_arg_empty
macro pair a, b { db a
 db 9 b }
pair 1
;; case: macro_default_arg
macro m a, b:5 { db a, b }
m 1
m 1, 2
;; case: macro_required_arg_given
macro m a* { db a }
m 3
;; case: macro_required_arg_missing
macro m a* { db a }
m
;; case: macro_too_many_args
macro m a { db a }
m 1, 2
;; case: macro_angle_args
macro m a, b { db a
 db b }
m <1, 2>, 3
;; case: macro_greedy_arg
macro m a, b& { db a
 db b }
m 1, 2, 3, 4
;; case: macro_group_forward
macro m [x] { forward db x }
m 1, 2, 3
;; case: macro_group_reverse
macro m [x] { reverse db x }
m 1, 2, 3
;; case: macro_group_common
macro m [x] { common db x }
m 1, 2, 3
;; case: macro_group_sections_mixed
macro m [x] {
 common db 0
 forward db x
 reverse db x+10
 common db 0xFF }
m 1, 2
;; case: macro_fixed_and_group
macro m a, [x] { forward db a, x }
m 9, 1, 2
;; case: macro_group_pairs
macro m [a, b] { forward db a
 db b }
m 1, 2, 3, 4
;; case: macro_group_required
macro m [x*] { forward db x }
m 1, 2
;; case: macro_local_labels
macro loopy {
 local here
 here: dec ecx
 jnz here }
loopy
loopy
;; case: macro_concat
macro mk name, v { name#_x db v }
mk foo, 3
mov al, [foo_x]
;; case: macro_concat_string
macro s t { db 'a'#t }
s 'bc'
;; case: macro_nested_call
macro inner x { db x }
macro outer y { inner y
 inner y+1 }
outer 5
;; case: macro_nested_definition
macro def n { macro n v \{ db v \} }
def mm
mm 7
;; case: macro_escape_group
macro outer { macro inner [a] \{ \forward db a \} }
outer
inner 1, 2
;; case: macro_recursive_bounded
macro r n { if n > 0
 db n
 end if }
r 3
;; case: macro_redefine_uses_previous
macro m x { db x }
macro m x { m x+1
 db 0 }
m 1
;; case: macro_purge
macro m { db 1 }
macro m { db 2 }
purge m
m
;; case: macro_purge_all
macro m { db 1 }
purge m
m
;; case: macro_instruction_name
macro push r { pushd r }
push 1
;; case: macro_shadow_mnemonic_inside
macro mov a, b { if a eq b
 else
 mov a, b
 end if }
mov eax, eax
mov eax, ebx
;; case: macro_args_with_brackets
macro ld r, m { mov r, m }
ld eax, [ebx+4]
;; case: macro_label_inside_body
macro m {
.x: db 1
 jmp .x }
glob:
m
;; case: macro_comment_in_body
macro m a { db a ; comment
 db a+1 }
m 1
;; case: macro_body_on_lines
macro m a
{
 db a
}
m 2
;; case: macro_continuation
macro m a, \
 b { db a, b }
m 1, \
 2
;; case: macro_empty_body
macro nothing {}
nothing
db 1
;; case: macro_arg_is_string
macro m s { db s, 0 }
m 'text'
;; case: macro_arg_expression
macro m e { dd e }
m (1 shl 4) + 2
;; case: macro_incomplete
macro m {
 db 1
;; case: macro_forward_reverse_count
macro m [x] { common db 0
 forward db 1
 reverse db 2 }
m a, b, c
;; case: macro_calls_rept
macro m n { rept n \{ db 1 \} }
m 3
;; case: macro_irp_inside
macro m [x] { common irp y, x \{ db y \} }
m 4, 5
;; case: macro_ten_calls
macro inc2 r { inc r
 inc r }
rept 10 { inc2 eax }
;; case: macro_deep_nesting
macro a1 x { db x }
macro a2 x { a1 x+1 }
macro a3 x { a2 x+1 }
macro a4 x { a3 x+1 }
a4 0
;; case: macro_invalid_name
macro 1m { db 1 }
;; case: macro_match_in_body
macro m x { match =eax, x \{ db 1 \}
 match =ebx, x \{ db 2 \} }
m eax
m ebx
;; case: macro_default_empty_group
macro m a, [b] { common db a }
m 1
