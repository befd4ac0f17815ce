#include "ChannelTable.h"
#include "File.h"
#include "Path.h"
#include "Registry.h"
#include <cstring>

namespace {
enum TablePath { PathBuilt, PathNoFolder, PathTooLong };

// The table's path. A path that does not fit is not used: cut, it could name another file.
TablePath BuildTablePath(char *path) {
    char folder[FolderBufferSize];
    if (ReadChannelInstallPath(folder) != 1)
        return PathNoFolder;
    return JoinText(path, FolderBufferSize, folder, "\\ChTable.dat") ? PathBuilt : PathTooLong;
}

// Reads the next record over the previous one; false at the end of the file.
// A last record cut short keeps the rest of the one before it, as it always has.
// A table that delivers no record at all is never compared: its cleared
// buffer would match an empty station name.
bool ReadRecord(CFile &file, ChannelRecord &record) {
    return file.Read(&record, sizeof record) != 0;
}
} // namespace

int CheckChannelTable(uint32_t *channel) {
    char path[FolderBufferSize];
    TablePath built = BuildTablePath(path);
    if (built == PathNoFolder)
        return ChannelFolderMissing;
    *channel = NoAdamsChannel;
    if (built == PathTooLong)
        return ChannelNotMarked;
    try {
        CFile file(path, CFile::modeRead | CFile::shareCompat);
        ChannelRecord record = {};
        for (uint32_t number = 1; number <= ChannelCount && ReadRecord(file, record); ++number) {
            if (record.isAdamsChannel == 1) {
                *channel = number;
                break;
            }
        }
        file.Close();
    } catch (const CFileException &) {
        // Missing, held open by the channel utility, or unreadable: no channel.
    }
    return *channel == NoAdamsChannel ? ChannelNotMarked : ChannelFound;
}

int FindStationName(const char *name) {
    char path[FolderBufferSize];
    if (BuildTablePath(path) != PathBuilt)
        return 1;
    int result = 1;
    try {
        CFile file(path, CFile::modeRead | CFile::shareCompat);
        ChannelRecord record = {};
        for (int number = 1; number <= ChannelCount && ReadRecord(file, record); ++number) {
            // Compare within the field: a name without a terminator ends with it.
            char stationName[sizeof record.stationName + 1] = {};
            memcpy(stationName, record.stationName, sizeof record.stationName);
            if (lstrcmpA(name, stationName) == 0) {
                result = 0;
                break;
            }
        }
        file.Close();
    } catch (const CFileException &) {
    }
    return result;
}
