// Inline assembly in the running program: blocks assembled while a line
// compiles, installed as modules, called as functions; errors in the
// terminal.
#include <gtest/gtest.h>
#include <windows.h>

#include "host/repl.h"

extern "C" {
#include "lua.h"
}
#include "native/asmiface/asm_iface.h"
#include "tests/inproc/terminal/driver.h"

namespace {

bool has(const std::string &s, const std::string &part) {
  return s.find(part) != std::string::npos;
}

struct InlineAsm : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
  // a multi-line chunk, run as a terminal line would be
  std::string eval(const std::string &src) {
    LONG from = drv_end();
    repl_eval(drv_state(), ("  " + src).c_str());
    return drv_text(from, drv_end());
  }
};

TEST_F(InlineAsm, AsmfuncRunsItsCode) {
  EXPECT_EQ(eval("asmfunc f() lua!\n xor eax,eax\n ret\nend"), "");
  EXPECT_EQ(drv_run("print(type(f), select('#', f()))"), "function\t0");
  // the arguments are the results when the code returns their count
  EXPECT_EQ(eval("asmfunc g(a, b) lua!\n mov eax,[esp+8]\n ret\nend"), "");
  EXPECT_EQ(drv_run("print(g(7, 'x'))"), "7\tx");
}

TEST_F(InlineAsm, ModuleIsRegistered) {
  std::string before = drv_run("print(modules.n)");
  EXPECT_EQ(eval("asm lua!\n ret\nend"), "");
  EXPECT_EQ(drv_run("print(modules.n)"), std::to_string(std::stoi(before) + 1));
}

TEST_F(InlineAsm, LineErrorsGoToTheTerminal) {
  std::string out = eval("asmfunc bad() lua!\n mov eax\n ret\nend");
  EXPECT_TRUE(has(out, "lua")) << out;
  EXPECT_TRUE(has(out, " << mov eax >> ")) << out;
  EXPECT_EQ(drv_run("print(select('#', bad()))"), "0");   // empty function
}

TEST_F(InlineAsm, TextWithoutContextFailsSilently) {
  EXPECT_EQ(eval("asmfunc quiet() xor eax,eax\n ret\nend"), "");
  EXPECT_EQ(drv_run("print(type(quiet), select('#', quiet()))"), "function\t0");
  std::string far(300, ' ');
  EXPECT_EQ(eval(std::string("asmfunc quiet2() ") + far + "lua!\n ret\nend"), "");
}

TEST_F(InlineAsm, EntryLeavesTheTextAlone) {
  char text[] = "lua!\n nop\n ret\n";
  char copy[sizeof text];
  memcpy(copy, text, sizeof text);
  void *image = NULL;
  size_t size = 0;
  EXPECT_EQ(ai_assemble("", text, &image, &size), 1);
  EXPECT_NE(image, nullptr);
  EXPECT_GT(size, 0u);
  EXPECT_EQ(memcmp(text, copy, sizeof text), 0);
  // out-parameters must start at zero
  EXPECT_EQ(ai_assemble("", text, &image, &size), 0);
  EXPECT_EQ(ai_context_flags("lua"), 15);
  EXPECT_EQ(ai_context_flags("nosuchmodule"), 0);
}

TEST_F(InlineAsm, DisassemblerWalksAnAsmfunc) {
  EXPECT_EQ(eval("asmfunc w() lua!\n push ebx\n mov eax,[esp+8]\n pop ebx\n ret\nend"), "");
  lua_State *L = drv_state();
  lua_getglobal(L, "w");
  const unsigned char *image = (const unsigned char *)lua_tocfunction(L, -1);
  lua_pop(L, 1);
  ASSERT_NE(image, nullptr);
  ASSERT_EQ(image[0], 0xEB);   // the image starts with a short jump to its code
  const unsigned char *code = image + 2 + (signed char)image[1];
  lua_pushnumber(L, (lua_Number)(uintptr_t)code);
  lua_setglobal(L, "wcode");
  EXPECT_EQ(drv_run("local a, t = wcode, {} for i = 1, 4 do "
                    "local text, n = das386(a) t[#t + 1] = n a = a + n end "
                    "print(array.concat(t, ' '))"),
            "1 4 1 1");
}

// the sum of two integer arguments, returned through the interpreter's API
TEST_F(InlineAsm, AsmfuncCallsTheInterpreter) {
  EXPECT_EQ(eval("asmfunc add(a, b) lua!\n"
                 " push ebx\n mov ebx, [esp+8]\n"
                 " push 1\n push ebx\n call lua.tointeger\n add esp, 8\n push eax\n"
                 " push 2\n push ebx\n call lua.tointeger\n add esp, 8\n"
                 " pop ecx\n add eax, ecx\n"
                 " push eax\n fild dword [esp]\n sub esp, 4\n fstp qword [esp]\n"
                 " push ebx\n call lua.pushnumber\n add esp, 12\n"
                 " mov eax, 1\n pop ebx\n ret\nend"),
            "");
  EXPECT_EQ(drv_run("print(add(2, 3), add(-10, 4))"), "5\t-6");
  EXPECT_EQ(eval("asmfunc five() lua!\n push 5\n push dword [esp+8]\n"
                 " call lua.lua_pushinteger\n add esp, 8\n mov eax, 1\n ret\nend"),
            "");
  EXPECT_EQ(drv_run("print(five())"), "5");
  std::string out = eval("asmfunc nope() lua!\n call lua.nosuchfunction\n ret\nend");
  EXPECT_TRUE(has(out, "undefined symbol << call lua.nosuchfunction >> ")) << out;
}

TEST_F(InlineAsm, NamedModuleWithMembers) {
  EXPECT_EQ(eval("asm lua!\n module calc, 'test module'\n"
                 " function twice, 'f:ud:ud;', 'doubles'\n"
                 " variable hits, 'ud', 'rw'\n"
                 "twice: mov eax, [esp+4]\n add eax, eax\n ret 4\n"
                 "hits dd 42\nend"),
            "");
  EXPECT_EQ(drv_run("local m = modules.byname.calc print(m.name, m.comment, m[1].name, "
                    "m[1].type, m[1].comment, m[2].type, m[2].access)"),
            "calc\ttest module\ttwice\tf:ud:ud;\tdoubles\tud\trw");
  EXPECT_EQ(drv_run("local m = modules.byname.calc.byname print(m.twice(21), m.hits.val)"),
            "42\t42");
  EXPECT_EQ(drv_run("local h = modules.byname.calc.byname.hits h.val = 7 print(h.val)"), "7");
}

TEST_F(InlineAsm, ModuleImportsAnotherModule) {
  ASSERT_EQ(eval("asm lua!\n module base\n function triple, 'f:ud:ud;'\n"
                 " variable step, 'ud', 'r'\n"
                 "triple: mov eax, [esp+4]\n lea eax, [eax+eax*2]\n ret 4\n"
                 "step dd 100\nend"),
            "");
  EXPECT_EQ(eval("asm lua!\n module user\n function go, 'f:ud:ud;'\n"
                 "go: push dword [esp+4]\n call base.triple\n"
                 " mov ecx, eax\n mov eax, base.step\n add ecx, [eax]\n"
                 " mov eax, ecx\n ret 4\nend"),
            "");
  EXPECT_EQ(drv_run("print(modules.byname.user.byname.go(5))"), "115");
  // the loader compares kind and signature with what assembly took
  std::string out = eval("asm lua!\n call base.missing\nend");
  EXPECT_TRUE(has(out, "undefined symbol << call base.missing >> ")) << out;
}

TEST_F(InlineAsm, ModuleRunsTextThroughTheLuaHandler) {
  EXPECT_EQ(eval("asm lua!\n module runner\n function go, 'f:us:ud;'\n"
                 "go: push dword [esp+4]\n call lua.@run\n ret 4\nend"),
            "");
  EXPECT_EQ(drv_run("print(modules.byname.runner.byname.go('ranx = 41 + 1'), ranx)"),
            "0\t42");
}

TEST_F(InlineAsm, ModuleCallsADll) {
  EXPECT_EQ(eval("asm lua!\n module ticks\n function now, 'f::ud;'\n"
                 "now: call kernel32.dll.GetTickCount\n ret\nend"),
            "");
  EXPECT_EQ(drv_run("print(modules.byname['kernel32.dll'] ~= nil, "
                    "modules.byname.ticks.byname.now() ~= 0)"),
            "true\ttrue");
}

TEST_F(InlineAsm, SecondModuleOfTheSameNameIsRefused) {
  const char *src = "module twin\n function f, 'f;'\nf: mov eax, [esp+8]\n ret\nend";
  EXPECT_EQ(eval(std::string("asmfunc one() lua!\n") + src), "");
  EXPECT_EQ(eval(std::string("asmfunc two() lua!\n") + src),
            "Module with name 'twin' already loaded. Unload it first.");
  EXPECT_EQ(drv_run("print(one('x'), select('#', two('x')))"), "x\t0");
  EXPECT_EQ(drv_run("print(modules.byname.twin ~= nil)"), "true");
}

}  // namespace
