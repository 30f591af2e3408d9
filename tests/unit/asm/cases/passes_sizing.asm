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
;; case: jump_edge_after_shift
b806:
 jnz b806
 test edx, edx
 jmp b807
 xor eax, eax
b807:
 mov eax, 10491
cmp eax, ebx
 je b856
 call b869
 add ecx, [esi+828]
 jnz b806
 test edx, edx
 jmp b808
 xor eax, eax
b808:
 mov eax, 10504
cmp eax, ebx
 je b869
 call b813
 add ecx, [esi+832]
 jnz b806
 test edx, edx
 jmp b809
 xor eax, eax
b809:
 mov eax, 10517
cmp eax, ebx
 je b869
 call b827
 add ecx, [esi+836]
 jnz b806
 test edx, edx
 jmp b810
 xor eax, eax
b810:
 mov eax, 10530
cmp eax, ebx
 je b869
 call b856
 add ecx, [esi+840]
 jnz b806
 test edx, edx
 jmp b811
 xor eax, eax
b811:
 mov eax, 10543
cmp eax, ebx
 je b869
 call b856
 add ecx, [esi+844]
 jnz b810
 test edx, edx
 jmp b812
 xor eax, eax
b812:
 mov eax, 10556
cmp eax, ebx
 je b856
 call b869
 add ecx, [esi+848]
 jnz b806
 test edx, edx
 jmp b813
 xor eax, eax
b813:
 mov eax, 10569
cmp eax, ebx
 je b869
 call b869
 add ecx, [esi+852]
 jnz b810
b814:
 je b869
b815:
 jnz b810
b816:
 je b869
b817:
 je b856
b818:
 je b869
b819:
 je b869
b820:
 je b869
b821:
 je b869
b822:
 je b856
b823:
 je b869
b824:
 je b869
b825:
 je b869
b826:
 je b869
b827:
 je b856
b828:
 je b869
b829:
 je b869
b830:
 je b869
b831:
 je b869
b832:
 je b856
b833:
 je b869
 add ecx, [esi+932]
 jnz b810
 xor eax, eax
b834:
 mov eax, 10842
cmp eax, ebx
 je b869
 call b869
 add ecx, [esi+936]
 jnz b806
 test edx, edx
 jmp b835
 xor eax, eax
b835:
 mov eax, 10855
cmp eax, ebx
 je b869
 call b869
 add ecx, [esi+940]
 jnz b810
 test edx, edx
 jmp b836
 xor eax, eax
b836:
 mov eax, 10868
cmp eax, ebx
 je b869
 call b869
 add ecx, [esi+944]
 jnz b806
 test edx, edx
 jmp b837
 xor eax, eax
b837:
 mov eax, 10881
cmp eax, ebx
 je b856
 call b869
 add ecx, [esi+948]
 jnz b810
 test edx, edx
 jmp b838
 xor eax, eax
b838:
 mov eax, 10894
cmp eax, ebx
 je b869
 call b869
 add ecx, [esi+952]
 jnz b806
 test edx, edx
 jmp b839
 xor eax, eax
b839:
 mov eax, 10907
cmp eax, ebx
 je b869
 call b869
 add ecx, [esi+956]
 jnz b810
 test edx, edx
 jmp b840
 xor eax, eax
b840:
 mov eax, 10920
cmp eax, ebx
 je b869
 call b869
 add ecx, [esi+960]
 jnz b840
 test edx, edx
 jmp b856
 xor eax, eax
b856:
 call b869
 add ecx, [esi+1024]
 test edx, edx
 jmp b857
 xor eax, eax
b857:
 mov eax, 11141
cmp eax, ebx
 je b869
 call b869
 add ecx, [esi+1028]
 jnz b810
 test edx, edx
 jmp b858
 xor eax, eax
b858:
 mov eax, 11154
cmp eax, ebx
 je b869
 call b869
 add ecx, [esi+1032]
 jnz b840
 test edx, edx
 jmp b859
 xor eax, eax
b859:
 mov eax, 11167
cmp eax, ebx
 je b869
 call b869
 add ecx, [esi+1036]
 jnz b810
 test edx, edx
 jmp b867
 xor eax, eax
b867:
 mov eax, 11271
cmp eax, ebx
 je b869
 call b869
 add ecx, [esi+1068]
 jnz b810
 test edx, edx
 jmp b868
 xor eax, eax
b868:
 mov eax, 11284
cmp eax, ebx
 je b869
 call b869
 add ecx, [esi+1072]
 jnz b840
 test edx, edx
 jmp b869
 xor eax, eax
b869:
