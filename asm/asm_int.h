/*
** Internal declarations shared by the assembler engine's modules.
** The engine keeps all of one assembly's state in an asm_state; nothing is
** global, so separate assemblies never interfere.
*/
#ifndef asm_int_h
#define asm_int_h

#include "asm/asm.h"

#include <deque>
#include <memory_resource>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

/* Messages, in table order. Ids up to ASM_E_WRITE_FAILED are fatal. */
enum asm_msg_id {
  ASM_OK = 0,
  ASM_E_OUT_OF_MEMORY, ASM_E_OUT_OF_STACK, ASM_E_SOURCE_NOT_FOUND,
  ASM_E_UNEXPECTED_EOF, ASM_E_CODE_CANNOT, ASM_E_FORMAT_LIMITS,
  ASM_E_WRITE_FAILED,
  ASM_E_FILE_NOT_FOUND, ASM_E_READ_FILE, ASM_E_FILE_FORMAT,
  ASM_E_MACRO_ARGS, ASM_E_INCOMPLETE_MACRO, ASM_E_UNEXPECTED_CHARS,
  ASM_E_INVALID_ARG, ASM_E_ILLEGAL_INSN, ASM_E_INVALID_OPERAND,
  ASM_E_OPERAND_SIZE, ASM_E_SIZE_NOT_SPECIFIED, ASM_E_SIZES_MISMATCH,
  ASM_E_ADDRESS_SIZE, ASM_E_ADDRESS_SIZES, ASM_E_REG_COMBINATION,
  ASM_E_LONG_IMM, ASM_E_JUMP_RANGE, ASM_E_INVALID_EXPR,
  ASM_E_INVALID_ADDRESS, ASM_E_INVALID_VALUE, ASM_E_VALUE_RANGE,
  ASM_E_UNDEFINED, ASM_E_SYMBOL_USE, ASM_E_NAME_TOO_LONG, ASM_E_INVALID_NAME,
  ASM_E_RESERVED, ASM_E_ALREADY_DEFINED, ASM_E_MISSING_QUOTE,
  ASM_E_MISSING_END, ASM_E_UNEXPECTED_INSN, ASM_E_EXTRA_CHARS,
  ASM_E_SECTION_ALIGN, ASM_E_SETTING, ASM_E_DATA_DEFINED,
  ASM_E_TOO_MANY_REPEATS,
  ASM_MSG_COUNT
};

/* Token texts are kept once per assembly (asm_state::texts, asm_intern):
** a token points to its text, so tokens are small and copying them copies
** no characters, and what a name means is looked up once per text. */
struct asm_text_info {
  mutable const struct asm_kw *kw = nullptr; /* meaning, once looked up */
  mutable struct asm_sym *sym = nullptr;     /* symbol it named, once found */
};
typedef std::pair<const std::string, asm_text_info> asm_text_entry;
const asm_text_entry *asm_text_special(char c); /* texts of one character */
struct asm_text {
  const asm_text_entry *e = asm_text_special(0);
  operator const std::string &() const { return e->first; }
  const std::string &str() const { return e->first; }
  size_t size() const { return e->first.size(); }
  bool empty() const { return e->first.empty(); }
  char operator[](size_t i) const { return e->first[i]; }
  char back() const { return e->first.back(); }
  const char *c_str() const { return e->first.c_str(); }
  std::string substr(size_t a, size_t n = std::string::npos) const {
    return e->first.substr(a, n);
  }
  bool operator==(const asm_text &o) const { return e == o.e || e->first == o.e->first; }
  bool operator!=(const asm_text &o) const { return !(*this == o); }
  bool operator==(const std::string &o) const { return e->first == o; }
  bool operator!=(const std::string &o) const { return e->first != o; }
  bool operator==(const char *o) const { return e->first == o; }
  bool operator!=(const char *o) const { return e->first != o; }
};
inline std::string operator+(const std::string &a, const asm_text &b) { return a + b.str(); }
inline std::string operator+(const asm_text &a, const std::string &b) { return a.str() + b; }
inline std::string operator+(const char *a, const asm_text &b) { return a + b.str(); }

/* Tokens: names (anything not special), quoted strings (text without the
** quotes) and single special characters. */
enum { ASM_TK_NAME, ASM_TK_STR, ASM_TK_SYM };
struct asm_tok {
  uint8_t kind;
  asm_text s;
  bool sym(char c) const { return kind == ASM_TK_SYM && s[0] == c; }
};
/* Token lists of lines live in the assembly's arena where they are made
** in bulk (asm_state::arena); others on the heap. */
typedef std::pmr::vector<asm_tok> asm_toks;

/* Where a line came from: a file (or the main source) and, for lines
** produced by a macro, the origin of the line that invoked it. */
struct asm_origin {
  asm_text file; /* kept once, like token texts */
  int parent;
};
struct asm_line {
  asm_toks t;
  int origin;
};

/* The texts of one assembly: entries never move (tokens point to them);
** found by open addressing over a power-of-two table of hashes, since
** every token of the source and of every expansion is looked up here. */
struct asm_text_table {
  struct slot {
    size_t hash;
    asm_text_entry *e;
  };
  std::deque<asm_text_entry> entries;
  std::vector<slot> slots;
  const asm_text_entry *intern(std::string_view s);
  void reserve(size_t n);
};

/* One macro or struc definition. */
struct asm_macro {
  std::vector<std::string> params;
  std::vector<char> required;
  std::vector<asm_toks> defaults;
  int group = -1;       /* index of the first group parameter, -1: none */
  bool greedy = false;  /* last parameter takes the rest of the line */
  std::vector<asm_line> body;
  int origin = 0;
};

struct asm_pre {
  std::unordered_map<std::string, std::vector<asm_toks>> consts; /* equ, define */
  std::vector<std::vector<asm_line>> postponed; /* run at the end of the source */
  std::unordered_map<std::string, std::vector<asm_toks>> fixes;
  std::unordered_map<std::string, std::vector<asm_macro>> macros, strucs;
  std::unordered_map<std::string, size_t> active; /* macros being expanded */
  unsigned locals = 0;
};

/* A value: constant plus relocatable base count plus register terms.
** The constant has 64 bits and a sign bit (asm_num.cpp): `wide` is 0 when
** v is the value, 1 when it is v + 2^64 (v < 0), -1 when v - 2^64. */
struct asm_val {
  int64_t v = 0;
  int8_t wide = 0;
  int reloc = 0;
  int nreg = 0;
  int reg[4] = {0, 0, 0, 0};
  int64_t scale[4] = {0, 0, 0, 0};
  int size = 0;        /* size implied by a data label, bytes */
  bool unknown = false; /* uses a symbol not yet known in this pass */
  bool fp = false;      /* a floating-point literal, value in f */
  long double f = 0;
};

/* Register terms alone, as symbols keep them. */
struct asm_regs {
  int nreg = 0;
  int reg[4] = {0, 0, 0, 0};
  int64_t scale[4] = {0, 0, 0, 0};
};

/* A symbol across passes. A read before the symbol's definition in the
** pass takes its value from the last pass (a prediction); the passes end
** when every prediction of a pass proved right, as in the reference. */
struct asm_sym {
  int64_t cur = 0, last = 0;
  int8_t wide = 0, last_wide = 0;
  int reloc = 0, last_reloc = 0;
  int size = 0, last_size = 0;
  int def_pass = -1;  /* pass that last defined it */
  bool had_last = false;
  bool var = false;   /* defined with '=' (may be redefined) */
  bool multi = false, last_multi = false; /* defined more than once in a pass */
  bool label = false;       /* a label: a forward reading adds the shift */
  asm_regs regs, last_regs; /* register terms of labels in `virtual at reg` */
  bool used = false, used_last = false;
  int pred_pass = -1;      /* pass in which it was read before its definition */
  int64_t pred = 0;        /* the value that reading gave */
  int8_t pred_wide = 0;
  bool pred_varied = false; /* readings of the pass gave different values */
  int defined_pass = -1;   /* pass in which `defined` asked, and the answer */
  bool defined_answer = false;
  int used_pass = -1;      /* pass in which `used` asked, and the answer */
  bool used_answer = false;
  asm_sym *scope = nullptr; /* a '.' name: the global label it belongs to */
};

/* Output area: the main image, or a virtual block. */
struct asm_area {
  std::vector<uint8_t> bytes;
  int64_t org = 0;
  int org_reloc = 0;
  asm_val org_regs;    /* register terms of a `virtual at ebx` origin */
  size_t org_at = 0;
  size_t init_end = 0; /* end of the last initialised data */
};

/* Assembly-time control blocks. */
enum { ASM_BLK_IF, ASM_BLK_REPEAT, ASM_BLK_WHILE, ASM_BLK_VIRTUAL };
struct asm_blk {
  int kind;
  size_t start;      /* line of the opening directive */
  int64_t count = 0, index = 0;
  bool done = false; /* if: a branch was taken */
  int64_t save_counter = 0, save_total = 0;
};

/* What the source says about its module (asm_module.cpp). Rebuilt by
** every pass; the image is written from the settled pass. */
struct asm_mod_member {
  std::string name, comment, type, sig;
  uint8_t kind = 0;
  asm_val addr;
};
struct asm_mod_ref {      /* one use of an imported member */
  std::string module, member, sig;
  uint8_t kind = 0;
  uint32_t at = 0;        /* image offset of the code word it fills */
  int handler = 0;        /* 1-3: the module's read, write or run handler */
  void *rec = nullptr;    /* the host's member record */
};
struct asm_mod_import {   /* an imported member as the host described it */
  bool found = false;
  int handler = 0;
  std::string module, member, sig;
  uint8_t kind = 0;
  void *rec = nullptr;    /* the host's member record */
};
struct asm_mod {
  bool named = false;
  std::string name, comment;
  bool has_handler[3] = {false, false, false};
  asm_val handler[3];
  std::vector<asm_mod_member> members;
  std::vector<asm_mod_ref> refs;
};

struct asm_state {
  /* first members: they outlive every token list and every token */
  std::pmr::monotonic_buffer_resource arena{1 << 16};
  asm_text_table texts;
  asm_services *svc = nullptr;
  asm_options opt;
  std::string context;
  void *module_ctx = nullptr;  /* the host's context record for `context` */

  std::vector<asm_origin> origins;
  std::vector<asm_line> lines; /* preprocessed source */
  asm_pre pre;
  int depth = 0;               /* nesting of macros, includes, expressions */

  size_t mem_used = 0;
  size_t mem_base = 0;         /* charged before the passes */
  int fatal = ASM_OK;
  int err = ASM_OK;            /* first line error of the pass */
  asm_line err_line;

  /* assembly passes */
  int pass = 0;
  bool changed = false;
  int64_t shift = 0;           /* how far the last label defined moved since
                               ** the last pass */
  size_t cur = 0;              /* line being assembled */
  const asm_line *line = nullptr;
  uint64_t steps = 0;
  bool endless = false;        /* a pass ran out of steps: no more passes */
  std::unordered_map<std::string, asm_sym> syms;
  std::string global;          /* last global label, prefix of '.' names */
  asm_sym *global_sym = nullptr; /* its symbol */
  int anon = 0;                /* '@@' labels defined so far */
  std::vector<asm_area> areas; /* [0] is the output */
  /* `name::` labels of addressing spaces, for load and store: a space
  ** still open (index into areas) or one a virtual block closed */
  struct area_ref {
    bool closed;
    size_t index;
  };
  std::unordered_map<std::string, area_ref> area_labels;
  std::vector<asm_area> closed_areas;
  std::unordered_map<std::string, std::string> files; /* read by `file` */
  std::vector<uint32_t> relocs;
  std::vector<int> pair;       /* control directive -> next part */
  std::vector<uint8_t> ctl;    /* control directive kind of each line, once */
  std::vector<asm_blk> blocks;
  std::vector<std::string> display;
  int bits = 32;
  int64_t counter = 0;         /* '%' of the innermost repeat or times */
  int64_t counter_total = 0;
  int dup_depth = 0;           /* data lists inside dup */
  asm_mod mod;
  std::unordered_map<std::string, asm_mod_import> imports; /* by dotted name */
  /* Lines whose bytes depend on nothing that can change between passes
  ** (no symbol, no $, no counter, no position) are kept: later passes
  ** copy their bytes. `dep` notes a dependency while a line runs. */
  bool dep = false;
  std::vector<struct asm_line_memo> line_memo;
  std::vector<uint8_t> line_bytes;
  /* encodings made so far, a direct-mapped cache by digest
  ** (asm_encode.cpp); allocated at the first instruction */
  std::vector<struct asm_enc_memo> memo;
};

struct asm_line_memo {
  uint32_t at = 0;   /* in asm_state::line_bytes */
  uint8_t len = 0;   /* 0: not kept */
  uint8_t bits = 0;
};

/* limits */
enum {
  ASM_MAX_DEPTH = 256,     /* macro / include / expression nesting */
  ASM_MAX_PASSES = 100,
  ASM_MAX_NAME = 255,
  ASM_MAX_STEPS = 1000000, /* lines run by one pass or the preprocessor */
  ASM_MAX_LINE_TOKENS = 65536,
  ASM_MEMO_SLOTS = 16384   /* encodings kept (a power of two) */
};

/* asm_msg.cpp */
const char *asm_msg_text(int id);
void asm_error(asm_state *st, int id, const asm_line &line);
void asm_fatal(asm_state *st, int id);
void asm_msg_report(asm_state *st);
bool asm_charge(asm_state *st, size_t bytes);
size_t asm_toks_cost(const asm_toks &t);

/* asm_lex.cpp */
asm_text asm_intern(asm_state *st, std::string_view text);
asm_tok asm_tok_make(asm_state *st, uint8_t kind, std::string_view text);
bool asm_lex(asm_state *st, const char *text, size_t len, int origin,
             std::vector<asm_line> &out);
std::string asm_lex_rebuild(const asm_toks &t);
bool asm_lex_is_name_char(char c);

/* asm_pre.cpp, asm_macro.cpp, asm_block.cpp */
bool asm_pre_run(asm_state *st, const char *src, size_t len);
bool asm_pre_lines(asm_state *st, std::vector<asm_line> &in);
void asm_pre_subst(asm_state *st, asm_toks &t, size_t from);
bool asm_read_file(asm_state *st, int origin, std::string &name, std::string &text);
bool asm_macro_define(asm_state *st, std::vector<asm_line> &in, size_t &i,
                      bool struc);
typedef std::unordered_map<std::string, asm_toks> asm_bindings;
bool asm_macro_block(asm_state *st, std::vector<asm_line> &in, size_t &i,
                     asm_line &header, std::vector<asm_line> &body);
bool asm_macro_args(const asm_toks &t, size_t from, std::vector<asm_toks> &out);
bool asm_macro_repeat(asm_state *st, std::vector<asm_line> &body,
                      const std::vector<std::string> &names,
                      const std::vector<std::vector<asm_toks>> &groups, int parent);
int asm_macro_origin(asm_state *st, int def_origin, int parent);
bool asm_macro_call(asm_state *st, const asm_macro &m, size_t index,
                    const asm_line &line, size_t argpos, const std::string &label,
                    bool struc);
bool asm_macro_rept(asm_state *st, std::vector<asm_line> &in, size_t &i);
bool asm_macro_irp(asm_state *st, std::vector<asm_line> &in, size_t &i, bool irps);
bool asm_macro_match(asm_state *st, std::vector<asm_line> &in, size_t &i);
bool asm_macro_irpv(asm_state *st, std::vector<asm_line> &in, size_t &i);
bool asm_macro_postpone(asm_state *st, std::vector<asm_line> &in, size_t &i);

/* asm_expr.cpp */
/* These return ASM_OK or the message id of the first fault. */
int asm_expr_eval(asm_state *st, const asm_toks &t, size_t &pos, size_t end,
                  bool regs, asm_val &out);
int asm_expr_const(asm_state *st, const asm_toks &t, size_t &pos, size_t end,
                   int64_t &out);
int asm_expr_cond(asm_state *st, const asm_toks &t, size_t &pos, size_t end,
                  bool &out);
bool asm_expr_number(const std::string &s, int64_t &out);

/* asm_num.cpp: 65-bit arithmetic; false on overflow */
struct asm_num {
  uint64_t lo = 0;
  bool neg = false; /* the value is lo - 2^64 */
};
asm_num asm_num_of(const asm_val &v);
void asm_num_to(asm_val &v, const asm_num &n);
bool asm_num_add(asm_num a, asm_num b, asm_num &r);
bool asm_num_sub(asm_num a, asm_num b, asm_num &r);
bool asm_num_mul(asm_num a, asm_num b, asm_num &r);
bool asm_num_div(asm_num a, asm_num b, bool want_mod, asm_num &r);
void asm_num_bits(asm_num a, asm_num b, int op, asm_num &r);
void asm_num_not(asm_num a, asm_num &r);
bool asm_num_shift(asm_num a, asm_num count, bool left, asm_num &r);
bool asm_num_scan(asm_num a, bool reverse, asm_num &r);
bool asm_val_fits(const asm_val &v, int size);

/* asm_sym.cpp */
void asm_val_regs(asm_val &to, const asm_val &from);
bool asm_val_same_regs(const asm_val &a, const asm_val &b);
void asm_val_regs(asm_val &to, const asm_regs &from);
void asm_regs_of(asm_regs &to, const asm_val &from);
bool asm_regs_same(const asm_regs &a, const asm_regs &b);
std::string asm_sym_name(asm_state *st, const std::string &name, bool define);
bool asm_sym_define(asm_state *st, const std::string &name, const asm_val &v,
                    int size, bool var);
void asm_sym_value(asm_state *st, const asm_tok &name, asm_val &out);
asm_sym *asm_sym_lookup(asm_state *st, const asm_tok &name);
bool asm_sym_set(asm_state *st, asm_sym &s, const asm_val &v, int size, bool var);
bool asm_sym_defined(asm_state *st, const std::string &name);
bool asm_sym_used(asm_state *st, const std::string &name);
void asm_sym_end_pass(asm_state *st);
bool asm_sym_valid_name(const std::string &name);

/* asm_reg.cpp: registers and size words */
int asm_reg_find(const std::string &name);   /* 0: not a register */
int asm_reg_size(asm_state *st, int reg);    /* bytes */
bool asm_reg_is_gp(int reg);
bool asm_reg_special(int reg);                /* control and debug registers */
int asm_reg_seg(int reg);                    /* segment register number+1, or 0 */
int asm_size_word(const std::string &name);  /* byte->1 ... 0: not a size word */
int asm_mnemonic_find(const std::string &name, int *prefix);
/* What a name means to the instruction set; looked up once per token and
** kept in it, since the passes read the same tokens again and again. */
enum { ASM_KW_MODE = 1, ASM_KW_STRING = 2, ASM_KW_WAIT = 4, ASM_KW_RETF = 8 };
struct asm_kw {
  int reg = 0, mnem = 0, prefix = 0, size = 0, unit = 0;
  int opsize = 0; /* operand size a mnemonic's suffix states */
  bool reserve = false;
  unsigned flags = 0;
};
const asm_kw &asm_tok_kw_find(const asm_tok &k);
inline const asm_kw &asm_tok_kw(const asm_tok &k) {
  const asm_kw *kw = k.kind == ASM_TK_NAME ? k.s.e->second.kw : nullptr;
  return kw ? *kw : asm_tok_kw_find(k);
}
/* Case-insensitive test of a name token against a lower-case word. */
inline bool asm_tok_is(const asm_tok &k, const char *w) {
  if (k.kind != ASM_TK_NAME || (k.s[0] | 0x20) != w[0])
    return false;
  size_t n = k.s.size();
  for (size_t i = 1; i < n; i++) {
    if (!w[i]) /* the word is shorter; a NUL in the name must not match */
      return false;
    char c = k.s[i];
    if (c >= 'A' && c <= 'Z')
      c = (char)(c - 'A' + 'a');
    if (c != w[i])
      return false;
  }
  return w[n] == 0;
}

/* asm_out (asm_data.cpp) */
asm_area &asm_out_area(asm_state *st);
asm_val asm_out_here(asm_state *st);
bool asm_out_bytes(asm_state *st, const uint8_t *p, size_t n);
bool asm_out_reserve(asm_state *st, uint64_t n, uint8_t fill = 0);
bool asm_out_value(asm_state *st, const asm_val &v, int size);
bool asm_out_reloc(asm_state *st, const asm_val &v, int size, size_t at);
bool asm_float_bits(long double f, int size, uint8_t *out);
bool asm_data_define(asm_state *st, const asm_line &l, size_t pos, int unit);
bool asm_data_reserve(asm_state *st, const asm_line &l, size_t pos, int unit);

/* asm_load.cpp */
bool asm_load_line(asm_state *st, const asm_line &l, size_t pos);
bool asm_store_line(asm_state *st, const asm_line &l, size_t pos);
bool asm_file_line(asm_state *st, const asm_line &l, size_t pos);
bool asm_area_label(asm_state *st, const std::string &name);
void asm_area_close(asm_state *st);

/* asm_parse.cpp */
bool asm_parse_line(asm_state *st, const asm_line &l, size_t pos);
bool asm_parse_pass(asm_state *st);

/* asm_ctl.cpp */
bool asm_ctl_pair(asm_state *st);
int asm_ctl_kind(const asm_toks &t);
inline int asm_ctl_kind_at(asm_state *st, size_t i) { return st->ctl[i]; }
bool asm_ctl_line(asm_state *st, const asm_line &l, size_t &next);

/* asm_insn.cpp: one instruction's operands */
enum { ASM_OP_REG, ASM_OP_MEM, ASM_OP_IMM, ASM_OP_FAR };
enum { ASM_JUMP_ANY, ASM_JUMP_SHORT, ASM_JUMP_NEAR, ASM_JUMP_FAR };
struct asm_operand {
  int kind = ASM_OP_IMM;
  int size = 0;         /* stated size in bytes, 0: none */
  int reg = 0;
  int base = 0, index = 0, scale = 0;
  int seg = 0;          /* segment override register */
  int addr = 0;         /* address size from the registers, bytes */
  int stated = 0;       /* address size written in the brackets, bytes */
  asm_val val;          /* displacement, immediate or far offset */
  int64_t far_seg = 0;
};
struct asm_insn {
  int mnem = 0;
  unsigned prefix = 0;  /* bit 0 rep, 1 repe, 2 repne, 3 lock */
  int jump = ASM_JUMP_ANY;
  int seg = 0;          /* segment override of an operand-less form */
  int addr = 0;         /* address size of an operand-less form */
  bool wait = false;    /* x87 waiting form: fwait first */
  int opsize = 0;       /* pushw, retd...: operand size the name states */
  int nops = 0;
  asm_operand ops[5];
};
bool asm_insn_line(asm_state *st, const asm_line &l, size_t pos);

/* asm_encode.cpp: encoding through the instruction tables */
struct asm_code {
  uint8_t b[16];
  size_t len = 0;
  int nreloc = 0;
  uint8_t reloc_at[2];
};
int asm_enc_insn(asm_state *st, asm_insn &in, asm_code &out);
/* An encoding kept under a 128-bit digest of everything it depends on:
** lines encode alike in every pass, and programs repeat instructions. */
struct asm_enc_memo {
  uint64_t key = 0, check = 0; /* the digest */
  int err = -1;                /* -1: empty */
  asm_code code;
};

/* asm_module.cpp: module directives and imported members */
int asm_mod_directive(asm_state *st, const asm_line &l, size_t pos); /* -1: none */
int asm_mod_reference(asm_state *st, const asm_line &l, size_t pos); /* -1: none */
bool asm_mod_type(const std::string &text, bool function, uint8_t &kind,
                  std::string &sig);
void asm_mod_descriptor(asm_state *st, std::vector<uint8_t> &out);
/* Handler references: (code word, slot position in the import block). */
typedef std::vector<std::pair<uint32_t, uint32_t>> asm_mod_fixups;
void asm_mod_imports(asm_state *st, std::vector<uint8_t> &out, asm_mod_fixups &fix);

/* asm_image.cpp */
bool asm_image_build(asm_state *st, std::vector<uint8_t> &out);
void asm_image_vnum(std::vector<uint8_t> &out, uint32_t v);
void asm_image_item(std::vector<uint8_t> &out, const std::vector<uint8_t> &b);

/* size and case helpers */
std::string asm_lower(const std::string &s);

#endif
