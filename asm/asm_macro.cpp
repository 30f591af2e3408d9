/*
** Macro machinery of the preprocessor: brace blocks, macro and struc
** definitions and calls (required, default, greedy and group parameters,
** common / forward / reverse, local, # concatenation, backslash escapes),
** and the repeating blocks rept, irp, irps and match.
*/
#include "asm/asm_int.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace {

typedef asm_bindings bindings;

typedef std::unordered_map<std::string, std::string> local_names;

/* Parameters of one expansion: few, so a flat list beats a hash table. */
struct param_set {
  std::vector<std::pair<std::string, asm_toks>> v;
  const asm_toks *find(const std::string &name) const {
    for (const auto &p : v)
      if (p.first.size() == name.size() && p.first == name)
        return &p.second;
    return nullptr;
  }
  /* a value set again reuses the list it had (once per group) */
  void set(const std::string &name, const asm_toks &value) {
    for (auto &p : v)
      if (p.first == name) {
        p.second.assign(value.begin(), value.end());
        return;
      }
    v.emplace_back(name, value);
  }
};

struct expansion {
  asm_state *st = nullptr;
  param_set params;
  local_names locals;              /* made in a common part */
  std::vector<local_names> glocals; /* made in forward or reverse, per group */
  int group = -1;                  /* group being expanded, -1: common */
  std::string label; /* struc instance name */
  bool struc = false;
  int origin = 0;
};

bool fail(asm_state *st, int id, const asm_line &l) {
  asm_error(st, id, l);
  return false;
}

bool is_word(const asm_tok &k, const char *w) { return asm_tok_is(k, w); }

bool is_open(const asm_tok &k) { return k.kind == ASM_TK_SYM && k.s == "{"; }
bool is_close(const asm_tok &k) { return k.kind == ASM_TK_SYM && k.s == "}"; }

/* Splits t[from..) at top-level commas; <...> groups one argument. */
bool split_args(const asm_toks &t, size_t from, std::vector<asm_toks> &out) {
  out.clear();
  if (from >= t.size())
    return true;
  out.emplace_back();
  for (size_t i = from; i < t.size(); i++) {
    if (t[i].sym(',')) {
      out.emplace_back();
    } else if (t[i].sym('<') && out.back().empty()) {
      int depth = 1;
      size_t j = i + 1;
      for (; j < t.size(); j++) {
        if (t[j].sym('<')) depth++;
        if (t[j].sym('>') && --depth == 0) break;
      }
      if (j >= t.size())
        return false;
      out.back().insert(out.back().end(), t.begin() + (long)i + 1,
                        t.begin() + (long)j);
      i = j;
      if (i + 1 < t.size() && !t[i + 1].sym(','))
        return false;
    } else {
      out.back().push_back(t[i]);
    }
  }
  return true;
}

/* name?N with N counted over every local of the source in the digits
** 0-9 A-Z a-z, one digit more each time those run out, as the reference
** names them (a backquote can show the name). */
std::string unique_name(asm_state *st, const std::string &name) {
  static const char digits[] =
      "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  uint64_t n = st->pre.locals++, span = 62;
  int len = 1;
  while (n >= span) {
    n -= span;
    span *= 62;
    len++;
  }
  std::string r = name + "?";
  std::string d((size_t)len, '0');
  for (int i = len; i-- > 0; n /= 62)
    d[(size_t)i] = digits[n % 62];
  return r + d;
}

/* A local made in a forward or reverse part, named in a common part:
** the list of its names in every group. */
bool group_local(const expansion &x, const std::string &name, asm_toks &out) {
  asm_state *st = x.st;
  bool found = false;
  for (const local_names &g : x.glocals) {
    auto it = g.find(name);
    if (it == g.end())
      continue;
    if (found)
      out.push_back(asm_tok{ASM_TK_SYM, asm_text{asm_text_special(',')}});
    out.push_back(asm_tok_make(st, ASM_TK_NAME, it->second));
    found = true;
  }
  return found;
}

/* One body line with parameters, locals and escapes resolved and the
** # operator applied. */
/* One token of a body line with parameters, locals and escapes resolved. */
/* One token of a body line with parameters, locals and escapes resolved;
** `esc` (when the line joins tokens with #) notes the escaped ones. */
void expand_token(const asm_tok &k, const expansion &x, asm_line &out,
                  std::vector<char> *esc) {
  char escaped = 0;
  if (k.s.size() > 1 && k.s[0] == '\\') {
    out.t.push_back(asm_tok_make(x.st, k.kind, std::string_view(k.s.str()).substr(1)));
    escaped = 1;
  } else if (k.kind != ASM_TK_NAME) {
    out.t.push_back(k);
  } else if (const asm_toks *p = x.params.find(k.s)) {
    out.t.insert(out.t.end(), p->begin(), p->end());
  } else {
    const std::string *name = nullptr;
    if (x.group >= 0) {
      auto g = x.glocals[(size_t)x.group].find(k.s);
      if (g != x.glocals[(size_t)x.group].end())
        name = &g->second;
    } else if (!x.glocals.empty() && group_local(x, k.s, out.t)) {
      /* a common part sees the names every group made, in order */
      if (esc)
        esc->resize(out.t.size(), 0);
      return;
    }
    if (!name && !x.locals.empty()) {
      auto l = x.locals.find(k.s);
      if (l != x.locals.end())
        name = &l->second;
    }
    if (name)
      out.t.push_back(asm_tok_make(x.st, ASM_TK_NAME, *name));
    else if (x.struc && k.s[0] == '.' && (k.s.size() == 1 || k.s[1] != '.'))
      out.t.push_back(asm_tok_make(x.st, ASM_TK_NAME,
                                   k.s == "." ? x.label : x.label + k.s.str()));
    else
      out.t.push_back(k);
  }
  if (esc)
    esc->resize(out.t.size(), escaped);
}

/* One body line with parameters, locals and escapes resolved, the
** backquote made a string of the name after it, and the # operator
** applied. */
/* How many tokens a body line expands to: its list is sized once. */
size_t expanded_size(const asm_line &src, const expansion &x) {
  size_t n = 0;
  for (const asm_tok &k : src.t) {
    const asm_toks *p = k.kind == ASM_TK_NAME ? x.params.find(k.s) : nullptr;
    n += p ? p->size() : 1;
  }
  return n;
}

asm_line expand_line(asm_state *st, const asm_line &src, const expansion &x) {
  asm_line out{asm_toks(&st->arena), x.origin};
  out.t.reserve(expanded_size(src, x));
  bool joins = false;
  for (const asm_tok &k : src.t)
    joins |= k.sym('#');
  std::vector<char> escaped;
  std::vector<char> *esc = joins ? &escaped : nullptr;
  bool quote = false;
  for (const asm_tok &k : src.t) {
    if (k.sym('`')) {
      quote = true;
      continue;
    }
    size_t mark = out.t.size();
    expand_token(k, x, out, esc);
    if (quote && mark < out.t.size() && out.t[mark].kind == ASM_TK_NAME)
      out.t[mark].kind = ASM_TK_STR;
    quote = false;
  }
  for (size_t i = 1; joins && i + 1 < out.t.size(); i++) {
    if (!out.t[i].sym('#') || escaped[i])
      continue;
    asm_tok &a = out.t[i - 1];
    const asm_tok &b = out.t[i + 1];
    if (a.kind == ASM_TK_SYM || b.kind == ASM_TK_SYM)
      continue;
    if (b.kind == ASM_TK_STR)
      a.kind = ASM_TK_STR;
    a.s = asm_intern(st, a.s.str() + b.s.str());
    out.t.erase(out.t.begin() + (long)i, out.t.begin() + (long)i + 2);
    escaped.erase(escaped.begin() + (long)i, escaped.begin() + (long)i + 2);
    i--;
  }
  return out;
}

/* `local a, b`: fresh names for this expansion from here on. */
bool declare_locals(asm_state *st, const asm_line &l, expansion &x) {
  for (size_t i = 1; i < l.t.size(); i++) {
    if (l.t[i].sym(','))
      continue;
    if (l.t[i].kind != ASM_TK_NAME) /* named with the lines it came from */
      return fail(st, ASM_E_INVALID_NAME, asm_line{l.t, x.origin});
    (x.group >= 0 ? x.glocals[(size_t)x.group] : x.locals)[l.t[i].s] =
        unique_name(st, l.t[i].s);
  }
  return true;
}

bool expand_lines(asm_state *st, const std::vector<asm_line> &body,
                  size_t from, size_t to, expansion &x,
                  std::vector<asm_line> &out) {
  for (size_t i = from; i < to; i++) {
    const asm_line &src = body[i];
    if (!src.t.empty() && is_word(src.t[0], "local")) {
      if (!declare_locals(st, src, x))
        return false;
      continue;
    }
    asm_line l = expand_line(st, src, x);
    if (!asm_charge(st, asm_toks_cost(l.t)))
      return false;
    out.push_back(std::move(l));
  }
  return true;
}

/* Preprocesses generated lines one level deeper. */
bool run_lines(asm_state *st, std::vector<asm_line> &lines) {
  if (++st->depth > ASM_MAX_DEPTH) {
    asm_fatal(st, ASM_E_OUT_OF_STACK);
    return false;
  }
  bool ok = asm_pre_lines(st, lines);
  st->depth--;
  return ok;
}

int new_origin(asm_state *st, int def_origin, int parent) {
  st->origins.push_back(asm_origin{st->origins[def_origin].file, parent});
  return (int)st->origins.size() - 1;
}

/* Parameter list of a macro header: a, b*, c:default, [d, e], f& */
bool parse_params(asm_state *st, const asm_line &l, size_t pos, size_t end,
                  asm_macro &m) {
  const asm_toks &t = l.t;
  bool in_group = false;
  while (pos < end) {
    if (t[pos].sym('[')) {
      if (m.group >= 0 || in_group)
        return fail(st, ASM_E_MACRO_ARGS, l);
      m.group = (int)m.params.size();
      in_group = true;
      pos++;
      continue;
    }
    if (t[pos].kind != ASM_TK_NAME || m.greedy)
      return fail(st, ASM_E_MACRO_ARGS, l);
    m.params.push_back(t[pos++].s);
    m.required.push_back(0);
    m.defaults.emplace_back();
    if (pos < end && t[pos].sym('*')) {
      m.required.back() = 1;
      pos++;
    } else if (pos < end && t[pos].sym(':')) {
      pos++;
      while (pos < end && !t[pos].sym(',') && !t[pos].sym(']'))
        m.defaults.back().push_back(t[pos++]);
    } else if (pos < end && t[pos].sym('&')) {
      m.greedy = true;
      pos++;
    }
    if (pos < end && t[pos].sym(']')) {
      if (!in_group)
        return fail(st, ASM_E_MACRO_ARGS, l);
      in_group = false;
      pos++;
    }
    if (pos < end) {
      if (!t[pos].sym(','))
        return fail(st, ASM_E_MACRO_ARGS, l);
      pos++;
      if (pos == end)
        return fail(st, ASM_E_MACRO_ARGS, l);
    }
  }
  if (in_group || (m.group >= 0 && m.group != (int)m.params.size() - 1 &&
                   m.group >= (int)m.params.size()))
    return fail(st, ASM_E_MACRO_ARGS, l);
  return true;
}

size_t find_open(const asm_toks &t) {
  for (size_t i = 0; i < t.size(); i++)
    if (is_open(t[i]))
      return i;
  return t.size();
}

/* Header, then the lines of the body; i moves past what was used. */
bool block(asm_state *st, std::vector<asm_line> &in, size_t &i,
           asm_line &header, std::vector<asm_line> &body) {
  header = in[i];
  size_t open = find_open(header.t);
  size_t j = i;
  size_t pos;
  if (open < header.t.size()) {
    pos = open + 1;
  } else {
    if (i + 1 >= in.size() || in[i + 1].t.empty() || !is_open(in[i + 1].t[0]))
      return fail(st, ASM_E_INCOMPLETE_MACRO, header);
    j = i + 1;
    pos = 1;
  }
  header.t.resize(open);
  for (;;) { /* the body is read in place: tokens pos.. of line j */
    const asm_toks &cur = in[j].t;
    int origin = in[j].origin;
    size_t k = pos;
    while (k < cur.size() && !is_close(cur[k]))
      k++;
    if (k < cur.size()) {
      if (k > pos)
        body.push_back(asm_line{asm_toks(cur.begin() + (long)pos, cur.begin() + (long)k), origin});
      if (k + 1 == cur.size()) {
        i = j + 1;
      } else { /* what follows the brace is a line of its own */
        asm_toks after(cur.begin() + (long)k + 1, cur.end());
        in[j].t = after;
        i = j;
      }
      return true;
    }
    if (pos < cur.size())
      body.push_back(asm_line{asm_toks(cur.begin() + (long)pos, cur.end()), origin});
    if (++j >= in.size())
      return fail(st, ASM_E_INCOMPLETE_MACRO, header);
    pos = 0;
  }
}

/* Arguments of a call bound to the parameters, group values apart. */
bool bind_args(asm_state *st, const asm_macro &m, const asm_line &line,
               size_t argpos, expansion &x, std::vector<std::vector<asm_toks>> &groups) {
  std::vector<asm_toks> args;
  if (!split_args(line.t, argpos, args))
    return fail(st, ASM_E_MACRO_ARGS, line);
  size_t fixed = m.group >= 0 ? (size_t)m.group : m.params.size();
  if (m.greedy && args.size() > fixed && fixed > 0) {
    /* the last parameter takes the rest, commas included */
    asm_toks rest;
    for (size_t a = fixed - 1; a < args.size(); a++) {
      if (a > fixed - 1)
        rest.push_back(asm_tok{ASM_TK_SYM, asm_text{asm_text_special(',')}});
      rest.insert(rest.end(), args[a].begin(), args[a].end());
    }
    args.resize(fixed);
    args.back() = rest;
  }
  if (m.group < 0 && args.size() > m.params.size() &&
      !(args.size() == 1 && args[0].empty()))
    return fail(st, ASM_E_MACRO_ARGS, line);
  for (size_t p = 0; p < fixed; p++) {
    const asm_toks *v = p < args.size() ? &args[p] : nullptr;
    if (!v || v->empty())
      v = &m.defaults[p];
    if (v->empty() && m.required[p])
      return fail(st, ASM_E_MACRO_ARGS, line);
    x.params.set(m.params[p], *v);
  }
  if (m.group >= 0) {
    /* one group at least: with no group arguments the forward and
    ** reverse parts run once with the group parameters empty */
    size_t g = m.params.size() - fixed;
    size_t a = fixed;
    do {
      groups.emplace_back();
      for (size_t p = 0; p < g; p++) {
        asm_toks *v = a + p < args.size() ? &args[a + p] : nullptr;
        if (!v || v->empty()) {
          if (m.defaults[fixed + p].empty() && m.required[fixed + p])
            return fail(st, ASM_E_MACRO_ARGS, line);
          groups.back().push_back(m.defaults[fixed + p]);
        } else {
          groups.back().push_back(std::move(*v));
        }
      }
      a += g;
    } while (a < args.size());
    x.glocals.resize(groups.size());
  }
  return true;
}

/* Expands body sections: common once, forward and reverse per group. */
bool is_section(const asm_line &l) {
  return !l.t.empty() && (is_word(l.t[0], "common") || is_word(l.t[0], "forward") ||
                          is_word(l.t[0], "reverse"));
}

/* A section word may lead the first line of its section: it becomes a
** line of its own, once, when the body is stored. */
void split_sections(std::vector<asm_line> &body) {
  bool split = false;
  for (const asm_line &l : body)
    split |= is_section(l) && l.t.size() > 1;
  if (!split)
    return;
  std::vector<asm_line> out;
  for (asm_line &l : body) {
    if (is_section(l) && l.t.size() > 1) {
      out.push_back(asm_line{asm_toks{l.t[0]}, l.origin});
      out.push_back(asm_line{asm_toks(l.t.begin() + 1, l.t.end()), l.origin});
    } else {
      out.push_back(std::move(l));
    }
  }
  body.swap(out);
}

bool expand_sections(asm_state *st, const asm_macro &def, expansion &x,
                     const std::vector<std::vector<asm_toks>> &groups,
                     std::vector<asm_line> &out) {
  const asm_macro &m = def;
  size_t fixed = m.group >= 0 ? (size_t)m.group : m.params.size();
  int mode = m.group >= 0 ? 1 : 0; /* 0 common, 1 forward, 2 reverse */
  asm_toks scratch;
  size_t i = 0;
  while (i < m.body.size()) {
    size_t j = i;
    while (j < m.body.size() && !is_section(m.body[j]))
      j++;
    if (mode == 0 || m.group < 0) {
      for (size_t p = fixed; p < m.params.size(); p++) {
        asm_toks &all = scratch;
        all.clear();
        for (size_t g = 0; g < groups.size(); g++) {
          if (g)
            all.push_back(asm_tok{ASM_TK_SYM, asm_text{asm_text_special(',')}});
          all.insert(all.end(), groups[g][p - fixed].begin(), groups[g][p - fixed].end());
        }
        x.params.set(m.params[p], all);
      }
      if (!expand_lines(st, m.body, i, j, x, out))
        return false;
    } else {
      for (size_t n = 0; n < groups.size(); n++) {
        size_t g = mode == 1 ? n : groups.size() - 1 - n;
        for (size_t p = fixed; p < m.params.size(); p++)
          x.params.set(m.params[p], groups[g][p - fixed]);
        x.group = (int)g;
        bool ok = expand_lines(st, m.body, i, j, x, out);
        x.group = -1;
        if (!ok)
          return false;
      }
    }
    if (j < m.body.size()) {
      std::string w = asm_lower(m.body[j].t[0].s);
      mode = w == "common" ? 0 : w == "forward" ? 1 : 2;
      j++;
    }
    i = j;
  }
  return true;
}

/* Repeats a body once per group, as a macro whose parameters are all
** group parameters: common, forward and reverse parts work there too. */
bool repeat_body(asm_state *st, std::vector<asm_line> &body,
                 const std::vector<std::string> &names,
                 const std::vector<std::vector<asm_toks>> &groups, int parent) {
  if (body.empty() || groups.empty())
    return true;
  asm_macro m;
  m.params = names;
  m.required.assign(names.size(), 0);
  m.defaults.assign(names.size(), asm_toks());
  m.group = 0;
  m.body = std::move(body);
  split_sections(m.body);
  expansion x;
  x.st = st;
  x.origin = parent;
  x.glocals.resize(groups.size());
  std::vector<asm_line> out;
  out.reserve(std::min<size_t>(m.body.size() * groups.size(), 4096)); /* sized once */
  return expand_sections(st, m, x, groups, out) && run_lines(st, out);
}

} // namespace

bool asm_macro_define(asm_state *st, std::vector<asm_line> &in, size_t &i,
                      bool struc) {
  asm_line header;
  asm_macro m;
  size_t start = i;
  if (!block(st, in, i, header, m.body))
    return false;
  if (header.t.size() < 2 || header.t[1].kind != ASM_TK_NAME)
    return fail(st, ASM_E_INVALID_NAME, in[start]);
  static const char *const directives[] = {
    "include", "define", "restore", "purge", "restruc", "macro", "struc",
    "rept", "irp", "irps", "irpv", "match", "postpone", "fix", "equ"};
  for (const char *d : directives) /* the preprocessor takes these first */
    if (is_word(header.t[1], d))
      return fail(st, ASM_E_RESERVED, header);
  if (!parse_params(st, header, 2, header.t.size(), m))
    return false;
  m.origin = header.origin;
  split_sections(m.body);
  size_t cost = 32;
  for (const asm_line &l : m.body) {
    cost += asm_toks_cost(l.t);
    for (const asm_tok &k : l.t) /* every expansion copies the meaning */
      asm_tok_kw(k);
  }
  if (!asm_charge(st, cost))
    return false;
  (struc ? st->pre.strucs : st->pre.macros)[header.t[1].s].push_back(std::move(m));
  return true;
}

bool asm_macro_call(asm_state *st, const asm_macro &def, size_t index,
                    const asm_line &line, size_t argpos, const std::string &label,
                    bool struc) {
  /* the table may grow once the expansion runs: `def` is read only
  ** before that */
  const asm_macro &m = def;
  std::string name = struc ? "." + line.t[1].s : line.t[0].s;
  expansion x;
  x.st = st;
  x.struc = struc;
  x.label = label;
  x.origin = new_origin(st, m.origin, line.origin);
  std::vector<std::vector<asm_toks>> groups;
  if (!bind_args(st, m, line, argpos, x, groups))
    return false;
  std::vector<asm_line> out;
  out.reserve(std::min<size_t>(m.body.size() * (groups.empty() ? 1 : groups.size()) + 1, 4096));
  if (!expand_sections(st, m, x, groups, out))
    return false;
  if (struc) { /* a body that does not define `.` leaves the name a label */
    bool dot = false;
    for (const asm_line &b : m.body)
      for (const asm_tok &k : b.t)
        dot |= k.kind == ASM_TK_NAME && k.s == ".";
    if (!dot)
      out.insert(out.begin(), asm_line{asm_toks{asm_tok_make(st, ASM_TK_NAME, label),
                                                asm_tok{ASM_TK_SYM, asm_text{asm_text_special(':')}}},
                                       x.origin});
  }
  /* an entry stays once made (SIZE_MAX: not being expanded), so calls
  ** neither make nor free one; elements keep their place on rehash */
  size_t &slot = st->pre.active.try_emplace(name, SIZE_MAX).first->second;
  size_t saved = slot;
  slot = index;
  bool ok = run_lines(st, out);
  slot = saved;
  return ok;
}


bool asm_macro_block(asm_state *st, std::vector<asm_line> &in, size_t &i,
                     asm_line &header, std::vector<asm_line> &body) {
  return block(st, in, i, header, body);
}

bool asm_macro_args(const asm_toks &t, size_t from, std::vector<asm_toks> &out) {
  return split_args(t, from, out);
}

bool asm_macro_repeat(asm_state *st, std::vector<asm_line> &body,
                      const std::vector<std::string> &names,
                      const std::vector<std::vector<asm_toks>> &groups, int parent) {
  return repeat_body(st, body, names, groups, parent);
}

int asm_macro_origin(asm_state *st, int def_origin, int parent) {
  return new_origin(st, def_origin, parent);
}
