// A fault campaign: many real runs of the program in one installation that
// persists from run to run, as a user's machine does, each with faults of
// the package and the disk drawn at random and ended in a way drawn too;
// after each run the invariants that a user relies on are checked.
#pragma once
#include "Installation.h"
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// How the program is run: by the scheduler, or by a user who then acts.
enum class Mode { Auto, ManualOk, DailyOk, DailyRetry, Cancel, CloseBox };
// How an automatic run ends (a manual run ends by its user's action, or killed).
enum class End { Request, Abort, CloseBox, Killed, Action };

// The faults, several of which may hold in one run.
enum Fault : unsigned {
    FaultRegistration,       // the tuner library refuses the registration
    FaultResourceRefused,    // ... refuses the resource
    FaultHeldByOther,        // another program holds the tuner
    FaultChannel,            // setting the channel fails
    FaultScheduleRead,       // the scheduler cannot read its record
    FaultScheduleWrite,      // ... cannot write it
    FaultScheduleSet,        // ... cannot take the broadcast windows
    FaultNoReceiver,         // DataCast.exe is not installed
    FaultReceiverKilled,     // the receiver dies in mid-reception
    FaultDayFileHeld,        // another program holds a day file open at the end
    FaultDayFileReadOnly,    // a day file is read-only at the end
    FaultTempFileHeld,       // another program holds a file of "Temp" open at the end
    FaultStaleTemp,          // an earlier run left its "Temp" with older copies
    FaultNoAdamsValue,       // the ADAMS folder's registry value is missing
    FaultMissingAdamsFolder, // ... names a folder that does not exist
    FaultNoAdamsChannel,     // the channel table marks no ADAMS channel
    FaultHangInStart,        // the receiver hangs inside its start message (1827)
    FaultHangInStop,         // ... inside its stop message (1826)
    FaultPlantedReceiver,    // no receiver beside the program, one in the current folder
    FaultAdamsRoot,          // the ADAMS value names a drive's root, with a user's files
    FaultUsersTemp,          // a user's files in the ADAMS folder's "Temp"
    FaultClockBehind,        // the clock a month behind: day files written ahead of it
    FaultFullDisk,           // the ADAMS folder on a small drive that runs full
    FaultCount
};
const char *FaultName(unsigned fault);

// Everything one run draws; the same seed and run number draw the same.
struct Draw {
    uint32_t seed = 0;
    int run = 0;
    Mode mode = Mode::Auto;
    End end = End::Action;
    unsigned faults = 0;         // bit (1 << Fault) for each fault that holds
    DWORD failureResult = 1;     // what a failing scheduler call returns
    int guideData = 0;           // 0 as it is, 1 today's, 2 yesterday's, 3 none
    bool newDay = false;         // older day sets from the days before
    bool scheduleLost = false;   // the received schedule file is gone
    bool dayNotSent = false;     // a station's day of the window is not there
    bool request = false;        // a manual run: a viewer asks before the user acts
    DWORD endAfter = 0;          // milliseconds after the dialog appears
    DWORD receiverKillAfter = 0; // FaultReceiverKilled: milliseconds after the dialog
    DWORD freeRoom = 0;          // FaultFullDisk: bytes left free on the small drive
    uint32_t choice = 0;         // further choices: files, stations, list items

    bool Has(unsigned fault) const { return (faults >> fault) & 1; }
};
Draw DrawRun(uint32_t seed, int run);
// The column of the run's table: how it ended, for the mode it had.
std::string EndName(const Draw &draw);
std::string Describe(const Draw &draw);

// What a run left to check, beyond the folders.
struct RunRecord {
    DWORD processId = 0;
    bool killed = false;         // power cut, or ended by the campaign after a hang
    bool manualStore = false;    // OK stored the manual choice
    bool tempFileHeld = false;   // a file of "Temp" was held open at the end
    bool channelMessage = false; // the program said the channel table has no ADAMS channel
    // Seen while the run was driven, judged by the checks:
    std::vector<std::string> waitingBoxes; // boxes that waited in an automatic run
    std::string notEnded;                  // what the run did not end after, if it did not
    int alreadyRunningBoxes = 0;           // boxes that said the program was still running
    bool endedBeforeDialog = false;        // an automatic run ended before its dialog
    std::string notes;                     // what happened besides, for the run's line
    std::string action;                    // what the user actually did
    std::string tunerLog, schedulerLog, receiverLog; // the run's lines
    std::vector<std::string> breaks;                 // "I1: what was seen"
};

// A file as it was: content digest, size, time of last write, attributes.
struct FileState {
    uint64_t digest = 0;
    uint64_t size = 0;
    uint64_t written = 0; // FILETIME ticks
    DWORD attributes = 0;
};
using FolderState = std::map<std::string, FileState>;
FolderState ReadFolderState(const std::string &folder);
uint64_t Digest(const std::string &bytes);
// Day files: a four-character station prefix, "MMDD", ".ep1", ".ep2" or ".ept".
bool IsDayFileName(const std::string &name);
std::vector<std::string> DayFilesOf(const std::string &folder);

// The drives that scripts/soak maps for the world's faults: a folder whose
// root the ADAMS value may name, and a small drive that runs full. Empty
// when not mapped; the faults that need them are then not drawn.
struct Drives {
    std::string root;  // "R:"
    std::string small; // "S:"
};

// The installation and the campaign's knowledge of it from run to run.
class Campaign {
public:
    explicit Campaign(const Drives &drives);
    // Whether a drawn fault can be made here (its drive is mapped).
    bool CanMake(unsigned fault) const;
    // Runs one draw: prepares it, runs the program, checks the invariants.
    RunRecord Run(const Draw &draw);

private:
    void RunChecked(const Draw &draw, RunRecord &record);
    void LearnReceiverFiles();
    void PrepareDay(const Draw &draw);
    void PlantStaleTemp(const Draw &draw);
    std::string StationName(const std::string &prefix) const;
    void ApplyFaults(const Draw &draw);
    void UndoFaults(const Draw &draw);
    void Drive(const Draw &draw, RunningProgram &program, RunRecord &record);
    void DriveAutomatic(const Draw &draw, RunningProgram &program, HWND dialog, RunRecord &record);
    void DriveManual(const Draw &draw, RunningProgram &program, HWND dialog, RunRecord &record);
    void WaitForTheEnd(const Draw &draw, RunningProgram &program, HWND dialog, RunRecord &record);
    void PowerCut(RunningProgram &program, RunRecord &record);
    void ApplyEndFaults(const Draw &draw, RunRecord &record);
    void ReleaseEndFaults();
    void PlantUsersFiles(const Draw &draw, const std::string &folder);
    void WriteAhead();
    void MoveToSmallDrive();
    void FillSmallDrive(const Draw &draw);
    void MoveBack();
    // The invariants, one function each (Checks.cpp).
    void Check(const Draw &draw, RunRecord &record);
    void CheckEndsByItself(RunRecord &record) const;
    void CheckNothingLost(const Draw &draw, const FolderState &after, RunRecord &record) const;
    void CheckTempGone(const Draw &draw, const FolderState &after, RunRecord &record) const;
    void CheckSchedulerRecord(const Draw &draw, RunRecord &record) const;
    void CheckTunerFree(const Draw &draw, RunRecord &record) const;
    void CheckSingleInstance(RunRecord &record) const;

    Installation installation;
    Drives drives;
    std::string adams;     // the run's ADAMS folder: the installation's, or on a drive
    std::string downloads; // a current folder that holds a program named like the receiver
    std::map<std::string, uint64_t> usersFiles;             // path -> digest
    std::vector<std::pair<std::string, time_t>> aheadFiles; // path -> last write before
    std::vector<std::string> prefixes;                      // the broadcast's stations
    std::vector<ScheduleWindow> windows;                    // the broadcast's windows
    std::map<std::string, uint64_t> receiverDigests; // day file name -> what the receiver writes
    std::unique_ptr<TunerPeer> otherHolder;
    std::vector<std::unique_ptr<HeldFile>> heldFiles;
    std::string readOnlyFile;
    std::string channelTable; // the table as it was, while a run has another
    int edition = 0;
    // Before the run.
    FolderState adamsBefore, epgDataBefore, epgTempBefore;
    std::string channelTableBefore;
    size_t tunerLogSize = 0, schedulerLogSize = 0, receiverLogSize = 0;
    time_t runStarted = 0;
};
