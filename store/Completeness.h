// One pass over the ADAMS folder: purge outdated day files, restore vanished
// ones from the start-up copy, and judge whether the coming week's guide
// data is complete for the user's stations.
#pragma once
#include "DayFiles.h"
#include "Limits.h"
#include <cstdint>

constexpr int CountRowSize = 10; // eight day counters, two bytes unused

// The tables of the last pass, rebuilt by each pass.
extern char dayDates[DayWindowLength][DateFieldSize];
extern char stationPrefixes[MaxStations][PrefixSize];
extern int prefixCount;
// Per station and day: how many of its ".ep1" and ".ept" files exist (0 to 2).
extern uint8_t dayFileCounts[MaxStations][CountRowSize];
// Set when the folder held day files of more stations than the tables hold.
extern bool stationsLeftOut;

// 1 when the coming week is complete for every station that matters, 0 when
// it is not or when there are no day files.
int CheckDayFiles();
// Restores each station's missing ".ep1" and ".ept" files of the window from
// the start-up copy (those that its list names), then counts the ones present.
void RestoreAndCountDayFiles(const char *adamsFolder, int stations);
// Copies a day file from the start-up copy back into the ADAMS folder.
void RestoreDayFile(const char *fileName);
// The judgement over the counted stations.
int EvaluateDayFiles(int stations);
// Reads the station name from a decoded ".ep1" day file into the cleared
// 26-byte buffer; a longer name is cut to 25 bytes at a character boundary.
void ReadStationName(const char *fileName, char *stationName);
