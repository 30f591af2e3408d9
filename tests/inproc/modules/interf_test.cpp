// The `interf' services as assembled code calls them: two stack arguments
// (module, member name) removed by the callee, values in EAX or ST0.
#include "tests/inproc/modules/images.h"

#include <windows.h>

#include <vector>

#include "host/base/heap.h"

extern "C" {
#include "lauxlib.h"
}
#include "native/guard/guard.h"
#include "native/modules/mod_image.h"
#include "native/modules/mod_registry.h"
#include "tests/unit/modules/msg_double.h"

namespace {

uint32_t addr_of(const void *p) { return (uint32_t)(uintptr_t)p; }

void put(std::vector<uint8_t> &c, uint32_t v) {
  for (int i = 0; i < 4; i++) c.push_back((uint8_t)(v >> (8 * i)));
}

// Runs machine code with no arguments; its EAX.
uint32_t exec(const std::vector<uint8_t> &code) {
  static uint8_t *mem = (uint8_t *)VirtualAlloc(nullptr, 4096, MEM_COMMIT | MEM_RESERVE,
                                                PAGE_EXECUTE_READWRITE);
  memcpy(mem, code.data(), code.size());
  int faulted = 0;
  uint32_t r = ng_invoke(mem, nullptr, 0, &faulted);
  EXPECT_EQ(faulted, 0);
  return r;
}

uint32_t service(const char *name) {
  mi_member m;
  EXPECT_EQ(mr_member_named(mr_find("interf"), name, &m), 1);
  return mi_get32(m.addr);
}

class Interf : public ModState {
protected:
  static uint8_t *img;
  void SetUp() override {
    ModState::SetUp();
    if (img) return;
    mb_image im;
    im.name = "iv";
    im.code = {0x8B, 0x44, 0x24, 0x04, 0x2B, 0x44, 0x24, 0x08, 0xC3,  // 6 sub (cdecl)
               5, 0, 0, 0,                                            // 15 n
               'a', 'b', 0, 0,                                        // 19 t[4]
               0, 0, 0, 0, 0, 0, 0, 0,                                // 23 q
               9, 0, 0, 0,                                            // 31 ro
               0xFE};                                                 // 35 by
    mb_member(im.members, "sub", "", 0, mb_sig({3, 3}, {3}), 6);
    mb_member(im.members, "n", "", 0x33, {}, 15);
    mb_member(im.members, "t", "", 0x37, {}, 19);
    mb_member(im.members, "q", "", 0xB0, {}, 23);
    mb_member(im.members, "ro", "", 0x13, {}, 31);
    mb_member(im.members, "by", "", 0x31, {}, 35);
    img = img_load(mb_finish(im, nullptr));
    ASSERT_NE(img, nullptr) << msg_log;
  }
  uint32_t getvar(uint32_t module, const char *name) {
    uint32_t w[2] = {module, addr_of(name)};
    int faulted = 0;
    return ng_invoke((void *)(uintptr_t)service("getvar"), w, 2, &faulted);
  }
  // mov eax, value; [fld qword real]; push name; push module; call setvar; ret
  uint32_t setvar(uint32_t module, const char *name, uint32_t value, const double *real) {
    std::vector<uint8_t> c = {0xB8};
    put(c, value);
    if (real) {
      c.insert(c.end(), {0xDD, 0x05});
      put(c, addr_of(real));
    }
    c.push_back(0x68);
    put(c, addr_of(name));
    c.push_back(0x68);
    put(c, module);
    c.push_back(0xB9);
    put(c, service("setvar"));
    c.insert(c.end(), {0xFF, 0xD1});
    if (real) c.insert(c.end(), {0xDD, 0xD8});   // fstp st0: the caller pops
    c.push_back(0xC3);
    return exec(c);
  }
};
uint8_t *Interf::img = nullptr;

TEST_F(Interf, GetvarByModuleRecordOrImage) {
  uint32_t rec = addr_of(mr_find("iv"));
  EXPECT_EQ(getvar(rec, "n"), 5u);
  EXPECT_EQ(getvar(addr_of(img), "n"), 5u);
  EXPECT_EQ(getvar(rec, "t"), addr_of(img + 19));   // strings by address
  EXPECT_EQ(getvar(rec, "q"), addr_of(img + 23));   // reals by address
  EXPECT_EQ(getvar(rec, "by"), 0xFEu);              // zero-extended
  EXPECT_EQ(getvar(rec, "sub"), 0u);                // not a variable
  EXPECT_EQ(getvar(rec, "none"), 0u);
  EXPECT_EQ(getvar(12345, "n"), 0u);                // not a module
  EXPECT_EQ(getvar(rec, "ro"), 9u);
}

TEST_F(Interf, SetvarTakesEaxOrTheFloatingPointTop) {
  uint32_t rec = addr_of(mr_find("iv"));
  EXPECT_EQ(setvar(rec, "n", 77, nullptr), 1u);
  EXPECT_EQ(run("return modules.byname.iv.byname.n.val"), "77");
  EXPECT_EQ(setvar(rec, "by", 0x1234, nullptr), 1u);
  EXPECT_EQ(img[35], 0x34);
  EXPECT_EQ(img[36], 0xA9) << "the header after it is untouched";
  EXPECT_EQ(setvar(rec, "t", addr_of("xyz"), nullptr), 1u);
  EXPECT_EQ(run("return modules.byname.iv.byname.t.val"), "xyz");
  EXPECT_EQ(setvar(rec, "t", addr_of("longer text"), nullptr), 1u);
  EXPECT_EQ(run("return modules.byname.iv.byname.t.val"), "lon");   // four bytes of room
  const double d = 2.75;
  EXPECT_EQ(setvar(rec, "q", 0, &d), 1u);
  EXPECT_EQ(run("return modules.byname.iv.byname.q.val"), "2.75");
  EXPECT_EQ(setvar(rec, "ro", 1, nullptr), 0u);   // not writable
  EXPECT_EQ(getvar(rec, "ro"), 9u);
  EXPECT_EQ(setvar(rec, "nothing", 1, nullptr), 0u);
}

TEST_F(Interf, CallPassesTheCallersArguments) {
  uint32_t rec = addr_of(mr_find("iv"));
  auto call = [&](const char *name) {
    // push 7; push 5; push name; push module; call interf.call; add esp, 8; ret
    std::vector<uint8_t> c = {0x6A, 0x07, 0x6A, 0x05, 0x68};
    put(c, addr_of(name));
    c.push_back(0x68);
    put(c, rec);
    c.push_back(0xB9);
    put(c, service("call"));
    c.insert(c.end(), {0xFF, 0xD1, 0x83, 0xC4, 0x08, 0xC3});
    return exec(c);
  };
  EXPECT_EQ((int32_t)call("sub"), -2);
  EXPECT_EQ(call("n"), 0u);       // not a function: back at once
  EXPECT_EQ(call("none"), 0u);
}

TEST_F(Interf, NewMakesAnEmptyHeader) {
  int faulted = 0;
  uint32_t p = ng_invoke((void *)(uintptr_t)service("new"), nullptr, 0, &faulted);
  ASSERT_NE(p, 0u);
  const uint8_t *b = (const uint8_t *)(uintptr_t)p;
  mi_header h;
  ASSERT_EQ(mi_check(b, 18, &h), 1);
  mi_module m;
  ASSERT_EQ(mi_module_of(h.desc, &m), 1);
  EXPECT_EQ(m.name.n + m.members.n + h.relocs.n + h.imports.n, 0u);
  EXPECT_EQ(b[0], 0xEB);
  EXPECT_EQ(b[1], 0);
  hp_free((void *)b);
}

TEST_F(Interf, LuaModuleHandlersSetAndReadGlobals) {
  mr_record *lua = mr_find("lua");
  mi_module m;
  ASSERT_EQ(mr_module(lua, &m), 1);
  uint32_t rd = mi_get32(m.handler[0].p), wr = mi_get32(m.handler[1].p);
  int faulted = 0;
  uint32_t w1[3] = {addr_of("g1"), 3, 42};
  ng_invoke((void *)(uintptr_t)wr, w1, 3, &faulted);
  EXPECT_EQ(run("return g1"), "42");
  const char *tricky = "a]]b]=]c\n";
  uint32_t w2[3] = {addr_of("g2"), 7, addr_of(tricky)};
  ng_invoke((void *)(uintptr_t)wr, w2, 3, &faulted);
  EXPECT_EQ(run("return g2 == 'a]]b]=]c\\n'"), "true");
  const double d = 0.1;
  uint32_t w3[3] = {addr_of("g3"), 0x80, addr_of(&d)};
  ng_invoke((void *)(uintptr_t)wr, w3, 3, &faulted);
  EXPECT_EQ(run("return g3 == 0.1"), "true");
  uint32_t w4[3] = {addr_of("not a name"), 3, 1};
  ng_invoke((void *)(uintptr_t)wr, w4, 3, &faulted);
  EXPECT_EQ(msg_log, "lua: not a global name\n");
  run("g5 = 'text' g6 = -7.9");
  uint32_t r1[2] = {addr_of("g5"), 7};
  uint32_t s = ng_invoke((void *)(uintptr_t)rd, r1, 2, &faulted);
  EXPECT_STREQ((const char *)(uintptr_t)s, "text");
  uint32_t r2[2] = {addr_of("g6"), 3};
  EXPECT_EQ((int32_t)ng_invoke((void *)(uintptr_t)rd, r2, 2, &faulted), -7);
  EXPECT_EQ(faulted, 0);
}

}  // namespace

namespace {

TEST_F(Interf, ImportsFromLuaAreTheInterpretersApi) {
  mb_image im;
  im.name = "apiuser";
  im.code = {0xB8, 0, 0, 0, 0, 0xB8, 0, 0, 0, 0, 0xC3};
  mb_bytes entries;
  mb_member(entries, "pushinteger", "", 0, {}, 7);
  mb_member(entries, "luaL_checkinteger", "", 0, mb_sig({3}, {}), 12);   // not checked
  im.imports = mb_import("lua", nullptr, entries);
  uint32_t users = mr_find("lua")->users;
  uint8_t *p = img_load(mb_finish(im, nullptr));
  ASSERT_NE(p, nullptr) << msg_log;
  EXPECT_EQ(mi_get32(p + 7), addr_of((void *)lua_pushinteger));
  EXPECT_EQ(mi_get32(p + 12), addr_of((void *)luaL_checkinteger));
  EXPECT_EQ(mr_find("lua")->users, users + 1);
}

}  // namespace
