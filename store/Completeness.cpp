#include "Completeness.h"
#include "ChannelTable.h"
#include "Clock.h"
#include "DecodeReceivedFile.h"
#include "File.h"
#include "FileKind.h"
#include "FolderScan.h"
#include "Path.h"
#include "Registry.h"
#include "StartUpCopy.h"
#include <cstring>
#include <initializer_list>

char dayDates[DayWindowLength][DateFieldSize];
char stationPrefixes[MaxStations][PrefixSize];
int prefixCount;
uint8_t dayFileCounts[MaxStations][CountRowSize];
bool stationsLeftOut;

namespace {
void ResetTables() {
    memset(dayDates, 0, sizeof dayDates);
    memset(stationPrefixes, 0, sizeof stationPrefixes);
    memset(dayFileCounts, 0, sizeof dayFileCounts);
    prefixCount = 0;
    stationsLeftOut = false;
}

// Records the first four bytes of a day file's base as a station, once.
void NoteStation(const char *base) {
    for (int i = 0; i < prefixCount; ++i)
        if (strncmp(stationPrefixes[i], base, 4) == 0)
            return;
    // The tables hold twenty stations: another is noted, never written past their end.
    if (prefixCount == MaxStations) {
        stationsLeftOut = true;
        return;
    }
    lstrcpynA(stationPrefixes[prefixCount], base, PrefixSize); // four bytes at most
    ++prefixCount;
}

// The name of station i's day file for day d with the given extension.
bool DayFileName(int station, int day, const char *extension, char *name, size_t size) {
    return JoinText(name, size, stationPrefixes[station], dayDates[day], extension);
}

// Whether Temp's file of this name is the copy that its list names.
bool IsOwnCopy(const char *adamsFolder, const char *name, const ListedNames &copies) {
    char copy[FolderBufferSize];
    WIN32_FILE_ATTRIBUTE_DATA status;
    return JoinText(copy, sizeof copy, adamsFolder, "\\Temp\\", name) &&
           GetFileAttributesExA(copy, GetFileExInfoStandard, &status) &&
           IsPlainFile(status.dwFileAttributes) &&
           copies.Holds(name, FileSize(status.nFileSizeHigh, status.nFileSizeLow),
                        FileTicks(status.ftLastWriteTime));
}
} // namespace

void RestoreDayFile(const char *fileName) {
    char folder[FolderBufferSize], source[FolderBufferSize], target[FolderBufferSize];
    if (ReadAdamsFolder(folder) != 1 ||
        !JoinText(source, sizeof source, folder, "\\Temp\\", fileName) ||
        !JoinText(target, sizeof target, folder, "\\", fileName))
        return;
    // Never over a file that appeared since it was found missing (the
    // receiver's new one): the start-up copy is older.
    CopyWholeFile(source, target, true);
}

void RestoreAndCountDayFiles(const char *adamsFolder, int stations) {
    // Only the program's own copies come back: a user's file in a Temp that
    // is not the program's is no day file (StartUpCopy.h).
    ListedNames copies;
    bool own = InspectTemp(adamsFolder, &copies) == TempKind::Own;
    for (int i = 0; i < stations; ++i) {
        for (int d = 0; d < DayWindowLength; ++d) {
            for (const char *extension : {".ep1", ".ept"}) {
                char name[FolderBufferSize], path[FolderBufferSize];
                if (!DayFileName(i, d, extension, name, sizeof name) ||
                    !JoinText(path, sizeof path, adamsFolder, "\\", name))
                    continue;
                if (!IsFile(path) && own && IsOwnCopy(adamsFolder, name, copies))
                    RestoreDayFile(name);
                if (IsFile(path))
                    ++dayFileCounts[i][d];
            }
        }
    }
}

void ReadStationName(const char *fileName, char *stationName) {
    char folder[FolderBufferSize], base[FolderBufferSize];
    if (ReadAdamsFolder(folder) != 1)
        return;
    CopyBaseName(fileName, base, sizeof base);
    char temporaryName[FolderBufferSize], temporary[FolderBufferSize], source[FolderBufferSize];
    if (!JoinText(temporaryName, sizeof temporaryName, base, ".tmp") ||
        !JoinText(temporary, sizeof temporary, folder, "\\Temp\\", temporaryName) ||
        !JoinText(source, sizeof source, folder, "\\", fileName))
        return;
    // Written only into the program's own Temp, and listed first, so that
    // its removal knows it (StartUpCopy.h).
    if (!ClaimTempFile(folder, temporaryName))
        return;
    if (DecodeReceivedFile(source, temporary) != 1)
        return;
    try {
        CFile file(temporary, CFile::modeRead | CFile::shareCompat);
        // The name's length at offset 11 and at most 255 bytes of name after it.
        uint8_t content[12 + 255];
        UINT got = file.Read(content, sizeof content);
        StationNameFromContent(content, got, stationName);
        file.Close();
        CFile::Remove(temporary);
    } catch (const CFileException &) {
        // The name stays empty; the temporary file goes with the start-up copy.
    }
}

int EvaluateDayFiles(int stations) {
    return JudgeWeek(
        stations, [](int i) { return dayFileCounts[i]; },
        [](int i, int firstComplete) {
            // An unusual pattern matters only for a station that the user has.
            char name[FolderBufferSize];
            if (!DayFileName(i, firstComplete, ".ep1", name, sizeof name))
                return true;
            char stationName[StationNameSize] = {};
            ReadStationName(name, stationName);
            return FindStationName(stationName) == 0;
        });
}

int CheckDayFiles() {
    ResetTables();
    BuildDayDates(CurrentTime(), dayDates);
    char folder[FolderBufferSize], pattern[FolderBufferSize];
    if (ReadAdamsFolder(folder) != 1 || !JoinText(pattern, sizeof pattern, folder, "\\*.ep1"))
        return 0;
    ForEachEntry(pattern, [](const WIN32_FIND_DATAA &entry) {
        char base[FolderBufferSize];
        CopyBaseName(entry.cFileName, base, sizeof base);
        NoteStation(base);
    });
    if (prefixCount == 0)
        return 0; // no day files

    PurgeDayFiles(folder);
    RestoreAndCountDayFiles(folder, prefixCount);
    int verdict = EvaluateDayFiles(prefixCount);
    // Stations beyond the tables were not judged: the week cannot count as complete.
    return stationsLeftOut ? 0 : verdict;
}
