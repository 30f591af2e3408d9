/*
** Module directives and imported members.
**
**   module name [, 'comment']
**   function name, 'f:ud,us:ud;' [, 'comment']      member at label name
**   variable name, 'ud', 'rw' [, 'comment']
**   handler read|write|run, label
**
** A dotted name `module.member' whose module the host knows is an imported
** member; `module.@read', `.@write' and `.@run' name its handlers. `mov eax, m.x', `call m.x' and `jmp m.x' load its address into
** EAX with `mov eax, imm32' (zero in the image); the import entry names the
** immediate, and the loader writes the bound address there.
*/
#include "asm/asm_int.h"

namespace {

bool is_word(const asm_tok &k, const char *w) { return asm_tok_is(k, w); }

bool err(asm_state *st, int id) {
  asm_error(st, id, *st->line);
  return false;
}

/* Comma-separated arguments: each one token, a name or a string. */
bool args(asm_state *st, const asm_line &l, size_t pos,
          std::vector<const asm_tok *> &out) {
  const asm_toks &t = l.t;
  while (pos < t.size()) {
    if (t[pos].kind == ASM_TK_SYM)
      return err(st, ASM_E_INVALID_ARG);
    out.push_back(&t[pos++]);
    if (pos == t.size())
      break;
    if (!t[pos].sym(','))
      return err(st, ASM_E_EXTRA_CHARS);
    pos++;
    if (pos == t.size())
      return err(st, ASM_E_INVALID_ARG);
  }
  return true;
}

bool plain_name(const std::string &s) {
  if (s.empty() || s.size() > ASM_MAX_NAME)
    return false;
  for (char c : s)
    if (c == '\0')
      return false;
  return true;
}

/* The address a label stands for: an offset in the image. */
bool label_addr(asm_state *st, const asm_tok &k, asm_val &v) {
  if (k.kind != ASM_TK_NAME)
    return err(st, ASM_E_INVALID_ARG);
  asm_toks t(1, k);
  size_t p = 0;
  int e = asm_expr_eval(st, t, p, 1, false, v);
  if (e)
    return err(st, e);
  if (st->opt.format == ASM_FORMAT_MODULE && !v.unknown &&
      (v.reloc != 1 || v.nreg))
    return err(st, ASM_E_INVALID_ADDRESS);
  return true;
}

bool dir_module(asm_state *st, const asm_line &l, size_t pos) {
  std::vector<const asm_tok *> a;
  if (!args(st, l, pos, a))
    return false;
  if (a.empty() || a.size() > 2 || (a.size() == 2 && a[1]->kind != ASM_TK_STR) ||
      !plain_name(a[0]->s))
    return err(st, ASM_E_INVALID_ARG);
  if (st->mod.named)
    return err(st, ASM_E_SETTING);
  st->mod.named = true;
  st->mod.name = a[0]->s;
  st->mod.comment = a.size() == 2 ? a[1]->s.str() : "";
  return true;
}

/* function and variable */
bool dir_member(asm_state *st, const asm_line &l, size_t pos, bool function) {
  std::vector<const asm_tok *> a;
  if (!args(st, l, pos, a))
    return false;
  size_t fixed = function ? 2 : 3;
  if (a.size() < fixed || a.size() > fixed + 1 || a[0]->kind != ASM_TK_NAME)
    return err(st, ASM_E_INVALID_ARG);
  for (size_t i = 1; i < a.size(); i++)
    if (a[i]->kind != ASM_TK_STR)
      return err(st, ASM_E_INVALID_ARG);
  asm_mod_member m;
  m.name = a[0]->s;
  m.type = a[1]->s;
  if (!asm_mod_type(a[1]->s, function, m.kind, m.sig))
    return err(st, ASM_E_INVALID_VALUE);
  if (!function) {
    std::string acc = asm_lower(a[2]->s);
    if (acc != "" && acc != "r" && acc != "w" && acc != "rw" && acc != "wr")
      return err(st, ASM_E_INVALID_VALUE);
    if (acc.find('r') != std::string::npos) m.kind |= 0x10;
    if (acc.find('w') != std::string::npos) m.kind |= 0x20;
  }
  if (a.size() > fixed)
    m.comment = a[fixed]->s;
  for (const asm_mod_member &x : st->mod.members)
    if (x.name == m.name)
      return err(st, ASM_E_ALREADY_DEFINED);
  if (!label_addr(st, *a[0], m.addr))
    return false;
  st->mod.members.push_back(m);
  return true;
}

bool dir_handler(asm_state *st, const asm_line &l, size_t pos) {
  std::vector<const asm_tok *> a;
  if (!args(st, l, pos, a))
    return false;
  if (a.size() != 2 || a[0]->kind != ASM_TK_NAME)
    return err(st, ASM_E_INVALID_ARG);
  static const char *const which[3] = {"read", "write", "run"};
  int i = 0;
  while (i < 3 && asm_lower(a[0]->s) != which[i])
    i++;
  if (i == 3)
    return err(st, ASM_E_INVALID_ARG);
  if (st->mod.has_handler[i])
    return err(st, ASM_E_SETTING);
  if (!label_addr(st, *a[1], st->mod.handler[i]))
    return false;
  st->mod.has_handler[i] = true;
  return true;
}

/* One type of a type text: r, or u/s and a size letter. */
bool one_type(const std::string &s, size_t &i, uint8_t &type) {
  if (i < s.size() && s[i] == 'r') {
    i++;
    type = 0x80;
    return true;
  }
  if (i + 1 >= s.size() || (s[i] != 'u' && s[i] != 's'))
    return false;
  static const char sizes[] = "bwdqs";
  static const uint8_t codes[] = {1, 2, 3, 5, 7};
  for (int k = 0; k < 5; k++)
    if (s[i + 1] == sizes[k]) {
      type = (uint8_t)(codes[k] | (s[i] == 's' ? 0x80 : 0));
      i += 2;
      return true;
    }
  return false;
}

/* A list up to ':' or ';' or the end: types apart by ','. */
bool type_list(const std::string &s, size_t &i, std::string &out) {
  while (i < s.size() && s[i] != ':' && s[i] != ';') {
    uint8_t t;
    if (!one_type(s, i, t))
      return false;
    out += (char)t;
    if (i < s.size() && s[i] == ',') {
      i++;
      if (i == s.size() || s[i] == ':' || s[i] == ';')
        return false;
    }
  }
  return true;
}

void vnum_text(std::string &out, uint32_t v) {
  std::vector<uint8_t> b;
  asm_image_vnum(b, v);
  out.append(b.begin(), b.end());
}

/* The host's view of an imported member, asked once per assembly. */
const asm_mod_import &import_of(asm_state *st, const std::string &name) {
  auto it = st->imports.find(name);
  if (it != st->imports.end())
    return it->second;
  asm_mod_import &im = st->imports[name];
  size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0 || dot + 1 == name.size())
    return im;
  im.module = name.substr(0, dot);
  im.member = name.substr(dot + 1);
  static const char *const which[3] = {"@read", "@write", "@run"};
  for (int i = 0; i < 3; i++)
    if (im.member == which[i])
      im.handler = i + 1;
  void *ctx = st->svc->open_context(im.module.c_str());
  void *m = ctx ? st->svc->find_member(ctx, im.member.c_str(), im.handler) : nullptr;
  im.found = m && (im.handler || st->svc->member_type(m, im.kind, im.sig));
  im.rec = m;
  return im;
}

bool is_import(asm_state *st, const asm_tok &k) {
  return k.kind == ASM_TK_NAME && k.s.str().find('.') != std::string::npos &&
         k.s[0] != '.' && !asm_sym_defined(st, k.s) && import_of(st, k.s).found;
}

bool emit_ref(asm_state *st, const asm_tok &k, const uint8_t *tail, size_t n) {
  if (st->bits != 32 || st->areas.size() != 1)
    return err(st, ASM_E_SYMBOL_USE);
  const asm_mod_import &im = import_of(st, k.s);
  asm_mod_ref r;
  r.module = im.module;
  r.member = im.member;
  r.sig = im.sig;
  r.kind = im.kind;
  r.handler = im.handler;
  r.rec = im.rec;
  r.at = (uint32_t)asm_out_here(st).v + 1;
  /* a handler is read from its slot: mov eax, [slot] */
  const uint8_t mov[5] = {(uint8_t)(im.handler ? 0xA1 : 0xB8), 0, 0, 0, 0};
  if (!asm_out_bytes(st, mov, 5) || !asm_out_bytes(st, tail, n))
    return false;
  st->mod.refs.push_back(r);
  return true;
}

std::vector<uint8_t> text_item(const std::string &s, bool empty_is_none) {
  std::vector<uint8_t> b(s.begin(), s.end());
  if (!(empty_is_none && s.empty()))
    b.push_back(0);
  return b;
}

void put32(std::vector<uint8_t> &out, uint32_t v) {
  for (int i = 0; i < 4; i++)
    out.push_back((uint8_t)(v >> (8 * i)));
}

void member_item(std::vector<uint8_t> &out, const std::string &name,
                 const std::string &comment, uint8_t kind,
                 const std::string &sig, uint32_t addr) {
  asm_image_item(out, text_item(name, false));
  asm_image_item(out, text_item(comment, true));
  out.push_back(kind);
  asm_image_item(out, std::vector<uint8_t>(sig.begin(), sig.end()));
  put32(out, addr);
}

} // namespace

/* "f;", "f:ud,us:ud;", "f::;", or a variable's "ud", "r", "ss". */
bool asm_mod_type(const std::string &s, bool function, uint8_t &kind,
                  std::string &sig) {
  size_t i = 0;
  sig.clear();
  if (!function) {
    return one_type(s, i, kind) && (i == s.size() || (s[i] == ';' && i + 1 == s.size()));
  }
  kind = 0;
  if (s.empty() || s[0] != 'f')
    return false;
  i = 1;
  if (i < s.size() && s[i] == ':') {
    std::string params, results;
    i++;
    if (!type_list(s, i, params))
      return false;
    if (i < s.size() && s[i] == ':') {
      i++;
      if (!type_list(s, i, results) || results.size() > 1)
        return false;
    }
    vnum_text(sig, (uint32_t)params.size());
    sig += params;
    vnum_text(sig, (uint32_t)results.size());
    sig += results;
  }
  return i == s.size() || (s[i] == ';' && i + 1 == s.size());
}

int asm_mod_directive(asm_state *st, const asm_line &l, size_t pos) {
  std::string w = asm_lower(l.t[pos].s);
  size_t next = pos + 1;
  if (w == "module") return dir_module(st, l, next);
  if (w == "function") return dir_member(st, l, next, true);
  if (w == "variable") return dir_member(st, l, next, false);
  if (w == "handler") return dir_handler(st, l, next);
  return -1;
}

int asm_mod_reference(asm_state *st, const asm_line &l, size_t pos) {
  const asm_toks &t = l.t;
  bool call = asm_tok_is(t[pos], "call");
  if ((call || asm_tok_is(t[pos], "jmp")) && pos + 2 == t.size() &&
      is_import(st, t[pos + 1])) {
    const uint8_t callx[2] = {0xFF, 0xD0}, jmpx[2] = {0xFF, 0xE0};
    return emit_ref(st, t[pos + 1], call ? callx : jmpx, 2);
  }
  if (asm_tok_is(t[pos], "mov") && pos + 4 == t.size() && is_word(t[pos + 1], "eax") &&
      t[pos + 2].sym(',') && is_import(st, t[pos + 3]))
    return emit_ref(st, t[pos + 3], nullptr, 0);
  return -1;
}

void asm_mod_descriptor(asm_state *st, std::vector<uint8_t> &out) {
  const asm_mod &m = st->mod;
  asm_image_item(out, text_item(m.name, !m.named));
  asm_image_item(out, text_item(m.comment, true));
  for (int i = 0; i < 3; i++) {
    std::vector<uint8_t> h;
    if (m.has_handler[i])
      put32(h, (uint32_t)m.handler[i].v);
    asm_image_item(out, h);
  }
  for (const asm_mod_member &x : m.members) {
    member_item(out, x.name, x.comment, x.kind, x.sig, (uint32_t)x.addr.v);
    st->svc->define_member(st->module_ctx, x.name.c_str(), x.type.c_str(),
                           (uint32_t)x.addr.v);
  }
}

/* One record per required module, in the order of first use. */
void asm_mod_imports(asm_state *st, std::vector<uint8_t> &out, asm_mod_fixups &fix) {
  std::vector<std::string> order;
  for (const asm_mod_ref &r : st->mod.refs) {
    bool seen = false;
    for (const std::string &o : order)
      seen = seen || o == r.module;
    if (!seen)
      order.push_back(r.module);
  }
  uint32_t number = 0;
  for (const std::string &name : order) {
    std::vector<uint8_t> rec;
    asm_image_item(rec, text_item(name, false));
    asm_image_item(rec, {}); /* not read by the loader */
    std::vector<uint32_t> slot_at[3];
    for (const asm_mod_ref &r : st->mod.refs)
      if (r.module == name && r.handler)
        slot_at[r.handler - 1].push_back(r.at);
    size_t record_at = out.size();
    std::vector<std::pair<uint32_t, uint32_t>> local;
    for (int i = 0; i < 3; i++) {
      if (slot_at[i].empty()) {
        asm_image_item(rec, {});
        continue;
      }
      rec.push_back(4 << 2);
      for (uint32_t at : slot_at[i])
        local.push_back({at, (uint32_t)rec.size()});
      rec.insert(rec.end(), 4, 0);
    }
    void *ctx = st->svc->open_context(name.c_str());
    for (const asm_mod_ref &r : st->mod.refs)
      if (r.module == name && !r.handler) {
        member_item(rec, r.member, "", r.kind, r.sig, r.at);
        st->svc->record_reference(ctx, r.at, number++);
      }
    std::vector<uint8_t> len;
    asm_image_vnum(len, (uint32_t)rec.size());
    for (const auto &l : local)
      fix.push_back({l.first, (uint32_t)(record_at + len.size() + l.second)});

    asm_image_item(out, rec);
  }
}
