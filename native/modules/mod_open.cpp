/*
** Start-up of the native modules and the compiler's entry points.
*/
#include "native/modules/mod_builtin.h"
#include "native/modules/mod_lua.h"
#include "native/modules/mod_registry.h"
#include "native/modules/modules.h"

mr_record *md_load(const char *name);

int mod_open(lua_State *L) {
  bi_register();
  mr_dll_hook = md_load;
  lm_L = L;
  mo_open(L);
  return 0;
}

int mod_check_register(void *block, size_t size) {
  return mr_register((uint8_t *)block, size) != NULL;
}

void mod_attach_source(void *block, const char *text) {
  mr_attach_source(block, text);
}

mr_record *mod_find(const char *name) {
  return mr_find(name);
}
