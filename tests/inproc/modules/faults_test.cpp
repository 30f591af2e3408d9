// Faults inside member calls: the message, the result -1 (nil for a text
// result), and a script state that goes on working, also when the fault
// leaves interpreter frames of a nested script run behind. A module's image
// start (`func') faults into a script error instead.
#include "tests/inproc/modules/images.h"

#include <windows.h>

extern "C" {
#include "lauxlib.h"
}
#include "native/modules/mod_image.h"
#include "tests/unit/modules/msg_double.h"

namespace {

const char fault_msg[] = "Error! exception is occured inside asm module call\n";

uint32_t seh_head() {
  uint32_t r;
  __asm__ volatile("movl %%fs:0, %0" : "=r"(r));
  return r;
}

// Module "crashy": div (divides by zero), peek (reads address 0), badtext
// (a text result at address 1), fpu (leaves three values on the FPU stack,
// then faults), runok/runfault (run a script text through the `lua'
// module's run handler, the second then faults). Its image start faults too.
mb_bytes crashy_image() {
  mb_image im;
  im.name = "crashy";
  im.code = {
      0xA1, 0, 0, 0, 0, 0xC3,                                    // 6 entry: mov eax,[0]
      0x31, 0xC9, 0x31, 0xD2, 0xB8, 1, 0, 0, 0, 0xF7, 0xF1, 0xC3,  // 12 div
      0xA1, 0, 0, 0, 0, 0xC3,                                    // 24 peek
      0xB8, 1, 0, 0, 0, 0xC3,                                    // 30 badtext
      0xD9, 0xE8, 0xD9, 0xE8, 0xD9, 0xE8, 0xA1, 0, 0, 0, 0, 0xC3,  // 36 fpu
      0xFF, 0x74, 0x24, 0x04, 0xFF, 0x15, 0, 0, 0, 0, 0xC3,      // 48 runok
      0xFF, 0x74, 0x24, 0x04, 0xFF, 0x15, 0, 0, 0, 0,            // 59 runfault
      0x31, 0xC0, 0x8B, 0x00, 0xC3,
  };
  im.code[0] = 0xEB;   // the entry jumps to peek
  im.code[1] = 24 - 8;
  mb_member(im.members, "div", "", 0, mb_sig({}, {3}), 12);
  mb_member(im.members, "peek", "", 0, mb_sig({}, {0x83}), 24);
  mb_member(im.members, "badtext", "", 0, mb_sig({}, {7}), 30);
  mb_member(im.members, "peektext", "", 0, mb_sig({}, {7}), 24);
  mb_member(im.members, "fpu", "", 0, mb_sig({}, {3}), 36);
  mb_member(im.members, "runok", "", 0, mb_sig({7}, {3}), 48);
  mb_member(im.members, "runfault", "", 0, mb_sig({7}, {3}), 59);
  mb_vnum(im.relocs, 48 + 6);
  mb_vnum(im.relocs, 59 + 6);
  const int run_slot[3] = {0, 0, 1};
  im.imports = mb_import("lua", run_slot, {});
  mb_bytes img = mb_finish(im, nullptr);
  // Both calls go through the import record's run-handler slot.
  mi_header h;
  EXPECT_EQ(mi_check(img.data(), img.size(), &h), 1);
  mi_reader r = mi_reader_of(h.imports);
  mi_import imp;
  EXPECT_EQ(mi_next_import(&r, &imp), 1);
  uint32_t slot = (uint32_t)(imp.slot[2].p - img.data());
  mi_put32(&img[48 + 6], slot);
  mi_put32(&img[59 + 6], slot);
  return img;
}

// Module "misuse": faults of other kinds and stack misuse, members that
// return the stack alignment they were called with, one that leaves values
// on the FPU stack, and one that raises a script error through lua_error.
mb_bytes misuse_image() {
  mb_image im;
  im.name = "misuse";
  im.code = {
      0x0F, 0x0B, 0xC3,                                // 6 illegal: ud2
      0xCC, 0xC3,                                      // 9 trap: int3
      0x6A, 0x00, 0xC3,                                // 11 nowhere: push 0; ret
      0x50, 0xEB, 0xFD,                                // 14 endless: push eax; jmp
      0xD9, 0xE8, 0xD9, 0xE8, 0xD9, 0xE8, 0x31, 0xC0, 0xC3,  // 17 fpuleft
      0x8D, 0x44, 0x24, 0x04, 0x83, 0xE0, 0x0F, 0xC3,  // 26 align: (esp+4) & 15
      0x8B, 0x44, 0x24, 0x04, 0x50,                    // 34 raise: push L,
      0xB8, 0, 0, 0, 0, 0xFF, 0xD0, 0xC3,              //   call lua_error
  };
  uint32_t at = (uint32_t)(uintptr_t)lua_error;
  memcpy(&im.code[34 + 5 + 1 - IMG_CODE], &at, 4);
  mb_member(im.members, "illegal", "", 0, mb_sig({}, {3}), 6);
  mb_member(im.members, "trap", "", 0, mb_sig({}, {3}), 9);
  mb_member(im.members, "nowhere", "", 0, mb_sig({}, {3}), 11);
  mb_member(im.members, "endless", "", 0, mb_sig({}, {3}), 14);
  mb_member(im.members, "fpuleft", "", 0, mb_sig({}, {3}), 17);
  mb_member(im.members, "align0", "", 0, mb_sig({}, {3}), 26);
  mb_member(im.members, "align1", "", 0, mb_sig({3}, {3}), 26);
  mb_member(im.members, "align2", "", 0, mb_sig({3, 3}, {3}), 26);
  mb_member(im.members, "align3", "", 0, mb_sig({3, 0x80}, {3}), 26);
  mb_member(im.members, "raise", "", 0, mb_sig({3, 3}, {}), 34);
  return mb_finish(im, nullptr);
}

// Machine code that reads address 0, registered as an ordinary host
// function: only the guard of the member call that runs it catches it.
const unsigned char raw_peek[] = {0xA1, 0, 0, 0, 0, 0xC3};

class Faults : public ModState {
protected:
  void SetUp() override {
    ModState::SetUp();
    static bool loaded = false;
    static void *raw = nullptr;
    if (!loaded) {
      ASSERT_NE(img_load(crashy_image()), nullptr) << msg_log;
      ASSERT_NE(img_load(misuse_image()), nullptr) << msg_log;
      raw = VirtualAlloc(nullptr, sizeof raw_peek, MEM_COMMIT | MEM_RESERVE,
                         PAGE_EXECUTE_READWRITE);
      memcpy(raw, raw_peek, sizeof raw_peek);
    }
    loaded = true;
    lua_pushcfunction(L, (lua_CFunction)raw);
    lua_setglobal(L, "rawpeek");
    lua_pushlightuserdata(L, L);
    lua_setglobal(L, "state");
    run("f = modules.byname.crashy.byname m = modules.byname.misuse.byname");
    msg_log.clear();
  }
  // The state works after a fault: no stack left over, errors reach their
  // pcall, 150 nested protected calls fit the C call depth, collection.
  void expect_whole() {
    EXPECT_EQ(lua_gettop(L), 0);
    EXPECT_EQ(run("return 1.5 + 2.25"), "3.75");
    EXPECT_EQ(run("return select(2, pcall(error, 'x', 0))"), "x");
    EXPECT_EQ(run("local function p(n) if n == 0 then return 0 end "
                  "return select(2, pcall(p, n - 1)) + 1 end return p(150)"),
              "150");
    EXPECT_EQ(run("collectgarbage() return 'ok'"), "ok");
  }
};

TEST_F(Faults, DivideByZeroReportsAndGoesOn) {
  EXPECT_EQ(run("local r = f.div() return r .. ' after'"), "-1 after");
  EXPECT_EQ(msg_log, fault_msg);
  EXPECT_EQ(run("return 2 + 3"), "5");
}

TEST_F(Faults, AccessViolationAndTextResults) {
  EXPECT_EQ(run("return f.peek()"), "-1");
  EXPECT_EQ(run("return f.peektext()"), "nil");   // -1 is not read as an address
  EXPECT_EQ(run("return f.badtext()"), "nil");    // an unreadable text result
  EXPECT_EQ(msg_log, std::string(fault_msg) + fault_msg + fault_msg);
}

TEST_F(Faults, FloatingPointUnitIsResetAfterAFault) {
  EXPECT_EQ(run("return f.fpu()"), "-1");
  EXPECT_EQ(run("local x = 1.5 for i = 1, 10 do x = x * 2 end return x"), "1536");
  EXPECT_EQ(run("return math.sqrt(2) * math.sqrt(2) > 1.99"), "true");
}

TEST_F(Faults, ManyFaultsInARow) {
  EXPECT_EQ(run("local n = 0 for i = 1, 200 do n = n + f.div() end return n"), "-200");
  EXPECT_EQ(run("return select('#', f.div(), f.peek())"), "2");
}

TEST_F(Faults, RunHandlerFromMachineCode) {
  EXPECT_EQ(run("counter = 0 return f.runok('counter = counter + 1')"), "0");
  EXPECT_EQ(run("return counter"), "1");
  EXPECT_EQ(run("return f.runfault('counter = counter + 1')"), "-1");
  EXPECT_EQ(run("return counter"), "2");
  EXPECT_EQ(msg_log, fault_msg);
}

TEST_F(Faults, NestedGuardsCatchTheInnermostFault) {
  EXPECT_EQ(run("return f.runok('inner = f.div()')"), "0");
  EXPECT_EQ(run("return inner"), "-1");
  EXPECT_EQ(msg_log, fault_msg);
}

TEST_F(Faults, FaultBehindInterpreterFramesLeavesAConsistentState) {
  // A raw host function faults inside the nested script; the fault ends the
  // outer member call with the nested pcall and call frames still open.
  EXPECT_EQ(run("local function deep(n) if n == 0 then return rawpeek() end "
                "return deep(n - 1) end "
                "g = deep "
                "return f.runfault('g(20)')"), "-1");
  EXPECT_EQ(msg_log, fault_msg);
  EXPECT_EQ(lua_gettop(L), 0);
  // Errors still reach the innermost protected call; calls nest as before.
  EXPECT_EQ(run("error('boom', 0)"), "error: boom");
  EXPECT_EQ(run("local ok, e = pcall(error, 'x', 0) return e"), "x");
  EXPECT_EQ(run("local function r(n) if n == 0 then return 0 end return 1 + r(n - 1) end "
                "return r(150)"), "150");
  EXPECT_EQ(run("return coroutine.resume(coroutine.create(function() return f.div() end))"),
            "true");
}

TEST_F(Faults, OtherFaultsAndStackMisuse) {
  uint32_t head = seh_head();
  const char *calls[] = {"illegal", "trap", "nowhere", "endless", "endless"};
  for (const char *c : calls) {
    msg_log.clear();
    EXPECT_EQ(run(std::string("return m.") + c + "() .. ' after'"), "-1 after") << c;
    EXPECT_EQ(msg_log, fault_msg) << c;
    EXPECT_EQ(seh_head(), head) << c;
    expect_whole();
  }
}

TEST_F(Faults, ImageStartFaultIsAScriptError) {
  std::string e = run("local ok, e = pcall(modules.byname.crashy.func) return tostring(ok) .. ' ' .. e");
  EXPECT_EQ(e.rfind("false exception in native code: access violation reading address "
                    "0x00000000 at 0x", 0), 0u) << e;
  EXPECT_EQ(msg_log, "");
  expect_whole();
}

TEST_F(Faults, StackIsAlignedAndTheFpuStackEmptied) {
  EXPECT_EQ(run("return m.align0() .. m.align1(1) .. m.align2(1, 2) .. m.align3(1, 2.5)"),
            "0000");
  // 30 values left behind would overflow the 8 registers of the FPU stack
  EXPECT_EQ(run("for i = 1, 10 do m.fpuleft() end return 1.5 * 4 + 2 ^ 0.5 > 7.41"), "true");
  EXPECT_EQ(run("return 0.1 + 0.2"), "0.3");
}

TEST_F(Faults, ScriptErrorsPassThroughTheGuard) {
  uint32_t head = seh_head();
  EXPECT_EQ(run("local n = 0 for i = 1, 1000 do local ok, e = pcall(m.raise, state, 42) "
                "if not ok and e == 42 then n = n + 1 end end return n"),
            "1000");
  EXPECT_EQ(seh_head(), head);   // each error unlinked the guard it crossed
  EXPECT_EQ(run("return f.peek()"), "-1");
  EXPECT_EQ(seh_head(), head);
  expect_whole();
}

TEST_F(Faults, ManyFaultsLeakNothing) {
  uint32_t head = seh_head();
  run("collectgarbage() kb0 = collectgarbage('count')");
  EXPECT_EQ(run("local n = 0 for i = 1, 2000 do n = n + f.div() + f.peek() "
                "+ f.runfault('x = 1') + (f.peektext() and 0 or -1) end return n"),
            "-8000");
  EXPECT_EQ(seh_head(), head);
  EXPECT_EQ(run("collectgarbage() return collectgarbage('count') - kb0 < 64"), "true");
  expect_whole();
}

}  // namespace
