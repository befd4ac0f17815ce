// Feeds arbitrary bytes to the schedule's record parser as a decoded schedule
// file, checks every window against a model of its record, and checks the
// time list's hour items for the first and the last window against a model
// of the hours they stand for.
#include "FuzzCheck.h"
#include "ScheduleRecords.h"
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// A record: "HHMMHHMM" and a separator.
constexpr size_t RecordBytes = 9, FieldBytes = 8;
constexpr int MostWindows = 24, MostHourItems = 25, HighestSortedHour = 99;
static_assert(ScheduleReadSize >= MostWindows * RecordBytes,
              "the file step reads all the records that are converted");

// What a byte stands for as a digit: its distance from "0", where a byte
// above 0x7F is a negative number (bytes are signed).
int DigitOf(uint8_t byte) {
    return byte <= 0x7F ? byte - '0' : byte - 256 - '0';
}

// Two characters as a two-digit number, digits or not, kept to 16 bits.
uint16_t Field(const uint8_t *characters) {
    return (uint16_t)((DigitOf(characters[0]) * 10 + DigitOf(characters[1])) & 0xFFFF);
}

bool SameWindows(const BroadcastWindow *a, const BroadcastWindow *b, int count) {
    return std::memcmp(a, b, count * sizeof *a) == 0;
}

void CheckRecords(const uint8_t *data, size_t size, const BroadcastWindow *windows, int count,
                  int result) {
    size_t whole = size / RecordBytes, rest = size % RecordBytes;
    // A last record of its four fields without a separator counts as whole.
    size_t records = whole + (rest == FieldBytes ? 1 : 0);
    bool cutShort = records < MostWindows && rest != 0 && rest != FieldBytes;
    Check(count == (int)std::min<size_t>(MostWindows, records),
          "one window per record of eight bytes or more, at most 24");
    Check(result == (cutShort ? 0 : 1), "only a record cut short fails the read");
    for (int i = 0; i < count; ++i) {
        const uint8_t *record = data + i * RecordBytes;
        const BroadcastWindow &w = windows[i];
        Check(w.startHour == Field(record) && w.startMinute == Field(record + 2) &&
                  w.endHour == Field(record + 4) && w.endMinute == Field(record + 6),
              "each field is its two characters taken as digits");
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

// Item p stands for hour base + p. The start hours run from the first
// window's end to the last window's start, 24 at most; the end hours to the
// hour after the last window's end, within the 25 items and only as far as
// their texts sort (two digits), but always one item past the start hours.
void CheckHourItems(const BroadcastWindow &first, const BroadcastWindow &last) {
    int base = first.endHour;
    int startCount = 0;
    if (last.startHour >= base)
        startCount = std::min(MostHourItems - 1, last.startHour - base + 1);
    int lastEnd = startCount;
    for (int p = startCount; p < MostHourItems; ++p)
        if (base + p <= last.endHour + 1 && base + p <= HighestSortedHour)
            lastEnd = p;
    HourItems items = PlanHourItems(first, last);
    Check(items.base == base, "the hours start at the first window's end");
    Check(items.startCount == startCount, "the start hours go on to the last window's start");
    Check(items.lastEndIndex == lastEnd, "the end hours go on to the hour after the last end");
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
    CheckRewritten(windows, count);
    if (count > 0)
        CheckHourItems(windows[0], windows[count - 1]);
    return 0;
}
