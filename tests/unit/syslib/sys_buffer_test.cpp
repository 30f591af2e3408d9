// Buffers in a fresh script state: typed fields at every offset, strings in
// and out, and bounds: a bad access gives a message and changes nothing.
#include <gtest/gtest.h>

#include <string>

extern "C" {
#include "lauxlib.h"
}

#include "host/base/message.h"
#include "syslib/sys_buffer.h"
#include "tests/support/ts_lua.h"

namespace {

std::string said;
void keep(const char *t) { said += t; }
void none(void) {}
const con_ops catcher = {keep, keep, none};

struct SysBuffer : ::testing::Test {
  ts_state s;
  lua_State *L = s.L;
  void SetUp() override {
    said.clear();
    con_setops(&catcher);
    sys_buffer_open(L);
    lua_register(L, "buffer", sys_buffer_new);
  }
  void TearDown() override { con_setops(nullptr); }
  std::string eval(const std::string &code) { return ts_eval(L, code); }
};

TEST_F(SysBuffer, NewBuffersAreZeroAndSized) {
  EXPECT_EQ(eval("local b = buffer(10) return #b, b:size(), b:u32(0), b:u16(8), "
                 "b:address() % 8, b:string(0)"),
            "10,10,0,0,0,");
  EXPECT_EQ(eval("return #buffer(0), buffer(0):string(0)"), "0,");
  EXPECT_EQ(said, "");
}

TEST_F(SysBuffer, BadSizesAreRefused) {
  for (const char *arg : {"-1", "1.5", "'x'", "nil", "2^31"}) {
    said.clear();
    EXPECT_EQ(eval(std::string("return select('#', buffer(") + arg + "))"), "0") << arg;
    EXPECT_NE(said.find("dll.buffer: the size must be"), std::string::npos) << arg;
  }
}

TEST_F(SysBuffer, TypedFieldsAreLittleEndianAndSigned) {
  EXPECT_EQ(eval("local b = buffer(16) b:setu32(0, 0x80FF7F01) "
                 "return b:u8(0), b:i8(1), b:u8(2), b:i8(3), b:i16(2), b:u16(2), b:i32(0)"),
            "1,127,255,-128,-32513,33023,-2130739455");
  EXPECT_EQ(eval("local b = buffer(16) b:seti64(8, -5000000000) b:setfloat(0, 0.1) "
                 "b:setdouble(0, 2.5) return b:i64(8), b:u32(12), b:double(0)"),
            "-5000000000,4294967294,2.5");
  EXPECT_EQ(eval("local b = buffer(8) b:setfloat(4, 0.1) b:setu64(0, 2^64 - 2^12) "
                 "return b:u64(0) == 2^64 - 2^12, b:i64(0), b:float(4) == 0"),
            "true,-4096,false");
  EXPECT_EQ(eval("local b = buffer(8) b:setfloat(4, 0.1) return b:float(4) == 0.1, "
                 "math.abs(b:float(4) - 0.1) < 1e-8"),
            "false,true");
  EXPECT_EQ(eval("local b = buffer(4) b:seti8(0, 300) b:setu16(2, -1) b:seti8(1, true) "
                 "return b:u8(0), b:u8(1), b:u16(2)"),
            "44,1,65535");
  EXPECT_EQ(said, "");
}

TEST_F(SysBuffer, PointersTakeBuffersAndNumbers) {
  EXPECT_EQ(eval("local a, b = buffer(8), buffer(4) a:setpointer(0, b) a:setpointer(4, 77) "
                 "return a:pointer(0) == b:address() % 2^32, a:pointer(4)"),   // 32-bit fields
            "true,77");
  said.clear();
  EXPECT_EQ(eval("local a = buffer(4) a:setpointer(0, 'text') return a:u32(0)"), "0");
  EXPECT_NE(said.find("must be a number, buffer, callback or nil"), std::string::npos);
}

TEST_F(SysBuffer, StringsInAndOut) {
  EXPECT_EQ(eval("local b = buffer(8) b:setstring(2, 'hello') "
                 "return b:string(2), b:string(3, 2), b:u8(7), #b:string(0)"),
            "hello,el,0,0");
  EXPECT_EQ(eval("local b = buffer(3) b:setstring(0, 'ab') return b:string(0)"), "ab");
  EXPECT_EQ(eval("local b = buffer(4) b:setstring(0, 'a\\0b') return #b:string(0, 3)"), "3");
  // no zero byte up to the end: the rest of the buffer
  EXPECT_EQ(eval("local b = buffer(3) b:setu8(0, 65) b:setu8(1, 66) b:setu8(2, 67) "
                 "return b:string(1)"),
            "BC");
  EXPECT_EQ(said, "");
}

// Every type at every offset of a 16-byte buffer, the last in range and the
// first past it: out of range gives a message, no value, and no change.
TEST_F(SysBuffer, BoundsAreCheckedForEveryType) {
  const struct {
    const char *type;
    int width;
  } types[] = {{"i8", 1}, {"u8", 1}, {"i16", 2}, {"u16", 2}, {"i32", 4}, {"u32", 4},
               {"i64", 8}, {"u64", 8}, {"float", 4}, {"double", 8}, {"pointer", 4}};
  for (auto &t : types) {
    for (int off = -1; off <= 17; off++) {
      said.clear();
      std::string ty = t.type, o = std::to_string(off);
      std::string got = eval("local b = buffer(16) for i = 0, 15 do b:setu8(i, 0xAA) end "
                             "local n = select('#', b:" + ty + "(" + o + ")) "
                             "b:set" + ty + "(" + o + ", 0) local sum = 0 "
                             "for i = 0, 15 do sum = sum + b:u8(i) end return n, sum");
      bool inside = off >= 0 && off + t.width <= 16;
      std::string want = inside ? "1," + std::to_string(0xAA * (16 - t.width)) : "0,2720";
      EXPECT_EQ(got, want) << ty << " at " << off;
      EXPECT_EQ(said.empty(), inside) << ty << " at " << off << ": " << said;
    }
  }
  said.clear();
  EXPECT_EQ(eval("return select('#', buffer(16):u16(15))"), "0");
  EXPECT_EQ(said, "buffer:u16: offset 15 and 2 bytes lie outside the buffer of 16 bytes\n");
}

TEST_F(SysBuffer, BadOffsetsLengthsAndValues) {
  const char *bad[][2] = {
      {"b:u8(0.5)", "lie outside the buffer"},
      {"b:u8('x')", "the offset must be a number"},
      {"b:u8()", "the offset must be a number"},
      {"b:string(2, 3)", "offset 2 and 3 bytes lie outside"},
      {"b:string(0, -1)", "the length must be a whole number"},
      {"b:setstring(0, 'abcd')", "offset 0 and 5 bytes lie outside"},
      {"b:setstring(0, {})", "the value must be a string"},
      {"b:setu8(0, 'x')", "the value must be a number"},
      {"b.u8(5, 0)", "call it on a buffer"},
      {"b:u8(1e300)", "lie outside"},
  };
  for (auto &c : bad) {
    said.clear();
    EXPECT_EQ(eval(std::string("local b = buffer(4) b:setu32(0, 0x01020304) return select('#', ") +
                   c[0] + "), b:u32(0)"),
              "0,16909060")
        << c[0];
    EXPECT_NE(said.find(c[1]), std::string::npos) << c[0] << ": " << said;
  }
}

TEST_F(SysBuffer, CollectedWithTheirLastReference) {
  EXPECT_EQ(eval("collectgarbage() local k0 = collectgarbage('count') "
                 "for i = 1, 200 do local b = buffer(65536) b:setu8(65535, 1) end "
                 "collectgarbage() return collectgarbage('count') - k0 < 256"),
            "true");
}

}  // namespace
