// The local calendar, in the time zone that the system is set to. On Windows
// it is asked of the system itself, never of the C library, which takes a TZ
// variable of the environment in its own format (it reads "Asia/Tokyo" as
// UTC): the program's "today" is then the day the system's clock shows.
#pragma once
#include <ctime>

// The local calendar fields of a moment (tm_isdst is 0); false when it
// cannot be converted.
bool LocalFields(time_t moment, tm &fields);
// The moment of local calendar fields (year, month, day, hour, minute,
// second; out-of-range days or months are not normalised); -1 when they name
// no moment.
time_t LocalMomentOf(const tm &fields);
