// The list that the program keeps in the start-up copy's folder "Temp" of
// every file it made there (StartUpCopy.h says why): its name and its text,
// one name a line, each ended by CR LF. Plain C++, for the program and for
// epgweek.
#pragma once
#include <set>
#include <string>

// The list's file name in Temp. No file of that name is copied.
extern const char CopyListName[];

// The names a list holds, compared as the file system compares letters A to
// Z (LowerCp932). A line that a full disk or a power cut left without its
// CR LF names nothing.
class ListedNames {
public:
    void AddFromText(const std::string &text);
    void Add(const std::string &name);
    bool Holds(const char *name) const;
    bool Empty() const { return names.empty(); }

private:
    std::set<std::string> names; // lower-cased
};
