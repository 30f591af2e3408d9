/* Description text: name[field:T,sub[...],tree[^]], T one of I F D S B L V
** (M, an old name of B, reads as B), no ":T" meaning S. */
#include "data/db/dbdesc.h"

#include <cctype>

const char *const DB_TOODEEP = "views are nested more than 200 levels deep";

DbSchemaP dbdesc_new() { return std::make_shared<DbSchema>(); }

unsigned dbdesc_newid() {
  static unsigned next = 0;
  return ++next;
}

DbSchemaP dbdesc_sub(DbSchema *s, size_t k) {
  DbField &f = s->fields[k];
  if (f.self) return s->shared_from_this();
  if (!f.sub) f.sub = dbdesc_new();
  return f.sub;
}

static int lower(int c) { return (c >= 'A' && c <= 'Z') ? c + 32 : c; }

bool dbdesc_sameword(const char *a, size_t alen, const char *b, size_t blen) {
  if (alen != blen) return false;
  for (size_t i = 0; i < alen; i++)
    if (lower((unsigned char)a[i]) != lower((unsigned char)b[i])) return false;
  return true;
}

int dbdesc_find(const DbSchema *s, const char *name, size_t len) {
  for (size_t k = 0; k < s->fields.size(); k++) {
    const std::string &n = s->fields[k].name;
    if (dbdesc_sameword(n.data(), n.size(), name, len)) return (int)k;
  }
  return -1;
}

namespace {

struct Parser {
  const char *p, *end;
  std::string &err;
  int depth = 0;
};

bool desc_fail(Parser &ps, const char *what) {
  ps.err = what;
  return false;
}

void desc_blanks(Parser &ps) {
  while (ps.p < ps.end && (*ps.p == ' ' || *ps.p == '\t' || *ps.p == '\n' || *ps.p == '\r'))
    ps.p++;
}

std::string desc_name(Parser &ps) {
  desc_blanks(ps);
  const char *b = ps.p;
  while (ps.p < ps.end && *ps.p != ':' && *ps.p != '[' && *ps.p != ']' && *ps.p != ',')
    ps.p++;
  const char *e = ps.p;
  while (e > b && (e[-1] == ' ' || e[-1] == '\t' || e[-1] == '\n' || e[-1] == '\r')) e--;
  return std::string(b, e);
}

bool desc_type(char c, char &type) {
  c = (char)toupper((unsigned char)c);
  if (c == 'M') c = 'B';
  if (c == 'I' || c == 'F' || c == 'D' || c == 'S' || c == 'B' || c == 'L' || c == 'V') {
    type = c;
    return true;
  }
  return false;
}

bool desc_list(Parser &ps, DbSchema &s);

/* One field at ps.p; appended unless its name is already taken. */
bool desc_item(Parser &ps, DbSchema &s) {
  DbField f;
  f.name = desc_name(ps);
  if (f.name.empty()) return desc_fail(ps, "a field has no name");
  f.id = dbdesc_newid();
  if (ps.p < ps.end && *ps.p == '[') {
    ps.p++;
    f.type = 'V';
    desc_blanks(ps);
    if (ps.p < ps.end && *ps.p == '^') {
      ps.p++;
      f.self = true;
      desc_blanks(ps);
    } else {
      if (++ps.depth > DB_MAXDEPTH) return desc_fail(ps, DB_TOODEEP);
      f.sub = dbdesc_new();
      if (!desc_list(ps, *f.sub)) return false;
      ps.depth--;
    }
    if (ps.p >= ps.end || *ps.p != ']') return desc_fail(ps, "a \"[\" has no matching \"]\"");
    ps.p++;
  } else if (ps.p < ps.end && *ps.p == ':') {
    ps.p++;
    desc_blanks(ps);
    if (ps.p >= ps.end || !desc_type(*ps.p, f.type))
      return desc_fail(ps, "unknown field type (use I, F, D, S, B, L or V)");
    ps.p++;
    if (f.type == 'V') f.sub = dbdesc_new();
  }
  desc_blanks(ps);
  if (dbdesc_find(&s, f.name.data(), f.name.size()) < 0) s.fields.push_back(std::move(f));
  return true;
}

/* Items up to a "]" or the end; an empty list is allowed. */
bool desc_list(Parser &ps, DbSchema &s) {
  desc_blanks(ps);
  if (ps.p >= ps.end || *ps.p == ']') return true;
  for (;;) {
    if (!desc_item(ps, s)) return false;
    if (ps.p < ps.end && *ps.p == ',') {
      ps.p++;
      continue;
    }
    return true;
  }
}

}  // namespace

bool dbdesc_parse(const char *text, size_t len, DbSchemaP &out, std::string &err) {
  Parser ps{text, text + len, err};
  DbSchemaP s = dbdesc_new();
  if (!desc_list(ps, *s)) return false;
  if (ps.p != ps.end) {
    err = "unexpected \"]\" in the description";
    return false;
  }
  out = s;
  return true;
}

bool dbdesc_parse_view(const char *text, size_t len, std::string &name, DbSchemaP &out,
                       std::string &err) {
  Parser ps{text, text + len, err};
  DbSchema s;
  if (!desc_item(ps, s)) return false;
  if (ps.p != ps.end) {
    err = "the description holds more than one view";
    return false;
  }
  if (s.fields.empty() || s.fields[0].type != 'V' || s.fields[0].self) {
    err = "the description is not of the form name[field,...]";
    return false;
  }
  name = s.fields[0].name;
  out = s.fields[0].sub;
  return true;
}

static void desc_out(const DbSchema *s, std::string &o) {
  for (size_t k = 0; k < s->fields.size(); k++) {
    const DbField &f = s->fields[k];
    if (k) o += ',';
    o += f.name;
    if (f.type == 'V') {
      o += '[';
      if (f.self)
        o += '^';
      else if (f.sub)
        desc_out(f.sub.get(), o);
      o += ']';
    } else {
      o += ':';
      o += f.type;
    }
  }
}

std::string dbdesc_format(const DbSchema *s) {
  std::string o;
  desc_out(s, o);
  return o;
}

/* Checks that no kept field changes its type, through nested structures. */
static bool desc_check(const DbSchema *dst, const DbSchema *src, const std::string &path,
                       std::string &err, int depth) {
  if (depth > DB_MAXDEPTH) return true;
  for (const DbField &nf : src->fields) {
    int k = dbdesc_find(dst, nf.name.data(), nf.name.size());
    if (k < 0) continue;
    const DbField &of = dst->fields[k];
    std::string where = path.empty() ? of.name : path + "." + of.name;
    if (of.type != nf.type || of.self != nf.self) {
      std::string ot(1, of.self ? '^' : of.type), nt(1, nf.self ? '^' : nf.type);
      if (where.size() > 80) where = "..." + where.substr(where.size() - 80);
      err = "field " + where + " is of type " + ot + " and cannot become " + nt;
      return false;
    }
    if (of.type == 'V' && !of.self && of.sub && nf.sub &&
        !desc_check(of.sub.get(), nf.sub.get(), where, err, depth + 1))
      return false;
  }
  return true;
}

static void desc_apply(DbSchema *dst, const DbSchema *src, int depth) {
  std::vector<DbField> out;
  for (const DbField &nf : src->fields) {
    int k = dbdesc_find(dst, nf.name.data(), nf.name.size());
    if (k < 0) {
      out.push_back(nf);
      continue;
    }
    DbField kept = dst->fields[k];
    if (kept.type == 'V' && !kept.self && nf.sub && depth <= DB_MAXDEPTH) {
      if (!kept.sub) kept.sub = dbdesc_new();
      desc_apply(kept.sub.get(), nf.sub.get(), depth + 1);
    }
    out.push_back(std::move(kept));
  }
  bool same = out.size() == dst->fields.size();
  for (size_t k = 0; same && k < out.size(); k++) same = out[k].id == dst->fields[k].id;
  if (same) return;
  dst->fields = std::move(out);
  dst->version++;
}

bool dbdesc_restructure(DbSchema *dst, const DbSchema *src, const std::string &path,
                        std::string &err) {
  if (!desc_check(dst, src, path, err, 0)) return false;
  desc_apply(dst, src, 0);
  return true;
}
