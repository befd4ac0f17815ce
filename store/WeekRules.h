// The rules of the receiver's week, one place for each, shared by the
// completeness pass of the program and the coverage report of epgweek: the
// window of eight days, which day sets the purge deletes, how a station's
// days are judged, and where a decoded ".ep1" keeps the station's name.
// Plain C++: no window system, so that the report also builds natively.
#pragma once
#include "Limits.h"
#include <cstddef>
#include <cstdint>
#include <ctime>

constexpr time_t DaySetAgeLimit = 10 * 86400;

// The date fields "MMDD" of the given moment's local day and the seven days after it.
void BuildDayDates(time_t now, char dates[DayWindowLength][DateFieldSize]);

// Why the purge deletes a day set, judged on its ".ep1" file.
enum class PurgeReason {
    Kept,
    OutsideWindow, // its date is none of the window's (first phase)
    TooOld,        // created more than ten days ago (second phase)
};
// First phase: a base of eight characters or more whose date field ("MMDD"
// at characters 5 to 8) is none of the window's. A shorter base cannot be
// dated, and what cannot be dated is kept.
bool IsOutsideDayWindow(const char *base, const char (&dates)[DayWindowLength][DateFieldSize]);
// Second phase: created strictly before now minus ten days.
bool IsPastAgeLimit(time_t created, time_t now);
// A day file's time (creation or last write) more than a day after now: it
// was made by a clock ahead of the one that says now, so "now" is behind.
// The purge then deletes nothing, since every day set would look outdated.
bool IsStampAhead(time_t stamp, time_t now);
// A name with the extension of a day file: ".ep1", ".ep2" or ".ept", in any case.
bool HasDayFileExtension(const char *name);
// Both phases in turn, as the purge applies them to one ".ep1" file.
PurgeReason PurgeReasonOf(const char *base, time_t created, time_t now,
                          const char (&dates)[DayWindowLength][DateFieldSize]);

// How one station's days count. counts[d]: how many of its ".ep1" and ".ept"
// for day d exist (2 is a complete day).
enum class StationJudgement {
    AllDays,       // all eight days complete
    TodayPair,     // two complete days, today or tomorrow among them
    NoCompleteDay, // the week is incomplete, whoever the station is
    LookUp,        // another pattern: it matters only if the user has the station
};
StationJudgement JudgeStation(const uint8_t *counts, int *firstCompleteDay);

// The week's verdict: 1 complete, 0 not. Stations are judged in order;
// inTable(station, firstCompleteDay) is asked only for a station that must
// be looked up, and true (the user has it) makes the week incomplete.
template <typename Counts, typename InTable>
int JudgeWeek(int stations, Counts counts, InTable inTable) {
    for (int i = 0; i < stations; ++i) {
        int firstComplete = -1;
        switch (JudgeStation(counts(i), &firstComplete)) {
        case StationJudgement::NoCompleteDay:
            return 0;
        case StationJudgement::LookUp:
            if (inTable(i, firstComplete))
                return 0;
            break;
        default:
            break;
        }
    }
    return 1;
}

// The station name in a decoded ".ep1": its length at offset 11, the bytes
// from offset 12 (as many as there are), cut to 25 bytes without splitting a
// double-byte character. name receives it terminated; returns its length.
size_t StationNameFromContent(const uint8_t *content, size_t size, char *name);
