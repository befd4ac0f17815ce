// The sizes that the program, its tools and its tests share: the tables of
// the completeness pass, the receiver's window of days, and the buffers that
// folder values are read into. One place, so that the pass, the coverage
// report and the readers cannot disagree.
#pragma once

// Stations the completeness pass keeps tables for; a folder with more
// leaves the rest out, and the coverage report says so.
constexpr int MaxStations = 20;
constexpr int PrefixSize = 5; // a station's four-character prefix and a terminator
constexpr int DayWindowLength = 8; // today and the seven days after it
constexpr int DateFieldSize = 5;   // "MMDD" and its terminator
constexpr int StationNameSize = 26; // 25 bytes of name and a terminator
// A folder value read from the registry, with its terminator.
constexpr int FolderBufferSize = 256;
