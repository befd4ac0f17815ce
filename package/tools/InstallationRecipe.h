// An installation of the tuner package with the program, as tests, the
// fault campaign, the benchmark and the demo make it: the values that the
// package's installer writes, the stand-ins' settings, the program and the
// package's parts in a folder of their own, and what the receiver leaves in
// the ADAMS and EPG data folders (day sets, the schedule, the guide data's
// mark). One recipe, so that all of them install the same package.
//
// Machine-wide values go to the registry view of the calling program (a
// 32-bit caller writes the 32-bit view, where the package's 32-bit installer
// writes them); a tool built for the program's target installs for it.
#pragma once
#include "DataCastNames.h"
#include <windows.h>
#include <ctime>
#include <string>
#include <vector>

// Where the package's installer registers its folders.
extern const char AdamsKeyPath[];   // HKCU, "Adams-E": the receiver's ADAMS folder
extern const char ChannelKeyPath[]; // HKLM, "Install Path": the folder of "ChTable.dat"
extern const char EpgKeyPath[];     // HKLM, "EPG Temp" and "EPG data"
// HKCU: the stand-ins' settings, one subkey each (package/*/ name their own).
extern const char StandInsKeyPath[];
// The receiver's settings and its window's title come from DataCastNames.h.

// On 64-bit Windows HKLM\Software has two views: a 32-bit program reads the
// 32-bit one (Wow6432Node), a 64-bit program the 64-bit one. The helpers
// write and delete in the caller's own view unless told otherwise; the other
// view is the one a program built like the caller does not read.
extern const REGSAM OtherRegistryView;

// Each throws std::runtime_error when the key or value cannot be written.
void SetRegistryText(HKEY root, const char *keyPath, const char *valueName, const std::string &text,
                     REGSAM view = 0);
// Stores bytes exactly as given (no terminator added).
void SetRegistryBytes(HKEY root, const char *keyPath, const char *valueName, const void *data,
                      DWORD size, DWORD type = REG_SZ, REGSAM view = 0);
// A DWORD setting of the current user, as the stand-ins' switches are.
void SetSwitch(const char *keyPath, const char *valueName, DWORD value);
void DeleteRegistryTree(HKEY root, const char *keyPath, REGSAM view = 0);
// Removes everything the recipe writes, in both views, the stand-ins'
// settings included, so that no switch or folder is left for the next user.
void ClearInstallationRegistry();

// The folders of an installation.
struct InstallationFolders {
    InstallationFolders() = default;
    InstallationFolders(const std::string &adams, const std::string &channels,
                        const std::string &epgData, const std::string &epgTemp = "",
                        const std::string &scheduler = "", const std::string &logs = "")
        : adams(adams), channels(channels), epgData(epgData), epgTemp(epgTemp),
          scheduler(scheduler), logs(logs) {}
    std::string adams;
    std::string channels;
    std::string epgData;
    std::string epgTemp;   // registered with a trailing "\"; empty: not registered
    std::string scheduler; // the scheduler stand-in's storage; empty: its default
    std::string logs;      // tuner.log, scheduler.log and receiver.log; empty: no logs
    std::string feed;      // the receiver's feed file; empty: its built-in feed
};
// Writes the installer's values and the stand-ins' settings for the folders.
void RegisterInstallation(const InstallationFolders &folders);
// Copies Pelmar.exe, Rivolink.dll, Wakeplan.dll and, with the receiver,
// DataCast.exe from the build's folder into the program's folder.
void CopyProgram(const std::string &buildFolder, const std::string &programFolder,
                 bool withReceiver = true);

// Writes a whole file (throws when it cannot).
void WriteFile(const std::string &path, const std::string &content);
// A moment as a file time.
FILETIME FileTimeOf(time_t moment);
// Dates a file: its creation and last-write times. Wine reports a file's
// creation time from its last-write time, so the two are set together.
void SetFileTimes(const std::string &path, time_t moment);

// The date field "MMDD" of the local day days after the one of from.
std::string DateField(int days, time_t from = time(nullptr));

// A broadcast window of the received schedule.
struct ScheduleWindow {
    int startHour, startMinute, endHour, endMinute;
};
// Records of a decoded schedule, "HHMMHHMM|" each.
std::string ScheduleRecords(const std::vector<ScheduleWindow> &windows);
// The received schedule "Ep000001.tct" of the ADAMS folder, holding records.
void WriteReceivedSchedule(const std::string &adamsFolder, const std::string &records);
// A station's received day set: base (folder, prefix and date field) with
// each extension given, the ".ep1" naming the station; each holds programmes.
void WriteDaySet(const std::string &base, const std::string &stationName,
                 const std::string &programmes = "programmes",
                 const std::vector<std::string> &extensions = {"ep1", "ep2", "ept"});
// The guide data's mark "Ep000001.tct" in the EPG data folder, dated by its last write.
void WriteGuideData(const std::string &epgDataFolder, time_t written);
