// The program's one source of "now" and of the tick count. Tests set them to
// fixed values so that midnight, month end and year end can be checked on any
// day, and so that the wall clock and the tick count can be moved apart.
#pragma once
#include <cstdint>
#include <ctime>

// The current time, or the moment a test has set.
time_t CurrentTime();
// Makes CurrentTime return the given moment until the clock is reset.
void SetCurrentTime(time_t now);
// Milliseconds since the system started (GetTickCount), or the count a test
// has set. It wraps after 49.7 days: measure spans by unsigned subtraction.
uint32_t CurrentTickCount();
// Makes CurrentTickCount return the given count until the clock is reset.
void SetCurrentTickCount(uint32_t count);
// Makes both the time and the tick count real again.
void ResetCurrentTime();
