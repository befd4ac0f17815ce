// The broadcast schedule as the receiver sends it, once decoded: records of
// four two-digit fields "HHMMHHMM" and a separator, one broadcast window
// each; and the hours that the time list offers for them. Plain C++, for
// the program and the fuzz target.
#pragma once
#include "BroadcastWindow.h"
#include <cstddef>
#include <cstdint>

constexpr size_t ScheduleRecordSize = 9; // four two-digit fields and a separator
// No more of the file than this is ever read.
constexpr size_t ScheduleReadSize = MaxBroadcastWindows * ScheduleRecordSize;

// Converts up to 24 records of the bytes into windows and sets count to the
// number converted. Each field is 10 * (first byte - 48) + (second byte - 48)
// on signed bytes, digits or not. Returns 1 when the bytes end on a whole
// record (the last one may lack its separator) or hold 24 records or more, 0
// when the last record is cut short (the windows before it are kept).
int ParseScheduleRecords(const uint8_t *bytes, size_t size, BroadcastWindow *windows, int *count);

// The hour items of the time list's hour boxes: item p stands for hour
// base + p. Start hours are items 0 to startCount - 1, end hours items 0 to
// lastEndIndex; both counts are within MaxHourItems.
constexpr int MaxHourItems = 25;
struct HourItems {
    int base;         // the first window's end hour
    int startCount;   // up to the last window's start hour, at most 24
    int lastEndIndex; // to the hour after the last window's end, where the texts still sort
};
HourItems PlanHourItems(const BroadcastWindow &first, const BroadcastWindow &last);
