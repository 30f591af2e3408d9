/* Engine behaviour through its output bytes: tokens, labels, expressions,
** data and the passes. Byte-level agreement with the reference assembler
** is the differential test's job; these pin down the engine's own rules. */
#include "tests/unit/asm/asm_test_util.h"

#include <gtest/gtest.h>

TEST(AsmLex, CommentsContinuationAndCase) {
  EXPECT_EQ(asm_hex("nop ; ignored 'quote\nRET"), "90 C3");
  EXPECT_EQ(asm_hex("db 1,\\\n 2 ; joined\n"), "01 02");
  EXPECT_EQ(asm_hex("db 'a;b', \"q\"\"\""), "61 3B 62 71 22");
  EXPECT_EQ(asm_hex("MOV EAX, EBX"), "89 D8");
  EXPECT_EQ(asm_hex("\r\nnop\r\rnop\r\n"), "90 90");
}

TEST(AsmExpr, NumbersInEveryBase) {
  EXPECT_EQ(asm_hex("dd 10, 0x10, 10h, $10, 10b, 10o, 10q, 10d"),
            "0A 00 00 00 10 00 00 00 10 00 00 00 10 00 00 00 "
            "02 00 00 00 08 00 00 00 08 00 00 00 0A 00 00 00");
  EXPECT_EQ(asm_hex("dd 'AB', 0FFFFFFFFh"), "41 42 00 00 FF FF FF FF");
}

TEST(AsmExpr, OperatorPrecedence) {
  EXPECT_EQ(asm_hex("db 2 + 3 * 4"), "0E");
  EXPECT_EQ(asm_hex("db (2 + 3) * 4"), "14");
  EXPECT_EQ(asm_hex("db 1 shl 2 + 1"), "05");          /* shl binds tighter */
  EXPECT_EQ(asm_hex("db 6 and 3 or 8"), "0A");
  EXPECT_EQ(asm_hex("db not 0 and 0Fh"), "0F");
  EXPECT_EQ(asm_hex("db 17 mod 5, 17 / 5, -3 + 5"), "02 03 02");
  EXPECT_EQ(asm_hex("db 0F0h xor 0FFh, 80h shr 3"), "0F 10");
}

TEST(AsmExpr, CurrentAddressAndOrigin) {
  EXPECT_EQ(asm_hex("org 100h\ndw $, $$\nx: dw x - $$"), "00 01 00 01 04 00");
}

TEST(AsmLabels, LocalAnonymousAndForward) {
  EXPECT_EQ(asm_hex("a:\n.x: db .x\nb:\n.x: db .x, a.x"), "00 01 00");
  EXPECT_EQ(asm_hex("@@: db @b\n@@: db @b, @f\n@@:"), "00 01 03");
  EXPECT_EQ(asm_hex("dd later\nlater:"), "04 00 00 00");
}

TEST(AsmLabels, VariablesRedefineConstantsDoNot) {
  EXPECT_EQ(asm_hex("x = 1\ndb x\nx = x + 1\ndb x"), "01 02");
  EXPECT_NE(asm_hex("x: nop\nx: nop").find("symbol already defined"),
            std::string::npos);
}

TEST(AsmData, DupStringsAndReserve) {
  EXPECT_EQ(asm_hex("db 3 dup (1, 2)"), "01 02 01 02 01 02");
  EXPECT_EQ(asm_hex("db 0 dup 5, 9"), "09");
  EXPECT_EQ(asm_hex("du 'ab'"), "61 00 62 00");
  EXPECT_EQ(asm_hex("dw 'ab'"), "61 62");
  EXPECT_EQ(asm_hex("rb 2\ndb 1"), "00 00 01");
  EXPECT_EQ(asm_hex("db 1\nrb 20"), "01"); /* trailing reserve not written */
  EXPECT_EQ(asm_hex("dq -1"), "FF FF FF FF FF FF FF FF");
}

TEST(AsmData, LabelSizeGivesOperandSize) {
  EXPECT_EQ(asm_hex("x dw 0\ninc [x]"), "00 00 66 FF 05 00 00 00 00");
  EXPECT_EQ(asm_hex("x db 0\nlea eax, [x]"), "00 8D 05 00 00 00 00");
}

TEST(AsmPasses, JumpsShrinkUntilStable) {
  /* 126 reserved bytes: the forward jump reaches in two bytes */
  std::string s = asm_hex("jmp f\nrb 126\nf: nop");
  EXPECT_EQ(s.substr(0, 5), "EB 7E");
  s = asm_hex("jmp f\nrb 128\nf: nop");
  EXPECT_EQ(s.substr(0, 14), "E9 80 00 00 00");
  EXPECT_EQ(asm_hex("b: rb 126\njmp b").substr(378), "EB 80");
}

TEST(AsmControl, ConditionsLoopsAndVirtual) {
  EXPECT_EQ(asm_hex("if 1 = 2\ndb 1\nelse if 2 > 1 & ~ 0\ndb 2\nelse\ndb 3\nend if"),
            "02");
  EXPECT_EQ(asm_hex("repeat 3\ndb %\nend repeat"), "01 02 03");
  EXPECT_EQ(asm_hex("i = 0\nwhile i < 3\ni = i + 1\nif i = 2\nbreak\nend if\n"
                    "db i\nend while"),
            "01");
  EXPECT_EQ(asm_hex("virtual at 10h\nv: dd 0\nend virtual\ndb v, $"), "10 01");
  EXPECT_EQ(asm_hex("if defined q\ndb 1\nend if\nq = 1"), "01");
}

TEST(AsmPre, SymbolicConstants) {
  EXPECT_EQ(asm_hex("a equ 1\nb equ a + 1\na equ 5\ndb a, b\nrestore a\ndb a"),
            "05 02 01");
  /* what define stored is not searched for constants again */
  EXPECT_NE(asm_hex("define x y\ny equ 3\ndb x").find("undefined symbol"),
            std::string::npos);
  EXPECT_EQ(asm_hex("define x 3\ndb x"), "03");
  EXPECT_EQ(asm_hex("d fix db\nd 7"), "07");
  EXPECT_EQ(asm_hex("x equ x + 1\ndb 0"), "00"); /* self reference ends */
}

TEST(AsmPre, MacroArguments) {
  EXPECT_EQ(asm_hex("macro m a, b:2, [c] { common db a, b\nforward\ndb c }\nm 1,,5,6"),
            "01 02 05 06");
  EXPECT_EQ(asm_hex("macro m a& { db a }\nm 1, 2, 3"), "01 02 03");
  EXPECT_EQ(asm_hex("macro m [a] { common db a }\nm 4, 5"), "04 05");
  EXPECT_EQ(asm_hex("macro m x { x#1 = 2\ndb x#1 }\nm v"), "02");
  EXPECT_EQ(asm_hex("macro m { db 1 }\nmacro m { m\ndb 2 }\nm\npurge m\nm"),
            "01 02 01");
}

TEST(AsmPre, BlocksAndStruc) {
  EXPECT_EQ(asm_hex("rept 3 i:0 { db i }"), "00 01 02");
  EXPECT_EQ(asm_hex("irp x, 1, <2, 3> { db x }"), "01 02 03");
  EXPECT_EQ(asm_hex("irps t, 1 2 3 { db t }"), "01 02 03");
  EXPECT_EQ(asm_hex("macro m [a] { db a }\nm 1, 2"), "01 02"); /* forward */
  EXPECT_EQ(asm_hex("match a =to b, 1 to 2 { db b, a }"), "02 01");
  EXPECT_EQ(asm_hex("match =x, y { db 1 }\ndb 0"), "00");
  EXPECT_EQ(asm_hex("struc pt a, b { .a db a\n.b db b }\np pt 1, 2\ndb p.b"),
            "01 02 01");
}

TEST(AsmPre, IncludeFromServices) {
  test_services svc;
  svc.files["inc.asm"] = "db 7\nmacro m { db 8 }";
  EXPECT_EQ(asm_hex("include 'inc.asm'\nm", &svc), "07 08");
}

/* As the reference: an include in an included file is looked for in that
** file's folder first, then as named. */
TEST(AsmPre, NestedIncludeFromItsOwnFolder) {
  test_services svc;
  svc.files["b/inc1.inc"] = "include 'x.inc'";
  svc.files["b\\win.inc"] = "include 'x.inc'";
  svc.files["b/x.inc"] = "db 2";
  svc.files["x.inc"] = "db 1";
  EXPECT_EQ(asm_hex("include 'b/inc1.inc'\ninclude 'x.inc'", &svc), "02 01");
  svc.files.erase("b/x.inc");
  EXPECT_EQ(asm_hex("include 'b/inc1.inc'", &svc), "01");
  svc.files["b\\x.inc"] = "db 3";
  EXPECT_EQ(asm_hex("include 'b\\win.inc'", &svc), "03");
}

/* file: bytes of a file read through the services (the reference's
** results for the same file). */
TEST(AsmData, FileDirective) {
  test_services svc;
  svc.files["data.bin"] = "ABCDEFGH";
  EXPECT_EQ(asm_hex("file 'data.bin'", &svc), "41 42 43 44 45 46 47 48");
  EXPECT_EQ(asm_hex("file 'data.bin':2", &svc), "43 44 45 46 47 48");
  EXPECT_EQ(asm_hex("file 'data.bin':2,3", &svc), "43 44 45");
  EXPECT_EQ(asm_hex("file 'data.bin',3", &svc), "41 42 43");
  EXPECT_EQ(asm_hex("db 1\nfile 'data.bin':8", &svc), "01");
  EXPECT_EQ(asm_hex("use16\nx file 'data.bin':1,2\ndb x\nmov al,[x]", &svc),
            "42 43 00 A0 00 00");
  EXPECT_NE(asm_hex("file 'data.bin':9", &svc).find("value out of range"), std::string::npos);
  EXPECT_NE(asm_hex("file 'data.bin':2,30", &svc).find("value out of range"),
            std::string::npos);
  EXPECT_NE(asm_hex("file 'data.bin':-1", &svc).find("invalid value"), std::string::npos);
  EXPECT_NE(asm_hex("file 'none.bin'", &svc).find("file not found"), std::string::npos);
  svc.files["d/inc.asm"] = "file 'x.bin'";
  svc.files["d/x.bin"] = "Z";
  EXPECT_EQ(asm_hex("include 'd/inc.asm'", &svc), "5A"); /* beside the includer */
}

TEST(AsmModes, Use16AndUse64) {
  EXPECT_EQ(asm_hex("use16\nmov ax, 1\nmov eax, 1"), "B8 01 00 66 B8 01 00 00 00");
  EXPECT_EQ(asm_hex("use64\nmov rax, rbx\npush r12"), "48 89 D8 41 54");
}

TEST(AsmDisplay, WritesThroughMessagesAfterSuccess) {
  test_services svc;
  EXPECT_EQ(asm_hex("display 'v=', '0' + 3, 13, 10\nnop", &svc), "90");
  EXPECT_EQ(svc.out, "v=3\r\n");
}

TEST(AsmPre, EscapesAndNestedDefinitions) {
  /* the inner macro's braces and parameters are escaped one level */
  EXPECT_EQ(asm_hex("macro def n, v { macro n \\{ db v \\} }\ndef one, 1\none"), "01");
  EXPECT_EQ(asm_hex("macro m { local l\nl: db l }\nm\nm"), "00 01");
  EXPECT_EQ(asm_hex("rept 2 { local x\nx = 5\ndb x }"), "05 05");
  EXPECT_EQ(asm_hex("lbl: rept 2 { db 1 }\ndb lbl"), "01 01 00");
}

TEST(AsmInsn, SizesSettledByTheEngine) {
  EXPECT_EQ(asm_hex("mov [eax], cs"), "8C 08");          /* only a word fits */
  EXPECT_EQ(asm_hex("movzx eax, byte [ebx]"), "0F B6 03");
  EXPECT_EQ(asm_hex("x dd 0\nmov [x], 1").substr(12), "C7 05 00 00 00 00 01 00 00 00");
  EXPECT_EQ(asm_hex("push dword 1"), "68 01 00 00 00");
  EXPECT_EQ(asm_hex("push 1"), "6A 01");
  EXPECT_EQ(asm_hex("mov eax, 1.0"), "B8 00 00 80 3F");
  EXPECT_EQ(asm_hex("clflush byte [eax]"), "0F AE 38");
}

TEST(AsmLoad, LoadAndStoreStayInsideTheOutput) {
  EXPECT_EQ(asm_hex("a: db 1, 2\nload x word from a\ndw x"), "01 02 01 02");
  EXPECT_EQ(asm_hex("db 0\nstore byte 7 at 0"), "07");
  EXPECT_NE(asm_hex("db 0\nload x dword from 0").find("value out of range"),
            std::string::npos);
  EXPECT_NE(asm_hex("store byte 1 at 5").find("value out of range"), std::string::npos);
  EXPECT_NE(asm_hex("dd 1.5 + 1").find("invalid value"), std::string::npos);
  EXPECT_NE(asm_hex("db 1.5").find("invalid use of symbol"), std::string::npos);
}

TEST(AsmControl, VirtualOriginWithRegister) {
  EXPECT_EQ(asm_hex("virtual at ebp\na dd ?\nb dw ?\nend virtual\nmov ax, [b]"),
            "66 8B 45 04");
  EXPECT_EQ(asm_hex("label arg dword at ebp+8\ninc [arg]"), "FF 45 08");
  EXPECT_NE(asm_hex("virtual at ebx\nv db 0\nend virtual\ndd v").find("invalid value"),
            std::string::npos);
}

/* Lines kept from an earlier pass are made again when what they depend on
** changes: the mode, a symbol, the position. */
TEST(AsmPasses, KeptLinesFollowWhatChanged) {
  EXPECT_EQ(asm_hex("if defined later\nuse16\nend if\ninc ax\nlater = 1"), "40");
  EXPECT_EQ(asm_hex("mov eax, x\nx = 5"), "B8 05 00 00 00");
  EXPECT_EQ(asm_hex("jmp l\nrepeat 2\nnop\nend repeat\ndb 1\nl:"), "EB 03 90 90 01");
  EXPECT_EQ(asm_hex("repeat 3\ndb %\nend repeat"), "01 02 03");
}
