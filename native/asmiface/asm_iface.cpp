/*
** Assembler interface: the `context!source' convention, module contexts,
** the working-memory policy, messages to the terminal, and the installing
** of the image as a module.
*/
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "asm/asm.h"
#include "host/console.h"
#include "host/heap.h"
#include "native/asmiface/asm_iface.h"
#include "native/modules/mod_registry.h"
#include "native/modules/modules.h"

extern "C" {
#include "lua.h"
}

/* One record per context name, for the program's lifetime, newest first. */
struct ai_context {
  char *name;
  int flags;
  struct ai_context *next;
};

static struct ai_context *ai_contexts = NULL;
static int ai_busy = 0;

int ai_context_flags(const char *name) {
  if (strcmp(name, "lua") == 0) return 15;
  mr_record *r = mod_find(name);
  return r ? mr_context_flags(r) : 0;
}

static struct ai_context *ai_find_context(const char *name) {
  for (struct ai_context *c = ai_contexts; c; c = c->next)
    if (strcmp(c->name, name) == 0) return c;
  struct ai_context *c = (struct ai_context *)hp_alloc(sizeof *c);
  size_t n = strlen(name);
  c->name = (char *)hp_alloc(n);
  memcpy(c->name, name, n + 1);
  c->flags = ai_context_flags(name);
  c->next = ai_contexts;
  ai_contexts = c;
  return c;
}

namespace {

struct host_services : asm_services {
  void message(const char *text) override { con_message(text); }
  void *open_context(const char *name) override { return ai_find_context(name); }
};

}  // namespace

/* 8192 KiB, halved while the system refuses, down to 16 KiB. */
static size_t ai_memory(void) {
  for (size_t size = 8192 * 1024; size >= 16 * 1024; size /= 2) {
    void *p = malloc(size);
    if (p) {
      free(p);
      return size;
    }
  }
  return 0;
}

static int ai_run(const char *text, std::vector<uint8_t> &out) {
  host_services svc;
  asm_options opt;
  opt.memory = ai_memory();
  if (opt.memory == 0) {
    con_message("out of memory");
    return 0;
  }
  return asm_assemble_text(text, &svc, opt, out) && !out.empty();
}

int ai_assemble(const char *options, const char *text, void **image,
                size_t *size) {
  (void)options;   /* not interpreted */
  if (ai_busy || *image || *size) return 0;
  ai_busy = 1;
  int ok = 0;
  try {
    std::vector<uint8_t> out;
    if (ai_run(text, out)) {
      void *block = hp_alloc(out.size());
      memcpy(block, out.data(), out.size());
      *image = block;
      *size = out.size();
      ok = 1;
    }
  } catch (...) {   /* nothing may unwind into the interpreter */
    con_message("out of memory");
  }
  ai_busy = 0;
  return ok;
}

/* The interpreter's hook: assemble, then make executable and register. */
static int ai_hook(lua_State *L, const char *text, void **code, size_t *size) {
  (void)L;
  void *image = NULL;
  size_t n = 0;
  if (!ai_assemble("", text, &image, &n)) return 0;
  if (!mod_install(image, n, text)) {
    hp_free(image);
    return 0;
  }
  *code = image;
  *size = n;
  return 1;
}

void ai_open(void) { lua_asmhook = ai_hook; }
