/* Storages: opening, and their top-level views by name,
** description or number. */
#include <cstring>
#include <new>

#include "data/db/dbapi_int.h"
#include "data/db/dbio.h"
#include "data/db/dbread.h"

void api_msg(char *err, size_t errlen, const std::string &m) {
  if (!err || !errlen) return;
  size_t n = m.size() < errlen - 1 ? m.size() : errlen - 1;
  memcpy(err, m.data(), n);
  err[n] = 0;
}

std::string api_cut(const std::string &text) {
  const size_t most = 60;
  return text.size() <= most ? text : text.substr(0, most) + "...";
}

std::string api_quote(const std::string &text) { return "\"" + api_cut(text) + "\""; }

std::string api_path(const std::string &path) {
  const size_t most = 120;
  return path.size() <= most ? path : "..." + path.substr(path.size() - most);
}

DbStorage *dbapi_open(const char *path, char *err, size_t errlen) {
  try {
    DbStorage *st = new DbStorage;
    st->memory = path == nullptr;
    if (path) st->path = path;
    std::string e;
    DbBytes data;
    bool missing = false;
    if (path && !dbio_read(path, data, missing, e)) {
      api_msg(err, errlen, "cannot read " + api_path(st->path) + ": " + e);
      delete st;
      return nullptr;
    }
    DbReadInfo info;
    if (!dbread_storage(data.data(), data.size(), st->root, e, &info)) {
      api_msg(err, errlen, "cannot open " + api_path(st->path) + ": " + e);
      delete st;
      return nullptr;
    }
    /* The bytes before the storage belong to another file; commits keep them. */
    st->prefix.assign(data.begin(), data.begin() + (ptrdiff_t)info.start);
    if (path) dbio_clean(path, st->prefix);
    st->placed = info.placed;
    st->bigend = info.bigend;
    st->end = info.end;
    st->hdrlen = info.hdrlen;
    st->live = info.live;
    st->filesize = data.size();
    memcpy(st->tails, info.tails, 16);
    st->desc = dbdesc_format(st->root->schema.get());
    dbtab_resize(st->root.get(), 1);
    return st;
  } catch (const std::bad_alloc &) {
    api_msg(err, errlen, "out of memory");
    return nullptr;
  }
}

void dbapi_close(DbStorage *st) { delete st; }

static DbView *api_top(DbStorage *st, size_t k) {
  DbView *v = new DbView;
  v->base = dbtab_subp(st->root.get(), k, 0);
  return v;
}

static DbView *api_named(DbStorage *st, const std::string &name, char *err, size_t errlen) {
  DbTable *root = st->root.get();
  DbSchema *s = root->schema.get();
  if (name.empty() || name.find_first_of(":[],^") != std::string::npos) {
    api_msg(err, errlen, name.empty() ? "a view needs a name" : "bad view name " + api_quote(name));
    return nullptr;
  }
  int k = dbdesc_find(s, name.data(), name.size());
  if (k < 0) {
    DbField f;
    f.name = name;
    f.type = 'V';
    f.id = dbdesc_newid();
    f.sub = dbdesc_new();
    s->fields.push_back(f);
    s->version++;
    k = (int)s->fields.size() - 1;
  } else if (s->fields[k].type != 'V') {
    api_msg(err, errlen, api_quote(name) + " is not a view");
    return nullptr;
  }
  return api_top(st, (size_t)k);
}

static DbView *api_getas(DbStorage *st, const char *desc, char *err, size_t errlen) {
  std::string name, e;
  DbSchemaP want;
  if (!dbdesc_parse_view(desc, strlen(desc), name, want, e)) {
    api_msg(err, errlen, "bad description (" + e + "): " + api_quote(desc));
    return nullptr;
  }
  DbSchema *s = st->root->schema.get();
  int k = dbdesc_find(s, name.data(), name.size());
  if (k < 0) {
    DbField f;
    f.name = name;
    f.type = 'V';
    f.id = dbdesc_newid();
    f.sub = want;
    s->fields.push_back(f);
    s->version++;
    return api_top(st, s->fields.size() - 1);
  }
  DbField &f = s->fields[k];
  if (f.type != 'V' || f.self) {
    api_msg(err, errlen, api_quote(f.name) + " is not a view");
    return nullptr;
  }
  if (!dbdesc_restructure(dbdesc_sub(s, (size_t)k).get(), want.get(), "", e)) {
    api_msg(err, errlen, "cannot restructure " + api_cut(f.name) + ": " + e);
    return nullptr;
  }
  return api_top(st, (size_t)k);
}

DbView *dbapi_table(DbStorage *st, const char *desc, char *err, size_t errlen) {
  try {
    const char *lb = strchr(desc, '['), *rb = strchr(desc, ']');
    if (lb && (!rb || lb < rb)) return api_getas(st, desc, err, errlen);
    std::string name(desc, lb ? (size_t)(lb - desc) : strlen(desc));
    size_t b = name.find_first_not_of(" \t\r\n"), e = name.find_last_not_of(" \t\r\n");
    name = b == std::string::npos ? "" : name.substr(b, e - b + 1);
    return api_named(st, name, err, errlen);
  } catch (const std::bad_alloc &) {
    api_msg(err, errlen, "out of memory");
    return nullptr;
  }
}

/* Walks the description: tokens up to "[", "," or "]"; a token followed by
** "[" is a view. Only views at the top level are counted. */
static DbView *api_view_at_(DbStorage *st, long i) {
  std::string desc = dbdesc_format(st->root->schema.get());
  const char *p = desc.c_str();
  long count = 0;
  int depth = 0;
  for (;;) {
    while (*p == ' ' || *p == '\t' || *p == ',' || *p == ']') {
      if (*p == ']' && depth > 0) depth--;
      p++;
    }
    if (!*p) return nullptr;
    const char *tok = p;
    while (*p && *p != '[' && *p != ',' && *p != ']') p++;
    if (*p != '[') continue;
    if (depth == 0 && ++count == i) {
      size_t n = strcspn(tok, " \t:[,]");
      return api_named(st, std::string(tok, n), nullptr, 0);
    }
    p++;
    depth++;
    if (*p == ']') {
      p++;
      depth--;
    }
  }
}

void dbapi_describe(DbStorage *st, char *buf, size_t buflen) {
  api_msg(buf, buflen, dbdesc_format(st->root->schema.get()));
}

DbView *dbapi_view_at(DbStorage *st, long i) {
  try {
    return api_view_at_(st, i);
  } catch (const std::bad_alloc &) {
    return nullptr;
  }
}
