// `modules' from scripts: the built-in modules, hand-made images with
// function and variable members, DLL modules.
#include "tests/inproc/modules/images.h"

#include <math.h>
#include <string.h>

#include "native/modules/mod_call.h"
#include "native/modules/mod_image.h"
#include "native/modules/mod_registry.h"
#include "native/modules/modules.h"
#include "tests/unit/modules/msg_double.h"

namespace {

class Modules : public ModState {};

TEST_F(Modules, BuiltInsAtStart) {
  EXPECT_EQ(img_start_names, "4 lua mem str interf");
  EXPECT_EQ(run("return modules[modules.n + 1]"), "nil");
  EXPECT_EQ(run("return modules[0]"), "nil");
  EXPECT_EQ(run("return modules.byname.lua.name"), "lua");
  EXPECT_EQ(run("return modules.byname.mem[1].name"), "get");
  EXPECT_EQ(run("return modules.byname.nope"), "nil");
  EXPECT_EQ(run("return modules.other"), "nil");
  EXPECT_EQ(run("return modules.byname.lua[1]"), "nil");   // handlers only
  EXPECT_EQ(run("return modules.byname.mem.comment"), "nil");
  EXPECT_EQ(run("return modules.byname.mem.src"), "nil");
  EXPECT_EQ(run("return type(modules.byname.mem.func)"), "function");
  EXPECT_EQ(run("return select('#', modules.byname.mem.func())"), "0");
}

TEST_F(Modules, TypeTextsAndAccess) {
  EXPECT_EQ(run("return modules.byname.mem.byname.get.type"), "f:ud:ud;");
  EXPECT_EQ(run("return modules.byname.mem.byname.free.type"), "f:ud:;");
  EXPECT_EQ(run("return modules.byname.str.byname.cat.type"), "f:us,us:us;");
  EXPECT_EQ(run("return modules.byname.interf.byname.new.type"), "f::ud;");
  EXPECT_EQ(run("return modules.byname.str.byname.match.type"), "f:us,us,ud,ud:ud;");
  EXPECT_EQ(run("return modules.byname.mem.byname.get.access"), "x");
  EXPECT_EQ(run("return modules.byname.mem.byname.get.val"), "nil");
  EXPECT_EQ(run("return modules.byname.mem.byname.get.comment"), "");
  EXPECT_EQ(run("return modules.byname.mem.byname.nope"), "nil");
  EXPECT_EQ(run("return modules.byname.mem[6]"), "nil");
}

TEST_F(Modules, MemAndStrFromScripts) {
  EXPECT_EQ(run("local m = modules.byname.mem.byname "
                "local p = m.get(16) "
                "local s = m.size(p) m.free(p) return s"), "24");
  EXPECT_EQ(run("return modules.byname.mem.byname.get(-1)"), "0");   // would wrap
  EXPECT_EQ(run("local m = modules.byname.mem.byname "
                "local p = m.get(4) local q = m.reget(p, 100) "
                "local s = m.size(q) m.free(q) return s"), "108");
  EXPECT_EQ(run("return modules.byname.mem.byname.reget(0, 8)"), "0");
  EXPECT_EQ(run("local s = modules.byname.str.byname return s.len('hello')"), "5");
  EXPECT_EQ(run("local s = modules.byname.str.byname return s.cmp('a', 'b') < 0"), "true");
  EXPECT_EQ(run("local s = modules.byname.str.byname return s.cmp('b', 'b')"), "0");
  // The called code writes into a copy: the script's strings stay as they were.
  EXPECT_EQ(run("local a = 'ab' local r = modules.byname.str.byname.cat(a, 'cd') "
                "return r .. '|' .. a"), "abcd|ab");
  EXPECT_EQ(run("local x = string.rep('x', 3000) "
                "return #modules.byname.str.byname.cat(x, x)"), "6000");
  EXPECT_EQ(run("return modules.byname.str.byname.format('', 'n=%%d')"), "4");
  EXPECT_EQ(run("return modules.byname.interf.byname.new() ~= 0"), "true");
  EXPECT_EQ(msg_log, "");
}

TEST_F(Modules, MatchReportsUntilTheRegexLayerIsThere) {
  EXPECT_EQ(run("return modules.byname.str.byname.match('abc', 'b', 0, 0)"), "0");
  EXPECT_EQ(msg_log, "str.match: regular expressions are not available\n");
  static uint32_t block[3] = {1, 1, 2};
  struct mod_ops keep = mod_ops;
  mod_ops.match = [](const char *s, const char *p, uint32_t, uint32_t) -> void * {
    return std::string(s) == "abc" && std::string(p) == "b" ? block : nullptr;
  };
  EXPECT_EQ(run("return modules.byname.str.byname.match('abc', 'b', 0, 0)"),
            std::to_string((uintptr_t)block));
  mod_ops = keep;
}

// Module "arith": add (stdcall) and sub (cdecl), both ud,ud -> ud; neg
// (sd -> sd); text (-> us) returning its own variable; variables.
mb_bytes arith_image(const char *name) {
  mb_image im;
  im.name = name;
  im.comment = "arithmetic";
  im.code = {
      0x8B, 0x44, 0x24, 0x04, 0x03, 0x44, 0x24, 0x08, 0xC2, 0x08, 0x00,  // 6 add
      0x8B, 0x44, 0x24, 0x04, 0x2B, 0x44, 0x24, 0x08, 0xC3,              // 17 sub
      0x8B, 0x44, 0x24, 0x04, 0xF7, 0xD8, 0xC3,                          // 26 neg
      0xB8, 0, 0, 0, 0, 0xC3,                                            // 33 text
      0x2A, 0, 0, 0,                                                     // 39 v
      'h', 'i', 0, 0, 0, 0, 0, 0,                                        // 43 s[8]
      0, 0, 0, 0, 0, 0, 0xF8, 0x3F,                                      // 51 r 1.5
      0xFF,                                                              // 59 b
      0x34, 0x12,                                                        // 60 w
  };
  mb_member(im.members, "add", "a+b", 0, mb_sig({3, 3}, {3}), 6);
  mb_member(im.members, "sub", "", 0, mb_sig({3, 3}, {3}), 17);
  mb_member(im.members, "neg", "", 0, mb_sig({0x83}, {0x83}), 26);
  mb_member(im.members, "text", "", 0, mb_sig({}, {7}), 33);
  mb_member(im.members, "v", "", 0x33, {}, 39);
  mb_member(im.members, "s", "", 0x37, {}, 43);
  mb_member(im.members, "r", "", 0x90, {}, 51);
  mb_member(im.members, "b", "", 0xB1, {}, 59);
  mb_member(im.members, "w", "", 0x02, {}, 60);
  uint32_t at = 6 + 27 + 1;   // the immediate of `mov eax, s' ...
  im.code[at - 6] = 43;       // ... holds the offset of s, relocated
  mb_vnum(im.relocs, at);
  return mb_finish(im, nullptr);
}

TEST_F(Modules, CallsFunctionMembers) {
  std::string n = run("return modules.n + 1");
  ASSERT_NE(img_load(arith_image("arith")), nullptr) << msg_log;
  EXPECT_EQ(run("return modules.n"), n);   // appended
  EXPECT_EQ(run("local m = modules[modules.n] return m.name .. ' ' .. m.comment"),
            "arith arithmetic");
  run("f = modules.byname.arith.byname");
  EXPECT_EQ(run("return f.add(2, 3)"), "5");
  EXPECT_EQ(run("return f.sub(2, 3)"), "-1");         // signed 32-bit result
  EXPECT_EQ(run("return f.add(3.9, -3.9)"), "0");     // truncated toward zero
  EXPECT_EQ(run("return f.add(2^32 + 1, 1)"), "2");   // low 32 bits
  EXPECT_EQ(run("return f.add(7)"), "7");             // missing argument is 0
  EXPECT_EQ(run("return f.add(1, 2, 3, 4)"), "3");    // extra arguments ignored
  EXPECT_EQ(run("return f.add(nil, true)"), "0");
  EXPECT_EQ(run("return type(f.add('5', 1))"), "number");   // the text's address
  EXPECT_EQ(run("return f.neg(5)"), "-5");
  EXPECT_EQ(run("return f.text()"), "hi");
  EXPECT_EQ(run("return f.add.type .. f.neg.type .. f.text.type"),
            "f:ud,ud:ud;f:sd:sd;f::us;");
  EXPECT_EQ(run("return f.add.comment"), "a+b");
  EXPECT_EQ(run("local n = 0 for i = 1, 1000 do n = f.add(n, 1) end return n"), "1000");
  EXPECT_EQ(msg_log, "");
}

TEST_F(Modules, ReadsAndWritesVariables) {
  ASSERT_NE(img_load(arith_image("vars")), nullptr) << msg_log;
  run("f = modules.byname.vars.byname");
  EXPECT_EQ(run("return f.v.val"), "42");
  EXPECT_EQ(run("return f.v.type .. ' ' .. f.v.access"), "ud rw");
  EXPECT_EQ(run("f.v.val = 7.8 return f.v.val"), "7");
  EXPECT_EQ(run("f.v.val = -1 return f.v.val"), "4294967295");   // unsigned
  EXPECT_EQ(run("return f.s.val"), "hi");
  EXPECT_EQ(run("f.s.val = 'abcdefg' return f.s.val"), "abcdefg");
  EXPECT_EQ(msg_log, "");
  // Eight bytes of storage up to the next member: the text is cut there.
  EXPECT_EQ(run("f.s.val = 'abcdefghijk' return f.s.val"), "abcdefg");
  EXPECT_EQ(msg_log, "Text too long for member 's'; it is cut\n");
  EXPECT_EQ(run("return f.r.val"), "1.5");                       // neighbour intact
  EXPECT_EQ(run("f.r.val = -2.25 return f.r.val .. f.r.type .. f.r.access"), "-2.25rr");
  EXPECT_EQ(run("return f.b.val .. f.b.type"), "-1sb");          // signed byte
  EXPECT_EQ(run("f.b.val = 300 return f.b.val"), "44");          // low 8 bits
  EXPECT_EQ(run("return f.w.val"), "4660");                      // word, 0x1234
  EXPECT_EQ(run("return f.w.access"), "");
  EXPECT_EQ(run("return f.text()"), "abcdefg");                 // code sees the writes
  msg_log.clear();
  EXPECT_EQ(run("f.add.val = 1 return f.add(1, 1)"), "2");
  EXPECT_EQ(msg_log, "Member 'add' is not a variable\n");
  EXPECT_EQ(run("f.v.other = 1"), "error: [string \"f.v.other = 1\"]:1: only 'val' of a member can be set");
}

TEST_F(Modules, NameAlreadyLoaded) {
  ASSERT_NE(img_load(arith_image("again")), nullptr);
  std::string n = run("return modules.n");
  EXPECT_EQ(img_load(arith_image("again")), nullptr);
  EXPECT_EQ(msg_log, "Module with name 'again' already loaded. Unload it first.");
  EXPECT_EQ(run("return modules.n"), n);
  EXPECT_EQ(run("return modules.byname.again.byname.add(1, 1)"), "2");
}

TEST_F(Modules, SourceIsKeptForTheModule) {
  mb_bytes img = arith_image("withsrc");
  uint8_t *p = img_load(img);
  ASSERT_NE(p, nullptr);
  mod_attach_source(p, "withsrc! ret");
  EXPECT_EQ(run("return modules.byname.withsrc.src"), "withsrc! ret");
}

// "ticks": mov eax, GetTickCount (bound by the loader); call eax; ret.
TEST_F(Modules, DllModuleIsLoadedForAnImport) {
  mb_image im;
  im.name = "ticker";
  im.code = {0xB8, 0, 0, 0, 0, 0xFF, 0xD0, 0xC3};
  mb_member(im.members, "ticks", "", 0, mb_sig({}, {3}), 6);
  mb_bytes entries;
  mb_member(entries, "GetTickCount", "", 0, {}, 7);
  im.imports = mb_import("KERNEL32.DLL", nullptr, entries);
  ASSERT_NE(img_load(mb_finish(im, nullptr)), nullptr) << msg_log;
  EXPECT_EQ(run("return modules[1].name"), "KERNEL32.dll");   // in front
  EXPECT_EQ(run("return modules.byname.ticker.byname.ticks() > 0"), "true");
  // Exports have no declared result: the call gives nil.
  EXPECT_EQ(run("return modules[1].byname.GetTickCount()"), "nil");
  EXPECT_EQ(run("return modules[1].byname.GetTickCount.type"), "f;");
  EXPECT_EQ(run("local m = modules[1] local n = 0 "
                "while m[n + 1] do n = n + 1 end return n > 100"), "true");
}

TEST_F(Modules, MissingDllOrMember) {
  mb_image im;
  im.name = "needy";
  im.code = {0xC3};
  mb_bytes entries;
  mb_member(entries, "Nothing", "", 0, {}, 0);
  im.imports = mb_import("nosuch.DLL", nullptr, entries);
  std::string n = run("return modules.n");
  EXPECT_EQ(img_load(mb_finish(im, nullptr)), nullptr);
  EXPECT_EQ(msg_log, "No find required module 'nosuch.DLL'");
  msg_log.clear();
  im.imports = mb_import("kernel32.dll", nullptr, entries);
  EXPECT_EQ(img_load(mb_finish(im, nullptr)), nullptr);
  EXPECT_EQ(msg_log, "No find member 'Nothing' of module 'kernel32.dll'\n");
  msg_log.clear();
  // Importing a member with another signature than it has.
  mb_bytes wrong;
  mb_member(wrong, "get", "", 0, mb_sig({3, 3}, {3}), 0);
  im.imports = mb_import("mem", nullptr, wrong);
  EXPECT_EQ(img_load(mb_finish(im, nullptr)), nullptr);
  EXPECT_EQ(msg_log, "Wrong type of member 'get' of module 'mem'");
}

}  // namespace

namespace {

// "user" imports arith2.add (stdcall) and calls it with 3 and 4.
TEST_F(Modules, ModuleImportsAMemberOfAnotherModule) {
  ASSERT_NE(img_load(arith_image("arith2")), nullptr) << msg_log;
  mb_image im;
  im.name = "user";
  im.code = {0x6A, 0x04, 0x6A, 0x03, 0xB8, 0, 0, 0, 0, 0xFF, 0xD0, 0xC3};
  mb_member(im.members, "seven", "", 0, mb_sig({}, {3}), 6);
  mb_bytes entries;
  mb_member(entries, "add", "", 0, mb_sig({3, 3}, {3}), 6 + 5);
  im.imports = mb_import("arith2", nullptr, entries);
  ASSERT_NE(img_load(mb_finish(im, nullptr)), nullptr) << msg_log;
  EXPECT_EQ(run("return modules.byname.user.byname.seven()"), "7");
  EXPECT_EQ(mr_find("arith2")->users, 1u);
}

TEST_F(Modules, ArgumentsOfEveryType) {
  ASSERT_NE(img_load(arith_image("arith3")), nullptr) << msg_log;
  run("f = modules.byname.arith3.byname");
  EXPECT_EQ(run("return f.add({}, print)"), "0");      // read as numbers
  EXPECT_EQ(run("return f.add(false, 1)"), "1");
  EXPECT_EQ(run("return f.add(coroutine.create(function() end), 0)"), "0");
  // A full userdata passes the first word of its block: here the record
  // pointer of a module object.
  EXPECT_EQ(run("return f.add(modules.byname.arith3, 0)"),
            std::to_string((int32_t)(uintptr_t)mr_find("arith3")));
  EXPECT_EQ(run("return f.neg(0/0)"), "0");            // not a number: 0
  EXPECT_EQ(run("return f.neg(1e300)"), "0");
  EXPECT_EQ(run("return f.text(1, 2, 3)"), "hi");
  EXPECT_EQ(run("return modules.byname.str.byname.len()"), "0");   // null text
  EXPECT_EQ(run("return modules.byname.str.byname.len(12345)"), "5");
  EXPECT_EQ(msg_log, "");
}

// A call takes a shortcut when every argument is a whole number in 32 bits;
// through either way a number must reach the code as the plain conversion
// gives it (a Lua model of it here), whatever mix the arguments are.
TEST_F(Modules, CallWordsMatchThePlainConversion) {
  ASSERT_NE(img_load(arith_image("arith4")), nullptr) << msg_log;
  std::string bad = run(R"(
    local f = modules.byname.arith4.byname
    local function word(d)   -- toward zero, modulo 2^32, signed
      if d ~= d or d == math.huge or d == -math.huge then return 0 end
      local t = d >= 0 and math.floor(d) or math.ceil(d)
      local m = math.fmod(t, 2^32)
      if m < 0 then m = m + 2^32 end
      return m >= 2^31 and m - 2^32 or m
    end
    local x = 12345
    local function rnd(n) x = (x * 1103515245 + 12345) % 2^31 return x % n end
    local kinds = {
      function() return rnd(2^31) - 2^30 end,
      function() return rnd(2^31) * 2 - 2^31 end,
      function() return (rnd(2^31) - 2^30) * 2^(rnd(24)) end,
      function() return (rnd(2^31) - 2^30) / 4 end,
      function() return ({0/0, 1/0, -1/0, 2^31, -2^31, 2^32 - 1, -0.5})[rnd(7) + 1] end,
    }
    for i = 1, 5000 do
      local a, b = kinds[rnd(5) + 1](), kinds[rnd(5) + 1]()
      local want = word(word(a) + word(b))
      local got = f.add(a, b)
      if got ~= want then return string.format("%.17g + %.17g: %d, not %d", a, b, got, want) end
    end
    return "none")");
  EXPECT_EQ(bad, "none");
  EXPECT_EQ(msg_log, "");
}

// Whole numbers take a shortcut to their word: every number must come out
// as the plain conversion gives it (toward zero, modulo 2^32, 0 when not
// finite).
TEST(MemberWords, MatchThePlainConversion) {
  uint64_t seed = 7;
  auto next = [&] {
    seed = seed * 6364136223846793005ull + 1442695040888963407ull;
    return seed >> 11;
  };
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
    uint32_t want = 0;
    if (d == d && !isinf(d)) {
      double m = fmod(trunc(d), 4294967296.0);
      want = (uint32_t)(m < 0 ? m + 4294967296.0 : m);
    }
    ASSERT_EQ(mc_word(d), want) << d;
  }
}

}  // namespace
