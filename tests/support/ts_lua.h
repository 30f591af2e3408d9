// A fresh script state for tests: run a chunk in protected mode and read
// its results back as text. The state's own libraries are the caller's.
#ifndef trelk_ts_lua_h
#define trelk_ts_lua_h

#include <string>

extern "C" {
#include "lua.h"
}

// how ts_results writes each value
enum ts_form {
  TS_TOSTRING,   // as the script's tostring gives it
  TS_RAW,        // strings and numbers as they are, other values by type name
  TS_QUOTED      // strings in double quotes, numbers and booleans bare
};

lua_State *ts_fresh(void);   // new state with the standard libraries

// Loads and calls chunk, keeping nresults results above the old top. Messages
// name it name, or quote its text as luaL_loadstring does. On failure sets
// err, restores the top and returns false.
bool ts_run(lua_State *L, const std::string &chunk, std::string &err,
            int nresults = LUA_MULTRET, const char *name = nullptr);

// Runs chunk, dropping its results: "" or the error message.
std::string ts_do(lua_State *L, const std::string &chunk, const char *name = nullptr);

// The values from index from to the top as text joined by sep.
std::string ts_results(lua_State *L, int from, const char *sep, ts_form form);

// Runs chunk and returns its results joined by sep, or "error: " and the
// message. The top is left as it was.
std::string ts_eval(lua_State *L, const std::string &chunk, const char *sep = ",",
                    ts_form form = TS_TOSTRING, const char *name = nullptr);

// A state closed at the end of the scope.
struct ts_state {
  lua_State *L = ts_fresh();
  ts_state() = default;
  ts_state(const ts_state &) = delete;
  ts_state &operator=(const ts_state &) = delete;
  ~ts_state() { lua_close(L); }
};

#endif
