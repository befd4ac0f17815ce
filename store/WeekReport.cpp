#include "WeekReport.h"
#include "Cp932.h"
#include "DecodeBody.h"
#include <algorithm>
#include <array>
#include <new>
#include <set>

namespace {
// The extension after the last dot, lower-cased ("" without one).
std::string ExtensionOf(const std::string &name) {
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? "" : LowerCp932(name.substr(dot + 1));
}

std::string BaseOf(const std::string &name) {
    size_t dot = name.find_last_of('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

// The folder as the pass leaves it: the purge's deletions, then its restores.
class TidiedFolder {
public:
    TidiedFolder(const WeekFolder &folder) : folder(folder) {
        for (const FolderEntry &entry : folder.files)
            present.insert(LowerCp932(entry.name));
        for (const std::string &name : folder.startUpCopy)
            copied.insert(LowerCp932(name));
    }
    bool Has(const std::string &name) const { return present.count(LowerCp932(name)) != 0; }
    void Delete(const std::string &name) { present.erase(LowerCp932(name)); }
    // A file that the pass restores from the start-up copy when it is missing.
    bool HasAfterRestore(const std::string &name) const {
        return Has(name) || copied.count(LowerCp932(name)) != 0;
    }
    // Reads a file where the pass would find it: in the folder, else restored.
    bool Read(const std::string &name, std::vector<uint8_t> &bytes) const {
        if (Has(name))
            return folder.read(name, false, bytes);
        return copied.count(LowerCp932(name)) != 0 && folder.read(name, true, bytes);
    }

private:
    const WeekFolder &folder;
    std::set<std::string> present, copied;
};

// The station name that a received ".ep1" carries; empty when it cannot be
// decoded, also when its content does not fit in memory (the program's own
// decode fails the same way, and the name stays empty there too).
std::string StationNameOf(const TidiedFolder &folder, const std::string &ep1) {
    try {
        std::vector<uint8_t> bytes;
        if (!folder.Read(ep1, bytes))
            return "";
        const FileKind &kind = *GetFileKind(2); // ep1
        size_t bodySize = 0;
        if (GetBodySize(kind, bytes.size(), &bodySize) != DecodeStatus::Ok)
            return "";
        std::vector<uint8_t> output(DecodeBufferSize(kind, bodySize));
        DecodedContent content = {};
        if (DecodeBody(kind, bytes.data() + HeaderLength(kind), bodySize, output.data(),
                       output.size(), &content) != DecodeStatus::Ok)
            return "";
        char name[StationNameSize];
        StationNameFromContent(content.data, content.size, name);
        return name;
    } catch (const std::bad_alloc &) {
        return "";
    }
}

void Purge(const WeekFolder &folder, time_t now,
           const char (&dates)[DayWindowLength][DateFieldSize], TidiedFolder &tidied,
           WeekCoverage &coverage) {
    for (const FolderEntry &entry : folder.files) {
        if (ExtensionOf(entry.name) != "ep1")
            continue;
        std::string base = BaseOf(entry.name);
        PurgeReason reason = PurgeReasonOf(base.c_str(), entry.created, now, dates);
        if (reason == PurgeReason::Kept)
            continue;
        // The set goes: its ".ep1", then the companions that exist.
        for (const char *extension : {".ep1", ".ep2", ".ept"}) {
            std::string name = extension[3] == '1' ? entry.name : base + extension;
            if (!tidied.Has(name))
                continue;
            coverage.wouldPurge.push_back({name, reason});
            tidied.Delete(name);
        }
    }
}

using DayCounts = std::array<uint8_t, DayWindowLength>;

// One station's days after the tidying; counts receives how many of each
// day's ".ep1" and ".ept" there are, as the pass counts them.
StationCoverage CoverStation(const std::string &prefix, const TidiedFolder &tidied,
                             const char (&dates)[DayWindowLength][DateFieldSize],
                             const std::function<bool(const char *)> &inChannelTable,
                             DayCounts &counts) {
    StationCoverage station = {prefix, "", false, {}, 0, CoverageJudgement::NoCompleteDay};
    counts = {};
    int firstEp1 = -1;
    for (int d = 0; d < DayWindowLength; ++d) {
        std::string base = prefix + dates[d];
        DayCoverage &day = station.days[d];
        day.ep1 = tidied.HasAfterRestore(base + ".ep1");
        day.ept = tidied.HasAfterRestore(base + ".ept");
        day.ep2 = tidied.Has(base + ".ep2"); // never restored
        counts[d] = (uint8_t)(day.ep1 + day.ept);
        if (day.ep1 && firstEp1 < 0)
            firstEp1 = d;
    }
    int firstComplete = -1;
    StationJudgement judged = JudgeStation(counts.data(), &firstComplete);
    for (uint8_t count : counts)
        station.completeDays += count == 2;
    int named = firstComplete >= 0 ? firstComplete : firstEp1;
    if (named >= 0)
        station.name = StationNameOf(tidied, prefix + dates[named] + ".ep1");
    station.inChannelTable = inChannelTable(station.name.c_str());
    switch (judged) {
    case StationJudgement::AllDays:
        station.judgement = CoverageJudgement::AllDays;
        break;
    case StationJudgement::TodayPair:
        station.judgement = CoverageJudgement::TodayPair;
        break;
    case StationJudgement::NoCompleteDay:
        station.judgement = CoverageJudgement::NoCompleteDay;
        break;
    case StationJudgement::LookUp:
        station.judgement =
            station.inChannelTable ? CoverageJudgement::InTable : CoverageJudgement::NotInTable;
        break;
    }
    return station;
}
} // namespace

WeekCoverage ReportWeek(const WeekFolder &folder, time_t now,
                        const std::function<bool(const char *)> &inChannelTable) {
    WeekCoverage coverage = {};
    BuildDayDates(now, coverage.dates);

    // The stations, listed before the purge as the pass lists them.
    std::vector<std::string> prefixes;
    for (const FolderEntry &entry : folder.files) {
        if (ExtensionOf(entry.name) != "ep1")
            continue;
        std::string prefix = BaseOf(entry.name).substr(0, 4);
        if (std::find(prefixes.begin(), prefixes.end(), prefix) != prefixes.end() ||
            std::find(coverage.stationsLeftOut.begin(), coverage.stationsLeftOut.end(), prefix) !=
                coverage.stationsLeftOut.end())
            continue;
        (prefixes.size() < (size_t)MaxStations ? prefixes : coverage.stationsLeftOut)
            .push_back(prefix);
    }

    TidiedFolder tidied(folder);
    for (const FolderEntry &entry : folder.files)
        coverage.clockBehind =
            coverage.clockBehind ||
            (HasDayFileExtension(entry.name.c_str()) &&
             (IsStampAhead(entry.created, now) || IsStampAhead(entry.written, now)));
    if (!coverage.clockBehind)
        Purge(folder, now, coverage.dates, tidied, coverage);
    std::vector<DayCounts> counts(prefixes.size());
    for (size_t i = 0; i < prefixes.size(); ++i)
        coverage.stations.push_back(
            CoverStation(prefixes[i], tidied, coverage.dates, inChannelTable, counts[i]));

    // No day files, or stations the pass could not judge: never complete.
    coverage.complete =
        !prefixes.empty() && coverage.stationsLeftOut.empty() &&
        JudgeWeek((int)counts.size(), [&](int i) { return counts[i].data(); },
                  [&](int i, int) { return coverage.stations[i].inChannelTable; }) == 1;
    return coverage;
}

const char *JudgementText(CoverageJudgement judgement) {
    switch (judgement) {
    case CoverageJudgement::AllDays:
        return "all-days";
    case CoverageJudgement::TodayPair:
        return "today-pair";
    case CoverageJudgement::NoCompleteDay:
        return "no-complete-day";
    case CoverageJudgement::InTable:
        return "in-table";
    case CoverageJudgement::NotInTable:
        return "not-in-table";
    }
    return "";
}

const char *PurgeReasonText(PurgeReason reason) {
    return reason == PurgeReason::OutsideWindow ? "outside-window" : "older-than-10-days";
}
