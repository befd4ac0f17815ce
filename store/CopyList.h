// The list that the program keeps in the start-up copy's folder "Temp" of
// every file it made there (StartUpCopy.h says why). A line a file, ended by
// CR LF: its name, and for a copy, after a tab each, the size and the time
// of last write (FILETIME ticks) that the copy has, which are its
// original's. A file of a listed name that has another size or time is not
// the program's: somebody put it there in the copy's place. Plain C++, for
// the program and for epgweek.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <vector>

// The list's file name in Temp. No file of that name is copied.
extern const char CopyListName[];

// One file the list names: a copy with its stamp, or a file the program
// writes itself (its decoded station names), which has none.
struct ListedFile {
    std::string name;
    bool stamped;
    uint64_t size;
    uint64_t written;
};

// The lines that name these files, each ended by CR LF.
std::string ListLines(const std::vector<ListedFile> &files);

// What a list holds; names compare as the file system compares letters A to
// Z (LowerCp932), and a later line of a name stands for an earlier one. A
// line that a full disk or a power cut left without its CR LF names nothing.
class ListedNames {
public:
    void AddFromText(const std::string &text);
    // Whether the file of this name, size and time of last write is the program's.
    bool Holds(const char *name, uint64_t size, uint64_t written) const;
    // Whether a name is listed at all.
    bool Names(const char *name) const;

private:
    std::map<std::string, ListedFile> files; // by lower-cased name
};
