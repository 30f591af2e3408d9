/* Structure of views: fields with one-letter types, nested structures, and
** the description text that names them ("people[name:S,age:I]"). */
#ifndef dbdesc_h
#define dbdesc_h

#include <memory>
#include <string>
#include <vector>

/* Deepest nesting of views with rows (a top-level view is level 1), the
** same for descriptions, reading, writing, copying and navigating; it keeps
** the recursion within any thread's stack. */
enum { DB_MAXDEPTH = 200 };
extern const char *const DB_TOODEEP; /* the message */

struct DbSchema;
using DbSchemaP = std::shared_ptr<DbSchema>;

/* type is one of I F D S B L V. A V field owns the structure of its nested
** views in sub, or refers to the structure that holds it (self, "[^]"). */
struct DbField {
  std::string name;
  char type = 'S';
  unsigned id = 0;        /* identity kept across restructuring */
  bool self = false;
  DbSchemaP sub;
};

/* Shared by every table of one structure; version changes whenever fields
** are added, dropped or reordered, so that tables adjust their columns. */
struct DbSchema : std::enable_shared_from_this<DbSchema> {
  std::vector<DbField> fields;
  unsigned version = 1;
};

DbSchemaP dbdesc_new();
unsigned dbdesc_newid();
DbSchemaP dbdesc_sub(DbSchema *s, size_t k);
int dbdesc_find(const DbSchema *s, const char *name, size_t len);
bool dbdesc_sameword(const char *a, size_t alen, const char *b, size_t blen);

/* Parses a comma-separated field list (no outer brackets) into a fresh
** structure; false with a message in err on bad text. */
bool dbdesc_parse(const char *text, size_t len, DbSchemaP &out, std::string &err);
/* Parses one "name[...]" item, the whole text. */
bool dbdesc_parse_view(const char *text, size_t len, std::string &name,
                       DbSchemaP &out, std::string &err);
std::string dbdesc_format(const DbSchema *s);

/* Makes dst follow the structure of src: fields kept by name (with their
** spelling and identity), reordered, added and dropped. Refuses to change
** the type of a kept field, leaving dst untouched. */
bool dbdesc_restructure(DbSchema *dst, const DbSchema *src, const std::string &path,
                        std::string &err);

#endif
