// Native closures: argument conversion and the machine-stack convention,
// result counts, yields. The "assembler" here hands out fixed code.
#include <windows.h>

#include <cstdint>
#include <cstring>
#include <map>

#include "tests/unit/lua/luatest.h"
#include "native/guard/guard_lua.h"

namespace {

std::map<std::string, std::vector<unsigned char>> blocks;

int block_hook(lua_State *, const char *text, void **code, size_t *size) {
  auto it = blocks.find(text);
  if (it == blocks.end()) return 0;
  void *p = VirtualAlloc(NULL, it->second.size(), MEM_COMMIT | MEM_RESERVE,
                         PAGE_EXECUTE_READWRITE);
  memcpy(p, it->second.data(), it->second.size());
  *code = p;
  *size = it->second.size();
  return 1;
}

void put32(std::vector<unsigned char> &v, size_t at, const void *p) {
  uint32_t x = (uint32_t)(uintptr_t)p;
  memcpy(&v[at], &x, 4);
}

struct Native : LuaTest {
  void SetUp() override {
    LuaTest::SetUp();
    // returns n: the arguments themselves become the results
    blocks["lua! argc "] = {0x8B, 0x44, 0x24, 0x08, 0xC3};
    // pushes argument 1 as an integer through lua_pushinteger
    std::vector<unsigned char> first = {
        0x8B, 0x44, 0x24, 0x04,         // mov eax,[esp+4]   state
        0x8B, 0x4C, 0x24, 0x08,         // mov ecx,[esp+8]   n
        0x8B, 0x54, 0x8C, 0x08,         // mov edx,[esp+ecx*4+8]  argument 1
        0x52, 0x50,                     // push edx; push eax
        0xB8, 0, 0, 0, 0,               // mov eax, lua_pushinteger
        0xFF, 0xD0,                     // call eax
        0x83, 0xC4, 0x08,               // add esp,8
        0xB8, 1, 0, 0, 0,               // mov eax,1
        0xC3};
    put32(first, 15, (void *)lua_pushinteger);
    blocks["lua! first "] = first;
    // pushes the count n
    std::vector<unsigned char> count = {
        0x8B, 0x44, 0x24, 0x04, 0x8B, 0x54, 0x24, 0x08, 0x52, 0x50,
        0xB8, 0, 0, 0, 0, 0xFF, 0xD0, 0x83, 0xC4, 0x08,
        0xB8, 1, 0, 0, 0, 0xC3};
    put32(count, 11, (void *)lua_pushinteger);
    blocks["lua! count "] = count;
    blocks["lua! yield "] = {0xB8, 0xFF, 0xFF, 0xFF, 0xFF, 0xC3};
    // clobbers the registers a caller keeps, then restores them
    blocks["lua! saves "] = {0x53, 0x56, 0x57, 0x55, 0x31, 0xDB, 0x31, 0xF6,
                             0x31, 0xFF, 0x31, 0xED, 0x5D, 0x5F, 0x5E, 0x5B,
                             0x31, 0xC0, 0xC3};
    lua_asmhook = block_hook;
    ng_open();
    ASSERT_EQ(run("asmfunc argc() lua! argc end asmfunc first() lua! first end "
                  "asmfunc count() lua! count end asmfunc y() lua! yield end "
                  "asmfunc saves() lua! saves end"), "");
  }
  void TearDown() override {
    lua_asmhook = nullptr;
    lua_nativecall = nullptr;
    LuaTest::TearDown();
  }
};

TEST_F(Native, ArgumentsComeBackAsResults) {
  EXPECT_EQ(eval("select('#', argc(1, 2, 3))"), "3");
  EXPECT_EQ(eval("select(3, argc(1, 2, 'z'))"), "z");
  EXPECT_EQ(eval("select('#', argc())"), "0");
}

TEST_F(Native, NumbersAreTruncatedTowardZero) {
  EXPECT_EQ(eval("first(3.9)"), "3");
  EXPECT_EQ(eval("first(-3.9)"), "-3");
  EXPECT_EQ(eval("first(2^32 + 5)"), "5");
  EXPECT_EQ(eval("first(1/0)"), "-2147483648");
  EXPECT_EQ(eval("first(0/0)"), "-2147483648");
}

// Whole numbers take a shortcut: every number, whole or not, must come out
// as the plain conversion gives it (toward zero, low 32 bits).
TEST_F(Native, NumbersMatchThePlainConversion) {
  uint64_t seed = 19;
  auto next = [&] {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    return seed >> 11;
  };
  lua_getglobal(L, "first");
  ASSERT_TRUE(lua_isfunction(L, -1));
  for (int i = 0; i < 20000; i++) {
    double d;
    switch (i % 5) {
      case 0: d = (double)(int32_t)next(); break;
      case 1: d = (double)(int64_t)(next() << 11) / (double)(1ull << (next() % 64)); break;
      case 2: d = (double)(next() % 8589934592ull) - 4294967296.0; break;
      case 3: d = (double)(int32_t)next() + (double)(next() % 4) / 4; break;
      default: {
        uint64_t bits = next() << 11 | next() % 2048;
        memcpy(&d, &bits, 8);
      }
    }
    int32_t want = INT32_MIN;
    if (d > -9.2e18 && d < 9.2e18) want = (int32_t)(uint32_t)(long long)d;
    lua_pushvalue(L, -1);
    lua_pushnumber(L, d);
    ASSERT_EQ(lua_pcall(L, 1, 1, 0), 0);
    ASSERT_EQ((int32_t)lua_tointeger(L, -1), want) << d;
    lua_pop(L, 1);
  }
  lua_pop(L, 1);
}

TEST_F(Native, OtherTypes) {
  EXPECT_EQ(eval("first(nil)"), "0");
  EXPECT_EQ(eval("count(nil)"), "1");
  EXPECT_EQ(eval("count()"), "0");
  EXPECT_EQ(eval("first(true)"), "1");
  EXPECT_EQ(eval("first(false)"), "0");
  EXPECT_EQ(eval("first(1, 2, 3)"), "1");
  ASSERT_EQ(run("s = 'abc' addr = first(s)"), "");
  lua_getglobal(L, "s");
  const char *chars = lua_tostring(L, -1);
  lua_getglobal(L, "addr");
  EXPECT_EQ((uint32_t)lua_tointeger(L, -1), (uint32_t)(uintptr_t)chars);
  lua_settop(L, 0);
  ASSERT_EQ(run("t = {} taddr = first(t)"), "");
  lua_getglobal(L, "t");
  const void *tp = lua_topointer(L, -1);
  lua_getglobal(L, "taddr");
  EXPECT_EQ((uint32_t)lua_tointeger(L, -1), (uint32_t)(uintptr_t)tp);
  lua_settop(L, 0);
}

TEST_F(Native, ArgumentLimit) {
  EXPECT_EQ(eval("count(" + std::string(99 * 2, ',').replace(0, 0, "") + ")").substr(0, 5), "error");
  std::string hundred = "1";
  for (int i = 1; i < 100; i++) hundred += ",1";
  EXPECT_EQ(eval("count(" + hundred + ")"), "100");
  std::string e = run("count(" + hundred + ",1)");
  EXPECT_NE(e.find("too many arguments to a native function"), std::string::npos) << e;
}

TEST_F(Native, CalleeSavedRegistersSurvive) {
  EXPECT_EQ(run("for i = 1, 1000 do saves(i, i) end"), "");
  EXPECT_EQ(eval("select('#', saves())"), "0");
}

TEST_F(Native, NegativeCountYields) {
  ASSERT_EQ(run("co = coroutine.create(function() y() return 5 end) "
                "ok1 = coroutine.resume(co) st = coroutine.status(co) "
                "ok2, v = coroutine.resume(co)"), "");
  EXPECT_EQ(eval("ok1"), "true");
  EXPECT_EQ(eval("st"), "suspended");
  EXPECT_EQ(eval("v"), "5");
}

TEST_F(Native, FailedAssemblyGivesTheEmptyFunction) {
  ASSERT_EQ(run("asmfunc nope() lua! unknown end"), "");
  EXPECT_EQ(eval("select('#', nope(1, 2))"), "0");
}

}  // namespace
