;; Directives real code uses: assert, irpv, postpone, addressing-space labels
;; (name::) with load and store, and names the reference leaves free.
;; case: assert_true
assert 1
db 1
;; case: assert_false
assert 0
db 1
;; case: assert_forward
assert x = 2
x = 2
;; case: assert_condition
assert 1 = 1 & 2 > 1 & ~ 0
;; case: irpv_values
a equ 1
a equ 2
a equ 3
irpv v, a { db v }
;; case: irpv_none
irpv v, zz { db 5 }
db 1
;; case: irpv_parts
a equ 1
a equ 2
irpv v, a { common db v
 reverse db v }
;; case: irpv_list_value
a equ 1,2
a equ 3
irpv v, a { db v }
;; case: irpv_after_restore
a equ 1
a equ 2
a equ 3
restore a
irpv v, a { db v }
;; case: postpone_at_end
postpone { db 1 }
db 2
;; case: postpone_in_order
postpone { db 1 }
postpone { db 3 }
db 2
;; case: postpone_from_macro
macro m { postpone { db 9 \}
 db 1 }
m
db 2
;; case: postpone_sees_later_constants
postpone { db x }
x equ 7
;; case: area_current_space
db 1,2,3
sp1::
db 4,5
load a byte from sp1:1
db a
;; case: area_at_start
area::
db 1,2,3
load a byte from area:1
db a
;; case: area_with_origin
org 100h
area::
db 1,2,3
load a byte from area:101h
db a
;; case: area_closed_virtual
virtual at 0
v::
db 7,8,9
end virtual
load a byte from v:2
db a
;; case: area_store_into_virtual
virtual at 0
v::
db 7,8,9
end virtual
store byte 5 at v:2
load a byte from v:2
db a
;; case: area_store_output
db 0
v::
db 7,8,9
store byte 0AAh at v:2
;; case: area_forward
load a byte from v:0
db a
virtual at 0
v::
db 7
end virtual
;; case: area_reserved_words
virtual at 10h
v::
rb 3
end virtual
store word 1234h at v:11h
load a word from v:11h
dw a
;; case: area_output_from_virtual
v::
db 1
virtual at 0
db 2
load a byte from v:0
end virtual
db a
;; case: free_names
flags = 1
eflags = 2
rflags = 3
ip = 4
mxcsr = 5
tr = 6
gdtr = 7
ldtr = 8
idtr = 9
pkru = 10
xcr0 = 11
tmm0 = 12
uif = 13
x87control = 14
db flags,eflags,rflags,ip,mxcsr,tr,gdtr,ldtr,idtr,pkru,xcr0,tmm0,uif,x87control
;; case: free_names_labels
flags: mov eax, flags
ip dd ip
;; case: reserved_names
eip = 1
;; case: reserved_control_register
cr15 = 1
;; case: reserved_test_register
tr3 = 1
;; case: low_byte_aliases
use64
mov r8l, r15l
mov al, r9l
