// A fresh script state per test, with helpers to run chunks.
#ifndef luatest_h
#define luatest_h

#include <gtest/gtest.h>

#include <string>
#include <vector>

extern "C" {
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
}

struct LuaTest : ::testing::Test {
  lua_State *L = nullptr;
  void SetUp() override {
    L = luaL_newstate();
    luaL_openlibs(L);
  }
  void TearDown() override { lua_close(L); }
  // "" on success, else the error message
  std::string run(const std::string &src) {
    int st = luaL_loadbuffer(L, src.data(), src.size(), "t");
    if (st == 0) st = lua_pcall(L, 0, 0, 0);
    std::string msg = st ? lua_tostring(L, -1) : "";
    lua_settop(L, 0);
    return msg;
  }
  std::string eval(const std::string &expr) {
    std::string src = "return tostring(" + expr + ")";
    luaL_loadbuffer(L, src.data(), src.size(), "t");
    if (lua_pcall(L, 0, 1, 0)) {
      std::string e = std::string("error: ") + lua_tostring(L, -1);
      lua_settop(L, 0);
      return e;
    }
    std::string r = lua_tostring(L, -1);
    lua_settop(L, 0);
    return r;
  }
};

#endif
