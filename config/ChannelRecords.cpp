#include "ChannelRecords.h"
#include "ByteSource.h"
#include <cstring>

namespace {
constexpr size_t StationFieldOffset = 8;

// The fields of one whole 64-byte record.
ChannelEntry ReadEntry(const uint8_t (&record)[sizeof(ChannelRecord)]) {
    ChannelEntry entry = {};
    ByteSource fields = MakeByteSource(record, sizeof record);
    Skip(fields, StationFieldOffset);
    ByteSpan name = GetBytes(fields, StationFieldSize);
    // A name that fills its field ends with it.
    memcpy(entry.stationName, name.data, name.size);
    entry.isAdamsChannel = GetUint32Le(fields);
    return entry;
}
} // namespace

void ParseChannelTable(const uint8_t *table, size_t size, ChannelList *list) {
    *list = {};
    ByteSource source = MakeByteSource(table, size);
    uint8_t record[sizeof(ChannelRecord)] = {};
    while (list->count < ChannelCount) {
        ByteSpan got = GetUpTo(source, sizeof record);
        // The table ends where its bytes do: an empty one has no record, so no name matches.
        if (got.size == 0)
            break;
        memcpy(record, got.data, got.size);
        list->channels[list->count++] = ReadEntry(record);
    }
}

uint32_t FindAdamsChannel(const ChannelList &list) {
    for (int i = 0; i < list.count; ++i)
        if (list.channels[i].isAdamsChannel == 1)
            return (uint32_t)(i + 1); // the first marked record wins
    return NoAdamsChannel;
}

void PutChannelRecord(ByteSink &sink, const std::string &stationName, uint32_t isAdamsChannel) {
    size_t length = stationName.size() < StationFieldSize ? stationName.size() : StationFieldSize;
    PutZeros(sink, offsetof(ChannelRecord, stationName));
    PutBytes(sink, stationName.data(), length);
    PutZeros(sink, StationFieldSize - length);
    PutUint32Le(sink, isAdamsChannel);
    PutZeros(sink, sizeof(ChannelRecord::reserved2));
}
