// Stand-ins for the host's terminal: messages are kept for the tests.
#include <string>

std::string test_messages;

void con_message(const char *text) { test_messages += text; }
void con_print(const char *text) { (void)text; }
