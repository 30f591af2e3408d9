// `modules' in the program as it starts: registered by the start-up, its
// messages in the terminal.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "host/console.h"
#include "native/modules/mod_build.h"
#include "native/modules/modules.h"
#include "tests/inproc/terminal/driver.h"
#include "ui/colour.h"

namespace {

bool has(const std::string &s, const std::string &part) {
  return s.find(part) != std::string::npos;
}

struct Program : ::testing::Test {
  static void SetUpTestSuite() { drv_state(); }
};

TEST_F(Program, StartsWithTheFourBuiltInModules) {
  EXPECT_TRUE(has(drv_run("print(modules.n, modules[1].name, modules[4].name)"),
                  "4\tlua\tinterf"));
  EXPECT_TRUE(has(drv_run("print(modules.byname.mem[1].name)"), "get"));
}

TEST_F(Program, FaultMessageGoesToTheTerminalAndTheLineGoesOn) {
  mb_image im;
  im.name = "divzero";
  im.code = {0x31, 0xC9, 0x99, 0xF7, 0xF9, 0xC3};   // xor ecx,ecx; cdq; idiv ecx
  mb_member(im.members, "div", "", 0, mb_sig({}, {3}), 6);
  mb_bytes img = mb_finish(im, nullptr);
  void *p = VirtualAlloc(nullptr, img.size(), MEM_COMMIT | MEM_RESERVE,
                         PAGE_EXECUTE_READWRITE);
  memcpy(p, img.data(), img.size());
  ASSERT_TRUE(mod_check_register(p, img.size()));
  std::string out = drv_run("print(modules.byname.divzero.byname.div(), 'after')");
  EXPECT_TRUE(has(out, "Error! exception is occured inside asm module call\r")) << out;
  EXPECT_TRUE(has(out, "-1\tafter")) << out;
  EXPECT_EQ(drv_colour(drv_end() - (LONG)out.size() + (LONG)out.find("Error")),
            col_get(COL_ERROR));
  // The same name again: the loader's message, in the terminal.
  void *q = VirtualAlloc(nullptr, img.size(), MEM_COMMIT | MEM_RESERVE,
                         PAGE_EXECUTE_READWRITE);
  memcpy(q, img.data(), img.size());
  EXPECT_FALSE(mod_check_register(q, img.size()));
  con_flush();
  EXPECT_TRUE(has(drv_text(0, drv_end()),
                  "Module with name 'divzero' already loaded. Unload it first."));
}

}  // namespace
