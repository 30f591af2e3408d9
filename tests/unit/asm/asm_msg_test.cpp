/* Diagnostics: the exact pieces written through the message routine. */
#include "tests/unit/asm/asm_test_util.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string> pieces(const std::string &src, const char *ctx = "lua") {
  test_services svc;
  svc.files["inc.asm"] = "nop\nmov eax, [ebx+ecx*3]\n";
  svc.files["self.asm"] = "include 'self.asm'\n";
  asm_options opt;
  std::vector<uint8_t> out;
  EXPECT_FALSE(asm_assemble(ctx, src.data(), src.size(), &svc, opt, out));
  EXPECT_TRUE(out.empty());
  return svc.pieces;
}

typedef std::vector<std::string> V;

/* The message text of a single-line error. */
std::string msg(const std::string &src) {
  V p = pieces(src);
  return p.size() >= 2 ? p[1] : (p.empty() ? "" : "fatal:" + p[0]);
}

} // namespace

TEST(AsmMsg, LineErrorPieces) {
  EXPECT_EQ(pieces("nop\nmov eax,"), (V{"lua", "invalid operand", " << ", "mov eax,", " >> "}));
}

TEST(AsmMsg, RebuiltLineFromTokens) {
  EXPECT_EQ(pieces("  db   'it''s' ,   zz   ; a comment")[3], "db 'it''s',zz");
  EXPECT_EQ(pieces("db \"say \"\"x\"\"\", q")[3], "db 'say \"x\"',q");
  EXPECT_EQ(pieces("mov   dword  [ eax + 4 ] ,  bl")[3], "mov dword[eax+4],bl");
}

TEST(AsmMsg, MacroLinesNameEveryLevel) {
  V p = pieces("macro in a { mov a, 1 }\nmacro out b { in b }\nout [eax]", "ctx");
  EXPECT_EQ(p, (V{"ctx", "operand size not specified", " << ", "mov[eax],1", " >> ",
                  "ctx", "ctx"}));
}

TEST(AsmMsg, IncludedFileIsNamed) {
  V p = pieces("include 'inc.asm'");
  ASSERT_GE(p.size(), 2u);
  EXPECT_EQ(p[0], "inc.asm");
  EXPECT_EQ(p[1], "invalid address");
}

TEST(AsmMsg, FatalErrorsStandAlone) {
  EXPECT_EQ(pieces("include 'self.asm'"), (V{"out of stack space"}));
  EXPECT_EQ(pieces("a = b + 1\nb = a"), (V{"code cannot be generated"}));
}

TEST(AsmMsg, OperandMessages) {
  EXPECT_EQ(msg("mov [eax], 1"), "operand size not specified");
  EXPECT_EQ(msg("push [eax]"), "operand size not specified");
  EXPECT_EQ(msg("mov eax, bx"), "operand sizes do not match");
  EXPECT_EQ(msg("x db 0\nmov eax, [x]"), "operand sizes do not match");
  EXPECT_EQ(msg("mov al, 300"), "value out of range");
  EXPECT_EQ(msg("mov byte [eax], -257"), "value out of range");
  EXPECT_EQ(msg("mov eax, [eax*3+ebx*3]"), "invalid address");
  EXPECT_EQ(msg("mov eax, [eax+bx]"), "invalid address");
  EXPECT_EQ(msg("movs byte [di], [esi]"), "address sizes do not agree");
  EXPECT_EQ(msg("mov eax, [al]"), "invalid address");
  EXPECT_EQ(msg("mov eax, 1+"), "invalid expression");
  EXPECT_EQ(msg("mov 1, eax"), "invalid operand");
  EXPECT_EQ(msg("frobnicate eax"), "illegal instruction");
  EXPECT_EQ(msg("jecxz far_away\nrb 300\nfar_away:"), "relative jump out of range");
  EXPECT_EQ(msg("jmp short t\nrb 128\nt:"), "relative jump out of range");
  EXPECT_EQ(msg("stos [edi]"), "operand size not specified");
}

TEST(AsmMsg, SymbolMessages) {
  EXPECT_EQ(msg("jmp nowhere"), "undefined symbol");
  EXPECT_EQ(msg("a: nop\na: nop"), "symbol already defined");
  EXPECT_EQ(msg("eax = 1"), "reserved word used as symbol");
  EXPECT_EQ(msg("dd = 1"), "reserved word used as symbol");
  EXPECT_EQ(msg("label 1x"), "invalid argument");
  EXPECT_EQ(msg("1x: nop"), "reserved word used as symbol");
  EXPECT_EQ(msg("macro m { local 'x' }\nm"), "invalid name");
  EXPECT_EQ(msg(std::string(300, 'n') + " = 1"), "name too long");
  EXPECT_EQ(msg("a: b: dw a * b"), "invalid use of symbol");
  EXPECT_EQ(msg("a: dw a"), "invalid use of symbol"); /* 16-bit address */
}

TEST(AsmMsg, DirectiveMessages) {
  EXPECT_EQ(msg("db 'abc"), "missing end quote");
  EXPECT_EQ(msg("if 1\nnop"), "missing end directive");
  EXPECT_EQ(msg("end if"), "unexpected instruction");
  EXPECT_EQ(msg("else"), "unexpected instruction");
  EXPECT_EQ(msg("break"), "unexpected instruction");
  EXPECT_EQ(msg("align 4 4"), "extra characters on line");
  EXPECT_EQ(msg("align 3"), "invalid value");
  EXPECT_EQ(msg("db 1 / 0"), "value out of range");
  EXPECT_EQ(msg("include 'none.asm'"), "file not found");
  EXPECT_EQ(msg("macro m {\ndb 1"), "incomplete macro");
  EXPECT_EQ(msg("macro m a* { db a }\nm"), "invalid macro arguments");
  EXPECT_EQ(msg("macro m a { db a }\nm 1, 2"), "invalid macro arguments");
  EXPECT_EQ(msg("macro m [a { }"), "invalid macro arguments");
  EXPECT_EQ(msg("}"), "illegal instruction");
  EXPECT_EQ(msg("rept 5000000 { nop }"), "too many repeats");
  EXPECT_EQ(pieces("x = 1\nwhile x > 0\nx = x + 1\nend while")[3], "while x>0");
}

TEST(AsmMsg, ContextConventionOfScripts) {
  test_services svc;
  asm_options opt;
  std::vector<uint8_t> out;
  EXPECT_FALSE(asm_assemble_text("no mark here", &svc, opt, out));
  EXPECT_FALSE(asm_assemble_text(nullptr, &svc, opt, out));
  EXPECT_FALSE(asm_assemble_text((std::string(255, 'c') + "!nop").c_str(), &svc,
                                 opt, out));
  EXPECT_TRUE(svc.pieces.empty()); /* both fail silently */
  EXPECT_TRUE(asm_assemble_text((std::string(254, 'c') + "!nop").c_str(), &svc,
                                opt, out));
  EXPECT_FALSE(out.empty());
  EXPECT_FALSE(asm_assemble_text("mod!bad!", &svc, opt, out));
  EXPECT_EQ(svc.pieces[0], "mod");
  EXPECT_EQ(svc.pieces[3], "bad!");
}

TEST(AsmMsg, ContextIsOpenedOncePerAssembly) {
  struct ctx_services : test_services {
    std::vector<std::string> opened;
    void *open_context(const char *name) override {
      opened.push_back(name);
      return this;
    }
  } svc;
  asm_options opt;
  std::vector<uint8_t> out;
  EXPECT_TRUE(asm_assemble_text("mymod!nop", &svc, opt, out));
  EXPECT_EQ(svc.opened, (std::vector<std::string>{"mymod"}));
}

/* Every message of the table the engine can give, provoked, with the
** whole output exactly as the message routine receives it. */
TEST(AsmMsg, EveryMessageOfTheTable) {
  struct provoked {
    const char *message, *source, *output;
  };
  const provoked table[] = {
    {"out of stack space", "include 'self.asm'", "out of stack space"},
    {"code cannot be generated", "a = b + 1\nb = a", "code cannot be generated"},
    {"file not found", "include 'none.asm'",
     "luafile not found << include 'none.asm' >> "},
    {"invalid macro arguments", "macro m a* { db a }\nm",
     "luainvalid macro arguments << m >> "},
    {"incomplete macro", "macro m {\ndb 1", "luaincomplete macro << macro m >> "},
    {"unexpected characters", "db %t", "luaunexpected characters << db %t >> "},
    {"invalid argument", "label", "luainvalid argument << label >> "},
    {"illegal instruction", "frob eax", "luaillegal instruction << frob eax >> "},
    {"invalid operand", "mov 1, eax", "luainvalid operand << mov 1,eax >> "},
    {"invalid size of operand", "push byte [eax]",
     "luainvalid size of operand << push byte[eax] >> "},
    {"operand size not specified", "inc [eax]",
     "luaoperand size not specified << inc[eax] >> "},
    {"operand sizes do not match", "mov al, bx",
     "luaoperand sizes do not match << mov al,bx >> "},
    {"address sizes do not agree", "movs byte [di], [esi]",
     "luaaddress sizes do not agree << movs byte[di],[esi] >> "},
    {"disallowed combination of registers", "use64\nmov ah, sil",
     "luadisallowed combination of registers << mov ah,sil >> "},
    {"relative jump out of range", "jmp short t\nrb 200\nt:",
     "luarelative jump out of range << jmp short t >> "},
    {"invalid expression", "mov eax, 1+", "luainvalid expression << mov eax,1+ >> "},
    {"invalid address", "mov eax, [ebx", "luainvalid address << mov eax,[ebx >> "},
    {"invalid value", "align 3", "luainvalid value << align 3 >> "},
    {"value out of range", "db 256", "luavalue out of range << db 256 >> "},
    {"undefined symbol", "jmp nowhere", "luaundefined symbol << jmp nowhere >> "},
    {"invalid use of symbol", "db 1.5", "luainvalid use of symbol << db 1.5 >> "},
    {"name too long", "label x" "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"
     "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"
     "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa"
     "aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", nullptr},
    {"invalid name", "macro m { local 'x' }\nm", "luainvalid name << local 'x' >> lua"},
    {"reserved word used as symbol", "eax = 1",
     "luareserved word used as symbol << eax=1 >> "},
    {"symbol already defined", "a: nop\na: nop",
     "luasymbol already defined << a: >> "},
    {"missing end quote", "db 'abc", "luamissing end quote << db 'abc' >> "},
    {"missing end directive", "if 1\nnop", "luamissing end directive << if 1 >> "},
    {"unexpected instruction", "else", "luaunexpected instruction << else >> "},
    {"extra characters on line", "nop nop",
     "luaextra characters on line << nop nop >> "},
    {"section is not aligned enough", "nop\nalign 32",
     "luasection is not aligned enough << align 32 >> "},
    {"setting already specified", "module a\nmodule b",
     "luasetting already specified << module b >> "},
    {"too many repeats", "rept 5000000 { nop }",
     "luatoo many repeats << rept 5000000 >> "},
  };
  for (const provoked &p : table) {
    test_services svc;
    svc.files["self.asm"] = "include 'self.asm'\n";
    asm_options opt; /* module image: the format scripts get */
    std::vector<uint8_t> out;
    std::string src = p.source;
    EXPECT_FALSE(asm_assemble("lua", src.data(), src.size(), &svc, opt, out)) << p.message;
    if (p.output)
      EXPECT_EQ(svc.out, p.output) << p.source;
    else
      EXPECT_NE(svc.out.find(std::string(p.message) + " << "), std::string::npos);
  }
}

TEST(AsmMsg, FatalMessagesOfTheEntry) {
  test_services svc;
  asm_options opt;
  std::vector<uint8_t> out;
  EXPECT_FALSE(asm_assemble("lua", nullptr, 5, &svc, opt, out));
  EXPECT_EQ(svc.out, "source file not found");
  test_services small;
  opt.memory = 16 * 1024;
  std::string src = "rb 100000";
  EXPECT_FALSE(asm_assemble("lua", src.data(), src.size(), &small, opt, out));
  EXPECT_EQ(small.out, "out of memory");
}
