// Typed DLL calls, buffers and callbacks in the program's own state, against
// real system DLLs; the same calls made from C here are the expected values.
#include <gtest/gtest.h>
#include <windows.h>

#include <math.h>
#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "tests/inproc/terminal/driver.h"

namespace {

bool has(const std::string &s, const std::string &part) {
  return s.find(part) != std::string::npos;
}

std::string num(double d) {   // as the script's print writes a number
  char buf[64];
  snprintf(buf, sizeof buf, "%.14g", d);
  return buf;
}

// systest.dll only in a local: the library tests check that it unloads
std::string st_run(const std::string &code) {
  std::string line = "local st = ldlyb('systest.dll') " + code;
  EXPECT_LE(line.size(), 511u) << "longer than a terminal line";
  return drv_run(line);
}

const char fault[] = "Error! exception is occured inside asm module call";

struct Dll : ::testing::Test {
  static void SetUpTestSuite() {
    drv_state();
    drv_run("crt = ldlyb('msvcrt.dll') k32 = ldlyb('kernel32.dll') "
            "u32 = ldlyb('user32.dll')");
  }
  static void TearDownTestSuite() {
    drv_run("crt, k32, u32, b = nil collectgarbage() collectgarbage()");
  }
};

TEST_F(Dll, PowAndMulDivAgreeWithC) {
  EXPECT_EQ(st_run("pow = dll.sig(crt.pow, 'double(double,double)', 'cdecl') "
                    "print(pow(2, 10), pow(2, 0.5), pow(-8, 1/3))"),
            num(pow(2, 10)) + "\t" + num(pow(2, 0.5)) + "\t" + num(pow(-8, 1.0 / 3)));
  int md = MulDiv(-7, 3, 2);
  EXPECT_EQ(md, -11);
  EXPECT_EQ(st_run("local muldiv = dll.sig(k32.MulDiv, 'int(int, int, int)') "
                    "print(muldiv(-7, 3, 2), muldiv(1, 1, 0), muldiv(2^31 - 1, 2, 1))"),
            std::to_string(md) + "\t" + std::to_string(MulDiv(1, 1, 0)) + "\t" +
                std::to_string(MulDiv(0x7FFFFFFF, 2, 1)));
  // friendly C names, stdcall by default; unsigned results stay unsigned
  EXPECT_EQ(st_run("print(dll.sig(st.st_sub, 'unsigned long(DWORD, DWORD)')(1, 2), "
                    "dll.sig(st.st_sub, 'long(long, long)', 'stdcall')(1, 2))"),
            "4294967295\t-1");
}

TEST_F(Dll, EveryArgumentTypeReachesTheFunction) {
  double want = (double)(signed char)-5 + 65535.0 + (double)-123456789012LL +
                (double)0.25f + 1e-3 + 200.0;
  EXPECT_EQ(st_run("local mix = dll.sig(st.st_mix, "
                    "'double(i8, u16, i64, float, double, u8)') "
                    "print(mix(-5, 65535, -123456789012, 0.25, 1e-3, 200))"),
            num(want));
  float fs = 1.5f + (float)2.25 + 0.125f;
  EXPECT_EQ(st_run("print(dll.sig(st.st_fsum, 'float(float, double, float)', 'cdecl')"
                    "(1.5, 2.25, 0.125))"),
            num(fs));
  // narrow results ignore the rest of EAX; signed ones are signed
  EXPECT_EQ(st_run("print(dll.sig(st.st_junk_byte, 'char()', 'cdecl')(), "
                    "dll.sig(st.st_junk_byte, 'u8()', 'cdecl')(), "
                    "dll.sig(st.st_junk_byte, 'i16()', 'cdecl')(), "
                    "dll.sig(st.st_junk_byte, 'u32()', 'cdecl')())"),
            "-1\t255\t22271\t305420031");
}

TEST_F(Dll, SixtyFourBitValues) {
  EXPECT_EQ(st_run("local atoi64 = dll.sig(crt._atoi64, 'long long(string)', 'cdecl') "
                    "print(atoi64('123456789012345'), atoi64('-5000000000'), "
                    "atoi64('9007199254740993'))"),
            num((double)_atoi64("123456789012345")) + "\t" +
                num((double)_atoi64("-5000000000")) + "\t" +
                num((double)_atoi64("9007199254740993")));
  EXPECT_EQ(st_run("local neg = dll.sig(st.st_neg64, 'i64(i64)') "
                    "local i64toa = dll.sig(crt._i64toa, 'string(i64, buffer, int)', 'cdecl') "
                    "print(neg(5000000000), neg(-1), i64toa(-1234567890123, dll.buffer(32), 10), "
                    "dll.sig(st.st_u64max, 'u64()', 'cdecl')() == 2^64)"),
            "-5000000000\t1\t-1234567890123\ttrue");
}

TEST_F(Dll, GetSystemTimeIntoABuffer) {
  SYSTEMTIME c;
  GetSystemTime(&c);
  std::string out = st_run(
      "local t = dll.buffer(16) dll.sig(k32.GetSystemTime, 'void(buffer)')(t) "
      "print(t:u16(0), t:u16(2) >= 1 and t:u16(2) <= 12, t:u16(6) >= 1 and t:u16(6) <= 31, "
      "t:u16(8) < 24, #t)");
  EXPECT_EQ(out, std::to_string(c.wYear) + "\ttrue\ttrue\ttrue\t16");
  EXPECT_GE(c.wYear, 2020);
}

TEST_F(Dll, UntypedCallsPassABuffersMemoryAndACallbacksCode) {
  SYSTEMTIME c;
  GetSystemTime(&c);
  EXPECT_EQ(st_run("local t = dll.buffer(16) k32.GetSystemTime(t) "
                   "local cb = dll.callback(function(a, b) return a * b end, 'int(int,int)') "
                   "print(t:u16(0), #t, st.st_call_std(cb, 6, 7))"),
            std::to_string(c.wYear) + "\t16\t42");
}

TEST_F(Dll, EnumWindowsCountsOurWindows) {
  HWND own = CreateWindowA("STATIC", "dll test", WS_OVERLAPPED, 0, 0, 50, 50, NULL,
                           NULL, GetModuleHandleA(NULL), NULL);
  ASSERT_NE(own, nullptr);
  struct Count {
    static BOOL CALLBACK one(HWND h, LPARAM lp) {
      DWORD pid = 0;
      GetWindowThreadProcessId(h, &pid);
      if (pid == GetCurrentProcessId()) ++*(int *)lp;
      return TRUE;
    }
  };
  int mine = 0;
  EnumWindows(Count::one, (LPARAM)&mine);
  EXPECT_GE(mine, 2);
  EXPECT_EQ(st_run("local pid = k32.GetCurrentProcessId() "
                    "local owner = dll.sig(u32.GetWindowThreadProcessId, 'u32(pointer, buffer)') "
                    "local b, n, seen = dll.buffer(4), 0, 0 "
                    "local cb = dll.callback(function(hwnd, lp) "
                    "  seen = seen + 1 owner(hwnd, b) "
                    "  if b:u32(0) == pid then n = n + 1 end return 1 end, "
                    "'BOOL(HWND, LPARAM)', 'stdcall') "
                    "local r = dll.sig(u32.EnumWindows, 'int(pointer, pointer)')(cb, 0) "
                    "print(r, n, seen >= n)"),
            "1\t" + std::to_string(mine) + "\ttrue");
  DestroyWindow(own);
}

TEST_F(Dll, QsortWithACdeclComparison) {
  std::mt19937 gen(20261208);
  std::uniform_int_distribution<int> d(-1000000, 1000000);
  std::vector<int> v(300);
  for (int &x : v) x = d(gen);
  // the input goes in through the API: a terminal line holds 511 characters
  lua_State *L = drv_state();
  lua_createtable(L, (int)v.size(), 0);
  for (size_t i = 0; i < v.size(); i++) {
    lua_pushnumber(L, v[i]);
    lua_rawseti(L, -2, (int)i + 1);
  }
  lua_setglobal(L, "input");
  std::sort(v.begin(), v.end());
  lua_createtable(L, (int)v.size(), 0);
  for (size_t i = 0; i < v.size(); i++) {
    lua_pushnumber(L, v[i]);
    lua_rawseti(L, -2, (int)i + 1);
  }
  lua_setglobal(L, "sorted");
  drv_run("b = dll.buffer(4 * #input) for i = 1, #input do b:seti32(4 * (i - 1), input[i]) end");
  EXPECT_EQ(st_run("local base = b:address() "
                   "local cmp = dll.callback(function(x, y) "
                   "  local p, q = b:i32(x - base), b:i32(y - base) "
                   "  return p < q and -1 or p > q and 1 or 0 end, "
                   "'int(const void *, const void *)', 'cdecl') "
                   "dll.sig(crt.qsort, 'void(buffer, size_t, size_t, pointer)', 'cdecl')"
                   "(b, #input, 4, cmp) local bad = 0 for i = 1, #sorted do "
                   "if b:i32(4 * (i - 1)) ~= sorted[i] then bad = bad + 1 end end "
                   "print(#sorted, bad)"),
            "300\t0");
  drv_run("b, input, sorted = nil");
}

TEST_F(Dll, CallbacksInBothConventionsAndFloatingResults) {
  drv_run("cs = dll.callback(function(a, b) return a - b end, 'int(int,int)') "
          "cc = dll.callback(function(a, b) return a * b end, 'int(int,int)', 'cdecl') "
          "cf = dll.callback(function(a, b) return a + b end, "
          "'double(float, double)', 'cdecl')");
  EXPECT_EQ(st_run("print(st.st_call_std(cs:address(), 10, 3), "
                   "dll.sig(st.st_call_cdecl, 'int(pointer,int,int)', 'cdecl')(cc, -6, 7), "
                   "dll.sig(st.st_std_pops, 'int(pointer)', 'cdecl')(cs))"),
            "7\t-42\t-1");
  EXPECT_EQ(st_run("print(dll.sig(st.st_call_fp, 'double(pointer,float,double)', 'cdecl')"
                   "(cf, 0.5, 0.25), dll.sig(cf, 'double(float, double)', 'cdecl')(1.5, 2))"),
            "0.75\t3.5");
  drv_run("cs, cc, cf = nil");
}

TEST_F(Dll, CallbackStringArgumentsAreReadUnderTheGuard) {
  std::string out = st_run(
      "local cb = dll.callback(function(a, b, c) print(a, b, c) return 5 end, "
      "'int(string, string, string)') "
      "print(dll.sig(st.st_call_str, 'int(pointer)', 'cdecl')(cb))");
  EXPECT_TRUE(has(out, "a string argument cannot be read")) << out;
  EXPECT_TRUE(has(out, "hello\tnil\tnil")) << out;
  EXPECT_EQ(out.back(), '5') << out;
}

TEST_F(Dll, ATypedFunctionKeepsItsCallback) {
  EXPECT_EQ(st_run("local add = dll.sig(dll.callback(function(a, b) return a + b end, "
                   "'int(int,int)'), 'int(int,int)') collectgarbage() collectgarbage() "
                   "print(add(2, 3))"),
            "5");
  std::string out = drv_run("print(select('#', getmetatable(dll.callback(print, 'void()'))"
                            ".__index.address(5)))");
  EXPECT_TRUE(has(out, "callback:address: call it on a callback, with a colon")) << out;
}

TEST_F(Dll, AnErrorInACallbackIsReportedAndGivesZero) {
  std::string out = st_run(
      "local cb = dll.callback(function() error('inside the callback') end, "
      "'int(pointer, pointer)') "
      "print(dll.sig(u32.EnumWindows, 'int(pointer, pointer)')(cb, 0), 'after')");
  EXPECT_TRUE(has(out, "trelk:")) << out;
  EXPECT_TRUE(has(out, "inside the callback")) << out;
  EXPECT_TRUE(has(out, "stack traceback")) << out;
  EXPECT_TRUE(has(out, "0\tafter")) << out;
  // a result of the wrong type is an error of the callback too
  out = st_run("local cb = dll.callback(function() return {} end, 'int(int,int)') "
                "print(st.st_call_std(cb:address(), 1, 2))");
  EXPECT_TRUE(has(out, "the result must be a number")) << out;
  EXPECT_EQ(out.substr(out.size() - 2), "\r0") << out;
  EXPECT_EQ(st_run("print(pcall(error, 'e', 0))"), "false\te");
}

TEST_F(Dll, ACollectedOrFreedCallbackAnswersZero) {
  std::string out = st_run(
      "local a = dll.callback(function() return 1 end, 'int(int,int)'):address() "
      "collectgarbage() collectgarbage() print(st.st_call_std(a, 1, 2))");
  EXPECT_TRUE(has(out, "called after it was freed or collected")) << out;
  EXPECT_EQ(out.substr(out.size() - 2), "\r0") << out;
  out = st_run("local cb = dll.callback(function(a, b) return a + b end, 'int(int,int)') "
                "local a = cb:address() local r = st.st_call_std(a, 1, 2) cb:free() "
                "print(r, st.st_call_std(a, 1, 2), tostring(cb):match('freed'))");
  EXPECT_TRUE(has(out, "called after it was freed or collected")) << out;
  EXPECT_TRUE(has(out, "3\t0\tfreed")) << out;
}

TEST_F(Dll, FaultsAreGuardedAndTheScriptGoesOn) {
  std::string out = st_run("print(select('#', dll.sig(st.st_crash, 'int()')()), 1.5 + 2.25)");
  EXPECT_TRUE(has(out, fault)) << out;
  EXPECT_TRUE(has(out, "0\t3.75")) << out;
  // a fault inside a DLL called from a callback
  out = st_run("local cb = dll.callback(function(a, b) return st.st_crash() end, 'int(int,int)') "
                "print(st.st_call_std(cb:address(), 1, 2), 'on')");
  EXPECT_TRUE(has(out, fault)) << out;
  EXPECT_TRUE(has(out, "on")) << out;
  // floating results leave the FPU stack empty
  EXPECT_EQ(st_run("local f = dll.sig(crt.pow, 'double(double,double)', 'cdecl') "
                    "for i = 1, 20 do f(2, i) end print(1.5 + 2.25, 2 ^ 0.5 > 1.41)"),
            "3.75\ttrue");
}

TEST_F(Dll, BadSignaturesAndArgumentsAreRefused) {
  struct {
    const char *code, *message;
  } cases[] = {
      {"dll.sig(crt.pow, 'dbl(double)')", "bad signature \"dbl(double)\": unknown type 'dbl' at position 1"},
      {"dll.sig(crt.pow, 'double(double')", "',' or ')' expected at position 14"},
      {"dll.sig(crt.pow, 'double(double)', 'fastcall')", "unknown calling convention 'fastcall'"},
      {"dll.sig(crt.pow, 'buffer()')", "a buffer is not a result type"},
      {"dll.sig(0, 'int()')", "an address other than 0"},
      {"dll.sig(crt.pow, 'double(double,double)', 'cdecl')(1)", "takes 2 arguments, not 1"},
      {"dll.sig(crt.pow, 'double(double,double)', 'cdecl')(1, 'x')", "argument 2 must be a number, not string"},
      {"dll.sig(crt.strlen, 'int(string)', 'cdecl')({})", "argument 1 must be a string or nil, not table"},
      {"dll.sig(k32.GetSystemTime, 'void(buffer)')('x')", "argument 1 must be a buffer or nil"},
      {"dll.callback(print, 'string()')", "cannot return a string"},
      {"dll.callback(print, 'int(buffer)')", "receives a pointer, not a buffer"},
      {"dll.callback(1, 'int()')", "must be a function"},
  };
  for (auto &c : cases) {
    std::string out = st_run(std::string("print(select('#', ") + c.code + "))");
    EXPECT_TRUE(has(out, c.message)) << c.code << ": " << out;
    EXPECT_EQ(out.substr(out.size() - 1), "0") << c.code << ": " << out;
  }
}

TEST_F(Dll, TypedFunctionsKeepTheirLibraryLoaded) {
  drv_run("typed = dll.sig(ldlyb('systest.dll').st_sub, 'int(int,int)') "
          "collectgarbage() collectgarbage()");
  EXPECT_EQ(drv_run("print(typed(2, 5))"), "-3");
  EXPECT_NE(GetModuleHandleA("systest.dll"), nullptr);
  drv_run("typed = nil collectgarbage() collectgarbage()");
  EXPECT_EQ(GetModuleHandleA("systest.dll"), nullptr);
}

}  // namespace
