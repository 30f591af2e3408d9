// Messages the code under test wrote to the terminal.
#ifndef trelk_msg_double_h
#define trelk_msg_double_h

#include <string>

extern std::string msg_log;

#endif
