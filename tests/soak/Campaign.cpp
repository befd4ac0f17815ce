// The campaign's installation and what each run sets up and undoes: the
// day's state of the folders, a "Temp" left behind, the faults.
#include "Campaign.h"
#include "Reception.h"
#include <stdexcept>

namespace {
const char StandInsKey[] = "Software\\PackageStandIns\\";
const char *const schedulerSwitches[] = {"FailRead", "FailWrite", "FailSet"};
const char *const tunerSwitches[] = {"FailOpenEx", "FailOpenResource", "FailSetChannel"};
const unsigned tunerFaults[] = {FaultRegistration, FaultResourceRefused, FaultChannel};

// The broadcast: its stations ("PREFIX NAME") and today's windows.
const std::vector<std::string> stations = {"NHK1 ＮＨＫ総合", "NTV_ 日本テレビ", "TBS_ ＴＢＳ",
                                           "MX__ ＭＸテレビ"};
const std::vector<Window> broadcastWindows = {{6, 2, 6, 12},   {7, 2, 7, 12},   {12, 2, 12, 12},
                                              {19, 2, 19, 12}, {23, 2, 23, 12}, {25, 2, 25, 12}};

// A day set as an earlier day's reception left it: contents that differ
// from the receiver's own by their edition.
void WriteDaySet(const std::string &base, const std::string &name, int edition) {
    std::string tag = "edition " + std::to_string(edition) + "\r\n";
    std::string ep1 = std::string(11, 'h') + (char)(unsigned char)name.size() + name + "\r\n" + tag;
    for (const char *extension : {"ep1", "ep2", "ept"}) {
        std::string file;
        if (!EncodeReceivedFile(KindFromExtension(extension), extension[2] == '1' ? ep1 : tag,
                                file))
            throw std::runtime_error("cannot encode a day file");
        WriteFile(base + "." + extension, file);
    }
}
} // namespace

Campaign::Campaign() {
    for (const std::string &station : stations)
        prefixes.push_back(station.substr(0, 4));
    windows = broadcastWindows;
    installation.WriteFeed(stations, windows);
    // A reception of 2.5 s: runs end, and the receiver dies, in the middle
    // of one as often as after it.
    installation.SetSwitch("DataCast", "StepMilliseconds", 250);
    // Today's guide data and a whole week, as the days before left them.
    installation.WriteGuideData(time(nullptr));
    installation.WriteSchedule(windows);
    for (const std::string &station : stations)
        installation.WriteDayFiles(station.substr(0, 4), station.substr(5), {0, 1, 2, 3, 4, 5, 6, 7});
}

// What the receiver writes for a day file today: day file name -> digest.
void Campaign::LearnReceiverFiles() {
    receiverDigests.clear();
    for (int day = 0; day < 8; ++day) {
        time_t moment = time(nullptr) + (time_t)day * 86400;
        tm fields;
        localtime_s(&fields, &moment);
        DayDate date = {fields.tm_year + 1900, fields.tm_mon + 1, fields.tm_mday, {}};
        snprintf(date.field, sizeof date.field, "%02d%02d", date.month, date.day);
        for (const std::string &station : stations) {
            FeedStation fed = {station.substr(0, 4), station.substr(5)};
            for (ReceivedKind kind : {KindEp1, KindEp2, KindEpt}) {
                std::string file;
                EncodeReceivedFile(kind, DayFileContent(kind, fed, date), file);
                receiverDigests[Lower(DayFileName(fed, date, kind))] = Digest(file);
            }
        }
    }
}

void Campaign::PrepareDay(const Draw &draw) {
    ++edition;
    if (draw.guideData == 1)
        installation.WriteGuideData(time(nullptr));
    else if (draw.guideData == 2)
        installation.WriteGuideData(time(nullptr) - 86400);
    else if (draw.guideData == 3)
        DeleteFileA((installation.epgData / "Ep000001.tct").c_str());
    if (draw.scheduleLost)
        DeleteFileA((installation.adams / "Ep000001.tct").c_str());
    if (draw.dayNotSent) {
        // A day of a station that the receiver has not sent again yet.
        const std::string &station = stations[(draw.choice >> 20) % stations.size()];
        std::string base = installation.adams / (station.substr(0, 4) + DateField(draw.choice % 8));
        for (const char *extension : {".ep1", ".ep2", ".ept"})
            DeleteFileA((base + extension).c_str());
    }
    if (!draw.newDay)
        return;
    // The sets of the days before (outside the window now), a set of the
    // window whose ".ep1" is older than ten days, and a fresh set of an
    // earlier edition that the receiver will replace.
    uint32_t pick = draw.choice;
    const std::string &oldStation = stations[pick % stations.size()];
    for (int day : {-2, -1})
        WriteDaySet(installation.adams / (oldStation.substr(0, 4) + DateField(day)),
                    oldStation.substr(5), edition);
    const std::string &agedStation = stations[(pick >> 4) % stations.size()];
    std::string aged = installation.adams / (agedStation.substr(0, 4) + DateField((pick >> 8) % 8));
    WriteDaySet(aged, agedStation.substr(5), edition);
    for (const char *extension : {".ep1", ".ep2", ".ept"})
        SetFileTimes(aged + extension, time(nullptr) - 11 * 86400);
    const std::string &freshStation = stations[(pick >> 12) % stations.size()];
    WriteDaySet(installation.adams / (freshStation.substr(0, 4) + DateField((pick >> 16) % 8)),
                freshStation.substr(5), edition);
}

// "Temp" as a run that was killed long ago left it: copies of some day files
// in an older edition, one of them read-only as its original was, and a
// copy of a day set that has since gone from the folder.
void Campaign::PlantStaleTemp(const Draw &draw) {
    std::string temp = installation.adams / "Temp";
    CreateDirectoryA(temp.c_str(), nullptr);
    std::vector<std::string> files = DayFilesOf(installation.adams.Path());
    uint32_t pick = draw.choice >> 3;
    for (int i = 0; i < 3 && !files.empty(); ++i, pick /= 7) {
        const std::string &name = files[pick % files.size()];
        std::string base = name.substr(0, 8);
        WriteDaySet(temp + "\\" + base, StationName(base.substr(0, 4)), edition - 100);
        if (i == 0)
            SetFileAttributesA((temp + "\\" + name).c_str(), FILE_ATTRIBUTE_READONLY);
    }
    // The day that may not have been sent again (PrepareDay).
    const std::string &station = stations[(draw.choice >> 20) % stations.size()];
    WriteDaySet(temp + "\\" + station.substr(0, 4) + DateField(draw.choice % 8), station.substr(5),
                edition - 100);
}

void Campaign::ApplyFaults(const Draw &draw) {
    // The other holder takes the tuner before the library's faults are on.
    if (draw.Has(FaultHeldByOther)) {
        otherHolder = std::make_unique<TunerPeer>(installation.logs / "holder.txt",
                                                  "hold \"ビデオ録画ソフト\" --answer no");
        if (!otherHolder->WaitForOutput("holding"))
            throw std::runtime_error("the other holder did not take the tuner: " +
                                     otherHolder->Output() + installation.TunerState());
    }
    for (unsigned i = 0; i < 3; ++i) {
        if (draw.Has(tunerFaults[i]))
            installation.SetSwitch("Rivolink", tunerSwitches[i], 1);
        if (draw.Has(FaultScheduleRead + i))
            installation.SetSwitch("Wakeplan", schedulerSwitches[i], draw.failureResult);
    }
    if (draw.Has(FaultNoReceiver))
        DeleteFileA((installation.programFolder / "DataCast.exe").c_str());
    if (draw.Has(FaultStaleTemp))
        PlantStaleTemp(draw);
    if (draw.Has(FaultNoAdamsValue))
        DeleteRegistryTree(HKEY_CURRENT_USER, AdamsKeyPath);
    if (draw.Has(FaultMissingAdamsFolder))
        SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E",
                        installation.adams.Path() + "-gone");
    if (draw.Has(FaultNoAdamsChannel)) {
        channelTable = ReadWholeFile(installation.channels / "ChTable.dat");
        WriteChannelTable(installation.channels.Path(), std::vector<TestChannel>(12));
    }
}

void Campaign::UndoFaults(const Draw &draw) {
    for (unsigned i = 0; i < 3; ++i) {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, (std::string(StandInsKey) + "Rivolink").c_str(),
                           tunerSwitches[i]);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, (std::string(StandInsKey) + "Wakeplan").c_str(),
                           schedulerSwitches[i]);
    }
    if (otherHolder) {
        otherHolder->Kill();
        otherHolder.reset();
    }
    if (draw.Has(FaultNoReceiver))
        CopyFileA((BinFolder() + "\\DataCast.exe").c_str(),
                  (installation.programFolder / "DataCast.exe").c_str(), FALSE);
    if (draw.Has(FaultNoAdamsValue) || draw.Has(FaultMissingAdamsFolder))
        SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", installation.adams.Path());
    if (!channelTable.empty())
        WriteFile(installation.channels / "ChTable.dat", channelTable);
    channelTable.clear();
}

// The broadcast's name of the station with this prefix.
std::string Campaign::StationName(const std::string &prefix) const {
    for (const std::string &station : stations)
        if (station.compare(0, 4, prefix) == 0)
            return station.substr(5);
    return prefix;
}

RunRecord Campaign::Run(const Draw &draw) {
    RunRecord record;
    try {
        RunChecked(draw, record);
    } catch (...) {
        ReleaseEndFaults();
        UndoFaults(draw);
        throw;
    }
    return record;
}

void Campaign::RunChecked(const Draw &draw, RunRecord &record) {
    PrepareDay(draw);
    LearnReceiverFiles();
    ApplyFaults(draw);
    adamsBefore = ReadFolderState(installation.adams.Path());
    epgDataBefore = ReadFolderState(installation.epgData.Path());
    epgTempBefore = ReadFolderState(installation.epgTemp.Path());
    channelTableBefore = ReadWholeFile(installation.channels / "ChTable.dat");
    tunerLogSize = installation.TunerLog().size();
    schedulerLogSize = installation.SchedulerLog().size();
    receiverLogSize = installation.ReceiverLog().size();
    runStarted = time(nullptr);
    {
        RunningProgram program(installation, draw.mode == Mode::Auto ? "Auto" : "");
        record.processId = program.Id();
        Drive(draw, program, record);
    }
    ReleaseEndFaults();
    if (otherHolder) {
        otherHolder->Kill();
        otherHolder.reset();
    }
    record.tunerLog = installation.TunerLog().substr(tunerLogSize);
    record.schedulerLog = installation.SchedulerLog().substr(schedulerLogSize);
    record.receiverLog = installation.ReceiverLog().substr(receiverLogSize);
    Check(draw, record);
    UndoFaults(draw);
}

std::vector<std::string> DayFilesOf(const std::string &folder) {
    std::vector<std::string> found;
    for (const std::string &name : ListFolder(folder))
        if (IsDayFileName(name))
            found.push_back(name);
    return found;
}

bool IsDayFileName(const std::string &name) {
    std::string lower = Lower(name);
    return lower.size() == 12 && lower.compare(8, 3, ".ep") == 0 &&
           (lower[11] == '1' || lower[11] == '2' || lower[11] == 't');
}

std::string Lower(std::string text) {
    for (char &c : text)
        if (c >= 'A' && c <= 'Z')
            c = (char)(c - 'A' + 'a');
    return text;
}
