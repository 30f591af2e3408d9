#include "tests/inproc/docs/doc_examples.h"

#include <sstream>

namespace {

std::string trim(const std::string &s) {
  size_t a = s.find_first_not_of(" \t\r\n");
  if (a == std::string::npos) return "";
  size_t b = s.find_last_not_of(" \t\r\n");
  return s.substr(a, b - a + 1);
}

// Runs of blanks and tabs become one blank.
std::string squeeze(const std::string &s) {
  std::string out;
  bool blank = false;
  for (char c : trim(s)) {
    if (c == ' ' || c == '\t') {
      blank = true;
      continue;
    }
    if (blank) out += ' ';
    blank = false;
    out += c;
  }
  return out;
}

bool starts(const std::string &s, const std::string &prefix) {
  return s.compare(0, prefix.size(), prefix) == 0;
}

std::vector<std::string> split_lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  std::string l;
  while (std::getline(in, l)) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    lines.push_back(l);
  }
  return lines;
}

struct annotation {
  std::string keyword, body;
  int line;
};

}  // namespace

std::vector<std::string> doc_stated(const std::string &code) {
  std::vector<std::string> out;
  for (const std::string &l : split_lines(code)) {
    size_t at = l.find("-->");
    while (at != std::string::npos && at > 0 && l[at - 1] != ' ' && l[at - 1] != '\t')
      at = l.find("-->", at + 1);
    if (at != std::string::npos) out.push_back(trim(l.substr(at + 3)));
  }
  return out;
}

// `...' in a stated line stands for any text.
static bool fits_pattern(const std::string &s, const std::string &a) {
  size_t dots = s.find("...");
  if (dots == std::string::npos) return s == a;
  if (a.compare(0, dots, s, 0, dots) != 0) return false;
  std::string rest = s.substr(dots + 3);
  for (size_t from = dots; from <= a.size(); from++)
    if (fits_pattern(rest, a.substr(from))) return true;
  return false;
}

bool doc_line_fits(const std::string &stated, const std::string &actual) {
  std::string s = squeeze(stated), a = squeeze(actual);
  if (starts(s, "error:"))
    return starts(a, "error:") && a.find(squeeze(s.substr(6))) != std::string::npos;
  if (fits_pattern(s, a)) return true;
  if (s.empty() || s.back() != ')') return false;
  int depth = 0;   // the remark: the parenthesis that closes at the end
  size_t open = std::string::npos;
  for (size_t i = s.size(); i-- > 0;) {
    if (s[i] == ')') depth++;
    if (s[i] == '(' && --depth == 0) {
      open = i;
      break;
    }
  }
  if (open == std::string::npos) return false;
  if (open == 0) return true;   // a description alone
  return fits_pattern(trim(s.substr(0, open)), a);
}

doc_page doc_parse(const std::string &markdown) {
  doc_page page;
  std::vector<std::string> lines = split_lines(markdown);
  std::vector<annotation> pending;
  for (size_t i = 0; i < lines.size(); i++) {
    std::string t = trim(lines[i]);
    if (starts(t, "<!-- example:")) {
      annotation a;
      a.line = (int)i + 1;
      std::string text = t.substr(13);
      while (text.find("-->") == std::string::npos && i + 1 < lines.size())
        text += "\n" + lines[++i];
      size_t end = text.find("-->");
      if (end == std::string::npos) {
        page.problems.push_back("line " + std::to_string(a.line) + ": annotation not closed");
        break;
      }
      text = text.substr(0, end);
      size_t kw_end = text.find_first_of(" \t\n", text.find_first_not_of(" \t"));
      a.keyword = trim(text.substr(0, kw_end));
      a.body = kw_end == std::string::npos ? "" : text.substr(kw_end);
      if (a.keyword != "skip" && a.keyword != "setup" && a.keyword != "output")
        page.problems.push_back("line " + std::to_string(a.line) +
                                ": unknown annotation '" + a.keyword + "'");
      pending.push_back(a);
      continue;
    }
    if (!starts(t, "```")) continue;
    std::string lang = trim(t.substr(3));
    int fence = (int)i + 1;
    std::string code;
    for (i++; i < lines.size() && !starts(trim(lines[i]), "```"); i++)
      code += lines[i] + "\n";
    if (lang != "lua") {
      if (!pending.empty())
        page.problems.push_back("line " + std::to_string(pending[0].line) +
                                ": annotation before a block that is not Lua");
      pending.clear();
      continue;
    }
    doc_example ex;
    ex.line = fence;
    ex.code = code;
    ex.expected = doc_stated(code);
    for (const annotation &a : pending) {
      if (a.keyword == "skip") {
        ex.skip = true;
        ex.skip_reason = trim(a.body);
        if (ex.skip_reason.empty())
          page.problems.push_back("line " + std::to_string(a.line) + ": skip needs a reason");
      } else if (a.keyword == "setup") {
        ex.setup += a.body + "\n";
      } else if (a.keyword == "output") {
        ex.expected.clear();
        for (const std::string &l : split_lines(a.body))
          if (!trim(l).empty()) ex.expected.push_back(trim(l));
      }
    }
    pending.clear();
    page.examples.push_back(ex);
  }
  if (!pending.empty())
    page.problems.push_back("line " + std::to_string(pending[0].line) +
                            ": annotation without an example after it");
  return page;
}
