#include <cstring>

#include "tests/unit/editor/fakes.h"

std::string fake_messages;
void con_message(const char *text) { fake_messages += text; }

static bool text_wp(unsigned m) {
  return m == SCM_SETPTRPROPERTY || m == SCM_SETPROPERTY;
}
static bool text_lp(unsigned m) {
  return m == SCM_STYLESETFONT || m == SCM_TEXTWIDTH ||
         m == SCM_SETPROPERTY || m == SCM_SETKEYWORDS;
}

static intptr_t record(void *ctx, unsigned msg, uintptr_t wp, intptr_t lp) {
  recorder *r = static_cast<recorder *>(ctx);
  sent s{msg, wp, lp, "", ""};
  if (text_wp(msg)) s.ws = reinterpret_cast<const char *>(wp);
  if (text_lp(msg)) s.ls = reinterpret_cast<const char *>(lp);
  r->log.push_back(s);
  if (msg == SCM_GETSTYLEBITS) return r->style_bits;
  if (msg == SCM_TEXTWIDTH) return 7 * static_cast<intptr_t>(s.ls.size());
  return 0;
}

es_sink recorder::sink() { return es_sink{record, this}; }

std::vector<sent> recorder::of(unsigned msg) const {
  std::vector<sent> out;
  for (const sent &s : log)
    if (s.msg == msg) out.push_back(s);
  return out;
}

fake_doc::fake_doc(const std::string &t)
    : text(t), styles(t.size(), -1) {
  long lines = 1;
  for (char c : t) lines += c == '\n';
  levels.assign(lines, 0x400);
}

static fake_doc *fd(void *ctx) { return static_cast<fake_doc *>(ctx); }
static int f_byte(void *c, long p) { return (unsigned char)fd(c)->text[p]; }
static int f_lead(void *c, int b) { return fd(c)->dbcs && b >= 0x81; }
static void f_start(void *c, long p) { fd(c)->styled_from = fd(c)->seg = p; }
static void f_colour(void *c, long last, int style) {
  fake_doc *d = fd(c);
  d->runs.push_back({last, style});
  for (long i = d->seg; i <= last && i < (long)d->styles.size(); i++)
    d->styles[i] = style;
  d->seg = last + 1;
}
static int f_in_list(void *c, int set, const char *w) {
  if (set < 0 || set > 8) return 0;
  for (const std::string &s : fd(c)->words[set]) {
    if (s == w) return 1;
    if (!s.empty() && s[0] == '^' && std::strncmp(w, s.c_str() + 1, s.size() - 1) == 0)
      return 1;
  }
  return 0;
}
static long f_line(void *c, long pos) {
  long n = 0;
  for (long i = 0; i < pos && i < (long)fd(c)->text.size(); i++)
    n += fd(c)->text[i] == '\n';
  return n;
}
static int f_level(void *c, long line) {
  fake_doc *d = fd(c);
  return line >= 0 && line < (long)d->levels.size() ? d->levels[line] : 0x400;
}
static void f_set_level(void *c, long line, int level) {
  fake_doc *d = fd(c);
  if (line >= 0 && line < (long)d->levels.size()) d->levels[line] = level;
}

ul_doc fake_doc::doc() {
  return ul_doc{this, (long)text.size(), f_byte, f_lead, f_start, f_colour,
                f_in_list, f_line, f_level, f_set_level};
}
