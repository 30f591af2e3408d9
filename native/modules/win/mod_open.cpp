/*
** Start-up of the native modules and the compiler's entry points.
*/
#include <windows.h>

#include "native/guard/guard_lua.h"
#include "native/modules/mod_builtin.h"
#include "native/modules/mod_lua.h"
#include "native/modules/mod_registry.h"
#include "native/modules/modules.h"

mr_record *md_load(const char *name);

int mod_open(lua_State *L) {
  bi_register();
  mr_ops.dll = md_load;
  lm_L = L;
  ng_open();   /* native functions run under the guard */
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

int mod_install(void *block, size_t size, const char *text) {
  DWORD old;
  if (block == NULL || size == 0) return 0;
  if (!VirtualProtect(block, size, PAGE_EXECUTE_READWRITE, &old)) return 0;
  if (!mod_check_register(block, size)) return 0;
  mod_attach_source(block, text);
  return 1;
}
