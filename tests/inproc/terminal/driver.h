// Drives the real main window and terminal of the test process: typed keys
// are posted to the console and the real line reader takes them.
#ifndef driver_h
#define driver_h

#include <windows.h>

#include <functional>
#include <string>

extern "C" {
#include "lua.h"
}

lua_State *drv_state();                 // the program's state, made once
void drv_type(const std::string &text); // post characters to the console
void drv_key(WPARAM vk);                // post a key press
std::string drv_read();                 // run the reader once; its line
std::string drv_run(const std::string &line);  // type, Enter, evaluate; output
std::string drv_text(LONG from, LONG to);      // console text
LONG drv_end();
COLORREF drv_colour(LONG at);           // colour of one character
void drv_pump();                        // handle pending messages
// pumps messages until cond holds or the limit passes
bool drv_poll(const std::function<bool()> &cond, DWORD limit_ms = 5000);

#endif
