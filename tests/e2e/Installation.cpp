#include "Installation.h"
#include <gtest/gtest.h>
#include <cstdio>

namespace Shown {
const std::string MainTitle = "EPG\x83\x66\x81\x5B\x83\x5E\x8A\xC7\x97\x9D\x83\x76\x83\x8D\x83\x4F"
                              "\x83\x89\x83\x80 "; // EPGデータ管理プログラム
const std::string Explanation = "\x90\xE0\x96\xBE";
const std::string ManualCaption = "\x8E\xE8\x93\xAE\x8E\xE6\x93\xBE\x90\xDD\x92\xE8";
const std::string DailyCaption = "\x8E\xA9\x93\xAE\x8E\xE6\x93\xBE\x90\xDD\x92\xE8";
} // namespace Shown

Installation::Installation(bool withReceiver) {
    CloseReceivers();
    ClearInstallationRegistry();
    CopyProgram(BinFolder(), programFolder.Path(), withReceiver);
    RegisterInstallation({adams.Path(), channels.Path(), epgData.Path(), epgTemp.Path(),
                          scheduler.Path(), logs.Path()});
    std::vector<TestChannel> table(12);
    table[0] = {"\x82\x50\x82\x50\x82\x50 TV"}; // "１１１ TV"
    table[5] = {"ADAMS", 1};
    WriteChannelTable(channels.Path(), table);
    SetSwitch(DataCastKeyPath, "StepMilliseconds", 100);
}

Installation::~Installation() {
    CloseReceivers();
    ClearInstallationRegistry();
}

std::string Installation::Program(const std::string &arguments) const {
    return "\"" + programFolder / "Pelmar.exe" + "\" " + arguments;
}

void Installation::WriteFeed(const std::vector<std::string> &stations,
                             const std::vector<ScheduleWindow> &windows) {
    std::string feed;
    for (const std::string &station : stations)
        feed += "station " + station + "\n";
    char line[32];
    for (const ScheduleWindow &w : windows) {
        snprintf(line, sizeof line, "window %02d:%02d %02d:%02d\n", w.startHour, w.startMinute,
                 w.endHour, w.endMinute);
        feed += line;
    }
    WriteFile(logs / "feed.txt", feed);
    SetRegistryText(HKEY_CURRENT_USER, DataCastKeyPath, "FeedFile", logs / "feed.txt");
}

void Installation::WriteDayFiles(const std::string &prefix, const std::string &name,
                                 const std::vector<int> &days) {
    for (int day : days)
        WriteDaySet(adams / (prefix + DateField(day)), name);
}

void Installation::WriteUsersStation(const std::string &prefix, const std::string &name,
                                     const std::vector<int> &days) {
    std::vector<TestChannel> table(12);
    table[0] = {name};
    table[5] = {"ADAMS", 1};
    WriteChannelTable(channels.Path(), table);
    WriteDayFiles(prefix, name, days);
}

std::string Installation::TunerState() const {
    TunerPeer status(logs / "status.txt", "status");
    status.Wait(10000);
    return status.Output();
}

std::string Installation::ReadLog(const char *name) const {
    return FileExists(logs / name) ? ReadWholeFile(logs / name) : std::string();
}

RunningProgram::RunningProgram(const Installation &installation, const std::string &arguments,
                               const std::string &currentFolder)
    : process(installation.Program(arguments), currentFolder) {}

HWND RunningProgram::MainWindow(DWORD milliseconds) {
    return WaitForWindow(process.Id(), Shown::MainTitle, "#32770", milliseconds);
}

HWND RunningProgram::WaitForBox(const std::string &caption, DWORD milliseconds) {
    return WaitForWindow(process.Id(), caption, "#32770", milliseconds);
}

void RunningProgram::Answer(HWND box) {
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    WaitForWindowClosed(box);
}

void RunningProgram::ExpectBox(const std::string &caption, const std::string &text, bool withIcon) {
    HWND box = WaitForBox(caption);
    ASSERT_NE(nullptr, box) << "no box \"" << caption << "\" for: " << text;
    MessageBoxView view = ReadMessageBox(box);
    EXPECT_EQ(text, view.text);
    // Another process's icon cannot be told apart; which one is checked in-process.
    EXPECT_EQ(withIcon ? IconOfAnotherProcess : 0u, view.icon) << text;
    Answer(box);
}
