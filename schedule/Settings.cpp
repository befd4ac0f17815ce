// The settings stores of the main dialog: the user's choice of manual or
// daily acquisition, the next automatic start date, and the broadcast windows
// handed to the scheduler.
#include "Clock.h"
#include "LocalTime.h"
#include "Completeness.h"
#include "EpgMainDlg.h"
#include "Freshness.h"
#include <cstring>

namespace {
constexpr time_t OneDay = 86400;

// Handed to the scheduler when no broadcast times are known.
// 6:02, then the odd hours 7 to 23 (no 8:02), as the scheduler has always been given them.
const BroadcastTimeTable DefaultBroadcastTable = {{
    {6, 2, 6, 12},
    {7, 2, 7, 12},
    {9, 2, 9, 12},
    {11, 2, 11, 12},
    {13, 2, 13, 12},
    {15, 2, 15, 12},
    {17, 2, 17, 12},
    {19, 2, 19, 12},
    {21, 2, 21, 12},
    {23, 2, 23, 12},
}};

// Bits 31 and 30 follow the two options; every other bit stays as read.
void StoreFlags(ScheduleRecord &record) {
    record.flags &= ~(FlagAlwaysReceiveAdams | FlagAutoTimeAdjust);
    if (acquire.alwaysReceiveAdams)
        record.flags |= FlagAlwaysReceiveAdams;
    if (acquire.autoTimeAdjust)
        record.flags |= FlagAutoTimeAdjust;
}

bool IsStoredDate(const ScheduleRecord &record, const tm &date) {
    return record.nextStart[0] == date.tm_year + 1900 && record.nextStart[1] == date.tm_mon + 1 &&
           record.nextStart[3] == date.tm_mday;
}

// Year, month, day of week (1 Sunday), day; the time of day is 0.
void SetNextStart(ScheduleRecord &record, const tm &date) {
    uint16_t next[8] = {(uint16_t)(date.tm_year + 1900), (uint16_t)(date.tm_mon + 1),
                        (uint16_t)(date.tm_wday + 1), (uint16_t)date.tm_mday};
    memcpy(record.nextStart, next, sizeof next);
}
} // namespace

int CEpgMainDlg::StoreManualSetting() {
    // No broadcast windows at all, not even one left from an earlier store of this run.
    schedTable = BroadcastTimeTable{};
    int result = SetBroadcastTimes(&schedTable);
    if (result != 0)
        return result;
    schedRecord.enabled = 0;
    StoreFlags(schedRecord);
    return WriteScheduleRecord(&schedRecord);
}

int CEpgMainDlg::StoreDailySetting() {
    int startHour = startHourCombo.GetCurSel();
    int endHour = endHourCombo.GetCurSel();
    int startMinute = startMinuteCombo.GetCurSel();
    int endMinute = endMinuteCombo.GetCurSel();
    // Typed text that matches no item leaves its combo without a selection.
    if (startHour < 0 || endHour < 0 || startMinute < 0 || endMinute < 0)
        return 1;
    // The end may not lie past the last hour of the range (24:10), and the start must come first.
    if (endHour == lastEndHourIndex && endMinute != 0)
        return 1;
    if (startHour > endHour || (startHour == endHour && startMinute >= endMinute))
        return 1;

    int read = ReadScheduleRecord(&schedRecord);
    if (read != 0)
        return read;
    schedRecord.enabled = 1;
    uint16_t window[4] = {(uint16_t)(hourBase + startHour), (uint16_t)(10 * startMinute),
                          (uint16_t)(hourBase + endHour), (uint16_t)(10 * endMinute)};
    memcpy(schedRecord.dailyWindow, window, sizeof window);
    StoreFlags(schedRecord);
    if (UpdateNextStart(1) != 0)
        return 2;
    // A failed hand-over of the windows is not the setting's: each automatic run's end renews them.
    StoreBroadcastTimes();
    return 0;
}

// Today's data present (and not found outdated earlier): the next start is
// tomorrow; otherwise today, so that the missing data is fetched today.
int CEpgMainDlg::UpdateNextStart(int force) {
    time_t next = CurrentTime();
    bool tomorrow = CheckEpgFreshness() == StatusCurrent && acquire.status != StatusOutdated;
    if (tomorrow)
        next += OneDay;
    tm date;
    if (!LocalFields(next, date))
        return 2;
    // At the end of an automatic run a date that is already tomorrow's is left as it is.
    if (tomorrow && !force && IsStoredDate(schedRecord, date))
        return 0;
    SetNextStart(schedRecord, date);
    return WriteScheduleRecord(&schedRecord);
}

int CEpgMainDlg::StoreBroadcastTimes() {
    // A complete week needs no broadcast windows.
    if (CheckDayFiles() == 1)
        return 0;
    if (acquire.status == StatusCurrent || acquire.status == StatusOutdated) {
        memcpy(schedTable.entries, broadcastWindows, sizeof schedTable.entries);
        return SetBroadcastTimes(&schedTable) != 0 ? 2 : 0;
    }
    if (acquire.status == StatusNoData) {
        schedTable = DefaultBroadcastTable;
        return SetBroadcastTimes(&schedTable) != 0 ? 2 : 0;
    }
    return 0;
}
