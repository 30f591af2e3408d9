// A script state with the GUI library and nothing shown: messages are
// collected, and the window side records what it was asked to do.
#ifndef gui_harness_h
#define gui_harness_h

#include <string>

extern "C" {
#include "lua.h"
}

struct gr_container;

lua_State *gh_state();            // fresh state for each test
void gh_close();
std::string gh_run(const char *chunk);   // output: printed and messages
std::string gh_eval(const char *expr);   // tostring of one expression
std::string gh_take();            // output since the last run, cleared
extern int gh_refreshes;          // window-side re-layouts asked for

#endif
