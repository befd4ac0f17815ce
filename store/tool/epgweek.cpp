// epgweek: which station of an ADAMS folder lacks which day of the week,
// what the purge would delete, and whether the week counts as complete, by
// the rules of the program's completeness check. Read-only: the folder is
// never changed (received files are decoded in memory).
#include "ChannelRecords.h"
#include "LocalTime.h"
#include "CopyList.h"
#include "WeekFolderAccess.h"
#include "WeekReport.h"
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

enum ExitCode { exitComplete = 0, exitIncomplete = 1, exitFailed = 2 };

const char usageText[] =
    "usage: epgweek [--date YYYY-MM-DD] [--channels CHTABLE] [--json] ADAMS_FOLDER\n"
    "\n"
    "Reports, for each station of the ADAMS folder's day files, which of the\n"
    "eight days from the date (today by default) have their .ep1, .ep2 and\n"
    ".ept files, how the station counts, which files the purge would delete,\n"
    "and whether the week is complete, as the EPG data program would judge it.\n"
    "CHTABLE is the user's channel table (ChTable.dat); on Windows it is found\n"
    "where the program finds it when the option is left out. Nothing in the\n"
    "folder is changed.\n"
    "Exit status: 0 complete, 1 incomplete, 2 the folder or the channel table\n"
    "cannot be read, or the command line is wrong.\n";

struct Options {
    std::string folder;
    std::string channels;
    bool json = false;
    time_t now = 0;
};

int Fail(const std::string &file, const std::string &cause) {
    std::fprintf(stderr, "epgweek: %s: %s\n", file.c_str(), cause.c_str());
    return exitFailed;
}

// Noon of the given local date, so that the window starts on that day.
bool ParseDate(const char *text, time_t &moment) {
    int year, month, day;
    char extra;
    if (std::sscanf(text, "%4d-%2d-%2d%c", &year, &month, &day, &extra) != 3 || month < 1 ||
        month > 12 || day < 1 || day > 31)
        return false;
    tm fields = {};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = 12;
    moment = LocalMomentOf(fields);
    tm back; // a day that the month does not have comes back as another
    return moment != (time_t)-1 && LocalFields(moment, back) && back.tm_mday == day &&
           back.tm_mon == month - 1;
}

bool ParseOptions(int argc, char **argv, Options &options) {
    options.now = std::time(nullptr);
    for (int i = 1; i < argc; ++i) {
        std::string argument = argv[i];
        if (argument == "--json") {
            options.json = true;
        } else if (argument == "--date" && i + 1 < argc) {
            if (!ParseDate(argv[++i], options.now))
                return false;
        } else if (argument == "--channels" && i + 1 < argc) {
            options.channels = argv[++i];
        } else if (argument.compare(0, 2, "--") == 0 || !options.folder.empty()) {
            return false;
        } else {
            options.folder = argument;
        }
    }
    return !options.folder.empty();
}

std::string JsonText(const std::string &utf8) {
    std::string quoted = "\"";
    for (unsigned char c : utf8) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += (char)c;
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            quoted += escaped;
        } else {
            quoted += (char)c;
        }
    }
    return quoted + "\"";
}

const char *Bool(bool value) {
    return value ? "true" : "false";
}

void PrintJson(const WeekCoverage &week) {
    std::printf("{\"days\": [");
    for (int d = 0; d < DayWindowLength; ++d)
        std::printf("%s\"%s\"", d ? ", " : "", week.dates[d]);
    std::printf("], \"stations\": [");
    for (size_t i = 0; i < week.stations.size(); ++i) {
        const StationCoverage &station = week.stations[i];
        std::printf("%s{\"prefix\": %s, \"name\": %s, \"inChannelTable\": %s, \"days\": [",
                    i ? ", " : "", JsonText(Utf8FromCp932(station.prefix)).c_str(),
                    JsonText(Utf8FromCp932(station.name)).c_str(), Bool(station.inChannelTable));
        for (int d = 0; d < DayWindowLength; ++d) {
            const DayCoverage &day = station.days[d];
            std::printf("%s{\"ep1\": %s, \"ep2\": %s, \"ept\": %s}", d ? ", " : "", Bool(day.ep1),
                        Bool(day.ep2), Bool(day.ept));
        }
        std::printf("], \"completeDays\": %d, \"judgement\": \"%s\"}", station.completeDays,
                    JudgementText(station.judgement));
    }
    std::printf("], \"wouldPurge\": [");
    for (size_t i = 0; i < week.wouldPurge.size(); ++i)
        std::printf("%s{\"file\": %s, \"reason\": \"%s\"}", i ? ", " : "",
                    JsonText(Utf8FromCp932(week.wouldPurge[i].file)).c_str(),
                    PurgeReasonText(week.wouldPurge[i].reason));
    std::printf("], \"stationsLeftOut\": [");
    for (size_t i = 0; i < week.stationsLeftOut.size(); ++i)
        std::printf("%s%s", i ? ", " : "",
                    JsonText(Utf8FromCp932(week.stationsLeftOut[i])).c_str());
    std::printf("], \"clockBehind\": %s, \"complete\": %s}\n", Bool(week.clockBehind),
                Bool(week.complete));
}

const char *JudgementWords(CoverageJudgement judgement) {
    switch (judgement) {
    case CoverageJudgement::AllDays:
        return "complete: all eight days";
    case CoverageJudgement::TodayPair:
        return "complete: two days with today or tomorrow";
    case CoverageJudgement::NoCompleteDay:
        return "INCOMPLETE: no complete day";
    case CoverageJudgement::InTable:
        return "INCOMPLETE: days missing, and the station is in the channel table";
    case CoverageJudgement::NotInTable:
        return "passed over: days missing, but not in the channel table";
    }
    return "";
}

// A table a person reads at a glance: a row per station, a column per day.
void PrintTable(const Options &options, const WeekCoverage &week) {
    std::printf("ADAMS folder %s, the week from %s\n\n", options.folder.c_str(), week.dates[0]);
    std::printf("station ");
    for (const char *date : week.dates)
        std::printf(" %s", date);
    std::printf("  days  table  name\n");
    for (const StationCoverage &station : week.stations) {
        std::printf("%-8s", station.prefix.c_str());
        for (const DayCoverage &day : station.days)
            std::printf(" %c%c%c ", day.ep1 ? '1' : '-', day.ep2 ? '2' : '-', day.ept ? 't' : '-');
        std::printf("  %d/8   %-5s  %s\n", station.completeDays,
                    station.inChannelTable ? "yes" : "no", ForConsole(station.name).c_str());
        std::printf("         %s\n", JudgementWords(station.judgement));
    }
    if (week.stations.empty())
        std::printf("(no day files)\n");
    std::printf("\n1 .ep1, 2 .ep2, t .ept present; a day is complete with its .ep1 and .ept.\n");
    for (const std::string &prefix : week.stationsLeftOut)
        std::printf("not judged (more than twenty stations): %s\n", prefix.c_str());
    if (week.clockBehind)
        std::printf("\nthe clock is behind: a day file was made more than a day after now, "
                    "so the purge would delete nothing\n");
    if (!week.wouldPurge.empty()) {
        std::printf("\nthe purge would delete:\n");
        for (const PurgeCandidate &file : week.wouldPurge)
            std::printf("  %-20s %s\n", ForConsole(file.file).c_str(),
                        file.reason == PurgeReason::OutsideWindow ? "date outside the window"
                                                                  : "older than ten days");
    }
    std::printf("\nthe week is %s\n", week.complete ? "complete" : "incomplete");
}

} // namespace

int main(int argc, char **argv) {
    Options options;
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(usageText, stdout);
        return exitComplete;
    }
    if (!ParseOptions(argc, argv, options)) {
        std::fputs(usageText, stderr);
        return exitFailed;
    }

    std::string cause;
    std::string tablePath = options.channels;
    if (tablePath.empty() && !RegisteredChannelTable(tablePath, cause))
        return Fail("channel table", cause);
    std::vector<uint8_t> table;
    if (!ReadBytes(tablePath, table, cause, ChannelTableReadSize))
        return Fail(tablePath, "cannot read: " + cause);
    ChannelList channels;
    ParseChannelTable(table.data(), table.size(), &channels);

    WeekFolder folder;
    if (!ListFiles(options.folder, folder.files, cause))
        return Fail(options.folder, "cannot read: " + cause);
    // The pass restores only what the start-up copy's list names, and only
    // from a Temp of the program's own (CopyList.h).
    std::vector<FolderEntry> copied;
    std::vector<uint8_t> listText;
    std::string copyFolder = JoinPath(options.folder, "Temp");
    ListedNames listed;
    if (!IsLink(copyFolder) && ListFiles(copyFolder, copied, cause) &&
        ReadBytes(JoinPath(copyFolder, CopyListName), listText, cause)) {
        listed.AddFromText(std::string(listText.begin(), listText.end()));
        for (const FolderEntry &entry : copied)
            if (listed.Holds(entry.name.c_str(), entry.size, entry.writtenTicks))
                folder.startUpCopy.push_back(entry.name);
    }
    folder.read = [&](const std::string &name, bool fromCopy, std::vector<uint8_t> &bytes) {
        std::string ignored;
        return ReadBytes(JoinPath(fromCopy ? copyFolder : options.folder, name), bytes, ignored);
    };

    WeekCoverage week = ReportWeek(folder, options.now, [&](const char *name) {
        return HasStationName(channels, name, CompareNames);
    });
    if (options.json)
        PrintJson(week);
    else
        PrintTable(options, week);
    return week.complete ? exitComplete : exitIncomplete;
}
