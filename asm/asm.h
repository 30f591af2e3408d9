/*
** Assembler engine: turns x86 assembly source into code bytes or a module
** image. Platform-neutral; the host reaches the module registry and the
** terminal only through asm_services.
*/
#ifndef asm_h
#define asm_h

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

/* Calls from the engine back into the host. Every member has a harmless
** default except message(), so tests and tools override only what they use. */
class asm_services {
public:
  virtual ~asm_services();
  /* One piece of a diagnostic; no newline is implied. */
  virtual void message(const char *text) = 0;
  /* Reads a file named by `include`; false when it cannot be read. */
  virtual bool read_file(const char *name, std::string &text);
  /* Module contexts and their members; opaque to the engine. */
  virtual void *open_context(const char *name);
  virtual void *find_member(void *context, const char *name, int kind);
  virtual void add_kind_entry(void *member, uint32_t value, int kind, uint32_t key);
  virtual void *define_member(void *context, const char *name, const char *desc,
                              uint32_t value);
  virtual void record_reference(void *context, uint32_t offset, uint32_t number);
  /* The kind byte and signature item bytes of a member find_member gave;
  ** false when they are not known. */
  virtual bool member_type(void *member, uint8_t &kind, std::string &sig);
};

enum asm_format {
  ASM_FORMAT_MODULE, /* module image: header, relocations, imports */
  ASM_FORMAT_BINARY  /* plain code bytes, addresses absolute from org */
};

struct asm_options {
  asm_format format = ASM_FORMAT_MODULE;
  size_t memory = 8192 * 1024; /* working memory budget in bytes */
};

/* Assembles `len` bytes of source shown in messages under `context`.
** On success fills `out` and returns true; on failure writes the messages
** through svc->message() and returns false with `out` empty. Throws
** nothing: an allocation failure is reported as "out of memory". */
bool asm_assemble(const char *context, const char *source, size_t len,
                  asm_services *svc, const asm_options &opt,
                  std::vector<uint8_t> &out);

/* The entry convention of scripts: "context!source". Returns false, with
** no message, when no '!' stands within the first 255 characters. */
bool asm_assemble_text(const char *text, asm_services *svc,
                       const asm_options &opt, std::vector<uint8_t> &out);

#endif
