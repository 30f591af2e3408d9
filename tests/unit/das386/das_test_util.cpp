#include "tests/unit/das386/das_test_util.h"

#include "native/das386/das_internal.h"

#include <cctype>
#include <cstdio>
#include <cstring>

std::string das_mnemonic(const char *text) {
  std::string s = text;
  for (const char *p : {"REP ", "REPNE ", "LOCK "})
    if (s.rfind(p, 0) == 0) s = s.substr(strlen(p));
  s = s.substr(0, s.find_first_of("\t "));
  for (char &c : s) c = (char)tolower((unsigned char)c);
  return s;
}

bool das_same_name(const std::string &ours, const std::string &z) {
  if (ours == z) return true;
  return ours.size() == z.size() + 1 && ours.compare(0, z.size(), z) == 0 &&
         std::string("bwl").find(ours.back()) != std::string::npos;
}

std::string das_reg_name(ZydisRegister r) {
  std::string s = ZydisRegisterGetString(r);
  for (char &c : s) c = (char)toupper((unsigned char)c);
  if (s.size() == 3 && s[0] == 'E') s = s.substr(1);
  if (s.size() == 3 && s[0] == 'S' && s[1] == 'T') s = "F" + s.substr(2);
  if (s.size() == 3 && s[0] == 'M' && s[1] == 'M') s = "M" + s.substr(2);
  if (s.size() == 4 && (s[0] == 'X' || s[0] == 'Y') && s[1] == 'M' && s[2] == 'M')
    s = s.substr(0, 1) + s.substr(3);
  return s;
}

std::vector<std::string> das_operands(const char *text) {
  std::vector<std::string> out;
  const char *p = strchr(text, '\t');
  if (!p) p = strchr(text, ' ');
  if (!p) return out;
  std::string cur;
  for (p++; *p; p++) {
    if (*p == ',') {
      out.push_back(cur);
      cur.clear();
    } else {
      cur += *p;
    }
  }
  out.push_back(cur);
  return out;
}

// Mnemonics of a table and the tables it leads to; %S, %w and %W stand for
// any size letter.
static void das_collect(const das_entry *t, int n, std::set<std::string> &out,
                        std::set<const void *> &seen) {
  if (!seen.insert(t).second) return;
  for (int i = 0; i < n; i++) {
    const das_entry &e = t[i];
    if (e.text) {
      std::vector<std::string> forms = {das_mnemonic(e.text)};
      for (const char *v : {"%s", "%w"}) {
        std::vector<std::string> next;
        for (auto &f : forms) {
          size_t at = f.find(v);
          if (at == std::string::npos) {
            next.push_back(f);
            continue;
          }
          for (const char *r : {"b", "w", "l", "s", "d", "q"})
            next.push_back(f.substr(0, at) + r + f.substr(at + 2));
        }
        forms = next;
      }
      out.insert(forms.begin(), forms.end());
    }
    if (!e.next) continue;
    int k = e.kind[0];
    int m = k == DK_ESCAPE ? 256 : k == DK_FGROUPX ? 72 : k == DK_FGROUP ? 16
          : k == DK_MANDATORY ? 4 : k == DK_GROUP || k == DK_GROUPB ? 8 : 2;
    if (e.next != das_one) das_collect(e.next, m, out, seen);
  }
}

const std::set<std::string> &das_names() {
  static std::set<std::string> out;
  if (out.empty()) {
    std::set<const void *> seen;
    das_collect(das_one, 256, out, seen);
    for (int m = 0; m < 3; m++) das_collect(das_vex_map.e[m], 256, out, seen);
  }
  return out;
}

bool das_knows(const std::string &name) {
  const auto &n = das_names();
  return n.count(name) || n.count(name + "l") || n.count(name + "w") || n.count(name + "b");
}

static size_t das_skip_prefixes(const unsigned char *b, size_t n) {
  size_t k = 0;
  while (k < n && (b[k] == 0x66 || b[k] == 0x67 || b[k] == 0xF2 || b[k] == 0xF3 ||
                   b[k] == 0x26 || b[k] == 0x2E || b[k] == 0x36 || b[k] == 0x3E ||
                   b[k] == 0x64 || b[k] == 0x65 || b[k] == 0xF0))
    k++;
  return k;
}

bool das_vector_row(const unsigned char *b, size_t n) {
  size_t k = das_skip_prefixes(b, n);
  if (k + 1 >= n) return false;
  if (b[k] == 0xC4 || b[k] == 0xC5) return b[k + 1] >= 0xC0;
  return b[k] == 0x0F && das_two[b[k + 1]].kind[0] >= DK_ESCAPE;
}

bool das_hint_space(const unsigned char *b, size_t n) {
  size_t k = das_skip_prefixes(b, n);
  return k + 1 < n && b[k] == 0x0F && (b[k + 1] == 0x0D || (b[k + 1] >= 0x18 && b[k + 1] <= 0x1F));
}

std::string das_hex(const unsigned char *b, int n) {
  std::string s;
  char t[4];
  for (int i = 0; i < n; i++) {
    snprintf(t, sizeof t, "%02x ", b[i]);
    s += t;
  }
  return s;
}
