// wakeplan-writer ENABLED FLAGS [--zero] [--window HH:MM-HH:MM] [--next today|YYYY/MM/DD]:
// stores a schedule record with these two fields (FLAGS in hexadecimal)
// through the import library as the EPG program does. Every other byte is
// 0x5A, or 0 with --zero; --window sets the daily window and --next the
// next start (its day of the week too, at 00:00). The exit code is the
// library's result, 100 for a wrong command line.
#include "Wakeplan.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {
// The date's SYSTEMTIME with its day of the week; false for no date.
bool ParseDate(const char *text, SYSTEMTIME &date) {
    if (strcmp(text, "today") == 0) {
        GetLocalTime(&date);
    } else {
        date = {};
        if (sscanf(text, "%4hu/%2hu/%2hu", &date.wYear, &date.wMonth, &date.wDay) != 3)
            return false;
    }
    date.wHour = date.wMinute = date.wSecond = date.wMilliseconds = 0;
    FILETIME moment;
    return SystemTimeToFileTime(&date, &moment) && FileTimeToSystemTime(&moment, &date);
}
} // namespace

int main(int argc, char **argv) {
    if (argc < 3)
        return 100;
    bool zero = false;
    for (int i = 3; i < argc; ++i)
        zero = zero || strcmp(argv[i], "--zero") == 0;
    ScheduleRecord record;
    memset(&record, zero ? 0 : 0x5A, sizeof record);
    for (int i = 3; i < argc; ++i) {
        uint16_t *window = record.dailyWindow;
        SYSTEMTIME date;
        if (strcmp(argv[i], "--zero") == 0)
            continue;
        else if (strcmp(argv[i], "--window") == 0 && i + 1 < argc &&
                 sscanf(argv[++i], "%2hu:%2hu-%2hu:%2hu", &window[0], &window[1], &window[2],
                        &window[3]) == 4)
            continue;
        else if (strcmp(argv[i], "--next") == 0 && i + 1 < argc && ParseDate(argv[++i], date)) {
            const uint16_t next[8] = {
                date.wYear, date.wMonth, (uint16_t)(date.wDayOfWeek + 1), date.wDay, 0, 0, 0, 0};
            memcpy(record.nextStart, next, sizeof next);
        } else
            return 100;
    }
    record.enabled = (uint16_t)strtoul(argv[1], nullptr, 10);
    record.flags = (uint32_t)strtoul(argv[2], nullptr, 16);
    return WriteScheduleRecord(&record);
}
