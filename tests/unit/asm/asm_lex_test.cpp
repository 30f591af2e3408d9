#include "asm_test_util.h"

#include <gtest/gtest.h>

TEST(AsmBasic, Smoke) {
  EXPECT_EQ(asm_hex("nop\nret"), "90 C3");
  EXPECT_EQ(asm_hex("mov eax, ebx"), "89 D8");
}
