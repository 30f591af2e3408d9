; The shipped ELF table macros beyond the examples: several libraries and
; imports, and every Elf32/Elf64 record macro with and without arguments.

use32
org 8048000h

include '../examples/elfexe/dynamic/import32.inc'

needed 'libc.so.6', 'libm.so.6'
needed 'libdl.so.2'
import printf, puts, exit, sqrt, dlopen

start:
	push	msg
	call	[puts]
	call	[exit]

msg db 'tables', 0

table32:
	Elf32_Sym 1, 2, 3, STB_WEAK, STT_OBJECT, 4, 5
	Elf32_Rel 10h, 2, R_386_PC32
	Elf32_Rela 20h, 3, R_386_GOT32, -8
table64:
	Elf64_Sym 1, 2, 3, STB_LOCAL, STT_SECTION, 0, 7
	Elf64_Rel 30h, 4, R_X86_64_PC32
	Elf64_Rela 40h, 5, R_X86_64_GOTPCREL, 1000h
	Elf64_Sym
	Elf64_Rela
sizes dd sizeof.Elf32_Sym, sizeof.Elf32_Rel, sizeof.Elf32_Rela
      dd sizeof.Elf64_Sym, sizeof.Elf64_Rel, sizeof.Elf64_Rela
