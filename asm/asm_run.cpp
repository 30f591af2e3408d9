/*
** Entry of the engine: preprocess, pair the control blocks, run passes
** until no symbol changes, then write the output.
*/
#include "asm/asm_int.h"

#include <cassert>
#include <fstream>
#include <sstream>

asm_services::~asm_services() {}

bool asm_services::read_file(const char *name, std::string &text) {
  std::ifstream f(name, std::ios::binary);
  if (!f)
    return false;
  std::ostringstream s;
  s << f.rdbuf();
  text = s.str();
  return !f.bad();
}

void *asm_services::open_context(const char *) { return nullptr; }
void *asm_services::find_member(void *, const char *, int) { return nullptr; }
void asm_services::add_kind_entry(void *, uint32_t, int, uint32_t) {}
void *asm_services::define_member(void *, const char *, const char *, uint32_t) {
  return nullptr;
}
void asm_services::record_reference(void *, uint32_t, uint32_t) {}
bool asm_services::member_type(void *, uint8_t &, std::string &) { return false; }

static bool run_passes(asm_state *st) {
  for (st->pass = 1; st->pass <= ASM_MAX_PASSES; st->pass++) {
    if (!asm_parse_pass(st))
      return false;
    if (!st->changed || st->endless)
      return st->err == ASM_OK;
  }
  asm_fatal(st, ASM_E_CODE_CANNOT);
  return false;
}

static bool write_output(asm_state *st, std::vector<uint8_t> &out) {
  if (st->opt.format == ASM_FORMAT_MODULE)
    return asm_image_build(st, out);
  const asm_area &a = st->areas[0];
  /* reserved space at the very end is not written */
  out.assign(a.bytes.begin(), a.bytes.begin() + (long)a.init_end);
  return true;
}

static bool assemble(const char *context, const char *source, size_t len,
                     asm_services *svc, const asm_options &opt,
                     std::vector<uint8_t> &out) {
  asm_state st;
  st.svc = svc;
  st.opt = opt;
  if (st.opt.memory < 16 * 1024)
    st.opt.memory = 16 * 1024;
  st.context = context ? context : "";
  if (!source && len) { /* nothing to open as the main source */
    svc->message(asm_msg_text(ASM_E_SOURCE_NOT_FOUND));
    return false;
  }
  /* the module context this source is assembled in; members it names
  ** are looked up there */
  st.module_ctx = svc->open_context(st.context.c_str());
  bool ok = asm_pre_run(&st, source, len) && asm_ctl_pair(&st);
  st.mem_base = st.mem_used;
  st.syms.reserve(st.lines.size() / 4); /* labels of the passes, few rehashes */
  ok = ok && run_passes(&st) && write_output(&st, out);
  if (!ok || st.fatal || st.err) {
    out.clear();
    asm_msg_report(&st);
    return false;
  }
  for (const std::string &d : st.display)
    svc->message(d.c_str());
  return true;
}

/* No exception leaves the engine: its callers include C code that
** unwinds with longjmp. */
bool asm_assemble(const char *context, const char *source, size_t len,
                  asm_services *svc, const asm_options &opt,
                  std::vector<uint8_t> &out) {
  assert(svc != nullptr);   /* messages have nowhere else to go */
  out.clear();
  try {
    bool ok = assemble(context, source, len, svc, opt, out);
    assert(ok || out.empty());
    return ok;
  } catch (...) {
    out.clear();
    out.shrink_to_fit();
    svc->message(asm_msg_text(ASM_E_OUT_OF_MEMORY));
    return false;
  }
}

bool asm_assemble_text(const char *text, asm_services *svc,
                       const asm_options &opt, std::vector<uint8_t> &out) {
  out.clear();
  if (!text)
    return false;
  size_t i = 0;
  while (i < 255 && text[i] && text[i] != '!')
    i++;
  if (i >= 255 || text[i] != '!')
    return false;
  std::string context(text, i);
  const char *src = text + i + 1;
  size_t len = 0;
  while (src[len])
    len++;
  return asm_assemble(context.c_str(), src, len, svc, opt, out);
}
