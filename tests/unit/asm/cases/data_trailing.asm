;; Reserved space and alignment at the end of the output are not written;
;; followed by data they are (zeros, nop bytes for align).
;; case: trailing_align
db 1
align 4
;; case: inner_align
db 1
align 4
db 2
;; case: trailing_align_then_virtual
db 1
align 4
virtual
db 5
end virtual
;; case: trailing_rb
db 1
rb 3
;; case: trailing_dup_unset
db 1
db 3 dup ?
;; case: trailing_unset_items
db 1
db ?,?
;; case: trailing_unset_label
db 1
dw ?
label x
;; case: trailing_rb_org
db 1
rb 3
org 100h
;; case: rb_org_data
db 1
rb 3
org 100h
db 2
;; case: dup_zero_at_end
db 7
db 0 dup 1
;; case: dup_zero_group_at_end
db 7
dw 0 dup (1, 2)
;; case: dup_unset_last
db 1
db 2 dup (1,?)
;; case: dup_unset_first
db 1
db 2 dup (?,1)
;; case: times_unset
db 1
times 3 db ?
;; case: store_into_reserved
db 1
rb 2
store byte 7 at 2
;; case: load_from_reserved
db 1
rb 2
load a byte from 2
;; case: only_reserved
rb 3
;; case: align_then_empty
db 1
align 4
rb 0
;; case: align_then_dup_zero
db 1
align 4
db 0 dup 5
;; case: code_align
nop
align 8
nop
