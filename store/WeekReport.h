// The week's coverage, as epgweek reports it: which station lacks which day
// of the window, what the purge would delete and why, and the verdict of
// the completeness check. Read-only: the folder is described, the pass that
// the program runs (purge, restore from the start-up copy, count, judge) is
// followed without changing anything, by the same rules (WeekRules.h).
#pragma once
#include "WeekRules.h"
#include <functional>
#include <string>
#include <vector>

struct FolderEntry {
    std::string name;
    time_t created;
    time_t written;
    uint64_t size;
    uint64_t writtenTicks; // the time of last write as FILETIME ticks (100 ns since 1601)
};

// What the report reads of an ADAMS folder.
struct WeekFolder {
    std::vector<FolderEntry> files;       // directly in the folder, in the order listed
    std::vector<std::string> startUpCopy; // names in its "Temp" subfolder
    // Reads a file of the folder (or of its start-up copy); false when it cannot.
    std::function<bool(const std::string &name, bool fromCopy, std::vector<uint8_t> &bytes)> read;
};

enum class CoverageJudgement { AllDays, TodayPair, NoCompleteDay, InTable, NotInTable };

struct DayCoverage {
    bool ep1, ep2, ept;
};

struct StationCoverage {
    std::string prefix;
    std::string name; // code page 932; empty when none could be read
    bool inChannelTable;
    DayCoverage days[DayWindowLength];
    int completeDays;
    CoverageJudgement judgement;
};

struct PurgeCandidate {
    std::string file;
    PurgeReason reason;
};

struct WeekCoverage {
    char dates[DayWindowLength][DateFieldSize];
    std::vector<StationCoverage> stations;    // in the order the pass lists them
    std::vector<std::string> stationsLeftOut; // prefixes beyond the pass's twenty
    std::vector<PurgeCandidate> wouldPurge;
    bool clockBehind; // a day file is from more than a day after now: nothing is purged
    bool complete;
};

// inChannelTable(name): whether the user's channel table holds the name.
WeekCoverage ReportWeek(const WeekFolder &folder, time_t now,
                        const std::function<bool(const char *)> &inChannelTable);

// "all-days", "today-pair", "no-complete-day", "in-table", "not-in-table".
const char *JudgementText(CoverageJudgement judgement);
// "outside-window", "older-than-10-days".
const char *PurgeReasonText(PurgeReason reason);
