/*
** rx_native.h: the matcher for native code (member `match' of the module
** `str'). Subject and pattern are zero-terminated; the result is null on
** no match or error, else a program-heap block of 1 + 2n 32-bit values
** (n, then the pairs) which the caller frees with hp_free.
*/
#ifndef rx_native_h
#define rx_native_h

#include <stdint.h>

extern "C" int32_t *rx_native_match(const char *subject, const char *pattern,
                                    int32_t offset, int32_t options);

#endif
