// The string functions of the program's state are the regular-expression
// ones, their complaints reach the terminal, and the native entry hands
// out program-heap blocks.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "tests/inproc/terminal/driver.h"
#include "data/regex/rx_native.h"
#include "host/base/heap.h"
#include "ui/colour.h"

namespace {

struct Regex : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
};

TEST_F(Regex, StringFunctionsArePerlCompatible) {
  EXPECT_EQ(drv_run("print(('hello'):find('l+'))"), "2\t4");
  EXPECT_EQ(drv_run("print(string.find('hello', 'll'))"), "3\t4");
  EXPECT_EQ(drv_run("print(string.gsub('aaa', '^a', 'b'))"), "bbb\t3");
  EXPECT_EQ(drv_run("print(string.match('key=val', '(\\\\w+)=(\\\\w+)'))"),
            "key\tval");
}

TEST_F(Regex, CompileErrorIsAMessage) {
  LONG from = drv_end();
  std::string out = drv_run("print(select('#', string.find('abc', '(b')))");
  EXPECT_EQ(out, "PCRE compilation failed at offset 2: missing )\r0") << out;
  std::string all = drv_text(from, drv_end());
  LONG at = drv_end() - (LONG)all.size() + (LONG)all.find("PCRE");
  EXPECT_EQ(drv_colour(at), col_get(COL_ERROR));
}

TEST_F(Regex, DeepRecursionIsAnErrorNotACrash) {
  std::string out = drv_run("print(select('#', string.find(string.rep('ab', 500000), '^(a|b)*$')))");
  EXPECT_EQ(out, "Matching error -21\r0") << out;
}

TEST_F(Regex, NativeEntryBlock) {
  int32_t *b = rx_native_match("say hello", "l+", 0, 0);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(b[0], 1);
  EXPECT_EQ(b[1], 6);
  EXPECT_EQ(b[2], 8);
  EXPECT_TRUE(hp_valid(b));
  hp_free(b);
  EXPECT_EQ(rx_native_match("say", "x", 0, 0), nullptr);
  EXPECT_EQ(rx_native_match(nullptr, "x", 0, 0), nullptr);
}

}  // namespace
