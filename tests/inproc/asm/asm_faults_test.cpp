// Faults inside native functions in the running program: a script error
// naming the exception and its address, caught by pcall; afterwards the
// interpreter stands where it stood (stack, C call depth, live error
// handlers) and the guard has left the handler chain.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "host/repl.h"

extern "C" {
#include "lua.h"
}
#include "tests/inproc/terminal/driver.h"

namespace {

bool has(const std::string &s, const std::string &part) {
  return s.find(part) != std::string::npos;
}

uint32_t seh_head() {
  uint32_t r;
  __asm__ volatile("movl %%fs:0, %0" : "=r"(r));
  return r;
}

// Machine code that reads address 0, registered as an ordinary host
// function: nothing guards it but the native call that runs it.
const unsigned char raw_peek[] = {0xA1, 0, 0, 0, 0, 0xC3};

struct AsmFaults : ::testing::Test {
  static void SetUpTestSuite() {
    lua_State *L = drv_state();
    static const char *const sources[] = {
        "asmfunc poke() lua!\n mov dword [0], 1\n ret\nend",
        "asmfunc divide() lua!\n xor ecx, ecx\n xor edx, edx\n mov eax, 1\n"
        " div ecx\n ret\nend",
        "asmfunc illegal() lua!\n ud2\n ret\nend",
        "asmfunc privileged() lua!\n hlt\n ret\nend",
        "asmfunc trap() lua!\n int3\n ret\nend",
        // stack misuse: a return to nowhere, a stack that runs out
        "asmfunc nowhere() lua!\n push 0\n ret\nend",
        "asmfunc endless() lua!\nmore: push eax\n jmp more\nend",
        // loses every register a caller keeps, EBP too, and returns
        "asmfunc careless() lua!\n xor ebx, ebx\n mov esi, -1\n mov edi, -1\n"
        " xor ebp, ebp\n xor eax, eax\n ret\nend",
        // 15 values on the Lua stack (within the 20 a call may use), then a fault
        "asmfunc litter() lua!\n push ebx\n mov ebx, 15\nagain: push ebx\n"
        " push dword [esp+12]\n call lua.pushinteger\n add esp, 8\n dec ebx\n"
        " jnz again\n mov eax, [0]\n pop ebx\n ret\nend",
        // raises its argument as a script error: a longjmp through the guard
        "asmfunc raise(v) lua!\n push dword [esp+4]\n call lua.error\n ret\nend",
        // calls its argument through lua_call: script frames above the guard
        "asmfunc callf(f) lua!\n push 0\n push 0\n push dword [esp+12]\n"
        " call lua.call\n add esp, 12\n xor eax, eax\n ret\nend",
        // the stack alignment it was called with, (ESP + 4) mod 16
        "asmfunc align(...) lua!\n lea eax, [esp+4]\n and eax, 15\n push eax\n"
        " push dword [esp+8]\n call lua.pushinteger\n add esp, 8\n mov eax, 1\n"
        " ret\nend",
    };
    for (const char *s : sources) {
      LONG from = drv_end();
      repl_eval(L, (std::string("  ") + s).c_str());
      ASSERT_EQ(drv_text(from, drv_end()), "") << s;
    }
    void *raw = VirtualAlloc(nullptr, sizeof raw_peek, MEM_COMMIT | MEM_RESERVE,
                             PAGE_EXECUTE_READWRITE);
    memcpy(raw, raw_peek, sizeof raw_peek);
    lua_pushcfunction(L, (lua_CFunction)raw);
    lua_setglobal(L, "rawpeek");
  }
  // a chunk run as a terminal line is; its output. No prompt comes between
  // these lines, so their output runs on as one long line, which the
  // terminal shows cut into rows: the cuts are taken out again.
  std::string line(const std::string &src) {
    LONG from = drv_end();
    repl_eval(drv_state(), ("  " + src).c_str());
    std::string out = drv_text(from, drv_end()), joined;
    for (char c : out)
      if (c != '\r') joined += c;
    return joined;
  }
  // the code of a native function: its image starts with a short jump
  static uint32_t code_of(const char *name) {
    lua_State *L = drv_state();
    lua_getglobal(L, name);
    const unsigned char *image = (const unsigned char *)lua_tocfunction(L, -1);
    lua_pop(L, 1);
    return (uint32_t)(uintptr_t)(image + 2 + (signed char)image[1]);
  }
  // The state works: arithmetic, errors into nested pcalls, C call depth
  // (150 nested protected calls), garbage collection, coroutines.
  void expect_whole() {
    EXPECT_EQ(lua_gettop(drv_state()), 0);
    EXPECT_EQ(line("print(1.5 + 2.25, math.sqrt(16))"), "3.75\t4");
    EXPECT_EQ(line("print(pcall(function() return select(2, pcall(error, 'in', 0)) end))"),
              "true\tin");
    EXPECT_EQ(line("local function p(n) if n == 0 then return 0 end "
                   "return select(2, pcall(p, n - 1)) + 1 end print(p(150))"),
              "150");
    EXPECT_EQ(line("collectgarbage() print(coroutine.resume(coroutine.create("
                   "function(a) return a * 2 end), 21))"),
              "true\t42");
  }
};

TEST_F(AsmFaults, AccessViolationIsAScriptErrorWithTheAddress) {
  uint32_t head = seh_head();
  std::string out = line("print(pcall(poke))");
  EXPECT_TRUE(has(out, "false\texception in native code: access violation writing "
                       "address 0x00000000 at ")) << out;
  char at[32];
  snprintf(at, sizeof at, "at 0x%08X (exception 0xC0000005)", code_of("poke"));
  EXPECT_TRUE(has(out, at)) << out << " / " << at;
  EXPECT_EQ(seh_head(), head);
  expect_whole();
}

TEST_F(AsmFaults, EachFaultNamesItsException) {
  const struct {
    const char *call, *text;
  } cases[] = {
      {"divide", "integer division by zero at "},
      {"illegal", "illegal instruction at "},
      {"privileged", "privileged instruction at "},
      {"trap", "breakpoint at "},
      {"nowhere", "access violation executing address 0x00000000 at 0x00000000"},
      {"endless", "stack overflow at "},
      {"endless", "stack overflow at "},   // the stack's guard page came back
  };
  uint32_t head = seh_head();
  for (const auto &c : cases) {
    std::string out = line(std::string("print(pcall(") + c.call + "))");
    EXPECT_TRUE(has(out, std::string("false\texception in native code: ") + c.text))
        << c.call << ": " << out;
    EXPECT_EQ(seh_head(), head) << c.call;
    expect_whole();
  }
}

TEST_F(AsmFaults, ErrorCarriesTheCallersPosition) {
  std::string out = line("print(pcall(function() poke() end))");
  EXPECT_TRUE(has(out, "false\t[string")) << out;
  EXPECT_TRUE(has(out, "]:1: exception in native code: access violation")) << out;
  // unprotected, the terminal reports it as any script error
  out = line("poke()");
  EXPECT_TRUE(has(out, "trelk: ")) << out;
  EXPECT_TRUE(has(out, "access violation writing address 0x00000000")) << out;
  EXPECT_TRUE(has(out, "stack traceback:")) << out;
  expect_whole();
}

TEST_F(AsmFaults, CallerSavedRegistersAreNotTheCodesToLose) {
  EXPECT_EQ(line("local s = 0 for i = 1, 100 do careless() s = s + i end print(s)"), "5050");
  expect_whole();
}

TEST_F(AsmFaults, StackTopIsPutBack) {
  EXPECT_EQ(line("print(select('#', pcall(litter)), select('#', 1, 2, 3))"), "2\t3");
  EXPECT_EQ(line("local t = {pcall(litter)} print(#t, t[1])"), "2\tfalse");
  expect_whole();
}

TEST_F(AsmFaults, ScriptErrorsPassThroughTheGuard) {
  uint32_t head = seh_head();
  EXPECT_EQ(line("local n = 0 for i = 1, 1000 do local ok, e = pcall(raise, 'boom') "
                 "if not ok and e == 'boom' then n = n + 1 end end print(n)"),
            "1000");
  EXPECT_EQ(seh_head(), head);   // each error unlinked the guard it crossed
  EXPECT_TRUE(has(line("print(pcall(poke))"), "false\texception in native code"));
  EXPECT_EQ(seh_head(), head);
  expect_whole();
}

TEST_F(AsmFaults, FaultBehindScriptFramesOfTheCode) {
  // callf -> a script function 20 calls deep -> an unguarded host function
  // that faults: callf's guard catches it with those frames still open.
  uint32_t head = seh_head();
  std::string out = line("local function deep(n) if n == 0 then return rawpeek() end "
                         "return (deep(n - 1)) end "
                         "print(pcall(callf, function() deep(20) end))");
  EXPECT_TRUE(has(out, "false\texception in native code: access violation reading "
                       "address 0x00000000")) << out;
  EXPECT_EQ(seh_head(), head);
  expect_whole();
  // and a script error inside the called script still reaches its pcall
  EXPECT_EQ(line("print(pcall(callf, function() error('inner', 0) end))"), "false\tinner");
  EXPECT_EQ(line("local n = 0 callf(function() n = n + 1 end) print(n)"), "1");
}

TEST_F(AsmFaults, FaultInsideACoroutine) {
  EXPECT_TRUE(has(line("local co = coroutine.create(function() poke() end) "
                       "local ok, e = coroutine.resume(co) print(ok, coroutine.status(co), e)"),
                  "false\tdead\t[string"));
  EXPECT_TRUE(has(line("print(pcall(coroutine.wrap(function() divide() end)))"),
                  "integer division by zero"));
  expect_whole();
}

TEST_F(AsmFaults, StackIsAlignedForTheCode) {
  EXPECT_EQ(line("print(align(), align(1), align(1, 2), align(1, 2, 3), align(1, 2, 3, 4))"),
            "0\t0\t0\t0\t0");
}

TEST_F(AsmFaults, ManyFaultsLeakNothing) {
  uint32_t head = seh_head();
  line("collectgarbage() kb0 = collectgarbage('count')");
  EXPECT_EQ(line("local n = 0 for i = 1, 2000 do "
                 "if not pcall(poke) then n = n + 1 end "
                 "if not pcall(divide) then n = n + 1 end "
                 "if not pcall(litter) then n = n + 1 end "
                 "if not pcall(callf, function() rawpeek() end) then n = n + 1 end "
                 "end print(n)"),
            "8000");
  EXPECT_EQ(seh_head(), head);
  EXPECT_EQ(line("collectgarbage() print(collectgarbage('count') - kb0 < 64)"), "true");
  expect_whole();
}

}  // namespace
