/*
** One assembly pass over the preprocessed lines: labels, '=' definitions,
** directives and instructions. Control directives are in asm_ctl.cpp.
*/
#include "asm/asm_int.h"

namespace {

bool is_word(const asm_tok &k, const char *w) { return asm_tok_is(k, w); }

bool err(asm_state *st, int id) {
  asm_error(st, id, *st->line);
  return false;
}

/* Checks a name a line defines; false after reporting why it cannot be. */
bool check_name(asm_state *st, const asm_tok &k) {
  if (k.kind != ASM_TK_NAME)
    return err(st, ASM_E_INVALID_NAME);
  if (k.s.size() > ASM_MAX_NAME)
    return err(st, ASM_E_NAME_TOO_LONG);
  if (k.s[0] >= '0' && k.s[0] <= '9')
    return err(st, ASM_E_RESERVED); /* a number */
  if (!asm_sym_valid_name(k.s))
    return err(st, ASM_E_INVALID_NAME);
  const asm_kw &w = asm_tok_kw(k);
  if (w.reg || w.size || w.mnem || w.unit || w.prefix)
    return err(st, ASM_E_RESERVED);
  static const char *const words[] = {"dup", "mod", "and", "or", "xor",
                                      "not", "shl", "shr", "ptr"};
  for (const char *x : words)
    if (asm_tok_is(k, x))
      return err(st, ASM_E_RESERVED);
  return true;
}

bool define(asm_state *st, const asm_tok &k, const asm_val &v, int size, bool var) {
  const std::string &raw = k.s;
  bool anon = raw == "@@";
  if (v.nreg && var)
    return err(st, ASM_E_INVALID_VALUE);
  asm_sym *s = nullptr;
  bool ok;
  if (anon) {
    ok = asm_sym_define(st, asm_sym_name(st, raw, true), v, size, var);
  } else {
    s = asm_sym_lookup(st, k);
    ok = s && asm_sym_set(st, *s, v, size, var);
  }
  if (!ok)
    return st->fatal ? false : err(st, ASM_E_ALREADY_DEFINED);
  if (anon) {
    st->anon++;
  } else if (!var && raw[0] != '.' && raw[0] != '@') {
    st->global = raw;
    st->global_sym = s;
  }
  return true;
}

bool label_here(asm_state *st, const asm_tok &k, int size) {
  if (k.s != "@@" && !check_name(st, k))
    return false;
  return define(st, k, asm_out_here(st), size, false);
}

bool end_of_line(asm_state *st, const asm_line &l, size_t pos) {
  return pos == l.t.size() || err(st, ASM_E_EXTRA_CHARS);
}

bool dir_org(asm_state *st, const asm_line &l, size_t pos) {
  asm_val v;
  int e = asm_expr_eval(st, l.t, pos, l.t.size(), false, v);
  if (e)
    return err(st, e);
  asm_area &a = asm_out_area(st);
  a.org = v.v;
  a.org_reloc = v.reloc;
  a.org_at = a.bytes.size();
  return end_of_line(st, l, pos);
}

bool dir_align(asm_state *st, const asm_line &l, size_t pos) {
  int64_t n;
  int e = asm_expr_const(st, l.t, pos, l.t.size(), n);
  if (e)
    return err(st, e);
  if (n <= 0 || (n & (n - 1)) || n > 0x10000)
    return err(st, ASM_E_INVALID_VALUE);
  if (!end_of_line(st, l, pos))
    return false;
  asm_val h = asm_out_here(st);
  if (h.reloc && n > 16 && st->opt.format == ASM_FORMAT_MODULE)
    return err(st, ASM_E_SECTION_ALIGN);
  int64_t pad = (n - (h.v & (n - 1))) & (n - 1);
  return asm_out_reserve(st, (uint64_t)pad, 0x90);
}

/* label name [size] [at address] */
bool dir_label(asm_state *st, const asm_line &l, size_t pos) {
  if (pos < l.t.size() && (l.t[pos].kind != ASM_TK_NAME ||
                            !asm_sym_valid_name(l.t[pos].s.substr(0, 1))))
    return err(st, ASM_E_INVALID_ARG); /* label 1x: a number, not a name */
  if (pos >= l.t.size() || !check_name(st, l.t[pos]))
    return pos < l.t.size() ? false : err(st, ASM_E_INVALID_ARG);
  const asm_tok &name = l.t[pos++];
  int size = 0;
  if (pos < l.t.size() && asm_size_word(l.t[pos].s))
    size = asm_size_word(l.t[pos++].s);
  asm_val v = asm_out_here(st);
  if (pos < l.t.size() && is_word(l.t[pos], "at")) {
    pos++;
    int e = asm_expr_eval(st, l.t, pos, l.t.size(), true, v);
    if (e)
      return err(st, e);
  }
  return end_of_line(st, l, pos) && define(st, name, v, size, false);
}

bool dir_display(asm_state *st, const asm_line &l, size_t pos) {
  std::string text;
  for (;;) {
    if (pos >= l.t.size())
      return err(st, ASM_E_INVALID_ARG);
    if (l.t[pos].kind == ASM_TK_STR &&
        (pos + 1 == l.t.size() || l.t[pos + 1].sym(','))) {
      text += l.t[pos++].s;
    } else {
      int64_t v;
      int e = asm_expr_const(st, l.t, pos, l.t.size(), v);
      if (e)
        return err(st, e);
      if (v < 0 || v > 255)
        return err(st, ASM_E_VALUE_RANGE);
      text += (char)v;
    }
    if (pos == l.t.size())
      break;
    if (!l.t[pos].sym(','))
      return err(st, ASM_E_EXTRA_CHARS);
    pos++;
  }
  st->display.push_back(text);
  return true;
}

bool dir_times(asm_state *st, const asm_line &l, size_t pos) {
  int64_t n;
  int e = asm_expr_const(st, l.t, pos, l.t.size(), n);
  if (e)
    return err(st, e);
  if (n < 0)
    return err(st, ASM_E_INVALID_VALUE);
  if (n > ASM_MAX_STEPS)
    return err(st, ASM_E_TOO_MANY_REPEATS);
  if (pos < l.t.size() && l.t[pos].sym(':'))
    pos++;
  if (pos >= l.t.size())
    return err(st, ASM_E_INVALID_ARG);
  int64_t save = st->counter, save_total = st->counter_total;
  bool ok = true;
  for (int64_t i = 1; i <= n && ok; i++) {
    if (++st->steps > ASM_MAX_STEPS) {
      st->endless = true;
      return err(st, ASM_E_TOO_MANY_REPEATS);
    }
    st->counter = i;
    st->counter_total = n;
    ok = asm_parse_line(st, l, pos) && !st->fatal;
  }
  st->counter = save;
  st->counter_total = save_total;
  return ok;
}

/* assert condition: a false one stops the assembly; the table has no
** text of its own for it ("invalid value"). */
bool dir_assert(asm_state *st, const asm_line &l, size_t pos) {
  bool r;
  int e = asm_expr_cond(st, l.t, pos, l.t.size(), r);
  if (!e && pos != l.t.size())
    e = ASM_E_EXTRA_CHARS;
  if (e)
    return err(st, e);
  return r || err(st, ASM_E_INVALID_VALUE);
}

bool dir_mode(asm_state *st, const asm_line &l, size_t pos, int bits) {
  st->bits = bits;
  return end_of_line(st, l, pos);
}

/* Directives by their first word; -1 when the word is none of them. */
int directive(asm_state *st, const asm_line &l, size_t pos) {
  std::string w = asm_lower(l.t[pos].s);
  size_t next = pos + 1;
  if (w == "org") return dir_org(st, l, next);
  if (w == "align") return dir_align(st, l, next);
  if (w == "label") return dir_label(st, l, next);
  if (w == "display") return dir_display(st, l, next);
  if (w == "times") return dir_times(st, l, next);
  if (w == "use16") return dir_mode(st, l, next, 16);
  if (w == "use32") return dir_mode(st, l, next, 32);
  if (w == "use64") return dir_mode(st, l, next, 64);
  if (w == "format")
    return next < l.t.size() && is_word(l.t[next], "binary")
               ? end_of_line(st, l, next + 1) : err(st, ASM_E_INVALID_ARG);
  if (w == "load") return asm_load_line(st, l, next);
  if (w == "file") return asm_file_line(st, l, next);
  if (w == "assert") return dir_assert(st, l, next);
  if (w == "store") return asm_store_line(st, l, next);
  if (w == "end")
    return err(st, ASM_E_INVALID_ARG);
  if (w == "err")
    return err(st, ASM_E_UNEXPECTED_INSN);
  int m = asm_mod_directive(st, l, pos);
  return m >= 0 ? m : asm_mod_reference(st, l, pos);
}

} // namespace

bool asm_parse_line(asm_state *st, const asm_line &l, size_t pos) {
  const asm_toks &t = l.t;
  while (pos + 1 < t.size() && t[pos].kind == ASM_TK_NAME && t[pos + 1].sym(':') &&
         !asm_reg_seg(asm_tok_kw(t[pos]).reg)) {
    if (pos + 2 < t.size() && t[pos + 2].sym(':')) { /* name:: */
      if (!check_name(st, t[pos]) || !asm_area_label(st, t[pos].s))
        return false;
      pos += 3;
      continue;
    }
    if (!label_here(st, t[pos], 0))
      return false;
    pos += 2;
  }
  if (pos >= t.size())
    return true;
  if (pos + 1 < t.size() && t[pos + 1].sym('=')) {
    if (!check_name(st, t[pos]))
      return false;
    size_t p = pos + 2;
    asm_val v;
    int e = asm_expr_eval(st, t, p, t.size(), false, v);
    if (e)
      return err(st, e);
    return end_of_line(st, l, p) && define(st, t[pos], v, 0, true);
  }
  int unit;
  if (pos + 1 < t.size() && t[pos].kind == ASM_TK_NAME &&
      ((unit = asm_tok_kw(t[pos + 1]).unit) != 0 ||
       (asm_tok_is(t[pos + 1], "file") && (unit = 1) != 0))) {
    if (!label_here(st, t[pos], unit))
      return false;
    pos++;
  }
  if (t[pos].kind != ASM_TK_NAME)
    return err(st, ASM_E_ILLEGAL_INSN);
  const asm_kw &kw = asm_tok_kw(t[pos]);
  if (kw.unit)
    return kw.reserve ? asm_data_reserve(st, l, pos, kw.unit)
                      : asm_data_define(st, l, pos, kw.unit);
  if (kw.mnem || kw.prefix) { /* no directive is named like an instruction */
    int r = asm_mod_reference(st, l, pos);
    return r >= 0 ? r != 0 : asm_insn_line(st, l, pos);
  }
  int d = directive(st, l, pos);
  if (d >= 0)
    return d != 0;
  return asm_insn_line(st, l, pos);
}

/* An instruction or initialised data without a label: its bytes may be
** kept for the next pass. */
static bool keepable(const asm_line &l) {
  if (l.t.empty() || l.t[0].kind != ASM_TK_NAME)
    return false;
  const asm_kw &k = asm_tok_kw(l.t[0]);
  return k.mnem || k.prefix || (k.unit && !k.reserve);
}

/* Copies the bytes a line made in an earlier pass; false when it has
** none kept. */
static bool replay_line(asm_state *st, size_t i) {
  if (st->line_memo.size() != st->lines.size())
    st->line_memo.assign(st->lines.size(), asm_line_memo());
  const asm_line_memo &m = st->line_memo[i];
  if (!m.len || m.bits != st->bits || st->areas.size() != 1)
    return false;
  asm_out_bytes(st, st->line_bytes.data() + m.at, m.len); /* may be fatal */
  return true;
}

/* Keeps what the line at i made, when it depended on nothing. */
static void keep_line(asm_state *st, size_t i, size_t before, size_t relocs, int err) {
  const asm_area &a = st->areas[0];
  size_t len = a.bytes.size() - before;
  if (st->dep || st->err != err || st->fatal || st->areas.size() != 1 ||
      st->relocs.size() != relocs || a.init_end != a.bytes.size() || len == 0 ||
      len > 32)
    return;
  asm_line_memo &m = st->line_memo[i];
  m.at = (uint32_t)st->line_bytes.size();
  m.len = (uint8_t)len;
  m.bits = (uint8_t)st->bits;
  st->line_bytes.insert(st->line_bytes.end(), a.bytes.begin() + (long)before, a.bytes.end());
}

/* Runs one pass; st->changed tells whether another one is needed. */
bool asm_parse_pass(asm_state *st) {
  st->areas.assign(1, asm_area());
  st->area_labels.clear();
  st->closed_areas.clear();
  if (st->opt.format == ASM_FORMAT_MODULE) {
    st->areas[0].org = 6; /* the code follows the image's first six bytes */
    st->areas[0].org_reloc = 1;
  }
  st->relocs.clear();
  st->bits = 32;
  st->global.clear();
  st->global_sym = nullptr;
  st->anon = 0;
  st->blocks.clear();
  st->display.clear();
  st->err = ASM_OK;
  st->changed = false;
  st->shift = 0;
  st->counter = st->counter_total = 0;
  st->steps = 0;
  st->mod = asm_mod();
  st->mem_used = st->mem_base;
  size_t i = 0;
  while (i < st->lines.size() && !st->fatal) {
    const asm_line &l = st->lines[i];
    st->line = &l;
    st->cur = i;
    if (++st->steps > ASM_MAX_STEPS) {
      /* blame the innermost loop rather than the line it stopped on */
      const asm_line *at = &l;
      for (size_t b = st->blocks.size(); b-- > 0;)
        if (st->blocks[b].kind == ASM_BLK_REPEAT || st->blocks[b].kind == ASM_BLK_WHILE) {
          at = &st->lines[st->blocks[b].start];
          break;
        }
      st->endless = true;
      asm_error(st, ASM_E_TOO_MANY_REPEATS, *at);
      break;
    }
    if (st->ctl[i]) {
      asm_ctl_line(st, l, i);
      continue;
    }
    if (keepable(l)) {
      if (replay_line(st, i)) {
        i++;
        continue;
      }
      size_t before = st->areas[0].bytes.size(), relocs = st->relocs.size();
      int err = st->err;
      bool top = st->areas.size() == 1;
      st->dep = false;
      asm_parse_line(st, l, 0);
      if (top && !st->line_memo[i].len)
        keep_line(st, i, before, relocs, err);
      i++;
      continue;
    }
    asm_parse_line(st, l, 0);
    i++;
  }
  st->line = nullptr;
  asm_sym_end_pass(st);
  return !st->fatal;
}
