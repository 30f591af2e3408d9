// Hand-made module images for the tests, placed in executable memory, and
// a script state with `modules'.
#ifndef images_h
#define images_h

#include <gtest/gtest.h>

#include <string>

extern "C" {
#include "lua.h"
}

#include "native/modules/mod_build.h"

// Copies an image into executable memory and checks and registers it;
// null when refused.
uint8_t *img_load(const mb_bytes &img);
// Offset of the first code byte (after the jump and header offset).
const uint32_t IMG_CODE = 6;

// "n name1 name2 ..." of `modules' before any test loaded a module.
extern std::string img_start_names;

class ModState : public ::testing::Test {
protected:
  lua_State *L = nullptr;
  void SetUp() override;
  void TearDown() override;
  // Runs a chunk; its first result as text, or "error: ...".
  std::string run(const std::string &chunk);
};

#endif
