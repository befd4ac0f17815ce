// Helpers for tests that run under Wine against the real registry, real
// files, real processes and real windows of the test prefix.
#pragma once
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

// Registry locations that the installation writes and the program reads.
extern const char AdamsKeyPath[];   // HKCU, "Adams-E"
extern const char ChannelKeyPath[]; // HKLM, "Install Path"
extern const char EpgKeyPath[];     // HKLM, "EPG Temp" and "EPG data"
// HKCU: the stand-ins' settings and switches, one subkey each (Rivolink,
// Wakeplan, DataCast).
extern const char StandInsKeyPath[];

// On 64-bit Windows HKLM\Software has two views: a 32-bit program reads the
// 32-bit one (Wow6432Node), where the package's 32-bit installer writes, and
// a 64-bit program the 64-bit one. The helpers below write and delete in the
// test's own view unless told otherwise; a test is built for the same
// target as the program it runs, so that is the program's view. The other
// view is the one the program under test does not read.
extern const REGSAM OtherRegistryView;

void SetRegistryText(HKEY root, const char *keyPath, const char *valueName, const std::string &text,
                     REGSAM view = 0);
// Stores bytes exactly as given (no terminator added).
void SetRegistryBytes(HKEY root, const char *keyPath, const char *valueName, const void *data,
                      DWORD size, DWORD type = REG_SZ, REGSAM view = 0);
void DeleteRegistryTree(HKEY root, const char *keyPath, REGSAM view = 0);
// Removes every registry location above in both views, the stand-ins'
// settings included, so that no switch or storage folder is left over for
// the next test.
// A test that wants a stand-in setting sets it after this.
void ClearInstallationRegistry();

// A fresh, empty folder for one test, removed with everything in it at the end.
class TempFolder {
public:
    explicit TempFolder(const std::string &name);
    ~TempFolder();
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;
    const std::string &Path() const { return path; }
    std::string operator/(const std::string &name) const { return path + "\\" + name; }

private:
    std::string path;
};

// Removes a folder with everything in it; a link in it goes without what it leads to.
void RemoveTree(const std::string &path);
// Copies a folder's files and subfolders into another (made if missing),
// with their attributes and times of last write.
void MirrorFolder(const std::string &from, const std::string &to);
// Code page 932 text as UTF-16.
std::wstring Wide(const std::string &text);
// Makes link a symbolic link to the folder target. Wine's own calls make
// none (its CreateSymbolicLinkA does nothing), but it shows the host's
// links as reparse points, so under Wine the host's "ln" makes it. False
// when no link could be made.
bool MakeFolderLink(const std::string &link, const std::string &target);
void RemoveFolderLink(const std::string &link);
void WriteFile(const std::string &path, const std::string &content);
std::string ReadWholeFile(const std::string &path);
bool FileExists(const std::string &path);
bool FolderExists(const std::string &path);
// Names of the entries of a folder, "." and ".." left out, sorted.
std::vector<std::string> ListFolder(const std::string &folder);

// One channel of a table written for a test.
struct TestChannel {
    std::string stationName; // up to 32 bytes; exactly 32 leaves no terminator in the field
    uint32_t mark = 0;       // 1 marks the ADAMS channel
};
// Writes "ChTable.dat" into folder: one 64-byte record per channel given.
void WriteChannelTable(const std::string &folder, const std::vector<TestChannel> &channels);

// A file held open without sharing, as another program would hold it.
class HeldFile {
public:
    explicit HeldFile(const std::string &path);
    ~HeldFile();
    HeldFile(const HeldFile &) = delete;
    HeldFile &operator=(const HeldFile &) = delete;

private:
    HANDLE handle;
};

// A local calendar moment as the clock gives it.
time_t LocalMoment(int year, int month, int day, int hour = 12, int minute = 0);
// Dates a file: its creation and last-write times. Wine reports a file's
// creation time from its last-write time, so the two are set together.
void SetFileTimes(const std::string &path, time_t moment);

// The folder of the test program: the program and the tools lie beside it.
std::string BinFolder();

// A program started for a test; killed at the end if still running.
class ChildProcess {
public:
    // Started in currentFolder, or in the test's own current folder.
    explicit ChildProcess(const std::string &commandLine, const std::string &currentFolder = "");
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;
    // The exit code, or -1 when the process has not ended within the time.
    long Wait(DWORD milliseconds);
    DWORD Id() const { return info.dwProcessId; }
    // Ends it at once, as a power cut or the task manager would.
    void Kill();

private:
    PROCESS_INFORMATION info = {};
};

// tunerpeer.exe (beside the test) with its output in a file; killed at the
// end if still running. A file, not a pipe: a pipe could be kept open by the
// desktop process that the first window of the prefix starts.
class TunerPeer {
public:
    TunerPeer(const std::string &outputPath, const std::string &arguments);
    ~TunerPeer();
    TunerPeer(const TunerPeer &) = delete;
    TunerPeer &operator=(const TunerPeer &) = delete;
    void Kill();
    DWORD Id() const { return info.dwProcessId; }
    // The exit code, or -1 when the process has not ended within the time.
    long Wait(DWORD milliseconds);
    std::string Output() const;
    bool WaitForOutput(const std::string &text, DWORD milliseconds = 10000);

private:
    std::string outputPath;
    PROCESS_INFORMATION info = {};
};

// Waits for a top-level window of the process with this title (and class, if given).
HWND WaitForWindow(DWORD processId, const std::string &title, const char *className = nullptr,
                   DWORD milliseconds = 10000);
// The same for a window that may be hidden (a program that works unseen).
HWND WaitForHiddenWindow(DWORD processId, const std::string &title, DWORD milliseconds = 10000);
// Waits until the window has been destroyed.
bool WaitForWindowClosed(HWND window, DWORD milliseconds = 10000);
// Counts the process's visible top-level windows with this class.
int CountWindows(DWORD processId, const char *className);
// The process's visible top-level windows with this class.
std::vector<HWND> VisibleWindows(DWORD processId, const char *className);
std::string WindowText(HWND window);

// What a message box shows: its caption, its text and its icon.
struct MessageBoxView {
    std::string caption;
    std::string text;
    UINT icon = 0; // MB_ICONEXCLAMATION, MB_ICONSTOP...; 0 when it shows none
};
// Shown for an icon whose picture cannot be read: Wine keeps an icon's
// picture in the process that loaded it, so another process only sees that
// there is one. Which one is checked in-process.
constexpr UINT IconOfAnotherProcess = 0xFFFF;
// Reads a message box; its icon is told by its picture.
MessageBoxView ReadMessageBox(HWND box);
// Sees each dialog window (message boxes among them) that the calling thread
// creates while the watch lives, at its creation. With answer set, each is
// also answered with OK, so that a message box does not wait for a user.
class DialogWatch {
public:
    explicit DialogWatch(bool answer, std::function<void(HWND)> onCreate = nullptr);
    ~DialogWatch();
    DialogWatch(const DialogWatch &) = delete;
    DialogWatch &operator=(const DialogWatch &) = delete;
    int Count() const { return count; }

private:
    static LRESULT CALLBACK Created(int code, WPARAM wParam, LPARAM lParam);
    HHOOK hook = nullptr;
    bool answer;
    std::function<void(HWND)> onCreate;
    int count = 0;
};
// Answers, on a thread of its own, every message box with this caption that
// the process shows while it lives, as a user would; what they showed is
// read when it is over.
class BoxAnswerer {
public:
    explicit BoxAnswerer(const std::string &caption);
    ~BoxAnswerer();
    BoxAnswerer(const BoxAnswerer &) = delete;
    BoxAnswerer &operator=(const BoxAnswerer &) = delete;
    // Stops answering and returns what was seen.
    std::vector<MessageBoxView> Seen();

private:
    std::string caption;
    std::vector<MessageBoxView> seen;
    std::atomic<bool> done{false};
    HANDLE thread = nullptr;
    static DWORD WINAPI Answer(void *self);
};
// Presses a button of a window in another process.
void ClickButton(HWND window, int id);
// Runs the message queue for a while (for in-process windows).
void PumpMessages(DWORD milliseconds);
