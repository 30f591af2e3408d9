/*
** Messages of the assembler engine and how they reach the host: fatal
** errors alone, line errors with the context chain and the rebuilt line.
*/
#include "asm/asm_int.h"

static const char *const asm_msgs[ASM_MSG_COUNT] = {
  "",
  "out of memory", "out of stack space", "source file not found",
  "unexpected end of file", "code cannot be generated",
  "format limitations exceeded", "write failed",
  "file not found", "error reading file", "invalid file format",
  "invalid macro arguments", "incomplete macro", "unexpected characters",
  "invalid argument", "illegal instruction", "invalid operand",
  "invalid size of operand", "operand size not specified",
  "operand sizes do not match", "invalid size of address value",
  "address sizes do not agree", "disallowed combination of registers",
  "not encodable with long immediate", "relative jump out of range",
  "invalid expression", "invalid address", "invalid value",
  "value out of range", "undefined symbol", "invalid use of symbol",
  "name too long", "invalid name", "reserved word used as symbol",
  "symbol already defined", "missing end quote", "missing end directive",
  "unexpected instruction", "extra characters on line",
  "section is not aligned enough", "setting already specified",
  "data already defined", "too many repeats",
};

const char *asm_msg_text(int id) {
  return id > 0 && id < ASM_MSG_COUNT ? asm_msgs[id] : "";
}

/* Keeps the first line error; later ones are consequences of it. */
void asm_error(asm_state *st, int id, const asm_line &line) {
  if (st->err != ASM_OK || st->fatal != ASM_OK)
    return;
  st->err = id;
  st->err_line = line;
}

void asm_fatal(asm_state *st, int id) {
  if (st->fatal == ASM_OK)
    st->fatal = id;
}

/* Writes the pending error, if any. */
void asm_msg_report(asm_state *st) {
  asm_services *svc = st->svc;
  if (st->fatal != ASM_OK) {
    svc->message(asm_msg_text(st->fatal));
    return;
  }
  if (st->err == ASM_OK)
    return;
  int o = st->err_line.origin;
  bool first = true;
  while (o >= 0 && o < (int)st->origins.size()) {
    svc->message(st->origins[o].file.c_str());
    if (first) {
      std::string text = asm_lex_rebuild(st->err_line.t);
      svc->message(asm_msg_text(st->err));
      svc->message(" << ");
      svc->message(text.c_str());
      svc->message(" >> ");
      first = false;
    }
    o = st->origins[o].parent;
  }
}

/* Charges working memory; the budget stands for the engine's fixed block. */
bool asm_charge(asm_state *st, size_t bytes) {
  st->mem_used += bytes;
  if (st->mem_used > st->opt.memory) {
    asm_fatal(st, ASM_E_OUT_OF_MEMORY);
    return false;
  }
  return true;
}

/* What a line costs in the engine's compact token form: a header, and per
** token a kind byte, a length byte and the text. */
size_t asm_toks_cost(const asm_toks &t) {
  size_t c = 8;
  for (const asm_tok &k : t)
    c += 2 + k.s.size();
  return c;
}

std::string asm_lower(const std::string &s) {
  std::string r(s);
  for (char &c : r)
    if (c >= 'A' && c <= 'Z')
      c = (char)(c - 'A' + 'a');
  return r;
}
