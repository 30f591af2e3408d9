// The interpreter's assembler hook ending in the module loader: a stand-in
// assembler hands out a hand-made image for every raw block, and
// mod_install makes it a module.
#include "tests/inproc/modules/images.h"

#include <windows.h>

extern "C" {
#include "lauxlib.h"
}

#include "host/base/heap.h"
#include "native/modules/mod_image.h"
#include "native/modules/mod_registry.h"
#include "native/modules/modules.h"
#include "tests/unit/modules/msg_double.h"

namespace {

// The module named by the text before '!'. Its entry stores the argument
// count it was called with in the variable `seen' and returns no results;
// `seven' returns 7.
mb_bytes hook_image(const std::string &name) {
  mb_image im;
  im.name = name;
  im.code = {0x8B, 0x44, 0x24, 0x08,           // 6  mov eax, [esp+8]  (n)
             0xA3, 0, 0, 0, 0,                 // 10 mov [seen], eax
             0x31, 0xC0, 0xC3,                 // 15 xor eax, eax; ret
             0xB8, 7, 0, 0, 0, 0xC3,           // 18 seven
             0, 0, 0, 0};                      // 24 seen
  im.code[5] = 24;
  mb_vnum(im.relocs, 11);
  mb_member(im.members, "seven", "", 0, mb_sig({}, {3}), 18);
  mb_member(im.members, "seen", "", 0x13, {}, 24);
  return mb_finish(im, nullptr);   // the entry jump lands on offset 6
}

int fake_assembler(lua_State *, const char *text, void **code, size_t *size) {
  std::string t(text);
  size_t bang = t.find('!');
  if (bang == std::string::npos) return 0;
  mb_bytes img = hook_image(t.substr(0, bang));
  void *block = hp_alloc(img.size());
  memcpy(block, img.data(), img.size());
  if (!mod_install(block, img.size(), text)) {
    hp_free(block);
    return 0;
  }
  *code = block;
  *size = img.size();
  return 1;
}

class AsmHook : public ModState {
protected:
  void SetUp() override {
    ModState::SetUp();
    lua_asmhook = fake_assembler;
  }
  void TearDown() override {
    lua_asmhook = nullptr;
    ModState::TearDown();
  }
};

TEST_F(AsmHook, TopLevelAsmBlockLoadsANamedModule) {
  EXPECT_EQ(run("asm inl!\n  ; nothing here\nend return modules.byname.inl.name"), "inl");
  EXPECT_EQ(run("return modules.byname.inl.byname.seven()"), "7");
  EXPECT_EQ(run("return modules.byname.inl.src"), "inl!\n  ; nothing here\n");
  EXPECT_EQ(msg_log, "");
}

TEST_F(AsmHook, AsmfuncRunsTheImageAndSeesItsArguments) {
  EXPECT_EQ(run("asmfunc f(a, b) af! end return select('#', f(1, 2, 3))"), "0");
  EXPECT_EQ(run("return modules.byname.af.byname.seen.val"), "3");
  EXPECT_EQ(run("f() return modules.byname.af.byname.seen.val"), "0");
}

TEST_F(AsmHook, SameNamedModuleTwiceGivesTheEmptyNativeFunction) {
  std::string n = run("asmfunc g() twice! end return modules.n");
  EXPECT_EQ(run("asmfunc g() twice! end return modules.n"), n);
  EXPECT_EQ(msg_log, "Module with name 'twice' already loaded. Unload it first.");
  EXPECT_EQ(run("return type(g)"), "function");
  EXPECT_EQ(run("return select('#', g(1, 2))"), "0");
}

TEST_F(AsmHook, RefusedImageIsNotRegistered) {
  lua_asmhook = [](lua_State *, const char *text, void **, size_t *) -> int {
    mb_bytes img = hook_image("bad");
    img[0] = 0x90;   // no jump: refused without a message
    void *block = hp_alloc(img.size());
    memcpy(block, img.data(), img.size());
    int ok = mod_install(block, img.size(), text);
    hp_free(block);
    return ok;
  };
  std::string n = run("return modules.n");
  EXPECT_EQ(run("asmfunc h() bad! end return modules.n"), n);
  EXPECT_EQ(run("return modules.byname.bad"), "nil");
  EXPECT_EQ(msg_log, "");
}

}  // namespace
