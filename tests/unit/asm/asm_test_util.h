#ifndef asm_test_util_h
#define asm_test_util_h

#include "asm/asm.h"

#include <map>
#include <string>
#include <vector>

/* Services that record messages and serve files from memory. */
class test_services : public asm_services {
public:
  std::string out;
  std::vector<std::string> pieces;
  std::map<std::string, std::string> files;
  void message(const char *text) override {
    out += text;
    pieces.push_back(text);
  }
  bool read_file(const char *name, std::string &text) override {
    auto it = files.find(name);
    if (it == files.end())
      return false;
    text = it->second;
    return true;
  }
};

/* Assembles in binary format; returns the bytes as hex "90 C3", or
** "ERR:" and the messages. */
std::string asm_hex(const std::string &src, test_services *svc = nullptr);
std::string asm_hex_bytes(const std::vector<uint8_t> &b);

#endif
