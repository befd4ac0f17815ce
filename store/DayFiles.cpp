#include "DayFiles.h"
#include "Clock.h"
#include "File.h"
#include "FolderScan.h"
#include "Path.h"
#include "Registry.h"
#include <cstring>

void DeleteDaySet(const char *adamsFolder, const char *ep1Path, const char *base) {
    char basePath[FolderBufferSize], ep2Path[FolderBufferSize], eptPath[FolderBufferSize];
    // A set whose companions cannot be named is left whole rather than split.
    if (!JoinText(basePath, sizeof basePath, adamsFolder, "\\", base) ||
        !JoinText(ep2Path, sizeof ep2Path, basePath, ".ep2") ||
        !JoinText(eptPath, sizeof eptPath, basePath, ".ept"))
        return;
    try {
        CFile::Remove(ep1Path);
        if (IsFile(ep2Path))
            CFile::Remove(ep2Path);
        if (IsFile(eptPath))
            CFile::Remove(eptPath);
    } catch (const CFileException &) {
        // Held open by the receiver, read-only...: the rest of this set stays.
    }
}

namespace {
// Calls judge(entry, ep1Path, base) for each ".ep1" file; false when there is none.
template <typename Judge> bool ForEachDaySet(const char *adamsFolder, Judge judge) {
    char pattern[FolderBufferSize];
    if (!JoinText(pattern, sizeof pattern, adamsFolder, "\\*.ep1"))
        return false;
    return ForEachEntry(pattern, [&](const WIN32_FIND_DATAA &entry) {
        char ep1Path[FolderBufferSize], base[FolderBufferSize];
        if (!JoinText(ep1Path, sizeof ep1Path, adamsFolder, "\\", entry.cFileName))
            return;
        CopyBaseName(entry.cFileName, base, sizeof base);
        judge(entry, ep1Path, base);
    });
}

// A clock that a dead battery set back would find every day set outside
// its window and delete the whole week, and the receiver's new files again
// at the next run. The day files tell: one created or last written more
// than a day after now was made by a clock that was ahead of this one.
bool ClockIsBehind(const char *adamsFolder, time_t now) {
    char pattern[FolderBufferSize];
    bool behind = false;
    if (JoinText(pattern, sizeof pattern, adamsFolder, "\\*.ep?"))
        ForEachEntry(pattern, [&](const WIN32_FIND_DATAA &entry) {
            behind = behind || (HasDayFileExtension(entry.cFileName) &&
                                (IsStampAhead(FileTimeToTime(entry.ftCreationTime), now) ||
                                 IsStampAhead(FileTimeToTime(entry.ftLastWriteTime), now)));
        });
    return behind;
}
} // namespace

void PurgeDayFiles(const char *adamsFolder) {
    if (ClockIsBehind(adamsFolder, CurrentTime()))
        return; // nothing is deleted; the rest of the pass goes on as usual
    char window[DayWindowLength][DateFieldSize];
    BuildDayDates(CurrentTime(), window);
    bool found = ForEachDaySet(
        adamsFolder, [&](const WIN32_FIND_DATAA &, const char *ep1Path, const char *base) {
            if (IsOutsideDayWindow(base, window))
                DeleteDaySet(adamsFolder, ep1Path, base);
        });
    if (!found)
        return;

    time_t now = CurrentTime();
    ForEachDaySet(adamsFolder,
                  [&](const WIN32_FIND_DATAA &entry, const char *ep1Path, const char *base) {
                      if (IsPastAgeLimit(FileTimeToTime(entry.ftCreationTime), now))
                          DeleteDaySet(adamsFolder, ep1Path, base);
                  });
}
