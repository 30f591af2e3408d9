// ls, pwd, attr, drives and ldlyb in the program's own state, typed at the
// real terminal.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/inproc/terminal/driver.h"
#include "tests/support/ts_tmp.h"

namespace {

bool has(const std::string &s, const std::string &part) {
  return s.find(part) != std::string::npos;
}

const char fault[] = "Error! exception is occured inside asm module call";

struct Syslib : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
};

TEST_F(Syslib, LsOfAMissingFolderGivesNothing) {
  EXPECT_EQ(drv_run("print(select('#', ls('no_such_folder_here')))"), "0");
  EXPECT_EQ(drv_run("print(select('#', ls('no_such_folder_here\\\\deeper')))"), "0");
}

TEST_F(Syslib, LsOfAnEmptyFolderHoldsDotAndDotDot) {
  CreateDirectoryA("empty_folder", NULL);
  EXPECT_EQ(drv_run("local t = ls('empty_folder') print(t.n, t[1], t[2], t[3])"),
            "2\t.\t..\tnil");
  RemoveDirectoryA("empty_folder");
}

TEST_F(Syslib, LsWithoutArgumentListsTheCurrentFolder) {
  char run_dir[MAX_PATH];
  GetCurrentDirectoryA(sizeof run_dir, run_dir);
  SetCurrentDirectoryA(ts_here("").c_str());   // only looks: beside systest.dll
  std::string out = drv_run(
      "local t, seen = ls(), false "
      "for i = 1, t.n do seen = seen or t[i] == 'systest.dll' end "
      "print(seen, t.n == #t)");
  SetCurrentDirectoryA(run_dir);
  EXPECT_EQ(out, "true\ttrue");
}

TEST_F(Syslib, LsRejectsATable) {
  std::string out = drv_run("print(select('#', ls({})))");
  EXPECT_TRUE(has(out, "ls: the directory must be a string")) << out;
  EXPECT_TRUE(has(out, "0")) << out;
}

TEST_F(Syslib, PwdIsTheCurrentDirectory) {
  char dir[MAX_PATH];
  GetCurrentDirectoryA(MAX_PATH, dir);
  EXPECT_EQ(drv_run("print(pwd())"), dir);
}

TEST_F(Syslib, AttrOfADirectory) {
  CreateDirectoryA("attr_dir", NULL);
  EXPECT_EQ(drv_run("local a = attr('attr_dir') "
                    "print(a.attr:sub(1, 1), a.size, type(a.time.write))"),
            "d\tnil\tnumber");
  RemoveDirectoryA("attr_dir");
}

TEST_F(Syslib, AttrOfAFile) {
  HANDLE h = CreateFileA("attr_file.txt", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, NULL);
  DWORD w;
  WriteFile(h, "12345", 5, &w, NULL);
  FILETIME ft;
  GetFileTime(h, NULL, NULL, &ft);
  CloseHandle(h);
  SetFileAttributesA("attr_file.txt", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                         FILE_ATTRIBUTE_ARCHIVE);
  std::string out = drv_run("local a = attr('attr_file.txt') "
                            "print(a.attr, a.size, a.time.write)");
  EXPECT_EQ(out, "ahr\t5\t" + std::to_string(ft.dwHighDateTime));
  SetFileAttributesA("attr_file.txt", FILE_ATTRIBUTE_NORMAL);
  DeleteFileA("attr_file.txt");
}

TEST_F(Syslib, AttrSizeIsTheLow32Bits) {
  HANDLE h = CreateFileA("big_file.bin", GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, NULL);
  LARGE_INTEGER at;
  at.QuadPart = 4294967297LL;  // 4 GiB + 1, sparse on the host
  ASSERT_TRUE(SetFilePointerEx(h, at, NULL, FILE_BEGIN));
  ASSERT_TRUE(SetEndOfFile(h));
  CloseHandle(h);
  EXPECT_EQ(drv_run("print(attr('big_file.bin').size)"), "1");
  DeleteFileA("big_file.bin");
}

TEST_F(Syslib, AttrGivesNothingForBadInput) {
  EXPECT_EQ(drv_run("print(select('#', attr('no_such_file')), select('#', attr()), "
                    "select('#', attr(5)))"),
            "0\t0\t0");
}

TEST_F(Syslib, DrivesListsTheRoots) {
  char buf[1024];
  DWORD len = GetLogicalDriveStringsA(sizeof buf, buf);
  int n = 0;
  for (const char *p = buf; p < buf + len && *p; p += strlen(p) + 1) n++;
  EXPECT_EQ(drv_run("local d = drives() print(d.n, d[1])"),
            std::to_string(n) + "\t" + std::string(buf));
}

TEST_F(Syslib, LdlybCallsKernel32) {
  EXPECT_EQ(drv_run("local k = ldlyb('kernel32.dll') local t = k.GetTickCount() "
                    "print(t >= 0, type(k.HANDLE), math.floor(t) == t)"),
            "true\tuserdata\ttrue");
}

TEST_F(Syslib, LdlybWithoutALibraryGivesNothing) {
  EXPECT_EQ(drv_run("print(select('#', ldlyb()), select('#', ldlyb('no_such.dll')))"),
            "0\t0");
  std::string out = drv_run("print(select('#', ldlyb({})))");
  EXPECT_TRUE(has(out, "ldlyb: the path must be a string")) << out;
}

TEST_F(Syslib, TableArgumentStopsAtTheFirstNil) {
  EXPECT_EQ(drv_run("local t = ldlyb('systest.dll') "
                    "print(t.st_count({1, 2, nil, 4}), t.st_sum({1, 2, nil, 4}))"),
            "2\t3");
}

TEST_F(Syslib, NestedTablesAndStrings) {
  EXPECT_EQ(drv_run("local t = ldlyb('systest.dll') "
                    "print(t.st_at2({{1, 2}, {3, 4, 5}}, 1, 2), t.st_strlen('hello'), "
                    "t.st_null(nil), t.st_null(print), t.st_null(true))"),
            "5\t5\t1\t1\t0");
}

TEST_F(Syslib, BothCallingConventionsAndUnsignedResults) {
  EXPECT_EQ(drv_run("local t = ldlyb('systest.dll') "
                    "print(t.st_sub(10, 3), t.st_sub_cdecl(3, 10), t.st_max(), "
                    "t.st_sub(1, 2) + t.st_sub_cdecl(1, 2))"),
            "7\t4294967289\t4294967295\t8589934590");
}

TEST_F(Syslib, ManyArguments) {
  EXPECT_EQ(drv_run("local a = {2000} for i = 2, 2001 do a[i] = 1 end "
                    "print(ldlyb('systest.dll').st_argc_sum(unpack(a)))"),
            "2000");
}

TEST_F(Syslib, FaultsAreGuarded) {
  const char *calls[] = {"st_crash()", "st_divide(1, 0)", "st_raise()",
                         "st_wild()", "st_fpu_crash()"};
  for (const char *c : calls) {
    std::string out = drv_run(std::string("local t = ldlyb('systest.dll') "
                                          "print(t.") + c + ", 1.5 + 2.25)");
    EXPECT_TRUE(has(out, fault)) << c << ": " << out;
    EXPECT_TRUE(has(out, "-1\t3.75")) << c << ": " << out;
  }
  // the state is whole: calls and errors work as before
  EXPECT_EQ(drv_run("print(ldlyb('systest.dll').st_sub(5, 2), pcall(error, 'e', 0))"),
            "3\tfalse\te");
}

TEST_F(Syslib, ManyFaultsLeakNothing) {
  uint32_t head;
  __asm__ volatile("movl %%fs:0, %0" : "=r"(head));
  drv_run("collectgarbage() kb0 = collectgarbage('count')");
  std::string out = drv_run("local t, n = ldlyb('systest.dll'), 0 for i = 1, 300 do "
                            "n = n + t.st_crash() + t.st_raise() + t.st_wild() end "
                            "print(n, t.st_sub(5, 2))");
  EXPECT_TRUE(has(out, "-900\t3")) << out.substr(out.size() > 200 ? out.size() - 200 : 0);
  uint32_t now;
  __asm__ volatile("movl %%fs:0, %0" : "=r"(now));
  EXPECT_EQ(now, head);
  EXPECT_EQ(drv_run("collectgarbage() print(collectgarbage('count') - kb0 < 64)"), "true");
  // the C call depth is as before: 150 nested protected calls fit
  EXPECT_EQ(drv_run("local function p(n) if n == 0 then return 0 end "
                    "return select(2, pcall(p, n - 1)) + 1 end print(p(150))"),
            "150");
}

TEST_F(Syslib, StackIsAlignedAndTheFpuStackEmptied) {
  EXPECT_EQ(drv_run("local f = ldlyb('systest.dll').st_align "
                    "print(f(), f(1), f(1, 2), f(1, 2, 3), f(1, 2, 3, 4))"),
            "0\t0\t0\t0\t0");
  // 20 results left in ST0 would overflow the 8 registers of the FPU stack
  EXPECT_EQ(drv_run("local f = ldlyb('systest.dll').st_half for i = 1, 20 do f() end "
                    "print(1.5 + 2.25, 2 ^ 0.5 > 1.41)"),
            "3.75\ttrue");
}

TEST_F(Syslib, StackOverflowIsGuardedTwice) {
  for (int i = 0; i < 2; i++) {
    std::string out = drv_run("print(ldlyb('systest.dll').st_overflow(0))");
    EXPECT_TRUE(has(out, fault)) << out;
    EXPECT_TRUE(has(out, "-1")) << out;
  }
}

TEST_F(Syslib, TheCalleesOwnHandlersComeFirst) {
  std::string out = drv_run("local t = ldlyb('systest.dll') "
                            "print(t.st_seh_crash(), t.st_unwound())");
  EXPECT_TRUE(has(out, fault)) << out;
  EXPECT_TRUE(has(out, "-1\t1")) << out;  // its frame was unwound once
  EXPECT_EQ(drv_run("print(ldlyb('systest.dll').st_seh_handled())"), "42");
}

TEST_F(Syslib, ExportsKeepTheLibraryLoaded) {
  drv_run("f = ldlyb('systest.dll').st_max collectgarbage() collectgarbage()");
  EXPECT_NE(GetModuleHandleA("systest.dll"), nullptr);
  EXPECT_EQ(drv_run("print(f())"), "4294967295");
  drv_run("f = nil collectgarbage() collectgarbage()");
  EXPECT_EQ(GetModuleHandleA("systest.dll"), nullptr);
}

TEST_F(Syslib, ExportCallNeedsItsOwnUserdata) {
  std::string out = drv_run(
      "local k = ldlyb('kernel32.dll') "
      "print(pcall(getmetatable(k.GetTickCount).__call, 5))");
  EXPECT_TRUE(has(out, "false")) << out;
}

TEST_F(Syslib, CyclicTableIsRefused) {
  std::string out = drv_run("local c = {} c[1] = c "
                            "print(select('#', ldlyb('systest.dll').st_count(c)))");
  EXPECT_TRUE(has(out, "nested too deeply")) << out;
  EXPECT_TRUE(has(out, "0")) << out;
}

}  // namespace
