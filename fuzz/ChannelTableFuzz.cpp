// Feeds arbitrary bytes to the channel table's parser as "ChTable.dat",
// checks each channel against a plain model of how the program reads the
// file, and looks names up in the result.
#include "ChannelRecords.h"
#include "FuzzCheck.h"
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr size_t RecordSize = sizeof(ChannelRecord);

uint32_t WordAt(const uint8_t *at) {
    return (uint32_t)at[0] | (uint32_t)at[1] << 8 | (uint32_t)at[2] << 16 | (uint32_t)at[3] << 24;
}

// 64 bytes at a time into one buffer that starts cleared.
void CheckAgainstModel(const uint8_t *data, size_t size, const ChannelList &list) {
    size_t records = std::min<size_t>(ChannelCount, (size + RecordSize - 1) / RecordSize);
    Check(list.count == (int)records, "one channel per record delivered, at most 12");
    uint8_t record[RecordSize] = {};
    uint32_t adams = NoAdamsChannel;
    for (int i = 0; i < list.count; ++i) {
        size_t offset = i * RecordSize;
        std::memcpy(record, data + offset, std::min(RecordSize, size - offset));
        const ChannelEntry &entry = list.channels[i];
        const char *field = reinterpret_cast<const char *>(record + 8);
        size_t length = strnlen(field, StationFieldSize);
        Check(std::memchr(entry.stationName, '\0', sizeof entry.stationName) != nullptr,
              "a station name is terminated within its buffer");
        Check(std::strlen(entry.stationName) == length &&
                  std::memcmp(entry.stationName, field, length) == 0,
              "a station name is its field's text");
        Check(entry.isAdamsChannel == WordAt(record + 40), "the mark is the word at offset 40");
        if (adams == NoAdamsChannel && entry.isAdamsChannel == 1)
            adams = (uint32_t)(i + 1);
    }
    Check(FindAdamsChannel(list) == adams, "the first marked channel is the ADAMS channel");
}

void CheckLookUps(const uint8_t *data, size_t size, const ChannelList &list) {
    for (int i = 0; i < list.count; ++i)
        Check(HasStationName(list, list.channels[i].stationName, std::strcmp),
              "every channel's own name is found");
    // The input's last bytes as a name to look for.
    size_t length = std::min<size_t>(size, StationFieldSize + 8);
    std::string name(reinterpret_cast<const char *>(data + size - length), length);
    bool expected = false;
    for (int i = 0; i < list.count; ++i)
        expected = expected || std::strcmp(name.c_str(), list.channels[i].stationName) == 0;
    Check(HasStationName(list, name.c_str(), std::strcmp) == expected,
          "a name is found exactly when a channel has it");
}

// The channels written back as a table of whole records, and read again.
void CheckRewritten(const ChannelList &list) {
    uint8_t table[ChannelTableReadSize] = {};
    for (int i = 0; i < list.count; ++i) {
        uint8_t *record = table + i * RecordSize;
        std::memcpy(record + 8, list.channels[i].stationName,
                    std::strlen(list.channels[i].stationName));
        for (int b = 0; b < 4; ++b)
            record[40 + b] = (uint8_t)(list.channels[i].isAdamsChannel >> (8 * b));
    }
    ChannelList again;
    ParseChannelTable(table, list.count * RecordSize, &again);
    Check(again.count == list.count, "a rewritten table has as many channels");
    for (int i = 0; i < list.count; ++i)
        Check(std::strcmp(again.channels[i].stationName, list.channels[i].stationName) == 0 &&
                  again.channels[i].isAdamsChannel == list.channels[i].isAdamsChannel,
              "a rewritten table reads back the same channels");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    ChannelList list;
    std::memset(&list, 0xA5, sizeof list);
    ParseChannelTable(data, size, &list);
    CheckAgainstModel(data, size, list);
    CheckLookUps(data, size, list);
    CheckRewritten(list);
    return 0;
}
