#include "Installation.h"
#include "LocalTime.h"
#include "ReceivedEncoder.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <sstream>
#include <stdexcept>

namespace Shown {
const std::string MainTitle = "EPG\x83\x66\x81\x5B\x83\x5E\x8A\xC7\x97\x9D\x83\x76\x83\x8D\x83\x4F"
                              "\x83\x89\x83\x80 "; // EPGデータ管理プログラム
const std::string Explanation = "\x90\xE0\x96\xBE";
const std::string ManualCaption = "\x8E\xE8\x93\xAE\x8E\xE6\x93\xBE\x90\xDD\x92\xE8";
const std::string DailyCaption = "\x8E\xA9\x93\xAE\x8E\xE6\x93\xBE\x90\xDD\x92\xE8";
} // namespace Shown

namespace {
const char StandInsKey[] = "Software\\PackageStandIns";
const char ReceiverTitle[] = "DataCast - NORVELL";

std::string StandInKey(const char *standIn) {
    return std::string(StandInsKey) + "\\" + standIn;
}

void CopyProgramFile(const std::string &name, const std::string &folder) {
    std::string source = BinFolder() + "\\" + name;
    if (!CopyFileA(source.c_str(), (folder + "\\" + name).c_str(), FALSE))
        throw std::runtime_error("cannot copy " + source);
}

// Receivers left by a program that was killed would take the next run's
// messages; one that hangs is ended.
void CloseReceivers() {
    for (int i = 0; i < 10; ++i) {
        HWND receiver = FindWindowA(nullptr, ReceiverTitle);
        if (!receiver)
            return;
        PostMessageA(receiver, WM_CLOSE, 0, 0);
        DWORD processId = 0;
        if (!WaitForWindowClosed(receiver, 2000) && GetWindowThreadProcessId(receiver, &processId))
            if (HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId)) {
                TerminateProcess(process, 99);
                WaitForSingleObject(process, 5000);
                CloseHandle(process);
            }
    }
}
} // namespace

Installation::Installation(bool withReceiver) {
    CloseReceivers();
    ClearInstallationRegistry();
    for (const char *file : {"Pelmar.exe", "Rivolink.dll", "Wakeplan.dll"})
        CopyProgramFile(file, programFolder.Path());
    if (withReceiver)
        CopyProgramFile("DataCast.exe", programFolder.Path());

    SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", adams.Path());
    SetRegistryText(HKEY_LOCAL_MACHINE, ChannelKeyPath, "Install Path", channels.Path());
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG Temp", epgTemp.Path() + "\\");
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG data", epgData.Path());
    std::vector<TestChannel> table(12);
    table[0] = {"\x82\x50\x82\x50\x82\x50 TV"}; // "１１１ TV"
    table[5] = {"ADAMS", 1};
    WriteChannelTable(channels.Path(), table);

    SetRegistryText(HKEY_CURRENT_USER, StandInKey("Wakeplan").c_str(), "Folder", scheduler.Path());
    SetRegistryText(HKEY_CURRENT_USER, StandInKey("Rivolink").c_str(), "Log", logs / "tuner.log");
    SetRegistryText(HKEY_CURRENT_USER, StandInKey("Wakeplan").c_str(), "Log",
                    logs / "scheduler.log");
    SetRegistryText(HKEY_CURRENT_USER, StandInKey("DataCast").c_str(), "Log",
                    logs / "receiver.log");
    SetSwitch("DataCast", "StepMilliseconds", 100);
}

Installation::~Installation() {
    CloseReceivers();
    ClearInstallationRegistry();
}

std::string Installation::Program(const std::string &arguments) const {
    return "\"" + programFolder / "Pelmar.exe" + "\" " + arguments;
}

void Installation::WriteSchedule(const std::vector<Window> &windows) {
    std::string records;
    char record[16];
    for (const Window &w : windows) {
        snprintf(record, sizeof record, "%02d%02d%02d%02d|", w.startHour, w.startMinute, w.endHour,
                 w.endMinute);
        records += record;
    }
    std::string received;
    if (!EncodeReceivedFile(KindTct, records, received))
        throw std::runtime_error("cannot encode the schedule");
    WriteFile(adams / "Ep000001.tct", received);
}

void Installation::WriteGuideData(time_t written) {
    WriteFile(epgData / "Ep000001.tct", "guide data");
    SetFileTimes(epgData / "Ep000001.tct", written);
}

void Installation::WriteFeed(const std::vector<std::string> &stations,
                             const std::vector<Window> &windows) {
    std::string feed;
    for (const std::string &station : stations)
        feed += "station " + station + "\n";
    char line[32];
    for (const Window &w : windows) {
        snprintf(line, sizeof line, "window %02d:%02d %02d:%02d\n", w.startHour, w.startMinute,
                 w.endHour, w.endMinute);
        feed += line;
    }
    WriteFile(logs / "feed.txt", feed);
    SetRegistryText(HKEY_CURRENT_USER, StandInKey("DataCast").c_str(), "FeedFile",
                    logs / "feed.txt");
}

std::string DateField(int days) {
    time_t moment = time(nullptr) + (time_t)days * 86400;
    tm fields;
    LocalFields(moment, fields);
    char field[8];
    snprintf(field, sizeof field, "%02d%02d", fields.tm_mon + 1, fields.tm_mday);
    return field;
}

void Installation::WriteDayFiles(const std::string &prefix, const std::string &name,
                                 const std::vector<int> &days) {
    // The decoded ".ep1": the name's length at offset 11, the name from 12.
    std::string ep1 = std::string(11, 'h') + (char)(unsigned char)name.size() + name;
    for (int day : days) {
        std::string base = adams / (prefix + DateField(day));
        std::string file;
        for (const char *extension : {"ep1", "ep2", "ept"}) {
            if (!EncodeReceivedFile(KindFromExtension(extension),
                                    extension[2] == '1' ? ep1 : "programmes", file))
                throw std::runtime_error("cannot encode a day file");
            WriteFile(base + "." + extension, file);
        }
    }
}

bool Installation::GuideDataIsTodays() const {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA((epgData / "Ep000001.tct").c_str(), GetFileExInfoStandard, &data))
        return false;
    FILETIME local;
    SYSTEMTIME written, today;
    FileTimeToLocalFileTime(&data.ftLastWriteTime, &local);
    FileTimeToSystemTime(&local, &written);
    GetLocalTime(&today);
    return written.wYear == today.wYear && written.wMonth == today.wMonth &&
           written.wDay == today.wDay;
}

std::string Installation::TunerState() const {
    TunerPeer status(logs / "status.txt", "status");
    status.Wait(10000);
    return status.Output();
}

void Installation::SetSwitch(const char *standIn, const char *name, DWORD value) {
    SetRegistryBytes(HKEY_CURRENT_USER, StandInKey(standIn).c_str(), name, &value, sizeof value,
                     REG_DWORD);
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

// Across processes Wine hands list texts over as UTF-16 even to the ANSI
// messages; they are read as UTF-16 and turned into code page 932 here.
std::vector<std::string> Items(HWND control) {
    char className[16] = {};
    GetClassNameA(control, className, sizeof className);
    bool list = _stricmp(className, "ListBox") == 0;
    int count = (int)SendMessageW(control, list ? LB_GETCOUNT : CB_GETCOUNT, 0, 0);
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i) {
        wchar_t wide[128] = {};
        SendMessageW(control, list ? LB_GETTEXT : CB_GETLBTEXT, i, (LPARAM)wide);
        char text[256] = {};
        WideCharToMultiByte(932, 0, wide, -1, text, sizeof text, nullptr, nullptr);
        items.push_back(text);
    }
    return items;
}

std::string Selected(HWND control) {
    char className[16] = {};
    GetClassNameA(control, className, sizeof className);
    bool list = _stricmp(className, "ListBox") == 0;
    int index = (int)SendMessageA(control, list ? LB_GETCURSEL : CB_GETCURSEL, 0, 0);
    return index < 0 ? "(none)" : Items(control)[index];
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool Ticked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

std::string InOrder(const std::string &log, const std::vector<std::string> &pieces) {
    std::istringstream in(log);
    std::string line;
    for (const std::string &piece : pieces) {
        bool found = false;
        while (!found && std::getline(in, line))
            found = line.find(piece) != std::string::npos;
        if (!found)
            return "not found in order: \"" + piece + "\" in\n" + log;
    }
    return "";
}

std::vector<std::string> LogLines(const std::string &log, const std::string &piece) {
    std::vector<std::string> lines;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);)
        if (line.find(piece) != std::string::npos)
            lines.push_back(line);
    return lines;
}
