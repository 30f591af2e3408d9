// Helpers of the reference comparisons: mnemonics in comparable form, the
// names the tables can produce, and which rows an encoding reaches.
#ifndef das_test_util_h
#define das_test_util_h

#include <Zydis/Zydis.h>

#include <map>
#include <set>
#include <string>
#include <vector>

// Our mnemonic in lower case without the prefix text.
std::string das_mnemonic(const char *text);
// Same instruction name, allowing our trailing size letter and the renames.
bool das_same_name(const std::string &ours, const std::string &other);
// Every mnemonic the tables can produce, lower case.
const std::set<std::string> &das_names();
// Whether the name (or it with a size letter) is one the tables produce.
bool das_knows(const std::string &name);
// A Zydis register in this notation.
std::string das_reg_name(ZydisRegister r);
// The operand texts after the tab.
std::vector<std::string> das_operands(const char *text);
// Whether the bytes reach a row chosen by a mandatory prefix or a VEX map.
bool das_vector_row(const unsigned char *b, size_t n);
// 0F 18-1F and 0F 0D: the hint space.
bool das_hint_space(const unsigned char *b, size_t n);
std::string das_hex(const unsigned char *b, int n);

#endif
