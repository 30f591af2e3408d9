// Faults inside member calls: the message, the result -1 (nil for a text
// result), and a script state that goes on working, also when the fault
// leaves interpreter frames of a nested script run behind.
#include "tests/inproc/modules/images.h"

#include "native/modules/mod_image.h"
#include "tests/unit/modules/msg_double.h"

namespace {

const char fault_msg[] = "Error! exception is occured inside asm module call\n";

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

class Faults : public ModState {
protected:
  void SetUp() override {
    ModState::SetUp();
    static bool loaded = false;
    if (!loaded) ASSERT_NE(img_load(crashy_image()), nullptr) << msg_log;
    loaded = true;
    run("f = modules.byname.crashy.byname");
    msg_log.clear();
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
  // The image start runs unguarded inside the nested script; the fault ends
  // the outer member call with the nested pcall and call frames still open.
  EXPECT_EQ(run("local function deep(n) if n == 0 then return modules.byname.crashy.func() end "
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

}  // namespace
