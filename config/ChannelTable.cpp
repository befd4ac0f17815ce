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

// Reads the first twelve records' bytes of the table (opened exclusively:
// while the channel utility writes it, the open fails). Returns the count.
size_t ReadTable(const char *path, uint8_t *table) {
    CFile file(path, CFile::modeRead | CFile::shareCompat);
    size_t got = 0;
    while (got < ChannelTableReadSize) {
        UINT read = file.Read(table + got, (UINT)(ChannelTableReadSize - got));
        if (read == 0)
            break;
        got += read;
    }
    file.Close();
    return got;
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
        uint8_t table[ChannelTableReadSize];
        ChannelList list;
        ParseChannelTable(table, ReadTable(path, table), &list);
        *channel = FindAdamsChannel(list);
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
        uint8_t table[ChannelTableReadSize];
        ChannelList list;
        ParseChannelTable(table, ReadTable(path, table), &list);
        if (HasStationName(list, name, lstrcmpA))
            result = 0;
    } catch (const CFileException &) {
    }
    return result;
}
