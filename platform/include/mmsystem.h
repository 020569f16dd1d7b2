// Windows multimedia: the millisecond clock.
#pragma once
#include "minwindef.h"

// Milliseconds since the machine started, on the machine's one clock; wraps after 49.7 days.
DWORD WINAPI timeGetTime();
