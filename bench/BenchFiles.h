// The clock and the file work that the Wine benchmarks share: writing test
// files, listing and emptying a folder.
#pragma once
#include "FolderScan.h"
#include <windows.h>
#include <set>
#include <string>

inline double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return (double)counter.QuadPart / (double)frequency.QuadPart;
}

inline void Write(const std::string &path, const std::string &content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, content.data(), (DWORD)content.size(), &written, nullptr);
    CloseHandle(file);
}

// The names of the files directly in the folder, sorted.
inline std::set<std::string> Listing(const std::string &folder) {
    std::set<std::string> names;
    ForEachEntry((folder + "\\*").c_str(), [&](const WIN32_FIND_DATAA &entry) {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            names.insert(entry.cFileName);
    });
    return names;
}

inline void RemoveFiles(const std::string &folder) {
    for (const std::string &name : Listing(folder))
        DeleteFileA((folder + "\\" + name).c_str());
}
