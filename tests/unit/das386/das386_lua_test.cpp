// The script function das386 on this process's memory, including memory
// that cannot be read.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

extern "C" {
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
}

#include "native/das386/das386_lua.h"
#include "tests/support/ts_lua.h"

static std::string messages;
void con_message(const char *text) { messages += text; }

namespace {

class Das386Lua : public ::testing::Test {
protected:
  lua_State *L = nullptr;
  void SetUp() override {
    L = ts_fresh();
    das_open(L);
    messages.clear();
  }
  void TearDown() override { lua_close(L); }

  // Runs das386(arg) and returns its results as "text|length", or "none".
  std::string call(const std::string &arg) {
    std::string chunk = "local t, n = das386(" + arg + ") "
                        "if t == nil then return 'none' end "
                        "return t .. '|' .. n";
    return ts_eval(L, chunk);
  }
  std::string at(const void *p) { return std::to_string((uintptr_t)p); }
};

TEST_F(Das386Lua, DecodesMemory) {
  static const unsigned char code[] = {0x8B, 0x45, 0x08, 0xC3};
  EXPECT_EQ(call(at(code)), "MOVL\t[BP + 0x8],AX|3");
  EXPECT_EQ(call(at(code + 3)), "RET|1");
  EXPECT_EQ(call(at(code) + " + 2^32"), "MOVL\t[BP + 0x8],AX|3");  // wraps to 32 bits
  EXPECT_EQ(call("'" + at(code + 3) + "'"), "RET|1");             // numeric string
  EXPECT_EQ(messages, "");
}

TEST_F(Das386Lua, ZeroOrNothingReturnsNothing) {
  EXPECT_EQ(call("0"), "none");
  EXPECT_EQ(call(""), "none");
  ASSERT_EQ(luaL_dostring(L, "return select('#', das386(0))"), 0);
  EXPECT_EQ(lua_tointeger(L, -1), 0);
  EXPECT_EQ(messages, "");
}

TEST_F(Das386Lua, DecodingErrorsReportAndReturnMinusOne) {
  static const unsigned char bad[] = {0x0F, 0x0B};
  EXPECT_EQ(call(at(bad)), "|-1");
  EXPECT_EQ(messages, "opcode: ??0f0b??");
}

TEST_F(Das386Lua, UnreadableAddressIsReported) {
  void *reserved = VirtualAlloc(nullptr, 65536, MEM_RESERVE, PAGE_NOACCESS);
  ASSERT_NE(reserved, nullptr);
  EXPECT_EQ(call(at(reserved)), "|-1");
  EXPECT_NE(messages.find("is not readable"), std::string::npos);
  VirtualFree(reserved, 0, MEM_RELEASE);
  messages.clear();
  EXPECT_EQ(call("-1"), "|-1");  // 0xFFFFFFFF
  EXPECT_NE(messages.find("0xFFFFFFFF"), std::string::npos);
}

TEST_F(Das386Lua, InstructionRunningIntoUnreadablePage) {
  unsigned char *two = (unsigned char *)VirtualAlloc(nullptr, 8192, MEM_COMMIT, PAGE_READWRITE);
  ASSERT_NE(two, nullptr);
  DWORD old;
  ASSERT_TRUE(VirtualProtect(two + 4096, 4096, PAGE_NOACCESS, &old));
  unsigned char *end = two + 4096;
  end[-1] = 0x90;
  EXPECT_EQ(call(at(end - 1)), "NOP|1");
  end[-2] = 0x8B;
  end[-1] = 0x85;  // wants four displacement bytes beyond the page
  EXPECT_EQ(call(at(end - 2)), "|-1");
  char want[64];
  snprintf(want, sizeof want, "das386: address 0x%X is not readable", (unsigned)(uintptr_t)end);
  EXPECT_EQ(messages, want);
  VirtualFree(two, 0, MEM_RELEASE);
}

TEST_F(Das386Lua, NonNumberIsReported) {
  EXPECT_EQ(call("{}"), "none");
  EXPECT_EQ(messages, "das386: the address must be a number");
}

}  // namespace
