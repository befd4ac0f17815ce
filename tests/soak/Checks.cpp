// The invariants checked after every run of the campaign, one function each:
//   I1 the run ends by itself, and no message box waits unattended (seen
//      while the run is driven);
//   I2 no file is lost, and nothing outside the ADAMS folder changes;
//   I3 "Temp" goes, and no stale copy comes back;
//   I4 the scheduler's record is well formed;
//   I5 the tuner is free for the next program;
//   I6 one instance at a time: the single-instance mutex went with its process.
#include "Campaign.h"
#include "Cp932.h"
#include "FolderScan.h"
#include "LocalTime.h"
#include "ReceivedCheck.h"
#include "DataCastReception.h"
#include <algorithm>
#include <sstream>

namespace {
// The state of a file by its name, whatever the case of its letters.
const FileState *Find(const FolderState &folder, const std::string &name) {
    std::string lower = LowerCp932(name);
    for (const auto &entry : folder)
        if (LowerCp932(entry.first) == lower)
            return &entry.second;
    return nullptr;
}

// The files that the receiver's log says it wrote in this run, by folder.
void ReceiverFiles(const std::string &log, const std::vector<std::string> &prefixes, time_t started,
                   std::vector<std::string> &adams, bool &guideDataMarked) {
    guideDataMarked = false;
    for (const std::string &line : LogLines(log, "note step ")) {
        int step = -1;
        if (sscanf(line.c_str() + line.find("note step ") + 10, "%d", &step) != 1)
            continue;
        if (step == 0)
            adams.push_back("Ep000001.tct");
        else if (step >= 1 && step <= 8)
            for (const std::string &prefix : prefixes)
                for (const char *extension : {".ep1", ".ep2", ".ept"})
                    adams.push_back(prefix + DateField(step - 1, started) + extension);
        else if (step == 9)
            guideDataMarked = true;
    }
}

std::string Names(const FolderState &folder) {
    std::string names;
    for (const auto &entry : folder)
        names += (names.empty() ? "" : " ") + entry.first;
    return names;
}

uint16_t Word(const std::string &record, size_t offset) {
    return (uint16_t)((unsigned char)record[offset] | (unsigned char)record[offset + 1] << 8);
}

bool IsLeapYear(int year) {
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

// Day of the week of a date, 0 for Sunday.
int Weekday(int year, int month, int day) {
    static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 3)
        --year;
    return (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
}
} // namespace

uint64_t Digest(const std::string &bytes) {
    uint64_t hash = 1469598103934665603ULL;
    for (unsigned char c : bytes)
        hash = (hash ^ c) * 1099511628211ULL;
    return hash;
}

FolderState ReadFolderState(const std::string &folder) {
    FolderState state;
    ForEachEntry((folder + "\\*").c_str(), [&](const WIN32_FIND_DATAA &entry) {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            return;
        FileState file;
        file.size = FileSize(entry.nFileSizeHigh, entry.nFileSizeLow);
        file.written = FileTicks(entry.ftLastWriteTime);
        file.attributes = entry.dwFileAttributes;
        try {
            file.digest = Digest(ReadWholeFile(folder + "\\" + entry.cFileName));
        } catch (const std::exception &) {
            file.digest = 0; // held open by another program
        }
        state[entry.cFileName] = file;
    });
    return state;
}

// What the receiver writes for a day file today: day file name -> digest.
void Campaign::LearnReceiverFiles() {
    receiverDigests.clear();
    for (int day = 0; day < 8; ++day) {
        tm fields;
        LocalFields(time(nullptr) + (time_t)day * 86400, fields);
        DayDate date = {fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, {}};
        lstrcpynA(date.field, DateField(day).c_str(), sizeof date.field);
        for (const std::string &prefix : prefixes) {
            FeedStation fed = {prefix, StationName(prefix)};
            for (ReceivedKind kind : {KindEp1, KindEp2, KindEpt}) {
                std::string file;
                EncodeReceivedFile(kind, DayFileContent(kind, fed, date), file);
                receiverDigests[LowerCp932(DayFileName(fed, date, kind))] = Digest(file);
            }
        }
    }
}

void Campaign::Check(const Draw &draw, RunRecord &record) {
    FolderState after = ReadFolderState(adams);
    CheckEndsByItself(record);
    CheckNothingLost(draw, after, record);
    CheckTempGone(draw, after, record);
    CheckSchedulerRecord(draw, record);
    CheckTunerFree(draw, record);
    CheckSingleInstance(record);
}

// I1: what the drive saw: a box that waited in an automatic run, a run that did not end.
void Campaign::CheckEndsByItself(RunRecord &record) const {
    for (const std::string &box : record.waitingBoxes)
        record.breaks.push_back("I1: a message box waits in an automatic run: " + box);
    if (!record.notEnded.empty())
        record.breaks.push_back("I1: " + record.notEnded);
}

// I2: every file that was there is there, but for the day sets that the
// purge removes: dated outside the window, or with an ".ep1" older than ten
// days; with the clock behind the day files, none. Every file that a user
// put in a Temp, or beside it in a drive's root, is there as it was; the EPG
// data folder, the EPG Temp folder and the channel table are as they were.
void Campaign::CheckNothingLost(const Draw &draw, const FolderState &after,
                                RunRecord &record) const {
    auto broke = [&](const std::string &what) { record.breaks.push_back("I2: " + what); };
    time_t now = time(nullptr);
    std::vector<std::string> window;
    for (time_t moment : {runStarted, now})
        for (int day = 0; day < 8; ++day)
            window.push_back(DateField(day, moment));
    const uint64_t tenDaysAgo = FileTicks(FileTimeOf(now - 10 * 86400));
    for (const auto &entry : adamsBefore) {
        const std::string &name = entry.first;
        if (Find(after, name) || name.compare(0, 10, "~DataCast-") == 0)
            continue;
        bool purged = false;
        if (IsDayFileName(name)) {
            const FileState *leader = Find(adamsBefore, name.substr(0, 8) + ".ep1");
            bool outside =
                std::find(window.begin(), window.end(), name.substr(4, 4)) == window.end();
            bool aged = leader && leader->written < tenDaysAgo;
            purged = leader && (outside || aged) && !draw.Has(FaultClockBehind);
        }
        if (!purged)
            broke(name + " was lost from the ADAMS folder" +
                  (draw.Has(FaultClockBehind) ? ", with the clock behind" : ""));
    }
    std::vector<std::string> written;
    bool guideDataMarked = false;
    ReceiverFiles(record.receiverLog, prefixes, runStarted, written, guideDataMarked);
    for (const std::string &name : written)
        if (!Find(after, name))
            broke("the receiver's " + name + " is gone");
    for (const auto &file : usersFiles)
        if (!FileExists(file.first) || Digest(ReadWholeFile(file.first)) != file.second)
            broke("the user's " + file.first +
                  (FileExists(file.first) ? " was changed" : " was deleted"));
    const FolderState epgData = ReadFolderState(installation.epgData.Path());
    for (const FolderState *side : {&epgDataBefore, &epgData})
        for (const auto &entry : *side) {
            const FileState *before = Find(epgDataBefore, entry.first);
            const FileState *now = Find(epgData, entry.first);
            bool marked = guideDataMarked && LowerCp932(entry.first) == "ep000001.tct";
            if (!marked && (!before || !now || before->digest != now->digest))
                broke("the EPG data folder's " + entry.first + " changed");
        }
    if (ReadWholeFile(installation.channels / "ChTable.dat") != channelTableBefore)
        broke("the channel table changed");
    // The decoded schedule the program writes into the EPG Temp folder goes
    // again before a run ends by itself.
    FolderState epgTemp = ReadFolderState(installation.epgTemp.Path());
    bool sameTemp = epgTemp.size() == epgTempBefore.size();
    for (const auto &entry : epgTemp) {
        const FileState *before = Find(epgTempBefore, entry.first);
        sameTemp = sameTemp && before && before->digest == entry.second.digest;
    }
    if (!record.killed && !sameTemp)
        broke("the EPG Temp folder held " + Names(epgTempBefore) + " and now holds " +
              Names(epgTemp));
}

// I3: "Temp" is gone after a run that ended normally, unless a file in it
// was held open; no day file that was there is replaced by anything but
// what the receiver sends. (A day file that was not there at the start may
// come back from the copy an earlier run left: the last copy there is of a
// file that went while the program was not running.) A run that knows no
// ADAMS folder, or ends at the channel message before its start-up copy,
// leaves Temp as it found it. A Temp that holds a user's files stays, and so
// does one that is not the program's.
void Campaign::CheckTempGone(const Draw &draw, const FolderState &after, RunRecord &record) const {
    auto broke = [&](const std::string &what) { record.breaks.push_back("I3: " + what); };
    bool adamsKnown = !draw.Has(FaultNoAdamsValue) && !draw.Has(FaultMissingAdamsFolder) &&
                      !draw.Has(FaultAdamsRoot);
    std::string temp = adams + "\\Temp";
    if (!record.killed && adamsKnown && !record.channelMessage && !record.tempFileHeld &&
        !draw.Has(FaultUsersTemp) && FolderExists(temp))
        broke("Temp is still there after a run that ended normally, with " +
              Names(ReadFolderState(temp)));
    // Every day file that the run wrote or brought back is whole: a copy that
    // a full disk cut short would count as received.
    for (const auto &entry : after) {
        const FileState *before = Find(adamsBefore, entry.first);
        if (!IsDayFileName(entry.first) || entry.second.digest == 0 ||
            (before && before->digest == entry.second.digest))
            continue;
        std::string content;
        if (!DecodeForCheck(ReadWholeFile(adams + "\\" + entry.first), DayFileHeader, true,
                            content))
            broke(entry.first + " is not whole: it does not decode");
        if (!before)
            continue;
        auto received = receiverDigests.find(LowerCp932(entry.first));
        if (received == receiverDigests.end() || received->second != entry.second.digest)
            broke(entry.first + " was replaced by a copy that is neither what it held "
                                "nor what the receiver sends");
    }
}

// I4: the scheduler's record holds a window the dialog offers and a real
// date; an automatic run that renewed it leaves no next start before today;
// the manual choice is not written after the broadcast windows failed.
void Campaign::CheckSchedulerRecord(const Draw &draw, RunRecord &record) const {
    auto broke = [&](const std::string &what) { record.breaks.push_back("I4: " + what); };
    std::string recordPath = installation.scheduler / "Schedule.dat";
    // A record never written reads as all zeros.
    std::string stored = FileExists(recordPath) ? ReadWholeFile(recordPath) : std::string(128, 0);
    if (stored.size() != 128) {
        broke("the record is " + std::to_string(stored.size()) + " bytes");
    } else {
        int enabled = Word(stored, 70);
        int startHour = Word(stored, 76), startMinute = Word(stored, 78);
        int endHour = Word(stored, 80), endMinute = Word(stored, 82);
        int year = Word(stored, 84), month = Word(stored, 86), weekday = Word(stored, 88);
        int day = Word(stored, 90);
        std::ostringstream fields;
        fields << "enabled " << enabled << " window " << startHour << ":" << startMinute << "-"
               << endHour << ":" << endMinute << " next " << year << "/" << month << "/" << day
               << " dow " << weekday;
        bool windowSet = startHour || startMinute || endHour || endMinute;
        // The hour lists run from 6 to 24 without broadcast windows, and
        // from the first window's end (6) to the hour after the last
        // window's end (26) with them; the last hour takes only :00.
        auto hourOffered = [](int hour) { return hour >= 6 && hour <= 26; };
        auto minuteOffered = [](int minute) { return minute % 10 == 0 && minute <= 50; };
        if (enabled != 0 && enabled != 1)
            broke("the record's enabled word is not 0 or 1: " + fields.str());
        if ((windowSet || enabled == 1) &&
            (!hourOffered(startHour) || !hourOffered(endHour) || !minuteOffered(startMinute) ||
             !minuteOffered(endMinute) || (endHour == 26 && endMinute != 0) ||
             (enabled == 1 && startHour * 60 + startMinute >= endHour * 60 + endMinute)))
            broke("the record's window is not one the dialog offers: " + fields.str());
        static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
        bool dated = year || month || day;
        bool real = year >= 1980 && month >= 1 && month <= 12 && day >= 1 &&
                    day <= days[month - 1] + (month == 2 && IsLeapYear(year)) &&
                    weekday == Weekday(year, month, day) + 1;
        if (dated && !real)
            broke("the record's next start is not a real date: " + fields.str());
        SYSTEMTIME today;
        GetLocalTime(&today);
        bool renewed = !LogLines(record.schedulerLog, "WriteScheduleRecord").empty();
        if (draw.mode == Mode::Auto && !record.killed && renewed && real &&
            year * 10000 + month * 100 + day <
                today.wYear * 10000 + today.wMonth * 100 + today.wDay)
            broke("an automatic run's end left a next start before today: " + fields.str());
    }
    if (!record.manualStore)
        return;
    std::istringstream lines(record.schedulerLog);
    bool setFailed = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("SetBroadcastTimes") != std::string::npos &&
            line.find("-> 0") == std::string::npos)
            setFailed = true;
        else if (setFailed && line.find("WriteScheduleRecord") != std::string::npos)
            broke("the manual choice was written after the broadcast windows failed: " + line);
    }
}

// I5: the tuner is free, and the receiver went with the program.
void Campaign::CheckTunerFree(const Draw &draw, RunRecord &record) const {
    auto broke = [&](const std::string &what) { record.breaks.push_back("I5: " + what); };
    std::string tuner = installation.TunerState();
    if (tuner.find("tuner: free") == std::string::npos)
        broke("the tuner is not free after the run: " + tuner);
    if (tuner.find("registration: process " + std::to_string(record.processId) + " ") !=
        std::string::npos)
        broke("the program's registration outlived it");
    if (draw.Has(FaultPlantedReceiver) && !LogLines(record.receiverLog, " start ").empty())
        broke("the program named like the receiver in the current folder was started");
    if (HWND receiver = FindWindowA(nullptr, ReceiverTitle)) {
        broke("the receiver still runs after the program ended");
        PostMessageA(receiver, WM_CLOSE, 0, 0);
        WaitForWindowClosed(receiver, 5000);
    }
}

// I6: no run found the program still running, an automatic run did not end
// as a second instance would, and nobody holds the single-instance mutex now.
void Campaign::CheckSingleInstance(RunRecord &record) const {
    auto broke = [&](const std::string &what) { record.breaks.push_back("I6: " + what); };
    for (int box = 0; box < record.alreadyRunningBoxes; ++box)
        broke("a new run found the program still running");
    if (record.endedBeforeDialog)
        broke("the automatic run ended before its dialog appeared, as a second instance would");
    if (HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "PELMAR_RUNNING")) {
        broke("the single-instance mutex outlived its process");
        CloseHandle(mutex);
    }
}
