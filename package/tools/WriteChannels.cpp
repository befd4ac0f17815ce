// writechannels: writes the channel utility's table "ChTable.dat".
// Usage: writechannels FOLDER ADAMS-CHANNEL [NAME1 ... NAME12]
//   ADAMS-CHANNEL  1 to 12 marks that channel as the one carrying the ADAMS
//                  broadcast; 0 marks none.
//   NAMEn          station name of channel n (code page 932, at most 31
//                  bytes); "-" or a missing name leaves the channel empty.
// Always writes 12 records of 64 bytes. Exit code 0, 1 when the file cannot
// be written, 2 for a wrong command line.
#include "ChannelTable.h"
#include <windows.h>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {
bool ParseChannel(const char *text, uint32_t &channel) {
    char *end = nullptr;
    long value = strtol(text, &end, 10);
    if (end == text || *end || value < 0 || value > ChannelCount)
        return false;
    channel = (uint32_t)value;
    return true;
}

// Written under a temporary name and renamed, so that a reader never finds a
// table cut short.
bool WriteTable(const std::string &folder, const uint8_t *records) {
    std::string path = folder + "\\ChTable.dat";
    std::string temporary = path + ".new";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = (DWORD)ChannelTableReadSize;
    DWORD written = 0;
    bool complete = WriteFile(file, records, size, &written, nullptr) && written == size;
    CloseHandle(file);
    if (complete && MoveFileExA(temporary.c_str(), path.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temporary.c_str());
    return false;
}
} // namespace

int main(int argc, char **argv) {
    uint32_t adams = 0;
    if (argc < 3 || argc > 3 + ChannelCount || !ParseChannel(argv[2], adams)) {
        fprintf(stderr, "usage: writechannels FOLDER ADAMS-CHANNEL(0-12) [NAME1 ... NAME12]\n");
        return 2;
    }
    uint8_t records[ChannelTableReadSize];
    ByteSink table = MakeByteSink(records, sizeof records);
    for (int i = 0; i < ChannelCount; ++i) {
        const char *name = i + 3 < argc && strcmp(argv[i + 3], "-") != 0 ? argv[i + 3] : "";
        if (strlen(name) >= StationFieldSize) {
            fprintf(stderr, "writechannels: the name of channel %d is longer than 31 bytes\n",
                    i + 1);
            return 2;
        }
        PutChannelRecord(table, name, adams == (uint32_t)(i + 1) ? 1 : 0);
    }
    if (!WriteTable(argv[1], records)) {
        fprintf(stderr, "writechannels: cannot write %s\\ChTable.dat\n", argv[1]);
        return 1;
    }
    return 0;
}
