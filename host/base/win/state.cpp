/*
** The process-wide state.
*/
#include "host/base/win/state.h"

struct trelk_state trelk;
