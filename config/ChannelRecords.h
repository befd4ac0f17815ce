// The records of the channel utility's table "ChTable.dat" as the program
// reads them, over the table's bytes: plain C++, shared by the program's
// channel-table readers and by epgweek.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

struct ChannelRecord {
    uint8_t reserved1[8];
    char stationName[32];    // code page 932, terminated within the field
    uint32_t isAdamsChannel; // exactly 1 marks the channel of the ADAMS broadcast
    uint8_t reserved2[20];
};
static_assert(sizeof(ChannelRecord) == 64, "channel records are 64 bytes on disk");

constexpr int ChannelCount = 12;
constexpr size_t ChannelTableReadSize = ChannelCount * sizeof(ChannelRecord);

// Calls visit(record, number) for records 1 to 12 as the program reads them:
// 64 bytes at a time into one buffer that starts cleared, so that a last
// record cut short keeps the rest of the one before it. The end of the table
// ends the walk (a table without a record is never visited: its cleared
// buffer would match an empty name). visit returns true to stop.
template <typename Visit> void WalkChannelRecords(const uint8_t *table, size_t size, Visit visit) {
    ChannelRecord record = {};
    for (int number = 1; number <= ChannelCount; ++number) {
        size_t offset = (size_t)(number - 1) * sizeof record;
        if (offset >= size)
            return;
        size_t got = size - offset < sizeof record ? size - offset : sizeof record;
        memcpy(&record, table + offset, got);
        if (visit(record, number))
            return;
    }
}

// Whether a record has exactly this station name, compared within its field
// (a name that fills the field ends with it) by compare, which returns 0
// for equal texts.
template <typename Compare>
bool TableHasStationName(const uint8_t *table, size_t size, const char *name, Compare compare) {
    bool found = false;
    WalkChannelRecords(table, size, [&](const ChannelRecord &record, int) {
        char stationName[sizeof record.stationName + 1] = {};
        memcpy(stationName, record.stationName, sizeof record.stationName);
        found = compare(name, stationName) == 0;
        return found;
    });
    return found;
}
