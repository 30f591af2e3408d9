// Runs the Lua examples of one manual page in the real program and checks
// the output they state (conventions in doc_examples.h), after the checks
// of the conventions themselves. Usage:
//   docs_examples_test [gtest flags] [page.md]
// The examples run in a temporary folder, so files they write go there.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <sstream>

extern "C" {
#include "lauxlib.h"
#include "lua.h"
#include "lualib.h"
}
#include "tests/inproc/docs/doc_examples.h"
#include "tests/inproc/terminal/driver.h"
#include "ui/colour.h"

namespace {

void (*program_print)(const char *) = nullptr;

// One `print' is one line of output.
void print_line(const char *s) {
  program_print(s);
  program_print("\n");
}

struct output_line {
  std::string text;
  bool message;   // in the error colour
};

// Terminal text written since `from', line by line.
std::vector<output_line> output_since(LONG from) {
  std::vector<output_line> out;
  LONG end = drv_end();
  std::string text = drv_text(from, end);
  size_t start = 0;
  while (start < text.size()) {
    size_t nl = text.find_first_of("\r\n", start);
    size_t stop = nl == std::string::npos ? text.size() : nl;
    output_line l;
    l.text = text.substr(start, stop - start);
    l.message = drv_colour(from + (LONG)start) == col_get(COL_ERROR) && !l.text.empty();
    out.push_back(l);
    if (nl == std::string::npos) break;
    start = nl + 1;
    if (start < text.size() && text[nl] == '\r' && text[start] == '\n') start++;
  }
  return out;
}

// Runs a chunk in the program's state; "" or the error message.
std::string run_chunk(const std::string &code, const std::string &name,
                      std::string *trace) {
  lua_State *L = drv_state();
  int base = lua_gettop(L);
  lua_getglobal(L, "debug");
  lua_getfield(L, -1, "traceback");
  lua_remove(L, -2);
  int st = luaL_loadbuffer(L, code.data(), code.size(), ("=" + name).c_str());
  if (st == 0) st = lua_pcall(L, 0, 0, base + 1);
  std::string err;
  if (st != 0) {
    const char *m = lua_tostring(L, -1);
    std::string full = m ? m : "(error object is not a string)";
    if (trace) *trace = full;
    err = full.substr(0, full.find("\nstack traceback:"));
    if (err.empty()) err = "(empty error)";
  }
  lua_settop(L, base);
  drv_pump();   // what the example set going (painting, callbacks) runs now
  drv_pump();
  return err;
}

std::string show(const std::vector<output_line> &lines) {
  std::string s;
  for (const output_line &l : lines) s += (l.message ? "  ! " : "  | ") + l.text + "\n";
  return s.empty() ? "  (no output)\n" : s;
}

class Example : public ::testing::Test {
public:
  Example(std::string page, doc_example ex) : page_(std::move(page)), ex_(std::move(ex)) {}
  void TestBody() override {
    if (ex_.skip) GTEST_SKIP() << ex_.skip_reason;
    std::string where = page_ + " example at line " + std::to_string(ex_.line);
    if (!ex_.setup.empty()) {
      std::string trace;
      std::string err = run_chunk(ex_.setup, where + " (setup)", &trace);
      ASSERT_EQ(err, "") << trace;
    }
    LONG from = drv_end();
    std::string trace;
    std::string err = run_chunk(ex_.code, where, &trace);
    std::vector<output_line> out = output_since(from);
    if (!err.empty()) out.push_back({"error: " + err, true});
    std::string got = "output:\n" + show(out) + (trace.empty() ? "" : trace + "\n");
    if (ex_.expected.empty()) {
      for (const output_line &l : out)
        EXPECT_FALSE(l.message) << "unexpected message or error\n" << got << ex_.code;
      return;
    }
    std::string want;
    for (const std::string &e : ex_.expected) want += "  | " + e + "\n";
    bool fits = out.size() == ex_.expected.size();
    for (size_t i = 0; fits && i < out.size(); i++)
      fits = doc_line_fits(ex_.expected[i], out[i].text);
    EXPECT_TRUE(fits) << "stated:\n" << want << got << ex_.code;
  }

private:
  std::string page_;
  doc_example ex_;
};

std::string read_file(const std::string &path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

// The conventions themselves.
TEST(Conventions, StatedLines) {
  EXPECT_EQ(doc_stated("print(1)   --> 1\nx = 2\n--> two  words\nprint('a-->b')\n"),
            (std::vector<std::string>{"1", "two  words"}));
  EXPECT_TRUE(doc_line_fits("1  two  3", "1\ttwo\t3"));
  EXPECT_TRUE(doc_line_fits("108 (8 bytes more are reserved)", "108"));
  EXPECT_TRUE(doc_line_fits("(milliseconds since start-up)", "123456"));
  EXPECT_TRUE(doc_line_fits("f(x)", "f(x)"));
  EXPECT_TRUE(doc_line_fits("at 0x... (code 5)", "at 0x0040AB00 (code 5)"));
  EXPECT_TRUE(doc_line_fits("a ... c", "a b b c"));
  EXPECT_FALSE(doc_line_fits("a ... c", "a b b d"));
  EXPECT_FALSE(doc_line_fits("107 (8 bytes more)", "108"));
  EXPECT_FALSE(doc_line_fits("4", "5"));
  EXPECT_TRUE(doc_line_fits("error: attempt to call", "error: x:1: attempt to call a nil value"));
  EXPECT_FALSE(doc_line_fits("error: attempt to call", "attempt to call"));
}

TEST(Conventions, Annotations) {
  doc_page p = doc_parse(
      "text\n<!-- example: skip needs a file -->\n```lua\nload()\n```\n"
      "<!-- example: setup\nx = 1\n-->\n<!-- example: output\na b\n\nc\n-->\n"
      "```lua\nprint(x) --> 1\n```\n```\nnot lua\n```\n```cpp\nint a;\n```\n");
  ASSERT_EQ(p.examples.size(), 2u);
  EXPECT_TRUE(p.problems.empty());
  EXPECT_TRUE(p.examples[0].skip);
  EXPECT_EQ(p.examples[0].skip_reason, "needs a file");
  EXPECT_EQ(p.examples[0].line, 3);
  EXPECT_EQ(p.examples[1].setup, "\nx = 1\n\n");
  EXPECT_EQ(p.examples[1].expected, (std::vector<std::string>{"a b", "c"}));
  EXPECT_EQ(doc_parse("<!-- example: sikp x -->\n```lua\n```\n").problems.size(), 1u);
  EXPECT_EQ(doc_parse("<!-- example: skip -->\n```lua\n```\n").problems.size(), 1u);
  EXPECT_EQ(doc_parse("<!-- example: skip x -->\n```sh\n```\n").problems.size(), 1u);
  EXPECT_EQ(doc_parse("<!-- example: skip x -->\n").problems.size(), 1u);
}

}  // namespace

int main(int argc, char **argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (argc > 1) {
    std::string path = argv[1];
    std::string text = read_file(path);
    std::string page = path.substr(path.find_last_of("/\\") + 1);
    if (text.empty()) {
      fprintf(stderr, "cannot read %s\n", path.c_str());
      return 1;
    }
    doc_page parsed = doc_parse(text);
    for (const std::string &p : parsed.problems)
      fprintf(stderr, "%s: %s\n", page.c_str(), p.c_str());
    if (!parsed.problems.empty()) return 1;
    drv_state();   // in a temporary folder of this run, the current folder from now
    program_print = lua_printhook;
    lua_printhook = print_line;
    std::string suite = page;
    for (char &c : suite)
      if (!isalnum((unsigned char)c)) c = '_';
    for (const doc_example &ex : parsed.examples) {
      std::string name = "line_" + std::to_string(ex.line);
      ::testing::RegisterTest(suite.c_str(), name.c_str(), nullptr, nullptr, __FILE__,
                              __LINE__, [=]() -> ::testing::Test * {
                                return new Example(page, ex);
                              });
    }
  }
  return RUN_ALL_TESTS();
}
