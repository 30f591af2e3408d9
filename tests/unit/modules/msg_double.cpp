// The terminal's message routine, collected for the tests.
#include "tests/unit/modules/msg_double.h"

std::string msg_log;

void con_message(const char *text) { msg_log += text; }
