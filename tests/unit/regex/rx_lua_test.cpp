// The string functions on regular expressions, run as Lua snippets in a
// state of their own, on both of PCRE's matchers.
#include <gtest/gtest.h>

#include <pcre.h>

#include <string.h>

#include <string>

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

#include "data/regex/rx_core.h"
#include "data/regex/rx_lua.h"
#include "tests/support/ts_lua.h"

static std::string messages;
void con_message(const char *text) { messages += text; }

namespace {

struct RxLua : ::testing::TestWithParam<bool> {
  lua_State *L = nullptr;
  void SetUp() override {
    ASSERT_TRUE(rx_use_jit(GetParam()));
    L = ts_fresh();
    rx_open(L);
    messages.clear();
  }
  void TearDown() override {
    lua_close(L);
    rx_use_jit(1);
  }

  // The chunk's results, comma-separated: numbers bare, strings quoted.
  std::string eval(const std::string &code) {
    lua_settop(L, 0);
    return ts_eval(L, code, ",", TS_QUOTED);
  }
};

INSTANTIATE_TEST_SUITE_P(Matchers, RxLua, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &i) {
                           return i.param ? "MachineCode" : "Interpreter";
                         });

TEST_P(RxLua, FindGivesZeroBasedExclusiveOffsets) {
  EXPECT_EQ(eval("return string.find('hello', 'l+')"), "2,4");
  EXPECT_EQ(eval("return ('hello'):find('l+')"), "2,4");
  EXPECT_EQ(eval("return string.find('key=val', '(\\\\w+)=(\\\\w+)')"),
            "0,7,\"key\",\"val\"");
  EXPECT_EQ(eval("return string.find('hello', 'z+')"), "");
}

TEST_P(RxLua, PlainFindGivesOneBasedInclusive) {
  EXPECT_EQ(eval("return string.find('hello', 'll')"), "3,4");
  EXPECT_EQ(eval("return string.find('a.b', '.', 1, true)"), "2,2");
  EXPECT_EQ(eval("return string.find('hello', 'l', 4)"), "4,4");
  EXPECT_EQ(eval("return string.find('hello', 'xyz')"), "");
  EXPECT_EQ(eval("return string.find('hello', '')"), "1,0");
}

// The plain search against std::string::find, on texts of a few letters
// (so that first and last bytes often fit where the rest does not), with
// zero bytes, and of every length around the 16-byte blocks of the scan.
TEST_P(RxLua, PlainFindAgreesWithTheStandardLibrary) {
  unsigned seed = 19;
  auto next = [&seed](unsigned n) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % n;
  };
  const char letters[] = {'a', 'b', '\0', 'a', 'b', 'c'};
  int checked = 0;
  for (int round = 0; round < 3000; round++) {
    std::string s(next(70), ' '), p(1 + next(round % 3 ? 4 : 24), ' ');
    for (char &c : s) c = letters[next(sizeof letters)];
    for (char &c : p) c = letters[next(sizeof letters)];
    if (next(3) == 0 && s.size() >= p.size())  // plant it, often at the end
      s.replace(next(2) ? s.size() - p.size() : next(s.size() - p.size() + 1),
                p.size(), p);
    size_t init = 1 + next(s.size() + 1);
    size_t at = s.find(p, init - 1);
    lua_getglobal(L, "string");
    lua_getfield(L, -1, "find");
    lua_pushlstring(L, s.data(), s.size());
    lua_pushlstring(L, p.data(), p.size());
    lua_pushinteger(L, (lua_Integer)init);
    lua_pushboolean(L, 1);
    ASSERT_EQ(lua_pcall(L, 4, 2, 0), 0);
    if (at == std::string::npos) {
      EXPECT_TRUE(lua_isnil(L, -2)) << round;
    } else {
      EXPECT_EQ(lua_tointeger(L, -2), (lua_Integer)at + 1) << round;
      EXPECT_EQ(lua_tointeger(L, -1), (lua_Integer)(at + p.size())) << round;
      checked++;
    }
    lua_pop(L, 3);
  }
  EXPECT_GT(checked, 500);
}

TEST_P(RxLua, PlainDetectionUsesTheElevenCharacters) {
  // braces and the bar are not among them: searched as text
  EXPECT_EQ(eval("return string.find('a|b{2}', 'a|b')"), "1,3");
  EXPECT_EQ(eval("return string.find('xab', 'a|b')"), "");
  EXPECT_EQ(eval("return string.find('x-y', '-')"), "1,2");  // regular path
  EXPECT_EQ(eval("return string.find('a\\\\b', '\\\\\\\\')"), "1,2");
}

TEST_P(RxLua, InitRules) {
  EXPECT_EQ(eval("return string.find('abcabc', 'b+', 3)"), "4,5");
  EXPECT_EQ(eval("return string.find('abcabc', 'c+', -1)"), "5,6");
  EXPECT_EQ(eval("return string.find('abcabc', 'a+', -100)"), "0,1");
  EXPECT_EQ(eval("return string.find('abc', 'c+', 100)"), "");
  EXPECT_EQ(eval("return string.find('abc', 'c+', 1e12)"), "");
  EXPECT_EQ(eval("return string.find('abc', 'c+', -1e12)"), "2,3");
  EXPECT_EQ(eval("return string.find('abc', 'c+', 0/0)"), "2,3");
  EXPECT_EQ(eval("return string.find('abc', '(?<=b)c', 3)"), "2,3");
  EXPECT_EQ(eval("return string.find('abc', '^c', 3)"), "");
  EXPECT_EQ(eval("return string.match('abcabc', 'a.', 2)"), "\"ab\"");
}

TEST_P(RxLua, MatchReturnsGroupsOrTheWholeMatch) {
  EXPECT_EQ(eval("return string.match('key=val', '(\\\\w+)=(\\\\w+)')"),
            "\"key\",\"val\"");
  EXPECT_EQ(eval("return string.match('key=val', '\\\\w+=\\\\w+')"),
            "\"key=val\"");
  EXPECT_EQ(eval("return string.match('b', '(a)?(b)')"), "\"\",\"b\"");
  EXPECT_EQ(eval("return string.match('abc', 'x')"), "");
}

// Every group of the pattern gives a value, "" when it took no part, also
// when it comes after the last group that did.
TEST_P(RxLua, UnsetGroupsAreEmptyStringsEverywhere) {
  EXPECT_EQ(eval("return ('c'):match('(a)?(b)?c')"), "\"\",\"\"");
  EXPECT_EQ(eval("return ('ac'):match('(a)?(b)?c')"), "\"a\",\"\"");
  EXPECT_EQ(eval("return ('b'):match('(a)?b')"), "\"\"");
  EXPECT_EQ(eval("return ('c'):find('(a)?(b)?c')"), "0,1,\"\",\"\"");
  EXPECT_EQ(eval("return ('y'):gmatch('(x)?y')()"), "\"y\",\"\"");
  EXPECT_EQ(eval("return select('#', ('ay'):gmatch('(a)|(x)?y')())"), "3");
  EXPECT_EQ(eval("return ('y'):gsub('(x)?y', function(...) "
                 "return select('#', ...) .. '<' .. array.concat({...}, ',') .. '>' end)"),
            "\"1<>\",3");
  EXPECT_EQ(eval("return ('ya'):gsub('(a)|(x)?y', '[\\\\1\\\\2]')"), "\"[][a]\",5");
  EXPECT_EQ(eval("return ('y'):gsub('(x)?y', 'q\\\\1q')"), "\"qq\",2");
}

TEST_P(RxLua, ZeroByteInThePatternIsRefused) {
  EXPECT_EQ(eval("return ('ab'):match('a.\\0zzz')"), "");
  EXPECT_EQ(messages, "PCRE compilation failed at offset 2: a zero byte in the "
                      "pattern (write it as \\x00)\n");
  messages.clear();
  EXPECT_EQ(eval("return ('a\\0b'):find('a\\\\x00b')"), "0,3");
  EXPECT_EQ(eval("return ('x\\0y'):find('\\0')"), "2,2");  // plain text
  EXPECT_EQ(eval("return ('ab'):gsub('a.\\0', 'x')"), "\"ab\",2");
  EXPECT_EQ(eval("return ('ab'):gmatch('a.\\0')()"), "");
  EXPECT_EQ(eval("return ('ab'):find('a.\\0')"), "");
  EXPECT_EQ(messages.size(), 3 * strlen("PCRE compilation failed at offset 2: a zero "
                                        "byte in the pattern (write it as \\x00)\n"));
}

TEST_P(RxLua, GmatchYieldsWholeMatchThenGroups) {
  EXPECT_EQ(eval("local t = {} for w in string.gmatch('one two', '\\\\w+') do "
                 "t[#t+1] = w end return unpack(t)"),
            "\"one\",\"two\"");
  EXPECT_EQ(eval("local t = {} for a, b in ('k=v, x=y'):gmatch('(\\\\w)=(\\\\w)') do "
                 "t[#t+1] = a .. b end return unpack(t)"),
            "\"k=vk\",\"x=yx\"");
  EXPECT_EQ(eval("local n = 0 for w in string.gmatch('abc', 'x*') do n = n + 1 end "
                 "return n"),
            "0");
  EXPECT_EQ(eval("local it = string.gmatch('a', 'a') it() "
                 "return it()"),
            "");
}

TEST_P(RxLua, GsubMatchesTheRemainingText) {
  EXPECT_EQ(eval("return string.gsub('aaa', '^a', 'b')"), "\"bbb\",3");
  EXPECT_EQ(eval("return string.gsub('hello world', 'o', '0')"),
            "\"hell0 w0rld\",11");
  EXPECT_EQ(eval("return string.gsub('abc', 'x', 'y')"), "\"abc\",3");
}

TEST_P(RxLua, GsubReplacementEscapes) {
  EXPECT_EQ(eval("return string.gsub('ab', '(a)(b)', '\\\\2-\\\\1')"),
            "\"b-a\",3");
  EXPECT_EQ(eval("return string.gsub('a', 'a', '[\\\\0\\\\3]')"), "\"[]\",2");
  EXPECT_EQ(eval("return string.gsub('a', 'a', '\\\\t\\\\n\\\\\\\\\\\\q')"),
            "\"\t\n\\q\",4");
  EXPECT_EQ(eval("return string.gsub('a', 'a', 'x\\\\')"), "\"x\\\",2");
  // two digits are read when two follow
  EXPECT_EQ(eval("return string.gsub('abcdefghijk', '(a)(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)', "
                 "'\\\\11\\\\1')"),
            "\"ka\",2");
  EXPECT_EQ(eval("return string.gsub('ab', '(a)(b)', '\\\\21')"), "\"\",0");
}

TEST_P(RxLua, GsubLimit) {
  EXPECT_EQ(eval("return string.gsub('aaa', 'a', 'b', 0)"), "\"aaa\",3");
  EXPECT_EQ(eval("return string.gsub('aaa', 'a', 'b', -5)"), "\"aaa\",3");
  EXPECT_EQ(eval("return string.gsub('aaa', 'a', 'bb', 2)"), "\"bbbba\",5");
  EXPECT_EQ(eval("return string.gsub('aaa', 'a', 'b', 1e12)"), "\"bbb\",3");
  EXPECT_EQ(eval("return string.gsub('aaa', 'a', 'b', 0/0)"), "\"aaa\",3");
}

TEST_P(RxLua, GsubFunctionReplacement) {
  EXPECT_EQ(eval("return string.gsub('k=v', '(\\\\w)=(\\\\w)', "
                 "function(a, b) return b .. a end)"),
            "\"vk\",2");
  EXPECT_EQ(eval("return string.gsub('abc', 'b', string.upper)"), "\"aBc\",3");
  EXPECT_EQ(eval("return string.gsub('abc', 'b', function() return nil end)"),
            "\"ac\",2");
  EXPECT_EQ(eval("return string.gsub('abc', 'b', function() return {} end)"),
            "\"ac\",2");
  EXPECT_EQ(eval("return string.gsub('abc', 'b', function() return 7 end)"),
            "\"a7c\",3");
}

TEST_P(RxLua, GsubChecksTheReplacementType) {
  EXPECT_EQ(eval("return string.gsub('abc', 'b', {})"),
            "error: [string \"return string.gsub('abc', 'b', {})\"]:1: bad "
            "argument #3 to 'gsub' (string or function expected)");
}

TEST_P(RxLua, GsubErrorInTheFunctionLeaksNothing) {
  EXPECT_EQ(eval("return pcall(string.gsub, 'abc', 'b', function() error('x', 0) end)"),
            "false,\"x\"");
}

TEST_P(RxLua, GfindIsRenamed) {
  EXPECT_EQ(eval("return pcall(string.gfind, 'a', 'a')"),
            "false,\"'string.gfind' was renamed to 'string.gmatch'\"");
}

TEST_P(RxLua, CompileErrorIsPrintedAndFindsNothing) {
  EXPECT_EQ(eval("return string.find('abc', '(b')"), "");
  EXPECT_EQ(messages, "PCRE compilation failed at offset 2: missing )\n");
  messages.clear();
  EXPECT_EQ(eval("return string.gsub('abc', '[', 'x')"), "\"abc\",3");
  EXPECT_EQ(messages, "PCRE compilation failed at offset 1: missing terminating ] for character class\n");
}

TEST_P(RxLua, CatastrophicBacktrackingEndsWithAMessage) {
  EXPECT_EQ(eval("return string.find(string.rep('a', 40) .. 'b', '(a+)+$'), 'on'"), "nil,\"on\"");
  EXPECT_EQ(messages, "Matching error -8\n");
}

TEST_P(RxLua, BinarySubjects) {
  EXPECT_EQ(eval("return string.find('\\0\\255\\128x\\0', 'x\\\\x00')"), "3,5");
  EXPECT_EQ(eval("return (string.gsub('\\0a\\0', 'a', 'b')) == '\\0b\\0'"), "true");
  EXPECT_EQ(eval("return select(2, string.gsub('\\0a\\0', 'a', 'bb'))"), "4");
}

TEST_P(RxLua, Utf8OnRequest) {
  EXPECT_EQ(eval("return string.find('\\195\\169!', '(*UTF8)^.!')"), "0,3");
  EXPECT_EQ(eval("return string.find('\\195\\169!', '^.!')"), "");
  EXPECT_EQ(eval("return string.find('\\255!', '(*UTF8).!')"), "");
  EXPECT_EQ(messages, "Matching error -10\n");
}

TEST_P(RxLua, ManyGroups) {
  EXPECT_EQ(eval("local p = string.rep('(.)', 40) "
                 "return select('#', string.match(string.rep('x', 40), p))"),
            "29");
  EXPECT_EQ(eval("local p = string.rep('(.)', 40) "
                 "return select('#', string.find(string.rep('x', 40), p))"),
            "31");
}

TEST_P(RxLua, LookaheadResetCannotStallTheLoops) {
  // \K inside a lookahead can put the reported start after the end
  EXPECT_EQ(eval("local n = 0 for m in ('abab'):gmatch('a(?=b\\\\K)') do n = n + 1 "
                 "if n > 10 then break end end return n"),
            "2");
  EXPECT_EQ(eval("return (string.gsub('abab', 'a(?=b\\\\K)', 'x'))"),
            "\"abxabx\"");
}

// A replacement function that runs through more patterns than the cache
// holds drops gsub's own pattern between steps; gsub goes on the same.
TEST_P(RxLua, GsubSurvivesItsPatternLeavingTheCache) {
  EXPECT_EQ(eval("local n = 0 "
                 "local r = string.gsub('a1 b2 c3', '(\\\\w)(\\\\d)', function(w, d) "
                 "  for i = 1, 3 * " + std::to_string(RX_CACHE) + " do "
                 "    if not string.find('k' .. i, 'k' .. i .. '$') then return '?' end "
                 "  end "
                 "  n = n + 1 return d .. w end) "
                 "return r, n"),
            "\"1a 2b 3c\",3");
  EXPECT_EQ(eval("local t = {} for w in ('x1 y2'):gmatch('\\\\w\\\\d') do "
                 "  for i = 1, 2 * " + std::to_string(RX_CACHE) + " do ('z'):find('z{' .. i .. '}?') end "
                 "  t[#t + 1] = w end return unpack(t)"),
            "\"x1\",\"y2\"");
  EXPECT_EQ(messages, "");
}

int allocations;
void *counting_malloc(size_t n) {
  allocations++;
  return malloc(n);
}

// gsub and gmatch compile their pattern once, not at every step.
TEST_P(RxLua, StepsDoNotRecompile) {
  void *(*saved)(size_t) = pcre_malloc;
  pcre_malloc = counting_malloc;
  allocations = 0;
  std::string words = "local s = string.rep('ab12 ', 2000) ";
  EXPECT_EQ(eval(words + "return (select(2, s:gsub('(\\\\d)(\\\\d)', '\\\\2\\\\1')))"), "10000");
  int first = allocations;
  allocations = 0;
  EXPECT_EQ(eval(words + "local n = 0 for w in s:gmatch('[a-z]+') do n = n + 1 end return n"), "2000");
  EXPECT_EQ(eval(words + "return (select(2, s:gsub('\\\\d+', function(d) return d end)))"), "10000");
  int later = allocations;
  pcre_malloc = saved;
  EXPECT_GT(first, 0);
  EXPECT_LT(first, 100);  // one compile per step would make thousands
  EXPECT_LT(later, 100);
}

}  // namespace
