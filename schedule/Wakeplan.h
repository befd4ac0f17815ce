// The package's scheduler library (Wakeplan.dll): it keeps the daily
// acquisition window and starts the program at that time. Its three calls are
// imported by ordinal only; each takes one record and returns 0 on success.
#pragma once
#include "BroadcastWindow.h"
#include <cstddef>
#include <cstdint>

constexpr int BroadcastTableEntries = 15;

// The broadcast windows handed to the scheduler; an all-zero entry is free.
struct BroadcastTimeTable {
    BroadcastWindow entries[BroadcastTableEntries];
};
static_assert(sizeof(BroadcastTimeTable) == 120, "the scheduler's table is 120 bytes");

constexpr uint32_t FlagAlwaysReceiveAdams = 0x80000000u; // bit 31
constexpr uint32_t FlagAutoTimeAdjust = 0x40000000u;     // bit 30

// The scheduler's record. The library reads and writes all 128 bytes; the
// program uses only the named fields and keeps the rest as read.
#pragma pack(push, 2)
struct ScheduleRecord {
    uint8_t untouched[70];
    uint16_t enabled; // 1 daily automatic acquisition, 0 manual
    uint32_t unused;
    uint16_t dailyWindow[4]; // start hour, start minute, end hour, end minute
    uint16_t nextStart[8];   // year, month, day of week (1 Sunday), day, hour, minute, second, ms
    uint32_t flags;          // FlagAlwaysReceiveAdams, FlagAutoTimeAdjust, others as read
    uint8_t reserved[24];
};
#pragma pack(pop)
static_assert(sizeof(ScheduleRecord) == 128, "the scheduler's record is 128 bytes");
static_assert(offsetof(ScheduleRecord, enabled) == 70 && offsetof(ScheduleRecord, unused) == 72 &&
                  offsetof(ScheduleRecord, dailyWindow) == 76 &&
                  offsetof(ScheduleRecord, nextStart) == 84 &&
                  offsetof(ScheduleRecord, flags) == 100,
              "the scheduler's record layout is fixed");

extern "C" {
// Ordinal 9: fills the record with what was last written.
int __cdecl ReadScheduleRecord(ScheduleRecord *record);
// Ordinal 6: stores the record.
int __cdecl WriteScheduleRecord(ScheduleRecord *record);
// Ordinal 7: stores the broadcast windows.
int __cdecl SetBroadcastTimes(BroadcastTimeTable *table);
}
