// Script numbers are IEEE doubles rounded at every operation, whatever the
// machine's FPU does: the answers below are the stock interpreter's on a
// 64-bit host, where doubles have no excess precision.
#include "tests/unit/lua/luatest.h"

namespace {

using Numbers = LuaTest;

TEST_F(Numbers, OperationsRoundToDoubles) {
  // the index reaches 0.5 exactly, so the loop makes 6 turns
  EXPECT_EQ(eval("(function() local n = 0 for i = 0, 0.5, 0.1 do n = n + 1 end return n end)()"),
            "6");
  EXPECT_EQ(eval("(function() local n = 0 for i = 1, 0, -0.1 do n = n + 1 end return n end)()"),
            "11");
  run("a, b, c = 9007199254740993, -3, 0.1");
  EXPECT_EQ(eval("a % b"), "0");
  EXPECT_EQ(eval("(a + 1) % 7"), "4");
  EXPECT_EQ(eval("c + 0.2 == 0.3"), "false");
  EXPECT_EQ(eval("(c + 0.2) - 0.3"), "5.5511151231258e-17");
  EXPECT_EQ(eval("1e308 * 10 / 10 == 1e308"), "false");
  EXPECT_EQ(eval("(2^53 + 1) - 2^53"), "0");
}

// Where the library wants an integer, a fraction is cut to one the way the
// platform's stock build does: to the nearest on 32-bit x86 (whatever unit
// computes the doubles), toward zero elsewhere.
TEST_F(Numbers, FractionsWhereIntegersAreWanted) {
#if defined(__i386__)
  EXPECT_EQ(eval("('hello'):sub(2.7)"), "llo");
  EXPECT_EQ(eval("('hello'):sub(-2.7)"), "llo");
#else
  EXPECT_EQ(eval("('hello'):sub(2.7)"), "ello");
  EXPECT_EQ(eval("('hello'):sub(-2.7)"), "lo");
#endif
  EXPECT_EQ(eval("('hello'):sub(2.2)"), "ello");
  EXPECT_EQ(eval("select('#', ('x'):byte(1, 3.2))"), "1");
  // a key of INT_MIN is no array index (unsigned arithmetic, no overflow)
  EXPECT_EQ(eval("(function() local t = {1, 2} t[-2147483648] = 3 return t[-2147483648] + #t end)()"),
            "5");
}

#if defined(__i386__)
// Native code may leave the x87 unit at single precision (as some DLLs do):
// the interpreter's own arithmetic must not notice. (The C library's pow and
// number formatting still use the x87 unit: they run before and after.)
TEST_F(Numbers, FpuPrecisionLeftByNativeCodeDoesNotMatter) {
  run("function f(a, b, c) return a / b, c + a, c * c, c % b end");
  lua_getglobal(L, "f");
  lua_pushnumber(L, 1);
  lua_pushnumber(L, 3);
  lua_pushnumber(L, 16777217);
  unsigned short old, single = 0x007F;
  __asm__ volatile("fnstcw %0" : "=m"(old));
  __asm__ volatile("fldcw %0" : : "m"(single));
  int rc = lua_pcall(L, 3, 4, 0);
  __asm__ volatile("fldcw %0" : : "m"(old));
  ASSERT_EQ(rc, 0);
  EXPECT_EQ(lua_tonumber(L, 1), 1.0 / 3.0);
  EXPECT_EQ(lua_tonumber(L, 2), 16777218.0);
  EXPECT_EQ(lua_tonumber(L, 3), 281475010265089.0);
  EXPECT_EQ(lua_tonumber(L, 4), 2.0);
  lua_settop(L, 0);
}
#endif

}  // namespace
