// A whole installation of the tuner package for one scenario, made by the
// package's recipe: the program with the stand-in libraries (and, unless
// told otherwise, the receiver) in a folder of their own, the registry
// values, the ADAMS, EPG Temp and EPG data folders, a channel table whose
// channel 6 carries the ADAMS broadcast, the scheduler's storage, and a log
// of every stand-in. The real program is run there as its own process and
// watched from outside.
#pragma once
#include "TestSupport.h"
#include <ctime>
#include <string>
#include <vector>

// Texts the program shows, in code page 932.
namespace Shown {
extern const std::string MainTitle;
extern const std::string Explanation;   // 説明
extern const std::string ManualCaption; // 手動取得設定
extern const std::string DailyCaption;  // 自動取得設定
} // namespace Shown

class Installation {
public:
    explicit Installation(bool withReceiver = true);
    ~Installation();
    Installation(const Installation &) = delete;
    Installation &operator=(const Installation &) = delete;

    std::string Program(const std::string &arguments = "") const;
    // Received schedule of today's broadcast windows in the ADAMS folder.
    void WriteSchedule(const std::vector<ScheduleWindow> &windows) {
        WriteReceivedSchedule(adams.Path(), ScheduleRecords(windows));
    }
    // The guide data's mark in the EPG data folder, dated by its last write.
    void WriteGuideData(time_t written) { ::WriteGuideData(epgData.Path(), written); }
    // The broadcast the receiver sends: stations "PREFIX NAME" and windows.
    void WriteFeed(const std::vector<std::string> &stations,
                   const std::vector<ScheduleWindow> &windows);
    // A station's day sets (".ep1" naming it, ".ep2", ".ept") for days from today.
    void WriteDayFiles(const std::string &prefix, const std::string &name,
                       const std::vector<int> &days);
    // A station of the user's channel table (channel 1, beside the ADAMS
    // channel 6) with its day sets for days from today.
    void WriteUsersStation(const std::string &prefix, const std::string &name,
                           const std::vector<int> &days);
    // Whether the receiver has marked today's guide data present.
    bool GuideDataIsTodays() const { return WrittenToday(epgData / "Ep000001.tct"); }
    // The tuner's state as `tunerpeer status` prints it; whether nobody holds it.
    std::string TunerState() const;
    bool TunerIsFree() const { return TunerState().find("tuner: free") != std::string::npos; }
    std::string TunerLog() const { return ReadLog("tuner.log"); }
    std::string SchedulerLog() const { return ReadLog("scheduler.log"); }
    std::string ReceiverLog() const { return ReadLog("receiver.log"); }

    TempFolder programFolder{"e2e-program"};
    TempFolder adams{"e2e-adams-表示"};
    TempFolder epgTemp{"e2e-epgtemp"};
    TempFolder epgData{"e2e-epgdata-ソフト"};
    TempFolder channels{"e2e-channels"};
    TempFolder scheduler{"e2e-scheduler"};
    TempFolder logs{"e2e-logs"};

private:
    std::string ReadLog(const char *name) const;
};

// A running Pelmar.exe and what a user sees of it.
class RunningProgram {
public:
    RunningProgram(const Installation &installation, const std::string &arguments = "",
                   const std::string &currentFolder = "");
    DWORD Id() const { return process.Id(); }
    long Wait(DWORD milliseconds) { return process.Wait(milliseconds); }
    void Kill() { process.Kill(); }
    // The main dialog once it is on screen (minimised counts).
    HWND MainWindow(DWORD milliseconds = 15000);
    // The next message box with this caption; its text, caption and icon.
    HWND WaitForBox(const std::string &caption, DWORD milliseconds = 15000);
    // Answers a message box with OK and waits until it has gone.
    void Answer(HWND box);
    // Expects a box with this caption and text, and answers it.
    void ExpectBox(const std::string &caption, const std::string &text, bool withIcon);

private:
    ChildProcess process;
};
