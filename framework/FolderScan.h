// Enumeration of the entries that match a wildcard pattern.
#pragma once
#include <windows.h>

// Calls visit(entry) for each entry that matches pattern ("." and ".." too),
// in the order the file system returns them. Returns false when nothing matches.
template <typename Visit> bool ForEachEntry(const char* pattern, Visit visit) {
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
