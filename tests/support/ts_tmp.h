// Files of a test program: a temporary folder of its own, made on first use
// and removed with everything in it at exit, and the folder the program
// lives in, where the build copies the reference files it reads. Paths use
// '/' so they can go into script strings as they are.
#ifndef trelk_ts_tmp_h
#define trelk_ts_tmp_h

#include <string>

std::string ts_tmpdir(void);                    // this run's folder
std::string ts_tmpfile(const std::string &name);   // a path inside it
std::string ts_newdir(const std::string &tag);  // a new empty folder inside it
void ts_enter(void);                            // make it the current folder
std::string ts_here(const std::string &name);   // beside the program

#endif
