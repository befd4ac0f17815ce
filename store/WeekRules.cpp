#include "WeekRules.h"
#include "ByteSource.h"
#include "Cp932.h"
#include "LocalTime.h"
#include <cstdio>
#include <cstring>

namespace {
constexpr size_t NameLengthOffset = 11;
} // namespace

void BuildDayDates(time_t now, char dates[DayWindowLength][DateFieldSize]) {
    for (int d = 0; d < DayWindowLength; ++d) {
        tm day = {};
        LocalFields(now + (time_t)d * 86400, day);
        snprintf(dates[d], DateFieldSize, "%2.2u%2.2u", (unsigned)(day.tm_mon + 1),
                 (unsigned)day.tm_mday);
    }
}

bool IsOutsideDayWindow(const char *base, const char (&dates)[DayWindowLength][DateFieldSize]) {
    if (strlen(base) < 8)
        return false;
    for (const char *date : dates)
        if (strncmp(base + 4, date, 4) == 0)
            return false;
    return true;
}

bool IsPastAgeLimit(time_t created, time_t now) {
    return created < now - DaySetAgeLimit;
}

bool IsStampAhead(time_t stamp, time_t now) {
    return stamp > now + 86400;
}

bool HasDayFileExtension(const char *name) {
    const char *dot = strrchr(name, '.'); // 0x2E is never a trail byte, which is 0x40 or above
    if (!dot || strlen(dot) != 4 || (dot[1] | 0x20) != 'e' || (dot[2] | 0x20) != 'p')
        return false;
    char kind = (char)(dot[3] | 0x20);
    return kind == '1' || kind == '2' || kind == 't';
}

PurgeReason PurgeReasonOf(const char *base, time_t created, time_t now,
                          const char (&dates)[DayWindowLength][DateFieldSize]) {
    if (IsOutsideDayWindow(base, dates))
        return PurgeReason::OutsideWindow;
    return IsPastAgeLimit(created, now) ? PurgeReason::TooOld : PurgeReason::Kept;
}

StationJudgement JudgeStation(const uint8_t *counts, int *firstCompleteDay) {
    int complete = 0;
    *firstCompleteDay = -1;
    for (int d = 0; d < DayWindowLength; ++d) {
        if (counts[d] != 2)
            continue;
        ++complete;
        if (*firstCompleteDay < 0)
            *firstCompleteDay = d;
    }
    if (complete == 0)
        return StationJudgement::NoCompleteDay;
    if (complete == DayWindowLength)
        return StationJudgement::AllDays;
    if (complete == 2 && (counts[0] == 2 || counts[1] == 2))
        return StationJudgement::TodayPair;
    return StationJudgement::LookUp;
}

size_t StationNameFromContent(const uint8_t *content, size_t size, char *name) {
    name[0] = '\0';
    ByteSource source = MakeByteSource(content, size);
    Skip(source, NameLengthOffset);
    size_t length = GetByte(source);
    ByteSpan text = GetUpTo(source, length); // as many of its bytes as there are
    if (Failed(source))
        return 0; // no length byte: no name
    // A longer name is cut between whole characters, never past the 26-byte buffer.
    size_t kept =
        WholeCharacters(reinterpret_cast<const char *>(text.data), text.size, StationNameSize - 1);
    memcpy(name, text.data, kept);
    name[kept] = '\0';
    return kept;
}
