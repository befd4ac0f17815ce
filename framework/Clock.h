// The program's one source of "now". Tests set it to a fixed moment so that
// midnight, month end and year end can be checked on any day.
#pragma once
#include <ctime>

// The current time, or the moment a test has set.
time_t CurrentTime();
// Makes CurrentTime return the given moment until the clock is reset.
void SetCurrentTime(time_t now);
void ResetCurrentTime();
// The local calendar fields of a moment; false when it cannot be converted.
bool LocalTime(time_t moment, struct tm &fields);
