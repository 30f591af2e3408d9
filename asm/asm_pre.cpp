/*
** Preprocessor: runs once over the source before the passes. Handles
** include, symbolic constants (equ, define, restore, fix), macro and
** struc definitions and calls, rept, irp, irps and match; every other
** line gets its symbolic constants replaced and goes to the passes.
*/
#include "asm/asm_int.h"

namespace {

bool is_word(const asm_tok &k, const char *w) { return asm_tok_is(k, w); }

bool fail(asm_state *st, int id, const asm_line &l) {
  asm_error(st, id, l);
  return false;
}


/* Replaces names from `map`, rescanning replacements a bounded number of
** times so that self-referring constants cannot loop. */
void replace(const std::unordered_map<std::string, std::vector<asm_toks>> &map,
             asm_toks &t, size_t from, int depth) {
  if (map.empty())
    return;
  for (size_t i = from; i < t.size(); i++) {
    if (t.size() > ASM_MAX_LINE_TOKENS)
      return; /* the caller sees the overlong line */
    if (t[i].kind != ASM_TK_NAME)
      continue;
    auto it = map.find(t[i].s);
    if (it == map.end() || it->second.empty())
      continue;
    /* equ replaced its own constants when it was defined; what define
    ** stored is taken as it stands, as the reference does */
    const asm_toks &v = it->second.back();
    (void)depth;
    t.erase(t.begin() + (long)i);
    t.insert(t.begin() + (long)i, v.begin(), v.end());
    i += v.size();
    i--;
  }
}

bool emit(asm_state *st, const asm_line &l) {
  if (l.t.empty())
    return true;
  if (!asm_charge(st, asm_toks_cost(l.t)))
    return false;
  st->lines.push_back(l);
  return true;
}

bool do_include(asm_state *st, const asm_line &l) {
  asm_toks t = l.t;
  asm_pre_subst(st, t, 1);
  if (t.size() != 2 || t[1].kind != ASM_TK_STR)
    return fail(st, ASM_E_INVALID_ARG, l);
  std::string text, name = t[1].s;
  if (!asm_read_file(st, l.origin, name, text))
    return fail(st, ASM_E_FILE_NOT_FOUND, l);
  if (!asm_charge(st, text.size()))
    return false;
  st->origins.push_back(asm_origin{asm_intern(st, name), -1});
  std::vector<asm_line> lines;
  if (!asm_lex(st, text.data(), text.size(), (int)st->origins.size() - 1, lines))
    return false;
  if (++st->depth > ASM_MAX_DEPTH) {
    asm_fatal(st, ASM_E_OUT_OF_STACK);
    return false;
  }
  bool ok = asm_pre_lines(st, lines);
  st->depth--;
  return ok;
}

bool do_equ(asm_state *st, const asm_line &l, bool subst) {
  size_t name_at = subst ? 0 : 1;
  if (l.t.size() <= name_at || l.t[name_at].kind != ASM_TK_NAME)
    return fail(st, ASM_E_INVALID_NAME, l);
  asm_toks v(l.t.begin() + (long)name_at + (subst ? 2 : 1), l.t.end());
  if (subst)
    asm_pre_subst(st, v, 0);
  if (!asm_charge(st, asm_toks_cost(v)))
    return false;
  st->pre.consts[l.t[name_at].s].push_back(std::move(v));
  return true;
}

bool do_fix(asm_state *st, const asm_line &l) {
  if (l.t[0].kind != ASM_TK_NAME)
    return fail(st, ASM_E_INVALID_NAME, l);
  asm_toks v(l.t.begin() + 2, l.t.end());
  if (!asm_charge(st, asm_toks_cost(v)))
    return false;
  st->pre.fixes[l.t[0].s].push_back(std::move(v));
  return true;
}

/* restore, purge, restruc: drop the newest definition of each name. */
bool do_pop(asm_state *st, const asm_line &l,
            std::unordered_map<std::string, std::vector<asm_toks>> *consts,
            std::unordered_map<std::string, std::vector<asm_macro>> *macros) {
  for (size_t i = 1; i < l.t.size(); i++) {
    const asm_tok &k = l.t[i];
    if (k.sym(','))
      continue;
    if (k.kind != ASM_TK_NAME)
      return fail(st, ASM_E_INVALID_NAME, l);
    if (consts) {
      auto it = consts->find(k.s);
      if (it != consts->end() && !it->second.empty())
        it->second.pop_back();
    } else {
      auto it = macros->find(k.s);
      if (it != macros->end() && !it->second.empty())
        it->second.pop_back();
    }
  }
  return true;
}

/* The definition a name calls now: inside its own expansion a macro
** name means the definition before it. */
const asm_macro *find_macro(asm_state *st, bool struc, const std::string &name,
                            size_t *index) {
  auto &map = struc ? st->pre.strucs : st->pre.macros;
  auto it = map.find(name);
  if (it == map.end() || it->second.empty())
    return nullptr;
  size_t limit = it->second.size();
  auto a = st->pre.active.find((struc ? "." : "") + name);
  if (a != st->pre.active.end() && a->second < limit)
    limit = a->second;
  if (!limit)
    return nullptr;
  *index = limit - 1;
  return &it->second[limit - 1];
}

/* Directives of the preprocessor by the line's first word; -1 when the
** word is none of them. No macro can take these names. */
int directive(asm_state *st, std::vector<asm_line> &in, size_t &i) {
  const asm_line &l = in[i];
  const asm_tok &w = l.t[0];
  if (w.kind != ASM_TK_NAME || w.s.size() > 8)
    return -1;
  if (is_word(w, "include")) return i++, do_include(st, l);
  if (is_word(w, "define")) return i++, do_equ(st, l, false);
  if (is_word(w, "restore")) return i++, do_pop(st, l, &st->pre.consts, nullptr);
  if (is_word(w, "purge")) return i++, do_pop(st, l, nullptr, &st->pre.macros);
  if (is_word(w, "restruc")) return i++, do_pop(st, l, nullptr, &st->pre.strucs);
  if (is_word(w, "macro")) return asm_macro_define(st, in, i, false);
  if (is_word(w, "struc")) return asm_macro_define(st, in, i, true);
  if (is_word(w, "rept")) return asm_macro_rept(st, in, i);
  if (is_word(w, "irp")) return asm_macro_irp(st, in, i, false);
  if (is_word(w, "irps")) return asm_macro_irp(st, in, i, true);
  if (is_word(w, "match")) return asm_macro_match(st, in, i);
  if (is_word(w, "irpv")) return asm_macro_irpv(st, in, i);
  if (is_word(w, "postpone")) return asm_macro_postpone(st, in, i);
  return -1;
}

/* One line at in[i]; moves i past what it used. In the reference's order:
** fix, directives, a macro named by the first word (before constants are
** replaced, and before a label), a label, equ, a struc named by the second
** word, and last the line itself with its constants replaced. */
bool pre_line(asm_state *st, std::vector<asm_line> &in, size_t &i) {
  replace(st->pre.fixes, in[i].t, 0, 0);
  if (in[i].t.size() > ASM_MAX_LINE_TOKENS) {
    asm_fatal(st, ASM_E_OUT_OF_MEMORY);
    return false;
  }
  const asm_line &l = in[i];
  const asm_toks &t = l.t;
  if (t.empty()) {
    i++;
    return true;
  }
  if (t.size() > 1 && is_word(t[1], "fix"))
    return i++, do_fix(st, l);
  int d = directive(st, in, i);
  if (d >= 0)
    return d != 0;
  if (t[0].kind == ASM_TK_NAME) {
    size_t k;
    const asm_macro *m = find_macro(st, false, t[0].s, &k);
    if (m) {
      i++;
      return asm_macro_call(st, *m, k, l, 1, "", false);
    }
  }
  if (t.size() > 2 && t[0].kind == ASM_TK_NAME && t[1].sym(':') &&
      !asm_reg_seg(asm_tok_kw(t[0]).reg)) {
    size_t n = t[2].sym(':') ? 3 : 2; /* name:: names the addressing space */
    if (n == t.size()) {
      asm_line &out = in[i++];
      return emit(st, out);
    }
    asm_line lab{asm_toks(t.begin(), t.begin() + (long)n), l.origin};
    in[i].t.erase(in[i].t.begin(), in[i].t.begin() + (long)n);
    return emit(st, lab);
  }
  if (t.size() > 1 && is_word(t[1], "equ"))
    return i++, do_equ(st, l, true) && !st->fatal;
  if (t.size() > 1 && t[1].kind == ASM_TK_NAME && t[0].kind == ASM_TK_NAME) {
    size_t k;
    const asm_macro *m = find_macro(st, true, t[1].s, &k);
    if (m) {
      asm_toks name{t[0]};
      asm_pre_subst(st, name, 0);
      if (name.size() != 1 || name[0].kind != ASM_TK_NAME)
        return fail(st, ASM_E_INVALID_NAME, l);
      i++;
      return asm_macro_call(st, *m, k, l, 2, name[0].s, true);
    }
  }
  if (t[0].sym('}') || t[0].sym('{'))
    return fail(st, ASM_E_ILLEGAL_INSN, l);
  /* a plain line: nothing reads it here again, it moves on */
  asm_line &out = in[i++];
  asm_pre_subst(st, out.t, 0);
  if (out.t.empty())
    return true;
  if (!asm_charge(st, asm_toks_cost(out.t)))
    return false;
  st->lines.push_back(std::move(out));
  return true;
}

} // namespace

/* A file an include or file line names, found as the reference finds it:
** in the folder of the file the line comes from first, then as named
** (the host's current folder). `name` becomes the name it was found by. */
bool asm_read_file(asm_state *st, int origin, std::string &name, std::string &text) {
  const std::string &from = st->origins[(size_t)origin].file.str();
  size_t cut = from.find_last_of("/\\");
  bool nested = from != st->context && cut != std::string::npos && !name.empty() &&
                name[0] != '/' && name[0] != '\\' && name.find(':') == std::string::npos;
  if (nested) {
    std::string there = from.substr(0, cut + 1) + name;
    if (st->svc->read_file(there.c_str(), text)) {
      name = there;
      return true;
    }
  }
  return st->svc->read_file(name.c_str(), text);
}

void asm_pre_subst(asm_state *st, asm_toks &t, size_t from) {
  replace(st->pre.consts, t, from, 0);
  if (t.size() > ASM_MAX_LINE_TOKENS)
    asm_fatal(st, ASM_E_OUT_OF_MEMORY);
}

bool asm_pre_lines(asm_state *st, std::vector<asm_line> &in) {
  size_t i = 0;
  while (i < in.size()) {
    if (++st->steps > ASM_MAX_STEPS)
      return fail(st, ASM_E_TOO_MANY_REPEATS, in[i]);
    if (!pre_line(st, in, i) || st->fatal || st->err)
      return false;
  }
  return true;
}

bool asm_pre_run(asm_state *st, const char *src, size_t len) {
  st->origins.push_back(asm_origin{asm_intern(st, st->context), -1});
  st->areas.assign(1, asm_area());
  std::vector<asm_line> lines;
  if (!asm_charge(st, len) || !asm_lex(st, src, len, 0, lines))
    return false;
  st->lines.reserve(lines.size() + lines.size() / 2);
  bool ok = asm_pre_lines(st, lines);
  /* postponed blocks, in the order they were given, once the source ends */
  for (size_t k = 0; ok && k < st->pre.postponed.size(); k++) {
    std::vector<asm_line> body = st->pre.postponed[k];
    ok = asm_pre_lines(st, body) && !st->fatal && !st->err;
  }
  st->steps = 0;
  return ok && !st->fatal && !st->err;
}
