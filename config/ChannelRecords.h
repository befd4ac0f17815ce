// The records of the channel utility's table "ChTable.dat" as the program
// reads them, over the table's bytes: plain C++, shared by the program's
// channel-table readers, by epgweek and by the fuzz target.
#pragma once
#include "ByteSink.h"
#include <cstddef>
#include <cstdint>
#include <string>

// A record as the channel utility writes it.
struct ChannelRecord {
    uint8_t reserved1[8];
    char stationName[32];    // code page 932, terminated within the field
    uint32_t isAdamsChannel; // exactly 1 marks the channel of the ADAMS broadcast
    uint8_t reserved2[20];
};
static_assert(sizeof(ChannelRecord) == 64, "channel records are 64 bytes on disk");

constexpr int ChannelCount = 12;
constexpr size_t ChannelTableReadSize = ChannelCount * sizeof(ChannelRecord);
constexpr uint32_t NoAdamsChannel = 255;
constexpr size_t StationFieldSize = sizeof(ChannelRecord::stationName);

// One channel as read: channel number = position + 1.
struct ChannelEntry {
    char stationName[StationFieldSize + 1]; // the field's text, always terminated
    uint32_t isAdamsChannel;
};

struct ChannelList {
    ChannelEntry channels[ChannelCount];
    int count; // records the table delivered, at most 12
};

// Reads records 1 to 12 of a table's bytes as the program reads the file:
// 64 bytes at a time into one buffer that starts cleared, so that a last
// record cut short keeps the rest of the one before it. Bytes past the
// twelfth record are not looked at.
void ParseChannelTable(const uint8_t *table, size_t size, ChannelList *list);

// Writes one record as the channel utility lays it out: the name's bytes (at
// most the field's 32; a shorter name is followed by zeros, so terminated
// within the field), the mark, and every reserved byte zero.
void PutChannelRecord(ByteSink &sink, const std::string &stationName, uint32_t isAdamsChannel);

// The first channel marked as the ADAMS channel, or NoAdamsChannel.
uint32_t FindAdamsChannel(const ChannelList &list);

// Whether a channel has exactly this station name, by compare (0: equal).
// A table without a record has none, not even the empty name.
template <typename Compare>
bool HasStationName(const ChannelList &list, const char *name, Compare compare) {
    for (int i = 0; i < list.count; ++i)
        if (compare(name, list.channels[i].stationName) == 0)
            return true;
    return false;
}
