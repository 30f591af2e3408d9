/*
** Repeating blocks of the preprocessor: rept, irp, irps and match. Each
** expands its body through the macro machinery once per binding set.
*/
#include "asm/asm_int.h"

namespace {

typedef asm_bindings bindings;

bool fail(asm_state *st, int id, const asm_line &l) {
  asm_error(st, id, l);
  return false;
}

bool block(asm_state *st, std::vector<asm_line> &in, size_t &i, asm_line &h,
           std::vector<asm_line> &body) {
  return asm_macro_block(st, in, i, h, body);
}

/* match: names are wildcards of one token or more, =x and special
** characters match themselves. */
bool match_at(const asm_toks &p, size_t pi, const asm_toks &t, size_t ti,
              bindings &b, int &budget) {
  if (--budget < 0)
    return false;
  if (pi == p.size())
    return ti == t.size();
  const asm_tok &k = p[pi];
  if (k.sym('=') && pi + 1 < p.size()) {
    const asm_tok &lit = p[pi + 1];
    return ti < t.size() && t[ti].kind == lit.kind && t[ti].s == lit.s &&
           match_at(p, pi + 2, t, ti + 1, b, budget);
  }
  if (k.kind != ASM_TK_NAME)
    return ti < t.size() && t[ti].kind == k.kind && t[ti].s == k.s &&
           match_at(p, pi + 1, t, ti + 1, b, budget);
  for (size_t n = ti + 1; n <= t.size(); n++) {
    b[k.s] = asm_toks(t.begin() + (long)ti, t.begin() + (long)n);
    if (match_at(p, pi + 1, t, n, b, budget))
      return true;
  }
  b.erase(k.s);
  return false;
}

} // namespace

/* rept count [counter[:base]] { body } */
bool asm_macro_rept(asm_state *st, std::vector<asm_line> &in, size_t &i) {
  asm_line h;
  std::vector<asm_line> body;
  if (!block(st, in, i, h, body))
    return false;
  asm_pre_subst(st, h.t, 1);
  size_t pos = 1;
  int64_t count = 0, base = 1;
  asm_val v;
  int e = asm_expr_eval(st, h.t, pos, h.t.size(), false, v);
  if (!e && (v.unknown || v.reloc || v.nreg))
    e = ASM_E_INVALID_VALUE;
  if (e)
    return fail(st, e, h);
  count = v.v;
  std::string counter;
  if (pos < h.t.size()) {
    if (h.t[pos].kind != ASM_TK_NAME)
      return fail(st, ASM_E_INVALID_NAME, h);
    counter = h.t[pos++].s;
    if (pos < h.t.size() && h.t[pos].sym(':')) {
      pos++;
      e = asm_expr_eval(st, h.t, pos, h.t.size(), false, v);
      if (!e && (v.unknown || v.reloc || v.nreg))
        e = ASM_E_INVALID_VALUE;
      if (e)
        return fail(st, e, h);
      base = v.v;
    }
  }
  if (pos != h.t.size())
    return fail(st, ASM_E_EXTRA_CHARS, h);
  if (count < 0)
    return fail(st, ASM_E_INVALID_VALUE, h);
  if (body.empty())
    return true;
  if (count > ASM_MAX_STEPS)
    return fail(st, ASM_E_TOO_MANY_REPEATS, h);
  std::vector<std::string> names;
  if (!counter.empty())
    names.push_back(counter);
  std::vector<std::vector<asm_toks>> groups((size_t)count);
  for (int64_t n = 0; n < count && !counter.empty(); n++) {
    int64_t v = base + n; /* a negative counter is a sign and a number */
    asm_toks k;
    if (v < 0)
      k.push_back(asm_tok{ASM_TK_SYM, asm_text{asm_text_special('-')}});
    k.push_back(asm_tok_make(st, ASM_TK_NAME,
                             std::to_string(v < 0 ? 0 - (uint64_t)v : (uint64_t)v)));
    groups[(size_t)n].push_back(k);
  }
  return asm_macro_repeat(st, body, names, groups,
                          asm_macro_origin(st, h.origin, h.origin));
}

/* irp name, values { body }  /  irps name, tokens { body } */
bool asm_macro_irp(asm_state *st, std::vector<asm_line> &in, size_t &i, bool irps) {
  asm_line h;
  std::vector<asm_line> body;
  if (!block(st, in, i, h, body))
    return false;
  if (h.t.size() < 2 || h.t[1].kind != ASM_TK_NAME)
    return fail(st, ASM_E_MACRO_ARGS, h);
  if (h.t.size() > 2 && !h.t[2].sym(','))
    return fail(st, ASM_E_MACRO_ARGS, h);
  asm_pre_subst(st, h.t, 3);
  std::vector<std::vector<asm_toks>> groups;
  std::vector<std::string> names{h.t[1].s};
  if (irps) {
    for (size_t k = 3; k < h.t.size(); k++)
      groups.push_back({asm_toks{h.t[k]}});
  } else {
    std::vector<asm_toks> vals;
    if (!asm_macro_args(h.t, 3, vals))
      return fail(st, ASM_E_MACRO_ARGS, h);
    if (vals.empty()) /* irp x, { } runs once with x empty */
      vals.emplace_back();
    for (asm_toks &v : vals)
      groups.push_back({v});
  }
  return asm_macro_repeat(st, body, names, groups,
                          asm_macro_origin(st, h.origin, h.origin));
}

/* match pattern, text { body } */
bool asm_macro_match(asm_state *st, std::vector<asm_line> &in, size_t &i) {
  asm_line h;
  std::vector<asm_line> body;
  if (!block(st, in, i, h, body))
    return false;
  size_t comma = 1;
  /* the first comma the pattern does not quote with = */
  while (comma < h.t.size() && !(h.t[comma].sym(',') && !h.t[comma - 1].sym('=')))
    comma++;
  if (comma >= h.t.size())
    return fail(st, ASM_E_MACRO_ARGS, h);
  asm_toks pattern(h.t.begin() + 1, h.t.begin() + (long)comma);
  asm_toks text(h.t.begin() + (long)comma + 1, h.t.end());
  asm_pre_subst(st, text, 0);
  bindings b;
  int budget = 100000;
  if (!match_at(pattern, 0, text, 0, b, budget))
    return true;
  std::vector<std::string> names;
  std::vector<std::vector<asm_toks>> groups(1);
  for (auto &kv : b) {
    names.push_back(kv.first);
    groups[0].push_back(kv.second);
  }
  return asm_macro_repeat(st, body, names, groups,
                          asm_macro_origin(st, h.origin, h.origin));
}

/* irpv name, constant { body }: once for every value the symbolic constant
** was given that is still standing, oldest first */
bool asm_macro_irpv(asm_state *st, std::vector<asm_line> &in, size_t &i) {
  asm_line h;
  std::vector<asm_line> body;
  if (!block(st, in, i, h, body))
    return false;
  if (h.t.size() != 4 || h.t[1].kind != ASM_TK_NAME || !h.t[2].sym(',') ||
      h.t[3].kind != ASM_TK_NAME)
    return fail(st, ASM_E_MACRO_ARGS, h);
  std::vector<std::vector<asm_toks>> groups;
  auto it = st->pre.consts.find(h.t[3].s);
  if (it != st->pre.consts.end())
    for (const asm_toks &v : it->second)
      groups.push_back({v});
  return asm_macro_repeat(st, body, std::vector<std::string>{h.t[1].s}, groups,
                          asm_macro_origin(st, h.origin, h.origin));
}

/* postpone { body }: the body is preprocessed after the end of the source */
bool asm_macro_postpone(asm_state *st, std::vector<asm_line> &in, size_t &i) {
  asm_line h;
  std::vector<asm_line> body;
  if (!block(st, in, i, h, body))
    return false;
  if (h.t.size() != 1)
    return fail(st, ASM_E_EXTRA_CHARS, h);
  size_t cost = 16;
  for (const asm_line &l : body)
    cost += asm_toks_cost(l.t);
  if (!asm_charge(st, cost))
    return false;
  st->pre.postponed.push_back(std::move(body));
  return true;
}
