#include "LocalTime.h"
#include "FileTime.h"
#ifdef _WIN32
#include <windows.h>
#endif

#ifdef _WIN32
bool LocalFields(time_t moment, tm &fields) {
    if (moment < 0)
        return false;
    ULARGE_INTEGER ticks;
    ticks.QuadPart = TimeToTicks(moment);
    FILETIME utcTime = {ticks.LowPart, ticks.HighPart};
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&utcTime, &utc) ||
        !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return false;
    fields = tm{};
    fields.tm_year = local.wYear - 1900;
    fields.tm_mon = local.wMonth - 1;
    fields.tm_mday = local.wDay;
    fields.tm_hour = local.wHour;
    fields.tm_min = local.wMinute;
    fields.tm_sec = local.wSecond;
    fields.tm_wday = local.wDayOfWeek;
    static const int daysBefore[] = {0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
    int year = local.wYear;
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    fields.tm_yday = daysBefore[local.wMonth - 1] + local.wDay - 1 + (leap && local.wMonth > 2);
    return true;
}

time_t LocalMomentOf(const tm &fields) {
    SYSTEMTIME local = {}, utc;
    local.wYear = (WORD)(fields.tm_year + 1900);
    local.wMonth = (WORD)(fields.tm_mon + 1);
    local.wDay = (WORD)fields.tm_mday;
    local.wHour = (WORD)fields.tm_hour;
    local.wMinute = (WORD)fields.tm_min;
    local.wSecond = (WORD)fields.tm_sec;
    FILETIME utcTime;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) ||
        !SystemTimeToFileTime(&utc, &utcTime))
        return -1;
    ULARGE_INTEGER ticks;
    ticks.LowPart = utcTime.dwLowDateTime;
    ticks.HighPart = utcTime.dwHighDateTime;
    return TicksToTime(ticks.QuadPart);
}
#else
bool LocalFields(time_t moment, tm &fields) {
    if (!localtime_r(&moment, &fields))
        return false;
    fields.tm_isdst = 0;
    return true;
}

time_t LocalMomentOf(const tm &fields) {
    tm copy = fields;
    copy.tm_isdst = -1;
    return mktime(&copy);
}
#endif
