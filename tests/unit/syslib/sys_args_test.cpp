// Script values as DLL call words: every type, nested tables with their
// end marker, and the limits that keep bad input from looping or leaking.
#include <gtest/gtest.h>

#include <string.h>

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

#include "syslib/sys_args.h"
#include "syslib/sys_buffer.h"
#include "tests/support/ts_lua.h"

namespace {

struct SysArgs : ::testing::Test {
  lua_State *L = nullptr;
  sys_args a;
  void SetUp() override {
    L = ts_fresh();
    memset(&a, 0, sizeof a);
  }
  void TearDown() override {
    sys_args_free(&a);
    lua_close(L);
  }
  // Pushes the values the chunk returns and converts them all.
  int build(const char *code) {
    sys_args_free(&a);
    lua_settop(L, 0);
    std::string e;
    if (!ts_run(L, code, e)) ADD_FAILURE() << e;
    return sys_args_build(L, 1, lua_gettop(L), &a);
  }
  static const sys_word *arr(sys_word w) { return (const sys_word *)w; }
};

TEST_F(SysArgs, ScalarTypes) {
  ASSERT_TRUE(build("return nil, true, false, 7.9, -7.9, -1, 4294967297, 'hi'"));
  ASSERT_EQ(a.n, 8);
  EXPECT_EQ(a.words[0], 0u);
  EXPECT_EQ(a.words[1], 1u);
  EXPECT_EQ(a.words[2], 0u);
  EXPECT_EQ(a.words[3], 7u);
  EXPECT_EQ(a.words[4], 0xFFFFFFF9u);
  EXPECT_EQ(a.words[5], 0xFFFFFFFFu);
  EXPECT_EQ(a.words[6], 1u);
  EXPECT_STREQ((const char *)a.words[7], "hi");
}

TEST_F(SysArgs, NumbersOutsideAnyIntegerGiveDefinedWords) {
  EXPECT_EQ(sys_number(0.0 / 0.0), 0u);
  EXPECT_EQ(sys_number(1.0 / 0.0), 0u);
  EXPECT_EQ(sys_number(1e300), sys_number(1e300));  // defined, no trap
  EXPECT_EQ(sys_number(-4294967296.0), 0u);
  EXPECT_EQ(sys_number(-0.5), 0u);
}

// A buffer is its memory wherever it is passed; a write through the word
// cannot reach the size its bounds checks use.
TEST_F(SysArgs, BuffersPassTheirMemory) {
  sys_buffer_open(L);
  lua_register(L, "buffer", sys_buffer_new);
  ASSERT_TRUE(build("return buffer(6), {buffer(2)}"));
  ASSERT_EQ(a.n, 2);
  size_t size = 0;
  void *mem = sys_buffer_data(L, 1, &size);
  EXPECT_EQ((void *)a.words[0], mem);
  memset((void *)a.words[0], 0x7F, 6);
  EXPECT_EQ(size, 6u);
  lua_pushvalue(L, 1);
  lua_setglobal(L, "b1");
  EXPECT_EQ(ts_eval(L, "return #b1, b1:u8(5), select('#', b1:u8(6))"), "6,127,0");
  lua_rawgeti(L, 2, 1);
  EXPECT_EQ((void *)arr(a.words[1])[0], sys_buffer_data(L, -1, nullptr));
  lua_pop(L, 1);
}

TEST_F(SysArgs, FunctionsAndThreadsPassZero) {
  ASSERT_TRUE(build("return print, coroutine.create(function() end)"));
  EXPECT_EQ(a.words[0], 0u);
  EXPECT_EQ(a.words[1], 0u);
}

TEST_F(SysArgs, UserdataPassTheirBlocks) {
  lua_settop(L, 0);
  void *block = lua_newuserdata(L, 8);
  int here = 0;
  lua_pushlightuserdata(L, &here);
  ASSERT_TRUE(sys_args_build(L, 1, 2, &a));
  EXPECT_EQ(a.words[0], (sys_word)block);
  EXPECT_EQ(a.words[1], (sys_word)&here);
}

TEST_F(SysArgs, TableStopsAtTheFirstNil) {
  ASSERT_TRUE(build("return {1, 2, nil, 4}"));
  const sys_word *t = arr(a.words[0]);
  EXPECT_EQ(t[0], 1u);
  EXPECT_EQ(t[1], 2u);
  EXPECT_EQ(t[2], 0u);  // end marker, not the 4
}

TEST_F(SysArgs, NestedTablesAndStrings) {
  ASSERT_TRUE(build("return {{5, {6}}, 'x', {}}"));
  const sys_word *t = arr(a.words[0]);
  const sys_word *inner = arr(t[0]);
  EXPECT_EQ(inner[0], 5u);
  EXPECT_EQ(arr(inner[1])[0], 6u);
  EXPECT_STREQ((const char *)t[1], "x");
  EXPECT_EQ(arr(t[2])[0], 0u);
  EXPECT_EQ(a.nblocks, 5);  // the argument words and four arrays
}

TEST_F(SysArgs, MetamethodsAreNotConsulted) {
  ASSERT_TRUE(build("return setmetatable({}, {__index = function() error('no') end})"));
  EXPECT_EQ(arr(a.words[0])[0], 0u);
}

TEST_F(SysArgs, CyclesAndDeepNestingAreRefused) {
  EXPECT_FALSE(build("local t = {} t[1] = t return 1, t"));
  EXPECT_NE(a.error, nullptr);
  EXPECT_EQ(a.nblocks, 0);  // everything freed
  EXPECT_FALSE(build("local t = {} for i = 1, 40 do t = {t} end return t"));
  EXPECT_TRUE(build("local t = {} for i = 1, 30 do t = {t} end return t"));
}

TEST_F(SysArgs, ManyArguments) {
  ASSERT_TRUE(build("local t = {} for i = 1, 5000 do t[i] = i end return unpack(t)"));
  EXPECT_EQ(a.n, 5000);
  EXPECT_EQ(a.words[4999], 5000u);
  ASSERT_TRUE(build("return"));
  EXPECT_EQ(a.n, 0);
}

}  // namespace
