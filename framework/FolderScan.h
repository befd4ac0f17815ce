// Enumeration of the entries that match a wildcard pattern.
#pragma once
#include "Cp932.h"
#include "FileTime.h"
#include <windows.h>
#include <cstdint>
#include <ctime>

// Owns a search handle of FindFirstFileA: closed when it goes, also when an
// exception passes.
class FindHandle {
public:
    FindHandle(const char *pattern, WIN32_FIND_DATAA &entry)
        : handle(FindFirstFileA(pattern, &entry)) {}
    ~FindHandle() {
        if (handle != INVALID_HANDLE_VALUE)
            FindClose(handle);
    }
    FindHandle(const FindHandle &) = delete;
    FindHandle &operator=(const FindHandle &) = delete;
    bool Found() const { return handle != INVALID_HANDLE_VALUE; }
    bool Next(WIN32_FIND_DATAA &entry) { return FindNextFileA(handle, &entry) != FALSE; }

private:
    HANDLE handle;
};

// Calls visit(entry) for each entry that matches pattern ("." and ".." too),
// in the order the file system returns them. A name that is not one path
// part (IsOnePathPart) is passed over: joined to its folder it would name
// another place. Returns false when nothing matches.
template <typename Visit> bool ForEachEntry(const char *pattern, Visit visit) {
    WIN32_FIND_DATAA entry;
    FindHandle search(pattern, entry);
    if (!search.Found())
        return false;
    do {
        if (IsOnePathPart(entry.cFileName))
            visit(entry);
    } while (search.Next(entry));
    return true;
}

// A file of its own: neither a folder nor a link (a reparse point) to
// something elsewhere.
inline bool IsPlainFile(DWORD attributes) {
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
}

// True when path names an existing file (not a folder).
inline bool IsFile(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A file time as its count of 100 ns steps since 1601.
inline uint64_t FileTicks(const FILETIME &fileTime) {
    return (uint64_t)fileTime.dwHighDateTime << 32 | fileTime.dwLowDateTime;
}

// A file time as seconds since 1970.
inline time_t FileTimeToTime(const FILETIME &fileTime) {
    return TicksToTime(FileTicks(fileTime));
}

// A file's size as the listings and attribute queries give it.
inline uint64_t FileSize(DWORD high, DWORD low) {
    return (uint64_t)high << 32 | low;
}
