/*
** Tokenizer: source text to lines of tokens. Comments are dropped, a
** backslash ending a line joins the next one, and a backslash before a
** token escapes it for one level of macro expansion.
*/
#include "asm/asm_int.h"

#include <cstring>

/* Character classes: 1 special (a token of its own), 2 blank, 4 name. */
namespace {
struct lex_classes {
  uint8_t c[256];
  lex_classes() {
    for (int i = 0; i < 256; i++)
      c[i] = 4;
    for (const char *p = "+-/*=<>()[]{}:,|&~#`"; *p; p++)
      c[(uint8_t)*p] = 1;
    c[(uint8_t)' '] = c[(uint8_t)'\t'] = 2;
    for (const char *p = ";'\"\\\n\r"; *p; p++)
      c[(uint8_t)*p] = 0;
  }
};
const lex_classes lex_class;
} // namespace

static bool lex_special(char c) { return lex_class.c[(uint8_t)c] == 1; }

/* Texts of one character, shared by every assembly: read-only, since
** only names cache their meaning. */
const asm_text_entry *asm_text_special(char c) {
  struct table {
    std::vector<asm_text_entry> e;
    table() {
      e.reserve(256);
      e.emplace_back(std::string(), asm_text_info());
      for (int i = 1; i < 256; i++)
        e.emplace_back(std::string(1, (char)i), asm_text_info());
    }
  };
  static const table t;
  return &t.e[(uint8_t)c];
}

/* A text of this assembly: names keep their meaning and symbol in it, so
** every text but the empty one is the assembly's own. */
asm_text asm_intern(asm_state *st, std::string_view text) {
  asm_text r;
  if (!text.empty())
    r.e = st->texts.intern(text);
  return r;
}

void asm_text_table::reserve(size_t n) {
  size_t want = 64;
  while (want < 2 * n)
    want *= 2;
  if (want <= slots.size())
    return;
  std::vector<slot> old(want, slot{0, nullptr});
  old.swap(slots);
  for (const slot &o : old) {
    if (!o.e)
      continue;
    size_t i = o.hash & (want - 1);
    while (slots[i].e)
      i = (i + 1) & (want - 1);
    slots[i] = o;
  }
}

const asm_text_entry *asm_text_table::intern(std::string_view s) {
  if (2 * (entries.size() + 1) > slots.size()) /* at most half full */
    reserve(entries.size() + 1);
  size_t h = std::hash<std::string_view>()(s), mask = slots.size() - 1;
  size_t i = h & mask;
  for (; slots[i].e; i = (i + 1) & mask)
    if (slots[i].hash == h && std::string_view(slots[i].e->first) == s)
      return slots[i].e;
  entries.emplace_back(std::string(s), asm_text_info());
  slots[i] = slot{h, &entries.back()};
  return &entries.back();
}

asm_tok asm_tok_make(asm_state *st, uint8_t kind, std::string_view text) {
  return asm_tok{kind, asm_intern(st, text)};
}

static bool lex_space(char c) { return lex_class.c[(uint8_t)c] == 2; }

bool asm_lex_is_name_char(char c) { return lex_class.c[(uint8_t)c] == 4; }

/* A quoted string starting at p[i]; doubled quotes stand for one. */
static bool lex_string(const char *p, size_t n, size_t &i, std::string &out) {
  char q = p[i++];
  for (;;) {
    if (i >= n || p[i] == '\n' || p[i] == '\r')
      return false;
    if (p[i] == q) {
      if (i + 1 < n && p[i + 1] == q) {
        out += q;
        i += 2;
        continue;
      }
      i++;
      return true;
    }
    out += p[i++];
  }
}

/* True when only blanks or a comment follow position i on this line. */
static bool lex_line_rest_empty(const char *p, size_t n, size_t i) {
  while (i < n && lex_space(p[i]))
    i++;
  return i >= n || p[i] == '\n' || p[i] == '\r' || p[i] == ';';
}

static size_t lex_skip_line(const char *p, size_t n, size_t i) {
  while (i < n && p[i] != '\n' && p[i] != '\r')
    i++;
  if (i < n && p[i] == '\r' && i + 1 < n && p[i + 1] == '\n')
    return i + 2;
  return i < n ? i + 1 : i;
}

/* A finished line keeps exactly its tokens; the scratch vector is reused. */
static bool lex_push(asm_state *st, std::vector<asm_line> &out, asm_line &line) {
  if (line.t.empty())
    return true;
  if (!asm_charge(st, asm_toks_cost(line.t)))
    return false;
  out.push_back(asm_line{asm_toks(&st->arena), line.origin});
  asm_line &l = out.back();
  l.t.reserve(line.t.size());
  for (asm_tok &k : line.t)
    l.t.push_back(std::move(k));
  line.t.clear();
  return true;
}

bool asm_lex(asm_state *st, const char *p, size_t n, int origin,
             std::vector<asm_line> &out) {
  asm_line line;
  line.origin = origin;
  line.t.reserve(16);
  out.reserve(out.size() + n / 24); /* about one line per 24 characters */
  st->texts.reserve(n / 32);
  size_t i = 0;
  while (i < n) {
    char c = p[i];
    if (lex_space(c)) {
      i++;
    } else if (c == '\n' || c == '\r') {
      i = lex_skip_line(p, n, i);
      if (!lex_push(st, out, line))
        return false;
    } else if (c == ';') {
      while (i < n && p[i] != '\n' && p[i] != '\r')
        i++;
    } else if (c == '\'' || c == '"') {
      std::string body;
      bool closed = lex_string(p, n, i, body);
      line.t.push_back(asm_tok_make(st, ASM_TK_STR, body));
      if (!closed) {
        asm_error(st, ASM_E_MISSING_QUOTE, line);
        return false;
      }
    } else if (c == '\\' && lex_line_rest_empty(p, n, i + 1)) {
      i = lex_skip_line(p, n, i + 1); /* continuation */
    } else if (c == '\\' || asm_lex_is_name_char(c)) {
      size_t b = i;
      while (i < n && p[i] == '\\')
        i++;
      if (i < n && lex_special(p[i])) {
        i++;
        line.t.push_back(asm_tok_make(st, ASM_TK_SYM, std::string_view(p + b, i - b)));
      } else if (i < n && (p[i] == '\'' || p[i] == '"')) {
        std::string body(p + b, i - b);
        if (!lex_string(p, n, i, body)) {
          asm_error(st, ASM_E_MISSING_QUOTE, line);
          return false;
        }
        line.t.push_back(asm_tok_make(st, ASM_TK_STR, body));
      } else {
        while (i < n && asm_lex_is_name_char(p[i]))
          i++;
        line.t.push_back(asm_tok_make(st, ASM_TK_NAME, std::string_view(p + b, i - b)));
      }
    } else {
      line.t.push_back(asm_tok{ASM_TK_SYM, asm_text{asm_text_special(c)}});
      i++;
    }
  }
  return lex_push(st, out, line);
}

/* The line as shown in messages: names apart by one blank, strings in
** single quotes with inner quotes doubled, special characters packed. */
std::string asm_lex_rebuild(const asm_toks &t) {
  std::string r;
  bool prev_word = false;
  for (const asm_tok &k : t) {
    bool word = k.kind != ASM_TK_SYM;
    if (word && prev_word)
      r += ' ';
    if (k.kind == ASM_TK_STR) {
      size_t esc = 0;
      while (esc < k.s.size() && k.s[esc] == '\\')
        r += k.s[esc++];
      r += '\'';
      for (size_t j = esc; j < k.s.size(); j++) {
        if (k.s[j] == '\'')
          r += '\'';
        r += k.s[j];
      }
      r += '\'';
    } else {
      r += k.s;
    }
    prev_word = word;
  }
  return r;
}
