// The start-up copy of the ADAMS folder in its "\Temp\", made when the
// program starts and removed when it ends; which files of Temp are the
// program's, and why, is told in StartUpCopy.h.
#include "EpgApp.h"
#include "File.h"
#include "FolderScan.h"
#include "Path.h"
#include "Registry.h"
#include "StartUpCopy.h"
#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace {
// The copies in Temp are the program's own. One that is read-only, as its
// original was, must neither keep a later start-up copy from replacing it
// (a copy that was not renewed would be restored over newer data) nor
// outlive the run.
void MakeWritable(const char *path, DWORD attributes) {
    if (attributes & FILE_ATTRIBUTE_READONLY)
        SetFileAttributesA(path, attributes & ~FILE_ATTRIBUTE_READONLY);
}
bool IsCopyList(const char *name) {
    return LowerCp932(name) == LowerCp932(CopyListName);
}
} // namespace

void CEpgApp::BackupAdamsFolder() {
    char folder[FolderBufferSize];
    if (ReadAdamsFolder(folder) != 1)
        return;
    ListedNames listed;
    TempKind kind = InspectTemp(folder, &listed);
    if (kind == TempKind::Foreign || (kind == TempKind::Missing && !CreateOwnTemp(folder)))
        return;
    char pattern[FolderBufferSize];
    // What a Temp that an earlier run left holds, by name (LowerCp932): which
    // entries are copies of the program's, and the attributes of each.
    std::map<std::string, std::pair<bool, DWORD>> before;
    if (kind == TempKind::Own && JoinText(pattern, sizeof pattern, folder, "\\Temp\\*.*"))
        ForEachEntry(pattern, [&](const WIN32_FIND_DATAA &entry) {
            bool own =
                IsPlainFile(entry.dwFileAttributes) &&
                listed.Holds(entry.cFileName, FileSize(entry.nFileSizeHigh, entry.nFileSizeLow),
                             FileTicks(entry.ftLastWriteTime));
            before[LowerCp932(entry.cFileName)] = {own, entry.dwFileAttributes};
        });

    // What is copied: the plain files directly in the folder, but none whose
    // name in Temp is taken by something that is not a copy of the program's.
    std::vector<ListedFile> copies;
    if (!JoinText(pattern, sizeof pattern, folder, "\\*.*"))
        return;
    ForEachEntry(pattern, [&](const WIN32_FIND_DATAA &entry) {
        if (!IsPlainFile(entry.dwFileAttributes) || IsCopyList(entry.cFileName))
            return;
        auto there = before.find(LowerCp932(entry.cFileName));
        if (there != before.end() && !there->second.first)
            return;
        // A copy keeps its original's size and time of last write.
        copies.push_back({entry.cFileName, true, FileSize(entry.nFileSizeHigh, entry.nFileSizeLow),
                          FileTicks(entry.ftLastWriteTime)});
    });
    // Listed first: a copy that a power cut interrupts is still known as the program's.
    if (!ListFiles(folder, copies))
        return;
    for (const ListedFile &copy : copies) {
        char source[FolderBufferSize], target[FolderBufferSize];
        // A path that does not fit is not used: cut, it could name another file.
        if (!JoinText(source, sizeof source, folder, "\\", copy.name.c_str()) ||
            !JoinText(target, sizeof target, folder, "\\Temp\\", copy.name.c_str()))
            continue;
        auto there = before.find(LowerCp932(copy.name));
        if (there != before.end())
            MakeWritable(target, there->second.second);
        CopyWholeFile(source, target, false); // a copy cut short is never restored
    }
}

void CEpgApp::RemoveAdamsBackup() {
    char folder[FolderBufferSize];
    if (ReadAdamsFolder(folder) != 1)
        return;
    ListedNames listed;
    char pattern[FolderBufferSize];
    if (InspectTemp(folder, &listed) != TempKind::Own ||
        !JoinText(pattern, sizeof pattern, folder, "\\Temp\\*.*"))
        return;

    // Deletes an entry of Temp if it is a copy of the program's; true when it went.
    auto removeCopy = [&](const WIN32_FIND_DATAA &entry) {
        if (!IsPlainFile(entry.dwFileAttributes) ||
            !listed.Holds(entry.cFileName, FileSize(entry.nFileSizeHigh, entry.nFileSizeLow),
                          FileTicks(entry.ftLastWriteTime)))
            return false;
        // Names such as .abc, whose base is empty or ".", are spared.
        // So is a name whose path does not fit: cut, it could name another file.
        char baseName[FolderBufferSize], file[FolderBufferSize];
        CopyBaseName(entry.cFileName, baseName, sizeof baseName);
        if (baseName[0] == '\0' || strcmp(baseName, ".") == 0 ||
            !JoinText(file, sizeof file, folder, "\\Temp\\", entry.cFileName))
            return false;
        MakeWritable(file, entry.dwFileAttributes);
        try {
            CFile::Remove(file);
            return true;
        } catch (const CFileException &) {
            return false; // in use: it stays, and so do the list and Temp
        }
    };
    // The list stays while anything else is left in Temp, the program's or
    // another's: Temp is then still the program's at the next start.
    bool somethingLeft = false;
    ForEachEntry(pattern, [&](const WIN32_FIND_DATAA &entry) {
        if (strcmp(entry.cFileName, ".") != 0 && strcmp(entry.cFileName, "..") != 0 &&
            !IsCopyList(entry.cFileName) && !removeCopy(entry))
            somethingLeft = true;
    });
    if (!somethingLeft)
        RemoveOwnTemp(folder);
}
