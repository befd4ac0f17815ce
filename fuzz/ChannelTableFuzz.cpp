// Feeds arbitrary bytes to the channel table's parser as "ChTable.dat",
// checks each channel against a model of how the program reads the file,
// and looks names up as the program does, with its comparison of names.
#include "ChannelRecords.h"
#include "Cp932Model.h"
#include "FuzzCheck.h"
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t RecordSize = 64;
constexpr size_t NameOffset = 8, NameSize = 32, MarkOffset = 40;

// The table as the model reads it: 64 bytes at a time into one buffer, so
// that byte j of record i is the input's byte of the latest record up to i
// that reached j, or zero where none did.
struct ModelTable {
    const uint8_t *data;
    size_t size;

    size_t Records() const { return std::min<size_t>(12, (size + RecordSize - 1) / RecordSize); }
    uint8_t Byte(size_t record, size_t j) const {
        for (size_t k = record + 1; k-- > 0;)
            if (k * RecordSize + j < size)
                return data[k * RecordSize + j];
        return 0;
    }
    // The name field's text, up to its terminator or its end.
    std::string Name(size_t record) const {
        std::string name;
        for (size_t j = NameOffset; j < NameOffset + NameSize && Byte(record, j) != 0; ++j)
            name += (char)Byte(record, j);
        return name;
    }
    bool Marked(size_t record) const {
        const uint8_t one[4] = {1, 0, 0, 0};
        for (size_t b = 0; b < 4; ++b)
            if (Byte(record, MarkOffset + b) != one[b])
                return false;
        return true;
    }
    uint32_t Mark(size_t record) const {
        uint32_t mark = 0;
        for (size_t b = 4; b-- > 0;)
            mark = mark * 256 + Byte(record, MarkOffset + b);
        return mark;
    }
};

void CheckChannels(const ModelTable &model, const ChannelList &list) {
    Check(list.count == (int)model.Records(), "one channel per record delivered, at most 12");
    uint32_t adams = NoAdamsChannel;
    for (size_t i = 0; i < model.Records(); ++i) {
        const ChannelEntry &entry = list.channels[i];
        Check(std::memchr(entry.stationName, '\0', sizeof entry.stationName) != nullptr,
              "a station name is terminated within its buffer");
        Check(entry.stationName == model.Name(i), "a station name is its field's text");
        Check(entry.isAdamsChannel == model.Mark(i), "the mark is the word at offset 40");
        if (adams == NoAdamsChannel && model.Marked(i))
            adams = (uint32_t)(i + 1);
    }
    Check(FindAdamsChannel(list) == adams, "the first record marked 1 is the ADAMS channel");
}

// The same name in other bytes: a last lead byte swapped for another, which
// reads the same wherever it stands alone.
std::string OtherSpelling(std::string name) {
    if (!name.empty() && cp932::IsLead((uint8_t)name.back()))
        name.back() = (char)((uint8_t)name.back() == 0x81 ? 0x82 : 0x81);
    return name;
}

void CheckLookUps(const ModelTable &model, const ChannelList &list) {
    std::vector<std::string> records, names = {""};
    for (size_t i = 0; i < model.Records(); ++i) {
        records.push_back(model.Name(i));
        names.push_back(records.back());
        names.push_back(OtherSpelling(records.back()));
        names.push_back(records.back() + "x");
    }
    // The input's last bytes as a name to look for.
    size_t length = std::min<size_t>(model.size, NameSize + 8);
    names.emplace_back(reinterpret_cast<const char *>(model.data + model.size - length), length);
    for (const std::string &name : names) {
        bool expected = false;
        for (const std::string &record : records)
            expected = expected || cp932::CompareAsProgram(name.c_str(), record.c_str()) == 0;
        Check(HasStationName(list, name.c_str(), cp932::CompareAsProgram) == expected,
              "a name is found exactly when a record's name reads the same");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    ChannelList list;
    std::memset(&list, 0xA5, sizeof list);
    ParseChannelTable(data, size, &list);
    const ModelTable model = {data, size};
    CheckChannels(model, list);
    CheckLookUps(model, list);
    return 0;
}
