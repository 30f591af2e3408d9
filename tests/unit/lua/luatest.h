// A fresh script state per test, with helpers to run chunks.
#ifndef luatest_h
#define luatest_h

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/ts_lua.h"

struct LuaTest : ::testing::Test {
  lua_State *L = nullptr;
  void SetUp() override {
    L = ts_fresh();
  }
  void TearDown() override { lua_close(L); }
  // "" on success, else the error message
  std::string run(const std::string &src) {
    std::string msg = ts_do(L, src, "t");
    lua_settop(L, 0);
    return msg;
  }
  std::string eval(const std::string &expr) {
    std::string r = ts_eval(L, "return tostring(" + expr + ")", ",", TS_TOSTRING, "t");
    lua_settop(L, 0);
    return r;
  }
};

#endif
