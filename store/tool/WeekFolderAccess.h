// What epgweek reads from the system: a folder's files, a file's bytes, the
// channel table's place, and text converted for output. Windows and POSIX
// each have their side here; the report itself knows neither.
#pragma once
#include "WeekReport.h"
#include <string>
#include <vector>

// The files directly in folder, in the order the system lists them, with
// their creation times (the last write where the system keeps no creation
// time). False with a cause when the folder cannot be read.
bool ListFiles(const std::string &folder, std::vector<FolderEntry> &files, std::string &cause);
bool ReadBytes(const std::string &path, std::vector<uint8_t> &bytes, std::string &cause,
               size_t limit = (size_t)-1);
// Whether path is a link (a junction or a symbolic link) rather than a folder of its own.
bool IsLink(const std::string &path);
// folder + separator + name.
std::string JoinPath(const std::string &folder, const std::string &name);
// The registered channel table's path, as the program forms it; false with
// a cause when it is not registered (always false off Windows).
bool RegisteredChannelTable(std::string &path, std::string &cause);
// Compares two station names as the program does (0: equal).
int CompareNames(const char *a, const char *b);
// Code page 932 text as UTF-8.
std::string Utf8FromCp932(const std::string &text);
// Code page 932 text as the console shows it: itself on Windows, UTF-8 elsewhere.
std::string ForConsole(const std::string &text);
