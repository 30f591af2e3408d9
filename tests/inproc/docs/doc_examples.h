// The Lua examples of a manual page (a Markdown file) and what they state.
//
// Every fenced block marked `lua` is an example. Examples of one page run
// in order in one fresh program, each as a chunk of its own (locals do not
// carry over, globals do).
//
// Stated output: a comment `--> text` on a line (after code, or alone)
// states one line of output: one `print`, or one message in the terminal,
// in order. Spacing is free (`1  two` matches `1\ttwo`) and `...` stands
// for any text (`at 0x...`). A remark in parentheses at the end is ignored
// when the rest matches (`--> 108 (8 bytes more)`); a remark alone
// describes a line without fixing it (`--> (milliseconds since start-up)`).
// `--> error: text` states that the example stops with a script error
// containing `text`. An example that states output must produce exactly
// the stated lines; one that states none may print anything, but may not
// write a message or fail.
//
// HTML comments just before a block, invisible to readers, say more:
//   <!-- example: skip REASON -->   not run (it needs a file, a user, ...)
//   <!-- example: setup             code run first, unseen (not checked)
//   CODE -->
//   <!-- example: output            the output, one line each, in place of
//   LINES -->                       the block's `-->` comments
#ifndef doc_examples_h
#define doc_examples_h

#include <string>
#include <vector>

struct doc_example {
  int line = 0;                  // of the opening fence, 1-based
  std::string code;
  std::string setup;
  bool skip = false;
  std::string skip_reason;
  std::vector<std::string> expected;   // stated output lines
};

struct doc_page {
  std::vector<doc_example> examples;
  std::vector<std::string> problems;   // malformed annotations
};

doc_page doc_parse(const std::string &markdown);

// The stated output comments of a code text.
std::vector<std::string> doc_stated(const std::string &code);

// Whether one actual output line fits one stated line.
bool doc_line_fits(const std::string &stated, const std::string &actual);

#endif
