#include "ScheduleRecords.h"
#include "ByteSource.h"
#include <algorithm>

namespace {
constexpr size_t RecordFieldsSize = 8; // a last record may lack its separator
// Hours of up to two digits: their "%2d" texts sort in numeric order.
constexpr int MaxSortedHour = 99;

// Two characters of a record, taken as digits without checking that they are.
uint16_t FieldValue(ByteSource &record) {
    int tens = (signed char)GetByte(record) - 48;
    int ones = (signed char)GetByte(record) - 48;
    return (uint16_t)(10 * tens + ones);
}
} // namespace

int ParseScheduleRecords(const uint8_t *bytes, size_t size, BroadcastWindow *windows, int *count) {
    ByteSource source = MakeByteSource(bytes, size);
    *count = 0;
    while (*count < MaxBroadcastWindows) {
        ByteSpan got = GetUpTo(source, ScheduleRecordSize);
        if (got.size < RecordFieldsSize)
            return got.size == 0 ? 1 : 0;
        ByteSource record = MakeByteSource(got);
        BroadcastWindow &window = windows[(*count)++];
        window.startHour = FieldValue(record);
        window.startMinute = FieldValue(record);
        window.endHour = FieldValue(record);
        window.endMinute = FieldValue(record);
    }
    return 1;
}

HourItems PlanHourItems(const BroadcastWindow &first, const BroadcastWindow &last) {
    HourItems items = {first.endHour, 0, 0};
    // Hours from the first window's end to the last window's start.
    while (items.startCount < MaxHourItems - 1 && items.base + items.startCount <= last.startHour)
        ++items.startCount;
    // The end hours go on to the hour after the last window's end. A last
    // window that ends before it starts still gets one item after the start
    // hours, so that no hour is offered twice.
    int lastEnd =
        std::min({last.endHour + 1 - items.base, MaxHourItems - 1, MaxSortedHour - items.base});
    items.lastEndIndex = std::max(lastEnd, items.startCount);
    return items;
}
