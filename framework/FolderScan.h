// Enumeration of the entries that match a wildcard pattern.
#pragma once
#include <windows.h>
#include <ctime>

// Calls visit(entry) for each entry that matches pattern ("." and ".." too),
// in the order the file system returns them. Returns false when nothing matches.
template <typename Visit> bool ForEachEntry(const char *pattern, Visit visit) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA(pattern, &entry);
    if (search == INVALID_HANDLE_VALUE)
        return false;
    do {
        visit(entry);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return true;
}

// True when path names an existing file (not a folder).
inline bool IsFile(const char *path) {
    DWORD attributes = GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A file time (100 ns steps since 1601) as seconds since 1970.
inline time_t FileTimeToTime(const FILETIME &fileTime) {
    ULARGE_INTEGER value;
    value.LowPart = fileTime.dwLowDateTime;
    value.HighPart = fileTime.dwHighDateTime;
    return (time_t)((LONGLONG)(value.QuadPart / 10000000ULL) - 11644473600LL);
}
