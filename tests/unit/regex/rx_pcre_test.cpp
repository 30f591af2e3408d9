// PCRE's own test data (tests/data/pcre) replayed through the matcher and
// the string functions, on PCRE's interpreter and on its machine code.
// pcretest's output is the oracle: the whole match and
// every group it printed must come back, every group after those must be
// unset, and the string functions must give the same texts ("" for unset).
//
// Cases are left out where this system differs from pcretest by design: an
// empty whole match (matches are never empty here), a CR in the subject or a
// newline verb in the pattern (any of CR, LF, CRLF ends a line here), and
// subject lines or pattern flags that ask pcretest for other matching modes.
#include <gtest/gtest.h>

#include <pcre.h>
#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

extern "C" {
#include "lauxlib.h"
#include "lualib.h"
}

#include "data/regex/rx_core.h"
#include "data/regex/rx_lua.h"
#include "tests/support/ts_lua.h"
#include "tests/support/ts_tmp.h"

static std::string messages;
void con_message(const char *text) { messages += text; }

namespace {

typedef std::vector<std::string> Lines;

Lines pt_read(const std::string &path) {
  Lines out;
  FILE *f = fopen(path.c_str(), "rb");
  if (!f) return out;
  std::string cur;
  int c;
  while ((c = fgetc(f)) != EOF) {
    if (c == '\n') {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += (char)c;
    }
  }
  if (!cur.empty()) out.push_back(cur);
  fclose(f);
  return out;
}

bool pt_space(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

std::string pt_trim(const std::string &s) {
  size_t a = 0, b = s.size();
  while (a < b && pt_space(s[a])) a++;
  while (b > a && pt_space(s[b - 1])) b--;
  return s.substr(a, b - a);
}

struct Subject {
  std::string line;      // as written in the input
  Lines response;        // pcretest's lines after it
};

struct Case {
  std::string pattern, flags;
  Lines response;        // pcretest's lines after the pattern
  std::vector<Subject> subjects;
};

// The input's patterns and subject lines, as pcretest reads them, with the
// output lines that follow each echoed input line.
std::vector<Case> pt_cases(const Lines &in, const Lines &out) {
  std::vector<Lines> resp(in.size());
  size_t o = 0;
  for (size_t i = 0; i < in.size(); i++) {
    size_t k = o;
    while (k < out.size() && out[k] != in[i]) k++;
    if (k == out.size()) return {};
    if (i > 0) resp[i - 1].assign(out.begin() + (ptrdiff_t)o, out.begin() + (ptrdiff_t)k);
    o = k + 1;
  }
  if (!in.empty()) resp.back().assign(out.begin() + (ptrdiff_t)o, out.end());

  std::vector<Case> cases;
  size_t i = 0;
  while (i < in.size()) {
    std::string t = pt_trim(in[i]);
    if (t.empty() || t[0] == '<') {
      i++;
      continue;
    }
    size_t start = in[i].find(t[0]);
    char delim = t[0];
    std::string text = in[i].substr(start + 1);
    size_t at = 0;
    for (;;) {
      while (at < text.size() && text[at] != delim) at += text[at] == '\\' && at + 1 < text.size() ? 2 : 1;
      if (at < text.size() || i + 1 >= in.size()) break;
      text += "\n" + in[++i];
    }
    Case c;
    c.pattern = text.substr(0, at);
    c.flags = at < text.size() ? text.substr(at + 1) : "";
    c.response = resp[i];
    for (i++; i < in.size() && !pt_trim(in[i]).empty(); i++) c.subjects.push_back({in[i], resp[i]});
    cases.push_back(c);
  }
  return cases;
}

void pt_utf8(std::string &o, unsigned long c) {
  if (c < 0x80) {
    o += (char)c;
  } else if (c < 0x800) {
    o += (char)(0xC0 | (c >> 6));
    o += (char)(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    o += (char)(0xE0 | (c >> 12));
    o += (char)(0x80 | ((c >> 6) & 0x3F));
    o += (char)(0x80 | (c & 0x3F));
  } else {
    o += (char)(0xF0 | (c >> 18));
    o += (char)(0x80 | ((c >> 12) & 0x3F));
    o += (char)(0x80 | ((c >> 6) & 0x3F));
    o += (char)(0x80 | (c & 0x3F));
  }
}

int pt_hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// A subject line's bytes by pcretest's escapes; false when the line asks
// for a matching mode of pcretest's own (\A, \B, \>, ...).
bool pt_subject(const std::string &line, bool utf, std::string &s) {
  std::string t = pt_trim(line);
  s.clear();
  for (size_t i = 0; i < t.size(); i++) {
    if (t[i] != '\\') {
      s += t[i];
      continue;
    }
    if (++i >= t.size()) break;
    char e = t[i];
    unsigned long c;
    if (strchr("ABCDFGJLMNOPQRSYZ?<>q", e)) return false;
    switch (e) {
      case 'a': c = 7; break;
      case 'b': c = 8; break;
      case 'e': c = 27; break;
      case 'f': c = 12; break;
      case 'n': c = 10; break;
      case 'r': c = 13; break;
      case 't': c = 9; break;
      case 'v': c = 11; break;
      case 'o': return false;
      case 'x':
        if (i + 1 < t.size() && t[i + 1] == '{') {
          size_t k = i + 2;
          c = 0;
          while (k < t.size() && pt_hex(t[k]) >= 0) c = c * 16 + (unsigned long)pt_hex(t[k++]);
          if (k < t.size() && t[k] == '}') {
            i = k;
            break;
          }
        }
        c = 0;
        for (int n = 0; n < 2 && i + 1 < t.size() && pt_hex(t[i + 1]) >= 0; n++)
          c = c * 16 + (unsigned long)pt_hex(t[++i]);
        s += (char)c;  // one byte, also in UTF-8 mode
        continue;
      default:
        if (e >= '0' && e <= '7') {
          c = (unsigned long)(e - '0');
          for (int n = 0; n < 2 && i + 1 < t.size() && t[i + 1] >= '0' && t[i + 1] <= '7'; n++)
            c = c * 8 + (unsigned long)(t[++i] - '0');
        } else {
          c = (unsigned char)e;
        }
    }
    if (utf)
      pt_utf8(s, c);
    else if (c > 255)
      return false;
    else
      s += (char)c;
  }
  return true;
}

// A capture as pcretest prints it.
std::string pt_print(const std::string &s, bool utf) {
  std::string o;
  char buf[32];
  for (size_t i = 0; i < s.size();) {
    unsigned long c = (unsigned char)s[i];
    size_t n = 1;
    if (utf && c >= 0xC0) {
      int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : 1;
      if (i + (size_t)extra < s.size()) {
        c &= 0x3F >> extra;
        for (int k = 1; k <= extra; k++) c = (c << 6) | ((unsigned char)s[i + (size_t)k] & 0x3F);
        n += (size_t)extra;
      }
    }
    i += n;
    if (c >= 32 && c < 127)
      o += (char)c;
    else {
      snprintf(buf, sizeof buf, utf ? "\\x{%02lx}" : "\\x%02lx", c);
      o += buf;
    }
  }
  return o;
}

// pcretest's printed captures: "" for no match; false when the response
// holds anything else than a match, groups and marks.
bool pt_expected(const Lines &resp, bool &matched, Lines &groups) {
  matched = false;
  groups.clear();
  for (const std::string &l : resp) {
    if (l.rfind("No match", 0) == 0) continue;
    if (l.rfind("MK: ", 0) == 0) continue;
    size_t k = 0;
    while (k < l.size() && l[k] == ' ') k++;
    size_t d = k;
    while (d < l.size() && l[d] >= '0' && l[d] <= '9') d++;
    if (d == k || d >= l.size()) return false;
    if (l[d] == '+') continue;
    if (l[d] != ':' || (d + 1 < l.size() && l[d + 1] != ' ')) return false;
    if ((size_t)atoi(l.c_str() + k) != groups.size()) return false;
    groups.push_back(d + 2 <= l.size() ? l.substr(d + 2) : "");
    matched = true;
  }
  return true;
}

const char *const UNSET = "<unset>";

struct Options {
  int compile = 0;
  std::string inline_;  // the same as settings inside the pattern
};

// Flags this replay can follow; false for the others.
bool pt_flags(const std::string &flags, Options &o) {
  for (char f : flags) {
    switch (f) {
      case 'i': o.compile |= PCRE_CASELESS; o.inline_ += "(?i)"; break;
      case 'm': o.compile |= PCRE_MULTILINE; o.inline_ += "(?m)"; break;
      case 's': o.compile |= PCRE_DOTALL; o.inline_ += "(?s)"; break;
      case 'x': o.compile |= PCRE_EXTENDED; o.inline_ += "(?x)"; break;
      case 'J': o.compile |= PCRE_DUPNAMES; o.inline_ += "(?J)"; break;
      case '8': o.compile |= PCRE_UTF8; break;
      case 'W': o.compile |= PCRE_UCP; break;
      case 'K': case 'S': case '+': case ' ': case '\t': case '\r': break;
      default: return false;
    }
  }
  return true;
}

// The pattern for the string functions, which take no options: (*UTF8) and
// any other leading verbs first, then the option settings.
std::string pt_inline(const std::string &p, const Options &o) {
  size_t at = 0;
  while (p.compare(at, 2, "(*") == 0) {
    size_t e = p.find(')', at);
    if (e == std::string::npos) break;
    at = e + 1;
  }
  std::string utf = (o.compile & PCRE_UTF8) ? "(*UTF8)" : "";
  if (o.compile & PCRE_UCP) utf += "(*UCP)";
  return utf + p.substr(0, at) + o.inline_ + p.substr(at);
}

int pt_groups(const std::string &p, int options) {
  const char *err;
  int off, n = -1;
  pcre *re = pcre_compile(p.c_str(), options, &err, &off, nullptr);
  if (!re) return -1;
  if (pcre_fullinfo(re, nullptr, PCRE_INFO_CAPTURECOUNT, &n) != 0) n = -1;
  pcre_free(re);
  return n;
}

std::string pt_ser(const Lines &v) {
  std::string o = std::to_string(v.size()) + ":";
  for (const std::string &s : v) o += ";" + std::to_string(s.size()) + "=" + s;
  return o;
}

// The string functions on one subject, their results serialised.
const char *const CHECK_LUA = R"(
local function ser(...)
  local o = {select('#', ...) .. ':'}
  for i = 1, select('#', ...) do
    local v = select(i, ...)
    if type(v) == 'number' then v = tostring(v) end
    o[#o + 1] = type(v) == 'string' and #v .. '=' .. v or '<' .. type(v) .. '>'
  end
  return array.concat(o, ';')
end
function check(s, p, groups)
  local cb = '-'
  string.gsub(s, p, function(...) cb = ser(...) end, 1)
  local rep = {}
  for g = 1, groups do rep[#rep + 1] = '<\\' .. g .. '>' end
  local out = {ser(string.gmatch(s, p)()), ser(string.match(s, p)), cb,
               (string.gsub(s, p, array.concat(rep), 1)), ser(string.find(s, p))}
  return array.concat(out, '\n|')
end
)";

struct Tally {
  int compared = 0, skipped = 0, failed = 0;
  int trailing = 0;  // matches with unset groups after the last one printed
  int machine = 0;   // subjects whose pattern ran as machine code
};

bool pt_plain(const std::string &p) {
  for (char c : p)
    if (c && strchr("^$*+?.([%-\\", c)) return false;
  return true;
}

void pt_replay(const char *set, lua_State *L, Tally &tally) {
  std::string dir = ts_here("pcre/");
  Lines in = pt_read(dir + "testinput" + set), out = pt_read(dir + "testoutput" + set);
  ASSERT_FALSE(in.empty()) << "missing " << dir << "testinput" << set;
  std::vector<Case> cases = pt_cases(in, out);
  ASSERT_FALSE(cases.empty()) << "input and output of set " << set << " do not line up";
  for (const Case &c : cases) {
    Options o;
    bool usable = pt_flags(c.flags, o) && c.response.empty() &&
                  c.pattern.find("(*CR") == std::string::npos &&
                  c.pattern.find("(*LF") == std::string::npos &&
                  c.pattern.find("(*ANY") == std::string::npos;
    int groups = usable ? pt_groups(c.pattern, o.compile) : -1;
    bool utf = (o.compile & PCRE_UTF8) != 0;
    for (const Subject &sub : c.subjects) {
      std::string s;
      bool matched;
      Lines exp;
      if (groups < 0 || !pt_subject(sub.line, utf, s) || s.find('\r') != std::string::npos ||
          !pt_expected(sub.response, matched, exp) || (matched && exp[0].empty()) ||
          (int)exp.size() > groups + 1) {
        tally.skipped++;
        continue;
      }
      tally.compared++;
      if (rx_jitted(c.pattern.data(), c.pattern.size(), o.compile) == 1) tally.machine++;
      int pairs = groups + 1 < RX_MAXPAIRS ? groups + 1 : RX_MAXPAIRS;
      std::string where = std::string("set ") + set + " /" + c.pattern + "/" + c.flags +
                          " on \"" + pt_trim(sub.line) + "\"";

      // The matcher: every pair of the pattern, printed as pcretest does.
      rx_result r;
      int n = rx_match(s.data(), s.size(), c.pattern.data(), c.pattern.size(), 0, o.compile, &r);
      Lines got;
      for (int k = 0; k < n; k++) {
        const int *pr = r.pairs + 2 * k;
        got.push_back(pr[0] < 0 ? UNSET : pt_print(s.substr((size_t)pr[0], (size_t)(pr[1] - pr[0])), utf));
      }
      Lines want = exp;
      if (matched && want.size() < (size_t)pairs) tally.trailing++;
      if (matched) want.resize((size_t)pairs, UNSET);
      EXPECT_EQ(pt_ser(got), pt_ser(want)) << where << " " << r.error;
      if (pt_ser(got) != pt_ser(want)) tally.failed++;

      // The string functions: the same texts, "" for unset groups.
      Lines all, grp;
      for (int k = 0; k < n && matched; k++) {
        const int *pr = r.pairs + 2 * k;
        all.push_back(pr[0] < 0 ? "" : s.substr((size_t)pr[0], (size_t)(pr[1] - pr[0])));
      }
      if (matched) all.resize((size_t)(groups + 1 < 30 ? groups + 1 : 30));
      if (all.size() > 1) grp.assign(all.begin() + 1, all.end());
      else grp = all;
      std::string lp = pt_inline(c.pattern, o);
      int lgroups = groups < 29 ? groups : 29;
      std::string replaced = s;
      Lines found;
      if (matched) {
        // Offsets are the matcher's own; the texts at them are checked above.
        size_t st = (size_t)r.pairs[0], en = (size_t)r.pairs[1];
        std::string rep;
        for (int g = 1; g <= lgroups; g++) rep += "<" + all[(size_t)g] + ">";
        replaced = s.substr(0, st) + rep + s.substr(en);
        found = {std::to_string(st), std::to_string(en)};
        found.insert(found.end(), all.begin() + 1, all.end());
      }
      if (pt_plain(lp)) {  // find searches such a pattern as text
        size_t at = s.find(lp);
        found.clear();
        if (at != std::string::npos) found = {std::to_string(at + 1), std::to_string(at + lp.size())};
      }
      std::string want_lua = pt_ser(all) + "\n|" + pt_ser(grp) + "\n|" +
                             (matched ? pt_ser(grp) : "-") + "\n|" + replaced + "\n|" + pt_ser(found);
      lua_getglobal(L, "check");
      lua_pushlstring(L, s.data(), s.size());
      lua_pushlstring(L, lp.data(), lp.size());
      lua_pushinteger(L, lgroups);
      std::string got_lua;
      if (lua_pcall(L, 3, 1, 0) == 0) {
        size_t len;
        const char *g = lua_tolstring(L, -1, &len);
        got_lua.assign(g ? g : "", g ? len : 0);
      } else {
        got_lua = std::string("error: ") + lua_tostring(L, -1);
      }
      lua_pop(L, 1);
      EXPECT_EQ(got_lua, want_lua) << where << " as " << lp;
      if (got_lua != want_lua) tally.failed++;
      if (tally.failed > 20) FAIL() << "too many differences";
    }
  }
}

struct RxPcre : ::testing::TestWithParam<bool> {
  lua_State *L = nullptr;
  void SetUp() override {
    ASSERT_TRUE(rx_use_jit(GetParam()));
    L = ts_fresh();
    rx_open(L);
    ASSERT_EQ(ts_do(L, CHECK_LUA), "");
    messages.clear();
  }
  void TearDown() override {
    lua_close(L);
    rx_use_jit(1);
  }
};

INSTANTIATE_TEST_SUITE_P(Matchers, RxPcre, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &i) {
                           return i.param ? "MachineCode" : "Interpreter";
                         });

TEST_P(RxPcre, PerlCompatibleSet) {
  Tally t;
  pt_replay("1", L, t);
  printf("set 1: %d subjects compared (%d with unset groups at the end, %d as machine "
         "code), %d left out\n", t.compared, t.trailing, t.machine, t.skipped);
  EXPECT_GT(t.compared, 2300);
  if (GetParam()) {
    EXPECT_GT(t.machine, 2300);
  }
  else EXPECT_EQ(t.machine, 0);
  EXPECT_GT(t.trailing, 50);
  EXPECT_EQ(messages, "");
}

TEST_P(RxPcre, Utf8Set) {
  Tally t;
  pt_replay("4", L, t);
  printf("set 4: %d subjects compared (%d with unset groups at the end, %d as machine "
         "code), %d left out\n", t.compared, t.trailing, t.machine, t.skipped);
  EXPECT_GT(t.compared, 350);
  if (GetParam()) {
    EXPECT_GT(t.machine, 350);
  }
  else EXPECT_EQ(t.machine, 0);
}

}  // namespace

namespace {

// Unicode properties (\p, \X, caseless UTF-8) and PCRE_UCP (given as (*UCP)
// in the pattern, which the string functions accept).
TEST_P(RxPcre, UnicodePropertySets) {
  for (const char *set : {"6", "7"}) {
    Tally t;
    pt_replay(set, L, t);
    printf("set %s: %d subjects compared (%d as machine code), %d left out\n", set,
           t.compared, t.machine, t.skipped);
    EXPECT_GT(t.compared, *set == '6' ? 850 : 200) << "set " << set;
    if (GetParam()) {
      EXPECT_GT(t.machine, t.compared - 5) << "set " << set;
    }
  }
  EXPECT_EQ(messages, "");
}

}  // namespace
