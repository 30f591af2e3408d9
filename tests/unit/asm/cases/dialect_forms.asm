;; Forms of the dialect that real code uses: push and pop lists, the
;; backquote, parts in repeating blocks, ret 0 and sized far returns.
;; case: push_pop_lists
push esi edi ebp
pop ebp edi esi
;; case: push_list_operands
push 1 2
push dword [eax] ebx
push dword 5 word 6
pushd 1 2
pushw ax bx
push es ds
push 1+2 3
push -1 -2
push 1 -2
push eax -1
push (1) (2)
x = 5
push x x
;; case: push_list_needs_size
push [eax] ebx
;; case: push_immediate_ranges
push 80000000h
pushd 80000000h
push dword 80000000h
push 0FFFFFFFFh
push -80000001h
push word 0FFFFh
push word -1
;; case: push_immediate_16
use16
push 0FFFFh
push 8000h
push -8001h
push dword 0FFFFFFFFh
;; case: push_immediate_16_out_of_range
use16
push 10000h
;; case: push_immediate_64
use64
push -80000000h
push 7FFFFFFFh
push qword -1
push 0FFFFFFFFFFFFFFFFh
;; case: push_immediate_64_out_of_range
use64
push 80000000h
;; case: backquote_parameter
macro m x { db `x }
m abc
m 'q'
m 1.5
;; case: backquote_name
macro m x { db `y, ` x }
m abc
;; case: backquote_first_token_only
macro m x { db `x }
a = 1
m a+b
;; case: backquote_joined
macro m x { db 'a'#`x }
m abc
;; case: backquote_group
macro m [x] { forward
 db `x }
m a,b
;; case: backquote_counter_and_irp
rept 2 n { db `n }
irp x, a,b { db `x }
;; case: backquote_local_names
macro m x { local l,k
 db `l,`k }
rept 9 { m 1 }
;; case: backquote_many_locals
macro m x { local l
 db `l,32 }
rept 1300 { m 1 }
;; case: rept_parts
rept 3 n { db n
 common db 9
 reverse db n }
;; case: rept_common_list
rept 2 n:5 { common db n }
;; case: rept_zero_common
rept 0 n { common db 5 }
db 1
;; case: irp_parts
irp x,1,2,3 { reverse db x }
irp x,1,2,3 { common db x }
;; case: irps_parts
irps x,1 2 3 { reverse db x }
irps x,1 2 3 { common db x }
;; case: irps_empty_parts
irps x, { common db 5
 forward db 6 }
db 1
;; case: irp_empty_common
irp x, { common db 5 }
;; case: repeat_locals_in_common
irp x,1,2,3 { forward local l
 l db x
 common dd l }
rept 3 n { local l
 l db n
 common dd l }
;; case: match_common
match a,b { common db 5 }
;; case: ret_zero
ret 0
retn 0
retf 0
retd 0
retw 0
ret word 0
ret 1-1
;; case: ret_zero_forward
ret x
x = 0
;; case: ret_out_of_range
ret 10000h
;; case: ret_negative
ret -1
;; case: ret_far_sizes_16
use16
ret 0
retf 0
retfd
retfw
retf
retf 8
retd
retw
;; case: ret_far_sizes_64
use64
ret 0
retf
retf 4
retfq
retfd
retfw
retfq 4
ret
ret 4
retw 4
