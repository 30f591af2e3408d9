;; Group parameters with no or few arguments, locals of forward and reverse
;; parts, and the order in which a line is taken: directive, macro, label,
;; equ, struc.
;; case: group_no_argument
macro m [x] { forward
 db 1 }
m
;; case: group_no_argument_all_parts
macro m [x] { common
 db 2
forward
 db 1, x+0
reverse
 db 3
}
m
;; case: group_after_fixed
macro m a,[x] { forward
 db a, x+0 }
m 5
m 5,
m 5,,
;; case: group_empty_arguments
macro m [x] { forward
 db x+0 }
m ,
m 1,,2
;; case: group_pairs
macro m [x,y] { forward
 db x+0,y+0 }
m
m 1
m 1,2,3
;; case: group_defaults
macro m [x:7] { forward
 db x }
m
m 1,,2
;; case: group_required_missing
macro m [x*] { forward
 db x+0 }
m
;; case: group_common_list
macro m [x] { common
 db x }
m 1,2
;; case: group_local_in_common
macro m [x] { forward
 local a
 a db x
 common
 dd a
}
m 1,2
;; case: group_local_in_reverse
macro m [x] { forward
 local a
 a db x
 reverse
 dd a
}
m 1,2,3
;; case: group_local_later_forward
macro m [x] { forward
 local a
 a db x
 common
 db 0
 forward
 dd a
}
m 4,5
;; case: group_local_common_shared
macro m [x] { common
 local c
 c db 9
 forward
 dd c
}
m 1,2
;; case: struc_name_as_macro_argument
struc P {.x dd 0}
macro m a {db 1}
m P
;; case: struc_after_non_macro
struc P {.x db 5}
x P
db x.x
;; case: struc_label_from_constant
a equ y
struc s {db 9}
a s
db y
;; case: macro_before_equ
macro x a {db 9}
x equ 5
db 1
;; case: macro_before_label
macro x a {db 9}
x: db 1
;; case: macro_before_constants
x equ 1
macro x {db 9}
x
;; case: constant_naming_macro_is_no_call
a equ m
macro m {db 9}
a
;; case: match_pattern_with_colon
match :a, :x { db 1 }
;; case: match_pattern_with_colon_binds
x = 3
match :a, :x { db a }
;; case: match_colon_no_match
match :a, x { db 1 }
db 2
;; case: fix_before_macro
macro x a {db 9}
x fix 5
db x
;; case: directive_name_for_macro
macro include a {db 9}
