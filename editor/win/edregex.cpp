/*
** Pattern check with the component's regular-expression engine (built with
** the component; its header is internal to it).
*/
#include "editor/edregex.h"

#include <string.h>

#include <memory>
#include <string>

#include "Position.h"
#include "CharClassify.h"
#include "RESearch.h"

using Scintilla::Internal::CharClassify;
using Scintilla::Internal::RESearch;

int er_pattern_ok(const char *pattern, size_t len) {
  if (pattern == NULL || len == 0 || memchr(pattern, '\0', len) != NULL)
    return 0;
  static CharClassify classes;
  /* a fresh engine: an empty pattern must not reuse an earlier one */
  auto re = std::make_unique<RESearch>(&classes);
  return re->Compile(pattern, (Sci::Position)len, false, true) == nullptr;
}
