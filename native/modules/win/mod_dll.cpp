/*
** DLL modules: a module image made from a DLL's export name table, one
** function member per exported name (empty signature), bound with
** GetProcAddress. The record goes in front of the registry.
*/
#include <windows.h>

#include "native/modules/mod_build.h"
#include "native/modules/mod_builtin.h"
#include "native/modules/mod_registry.h"

/* Export names of a loaded module, read from its headers in memory. */
static void md_exports(HMODULE h, mb_image &im) {
  const uint8_t *base = (const uint8_t *)h;
  const IMAGE_DOS_HEADER *dos = (const IMAGE_DOS_HEADER *)base;
  if (dos->e_magic != IMAGE_DOS_SIGNATURE) return;
  const IMAGE_NT_HEADERS *nt = (const IMAGE_NT_HEADERS *)(base + dos->e_lfanew);
  if (nt->Signature != IMAGE_NT_SIGNATURE) return;
  const IMAGE_DATA_DIRECTORY *dir =
      &nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (nt->OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_EXPORT ||
      dir->VirtualAddress == 0 || dir->Size == 0)
    return;
  const IMAGE_EXPORT_DIRECTORY *ex =
      (const IMAGE_EXPORT_DIRECTORY *)(base + dir->VirtualAddress);
  const DWORD *names = (const DWORD *)(base + ex->AddressOfNames);
  for (DWORD i = 0; i < ex->NumberOfNames; i++) {
    const char *name = (const char *)(base + names[i]);
    FARPROC fn = GetProcAddress(h, name);
    if (fn) mb_member(im.members, name, "", 0, mb_bytes(), (uint32_t)(uintptr_t)fn);
  }
}

mr_record *md_load(const char *name) {
  HMODULE h = LoadLibraryA(name);
  if (h == NULL) return NULL;
  mb_image im;
  im.name = name;
  im.code = {0x31, 0xC0, 0xC3};
  md_exports(h, im);
  mb_bytes img = mb_finish(im, NULL);
  uint8_t *p = bi_place(img);
  mr_record *r = p ? mr_add(p, img.size(), 1) : NULL;
  if (r == NULL) {
    FreeLibrary(h);
    return NULL;
  }
  r->dll = h;
  return r;
}
