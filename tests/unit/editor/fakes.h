/*
** Test doubles for the editor cores: a recording message sink, an
** in-memory document and the terminal's message routine.
*/
#ifndef fakes_h
#define fakes_h

#include <set>
#include <string>
#include <vector>

#include "editor/style.h"
#include "editor/unilexer.h"

extern std::string fake_messages;   /* what con_message was given */

struct sent {
  unsigned msg;
  uintptr_t wp;
  intptr_t lp;
  std::string ws, ls;   /* texts behind wp and lp, for messages with them */
};

struct recorder {
  std::vector<sent> log;
  int style_bits = 5;
  es_sink sink();
  /* messages with that number, in order */
  std::vector<sent> of(unsigned msg) const;
};

struct fake_doc {
  std::string text;
  std::vector<int> styles;
  std::vector<int> levels;
  std::vector<std::set<std::string>> words{9};
  bool dbcs = false;     /* bytes >= 0x81 lead a double-byte character */
  long styled_from = -1; /* where styling started */
  long seg = 0;          /* first byte not yet coloured */
  std::vector<std::pair<long, int>> runs;   /* colour calls: last, style */
  ul_doc doc();
  explicit fake_doc(const std::string &t);
};

#endif
