// Feeds arbitrary bytes to the schedule's record parser as a decoded schedule
// file, checks every window against the fields it came from, and plans the
// time list's hour items for the first and the last window.
#include "FuzzCheck.h"
#include "ScheduleRecords.h"
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

uint16_t FieldAt(const uint8_t *field) {
    return (uint16_t)(10 * ((signed char)field[0] - 48) + ((signed char)field[1] - 48));
}

bool SameWindows(const BroadcastWindow *a, const BroadcastWindow *b, int count) {
    return std::memcmp(a, b, count * sizeof *a) == 0;
}

void CheckRecords(const uint8_t *data, size_t size, const BroadcastWindow *windows, int count,
                  int result) {
    size_t whole = size / ScheduleRecordSize, rest = size % ScheduleRecordSize;
    int expected = (int)std::min<size_t>(MaxBroadcastWindows, whole + (rest >= 8 ? 1 : 0));
    Check(count == expected, "one window per record of eight bytes or more, at most 24");
    Check(result == (count == MaxBroadcastWindows || rest == 0 || rest == 8),
          "only a record cut short fails the read");
    for (int i = 0; i < count; ++i) {
        const uint8_t *record = data + i * ScheduleRecordSize;
        const BroadcastWindow &w = windows[i];
        Check(w.startHour == FieldAt(record) && w.startMinute == FieldAt(record + 2) &&
                  w.endHour == FieldAt(record + 4) && w.endMinute == FieldAt(record + 6),
              "each field is its two bytes taken as digits");
    }
}

// The windows written back as two-digit records, and read again.
void CheckRewritten(const BroadcastWindow *windows, int count) {
    std::string records;
    BroadcastWindow clamped[MaxBroadcastWindows];
    for (int i = 0; i < count; ++i) {
        const BroadcastWindow &w = windows[i];
        clamped[i] = {(uint16_t)(w.startHour % 100), (uint16_t)(w.startMinute % 100),
                      (uint16_t)(w.endHour % 100), (uint16_t)(w.endMinute % 100)};
        char record[16];
        std::snprintf(record, sizeof record, "%02u%02u%02u%02u|", clamped[i].startHour,
                      clamped[i].startMinute, clamped[i].endHour, clamped[i].endMinute);
        records += record;
    }
    BroadcastWindow again[MaxBroadcastWindows];
    int againCount = -1;
    int result = ParseScheduleRecords(reinterpret_cast<const uint8_t *>(records.data()),
                                      records.size(), again, &againCount);
    Check(result == 1 && againCount == count && SameWindows(clamped, again, count),
          "two-digit records read back as written");
}

void CheckHourItems(const BroadcastWindow &first, const BroadcastWindow &last) {
    HourItems items = PlanHourItems(first, last);
    Check(items.base == first.endHour, "the hours start at the first window's end");
    Check(items.startCount >= 0 && items.startCount <= MaxHourItems - 1 &&
              items.startCount <= items.lastEndIndex && items.lastEndIndex < MaxHourItems,
          "every item has a slot, and the end hours include the start hours");
    Check(items.startCount == MaxHourItems - 1 || items.base + items.startCount > last.startHour,
          "the start hours go on to the last window's start");
    Check(items.startCount == 0 || items.base + items.startCount - 1 <= last.startHour,
          "no start hour lies after the last window's start");
    Check(items.lastEndIndex == items.startCount || items.base + items.lastEndIndex <= 99,
          "end hours beyond the start hours only where their texts sort");
    char text[10];
    Check(std::snprintf(text, sizeof text, "%2d", items.base + items.lastEndIndex) <
              (int)sizeof text,
          "every hour's text fits its item slot");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    BroadcastWindow windows[MaxBroadcastWindows + 1];
    const BroadcastWindow sentinel = {0xBEEF, 0xBEEF, 0xBEEF, 0xBEEF};
    std::fill(windows, windows + MaxBroadcastWindows + 1, sentinel);
    int count = -1;
    int result = ParseScheduleRecords(data, size, windows, &count);
    CheckRecords(data, size, windows, count, result);
    Check(std::memcmp(&windows[MaxBroadcastWindows], &sentinel, sizeof sentinel) == 0,
          "no window is written past the 24th");

    // The file step reads no more than ScheduleReadSize bytes: they are enough.
    BroadcastWindow prefix[MaxBroadcastWindows];
    int prefixCount = -1;
    int prefixResult =
        ParseScheduleRecords(data, std::min(size, ScheduleReadSize), prefix, &prefixCount);
    Check(prefixResult == result && prefixCount == count && SameWindows(prefix, windows, count),
          "the first ScheduleReadSize bytes give the same windows");

    CheckRewritten(windows, count);
    if (count > 0)
        CheckHourItems(windows[0], windows[count - 1]);
    return 0;
}
