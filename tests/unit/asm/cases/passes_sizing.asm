;; How the passes settle: a symbol read before its definition takes its value
;; from the last pass, one with no value yet is 0 and a jump to it short, and
;; the passes end when every such reading proved right.
;; case: two_jumps_settle_short
db 200 dup 0
jmp fwd
jmp fwd
db 124 dup 0
fwd:
;; case: long_chain_of_forward_jumps
rept 4135 {
@@: mov eax, 8207
 jmp @f
}
@@:
;; case: chain_of_calls_ahead
rept 600 n {
 call @f
 dd n
@@:
}
;; case: unknown_target_short_first
org 1000h
jmp x
rb 10
x:
;; case: grows_to_near
jmp l
rb 200
l:
dd l
;; case: forward_constant_sizes_immediate
add eax, x
lbl:
x = 500
dd lbl
;; case: forward_constant_from_label
add eax, x
lbl:
x = lbl + 500
dd lbl
;; case: forward_displacement
dd lbl
mov eax, [ebx+x]
lbl:
x = lbl - lbl + 5
;; case: forward_displacement_zero
dd lbl
mov eax, [ebx+x]
lbl:
x = lbl - lbl
;; case: forward_ebp_displacement
dd lbl
mov eax, [ebp+x]
lbl:
x = lbl - lbl
;; case: forward_push
dd lbl
push x
lbl:
x = lbl - lbl + 5
;; case: oscillation_cannot_settle
mov eax, [ebx+x]
lbl:
x = lbl - 3
dd lbl
;; case: forward_variable_last_value
db x
x = 1
x = 2
;; case: used_forward
if used f
f: ret
end if
call f
;; case: unused_skipped
if used g
g: ret
end if
nop
;; case: defined_forward
if defined later
db 1
end if
later:
;; case: mixed_back_and_forward
a: jmp b
rb 124
jmp a
b:
;; case: near_and_short_neighbours
x: jmp y
rb 125
y: jmp x
;; case: jump_chain_backward_forward
rept 300 n {
 local l
l: jz @f
 jmp l
@@: dd n
}
;; case: forward_constant_once
db x
x = 1
;; case: variable_read_after_each_value
x = 1
db x
x = 2
db x
;; case: defined_variable_ahead
if defined x
db x
end if
x = 1
x = 2
;; case: variable_in_loop_before_value
repeat 2
db x
x = %
end repeat
;; case: variable_once_in_loop
db x
repeat 1
x = %
end repeat
