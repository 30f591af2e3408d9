/*
** Assembler interface: the `context!source' convention, module contexts,
** the working-memory policy, messages to the terminal, and the installing
** of the image as a module.
*/
#include <ctype.h>
#include <stdlib.h>
#include <string.h>

#include <string>
#include <vector>

#include "asm/asm.h"
#include "host/base/message.h"
#include "host/base/heap.h"
#include "native/asmiface/asm_ctx.h"
#include "native/asmiface/asm_iface.h"
#include "native/modules/mod_registry.h"
#include "native/modules/modules.h"

extern "C" {
#include "lua.h"
}

static int ai_busy = 0;

int ai_context_flags(const char *name) {
  if (strcmp(name, "lua") == 0) return 15;
  mr_record *r = mod_find(name);
  return r ? mr_context_flags(r) : 0;
}

/* The loaded module a context names; a DLL is loaded now, as the loader
   would load it, so that its exports can be checked. */
static mr_record *ai_module_of(const char *name) {
  mr_record *r = mod_find(name);
  if (r || !mr_is_dll_name(name)) return r;
  std::string low(name);
  for (size_t i = low.size() - 4; i < low.size(); i++)
    low[i] = (char)tolower((unsigned char)low[i]);
  r = mod_find(low.c_str());
  return r ? r : mr_ops.dll(low.c_str());
}

namespace {

/* The services over the module contexts of asm_ctx.h and the registry. */
struct host_services : asm_services {
  void message(const char *text) override { con_message(text); }
  void *open_context(const char *name) override {
    return ac_open(name, ai_context_flags);
  }

  /* Kind 0 asks for an ordinary member, function or variable. In an open
     context (`lua') every name the context resolves is a function whose
     signature is not checked. Kinds 1 to 3 ask for the module's read,
     write and run-text handler: there when the module has it. */
  void *find_member(void *context, const char *name, int kind) override {
    ac_context *c = (ac_context *)context;
    if (c == NULL || name == NULL || kind < 0 || kind > 3) return NULL;
    mr_record *r = ai_module_of(c->name.c_str());
    if (r == NULL) return NULL;
    if (c->flags == 0) c->flags = mr_context_flags(r); /* loaded since */
    if (kind) return ac_member_of(c, name, kind);
    mi_member x;
    if (r->resolve) {
      if (r->resolve(name) == 0) return NULL;
    } else if (!mr_member_named(r, name, &x)) {
      return NULL;
    }
    ac_member *m = ac_member_of(c, name, 0);
    if (m && !r->resolve) {
      m->kind = x.kind;
      m->sig.assign((const char *)x.sig.p, x.sig.n);
    }
    return m;
  }

  bool member_type(void *member, uint8_t &kind, std::string &sig) override {
    const ac_member *m = (const ac_member *)member;
    if (m == NULL) return false;
    kind = m->kind;
    sig = m->sig;
    return true;
  }

  void add_kind_entry(void *member, uint32_t value, int kind, uint32_t key) override {
    ac_add_kind_entry((ac_member *)member, value, kind, key);
  }
  void *define_member(void *context, const char *name, const char *desc,
                      uint32_t value) override {
    return ac_define((ac_context *)context, name, desc, value);
  }
  void record_reference(void *context, uint32_t offset, uint32_t number) override {
    ac_record_reference((ac_context *)context, offset, number);
  }
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
int ai_hook(lua_State *L, const char *text, void **code, size_t *size) {
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
