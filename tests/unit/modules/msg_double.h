// Messages the code under test wrote to the terminal.
#ifndef msg_double_h
#define msg_double_h

#include <string>

extern std::string msg_log;

#endif
