// The campaign's installation and what each run sets up and undoes: the
// day's state of the folders, a "Temp" left behind, the faults.
#include "Campaign.h"
#include "Cp932.h"
#include "FolderScan.h"
#include "StartUpCopy.h"
#include "Switches.h"
#include "WakeplanStore.h"
#include <stdexcept>

namespace {
// When a file was last written; 0 when it is not there.
time_t WrittenAt(const std::string &path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return FileTimeToTime(data.ftLastWriteTime);
}

const char *const schedulerSwitches[] = {"FailRead", "FailWrite", "FailSet"};
const char *const tunerSwitches[] = {"FailOpenEx", "FailOpenResource", "FailSetChannel"};
const unsigned tunerFaults[] = {FaultRegistration, FaultResourceRefused, FaultChannel};

// The broadcast: its stations ("PREFIX NAME") and today's windows.
const std::vector<std::string> stations = {"NHK1 ＮＨＫ総合", "NTV_ 日本テレビ", "TBS_ ＴＢＳ",
                                           "MX__ ＭＸテレビ"};
const std::vector<ScheduleWindow> broadcastWindows = {{6, 2, 6, 12},   {7, 2, 7, 12},
                                                      {12, 2, 12, 12}, {19, 2, 19, 12},
                                                      {23, 2, 23, 12}, {25, 2, 25, 12}};

// A day set as an earlier day's reception left it: contents that differ
// from the receiver's own by their edition.
void WriteEdition(const std::string &base, const std::string &name, int edition) {
    WriteDaySet(base, name, "\r\nedition " + std::to_string(edition) + "\r\n");
}
} // namespace

Campaign::Campaign(const Drives &drives) : drives(drives), adams(installation.adams.Path()) {
    for (const std::string &station : stations)
        prefixes.push_back(station.substr(0, 4));
    windows = broadcastWindows;
    installation.WriteFeed(stations, windows);
    // A reception of 2.5 s: runs end, and the receiver dies, in the middle
    // of one as often as after it.
    SetSwitch(DataCastKeyPath, "StepMilliseconds", 250);
    // Today's guide data and a whole week, as the days before left them.
    installation.WriteGuideData(time(nullptr));
    installation.WriteSchedule(windows);
    for (const std::string &station : stations)
        installation.WriteDayFiles(station.substr(0, 4), station.substr(5),
                                   {0, 1, 2, 3, 4, 5, 6, 7});
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
        WriteEdition(installation.adams / (oldStation.substr(0, 4) + DateField(day)),
                     oldStation.substr(5), edition);
    const std::string &agedStation = stations[(pick >> 4) % stations.size()];
    std::string aged = installation.adams / (agedStation.substr(0, 4) + DateField((pick >> 8) % 8));
    WriteEdition(aged, agedStation.substr(5), edition);
    for (const char *extension : {".ep1", ".ep2", ".ept"})
        SetFileTimes(aged + extension, time(nullptr) - 11 * 86400);
    const std::string &freshStation = stations[(pick >> 12) % stations.size()];
    WriteEdition(installation.adams / (freshStation.substr(0, 4) + DateField((pick >> 16) % 8)),
                 freshStation.substr(5), edition);
}

// "Temp" as a run that was killed long ago left it: copies of some day files
// in an older edition, one of them read-only as its original was, and a
// copy of a day set that has since gone from the folder; its list names them.
void Campaign::PlantStaleTemp(const Draw &draw) {
    std::string temp = installation.adams / "Temp";
    CreateDirectoryA(temp.c_str(), nullptr);
    std::vector<std::string> files = DayFilesOf(installation.adams.Path());
    std::vector<std::string> bases;
    uint32_t pick = draw.choice >> 3;
    for (int i = 0; i < 3 && !files.empty(); ++i, pick /= 7)
        bases.push_back(files[pick % files.size()].substr(0, 8));
    // The day that may not have been sent again (PrepareDay).
    const std::string &station = stations[(draw.choice >> 20) % stations.size()];
    bases.push_back(station.substr(0, 4) + DateField(draw.choice % 8));
    std::vector<ListedFile> listed;
    for (size_t i = 0; i < bases.size(); ++i) {
        std::string copy = temp + "\\" + bases[i];
        SetFileAttributesA((copy + ".ep1").c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteEdition(copy, StationName(bases[i].substr(0, 4)), edition - 100);
        for (const char *extension : {".ep1", ".ep2", ".ept"}) {
            // Listed as the program lists its copies: with their size and time.
            WIN32_FILE_ATTRIBUTE_DATA status;
            GetFileAttributesExA((copy + extension).c_str(), GetFileExInfoStandard, &status);
            listed.push_back({bases[i] + extension, true,
                              FileSize(status.nFileSizeHigh, status.nFileSizeLow),
                              FileTicks(status.ftLastWriteTime)});
        }
        if (i == 0)
            SetFileAttributesA((copy + ".ep1").c_str(), FILE_ATTRIBUTE_READONLY);
    }
    std::string list = FileExists(temp + "\\" + CopyListName)
                           ? ReadWholeFile(temp + "\\" + CopyListName)
                           : std::string();
    WriteFile(temp + "\\" + CopyListName, list + "\r\n" + ListLines(listed));
}

// A user's own files in a folder's "Temp": another program's log, and a
// file named as the day file that may not have been sent again is (a
// restore from a Temp that is not the program's would bring it back), or,
// where a killed run's copy of that day may be listed, as another day file.
void Campaign::PlantUsersFiles(const Draw &draw, const std::string &folder) {
    std::string temp = folder + "\\Temp";
    CreateDirectoryA(temp.c_str(), nullptr);
    const std::string &station = stations[(draw.choice >> 20) % stations.size()];
    std::string dayFile = draw.Has(FaultStaleTemp)
                              ? "USER" + DateField(2) + ".ep1"
                              : station.substr(0, 4) + DateField(draw.choice % 8) + ".ep1";
    const std::pair<std::string, const char *> files[] = {{"setup.log", "another program's log"},
                                                          {dayFile, "the user's own copy"}};
    for (const auto &file : files) {
        std::string path = temp + "\\" + file.first;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        WriteFile(path, file.second + std::to_string(edition));
        usersFiles[path] = Digest(ReadWholeFile(path));
    }
}

// The clock a month behind, as day files that it sees written a month
// ahead: every third day file of the folder.
void Campaign::WriteAhead() {
    std::vector<std::string> files = DayFilesOf(adams);
    for (size_t i = 0; i < files.size(); i += 3) {
        std::string path = adams + "\\" + files[i];
        aheadFiles.push_back({path, WrittenAt(path)});
        SetFileTimes(path, time(nullptr) + 31 * 86400);
    }
}

// The ADAMS folder moves to the small drive for the run.
void Campaign::MoveToSmallDrive() {
    adams = drives.small + "\\ADAMS-表示";
    RemoveTree(adams);
    MirrorFolder(installation.adams.Path(), adams);
    SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", adams);
}

// The small drive is filled to leave only the drawn room.
void Campaign::FillSmallDrive(const Draw &draw) {
    ULARGE_INTEGER free = {};
    GetDiskFreeSpaceExA((drives.small + "\\").c_str(), &free, nullptr, nullptr);
    if (free.QuadPart > draw.freeRoom)
        WriteFile(drives.small + "\\ballast", std::string(free.QuadPart - draw.freeRoom, 'b'));
}

void Campaign::MoveBack() {
    DeleteFileA((drives.small + "\\ballast").c_str());
    RemoveTree(installation.adams.Path());
    CreateDirectoryA(installation.adams.Path().c_str(), nullptr);
    MirrorFolder(adams, installation.adams.Path());
    RemoveTree(adams);
    adams = installation.adams.Path();
}

bool Campaign::CanMake(unsigned fault) const {
    if (fault == FaultAdamsRoot)
        return !drives.root.empty();
    if (fault == FaultFullDisk)
        return !drives.small.empty();
    return true;
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
            SetSwitch(RivolinkKeyPath, tunerSwitches[i], 1);
        if (draw.Has(FaultScheduleRead + i))
            SetSwitch(WakeplanKeyPath, schedulerSwitches[i], draw.failureResult);
    }
    if (draw.Has(FaultNoReceiver) || draw.Has(FaultPlantedReceiver))
        DeleteFileA((installation.programFolder / "DataCast.exe").c_str());
    if (draw.Has(FaultPlantedReceiver)) {
        downloads = "C:\\pelmar-soak-downloads";
        CreateDirectoryA(downloads.c_str(), nullptr);
        CopyFileA((BinFolder() + "\\DataCast.exe").c_str(), (downloads + "\\DataCast.exe").c_str(),
                  FALSE);
    }
    for (unsigned hang : {FaultHangInStart, FaultHangInStop})
        if (draw.Has(hang))
            SetSwitch(DataCastKeyPath, hang == FaultHangInStart ? "HangInStart" : "HangInStop", 1);
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
    if (draw.Has(FaultAdamsRoot)) {
        // The root holds the user's files, and a Temp of the user's.
        adams = drives.root;
        WriteFile(adams + "\\notes.txt", "the user's notes");
        usersFiles[adams + "\\notes.txt"] = Digest(ReadWholeFile(adams + "\\notes.txt"));
        PlantUsersFiles(draw, adams);
        SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", adams + "\\");
    }
    if (draw.Has(FaultFullDisk))
        MoveToSmallDrive();
    if (draw.Has(FaultClockBehind))
        WriteAhead();
    if (draw.Has(FaultUsersTemp))
        PlantUsersFiles(draw, draw.Has(FaultAdamsRoot) ? installation.adams.Path() : adams);
    if (draw.Has(FaultFullDisk))
        FillSmallDrive(draw);
}

void Campaign::UndoFaults(const Draw &draw) {
    for (unsigned i = 0; i < 3; ++i) {
        RegDeleteKeyValueA(HKEY_CURRENT_USER, RivolinkKeyPath, tunerSwitches[i]);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, WakeplanKeyPath, schedulerSwitches[i]);
    }
    if (otherHolder) {
        otherHolder->Kill();
        otherHolder.reset();
    }
    for (const char *hang : {"HangInStart", "HangInStop"})
        RegDeleteKeyValueA(HKEY_CURRENT_USER, DataCastKeyPath, hang);
    if (draw.Has(FaultNoReceiver) || draw.Has(FaultPlantedReceiver))
        CopyFileA((BinFolder() + "\\DataCast.exe").c_str(),
                  (installation.programFolder / "DataCast.exe").c_str(), FALSE);
    if (!downloads.empty())
        RemoveTree(downloads);
    downloads.clear();
    // The clock is right again: what was written ahead is dated as it was,
    // unless the receiver has written it anew.
    for (const auto &file : aheadFiles)
        if (WrittenAt(file.first) > time(nullptr) + 86400)
            SetFileTimes(file.first, file.second);
    aheadFiles.clear();
    // The user takes their files away again; an empty Temp that is nobody's goes too.
    for (const auto &file : usersFiles) {
        SetFileAttributesA(file.first.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(file.first.c_str());
    }
    if (!usersFiles.empty())
        for (const std::string &folder : {installation.adams.Path(), adams, drives.root})
            if (!folder.empty() && !FileExists(folder + "\\Temp\\" + CopyListName))
                RemoveDirectoryA((folder + "\\Temp").c_str());
    usersFiles.clear();
    if (draw.Has(FaultAdamsRoot)) {
        // What the receiver wrote into the root goes as well.
        for (const std::string &name : ListFolder(drives.root))
            if (name != "Temp")
                DeleteFileA((drives.root + "\\" + name).c_str());
        adams = installation.adams.Path();
    }
    if (draw.Has(FaultFullDisk) && adams != installation.adams.Path())
        MoveBack();
    if (draw.Has(FaultNoAdamsValue) || draw.Has(FaultMissingAdamsFolder) ||
        draw.Has(FaultAdamsRoot) || draw.Has(FaultFullDisk))
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
    adamsBefore = ReadFolderState(adams);
    epgDataBefore = ReadFolderState(installation.epgData.Path());
    epgTempBefore = ReadFolderState(installation.epgTemp.Path());
    channelTableBefore = ReadWholeFile(installation.channels / "ChTable.dat");
    tunerLogSize = installation.TunerLog().size();
    schedulerLogSize = installation.SchedulerLog().size();
    receiverLogSize = installation.ReceiverLog().size();
    runStarted = time(nullptr);
    {
        RunningProgram program(installation, draw.mode == Mode::Auto ? "Auto" : "", downloads);
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
    std::string lower = LowerCp932(name);
    return lower.size() == 12 && lower.compare(8, 3, ".ep") == 0 &&
           (lower[11] == '1' || lower[11] == '2' || lower[11] == 't');
}
