// Helpers for tests that run under Wine against the real registry, real
// files, real processes and real windows of the test prefix. What an
// installation holds (registry values, day sets, the schedule, the guide
// data) comes from the package's recipe, InstallationRecipe.h.
#pragma once
#include "InstallationRecipe.h"
#include <windows.h>
#include <atomic>
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <vector>

// Waits until done() holds, trying it every step milliseconds (at least
// once); false when the time is up first.
template <typename Done> bool WaitUntil(Done done, DWORD milliseconds, DWORD step = 20) {
    for (DWORD start = GetTickCount(); !done(); Sleep(step))
        if (GetTickCount() - start >= milliseconds)
            return false;
    return true;
}

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
// The whole file; a file that others write is read with their sharing.
std::string ReadWholeFile(const std::string &path);
bool FileExists(const std::string &path);
bool FolderExists(const std::string &path);
// Whether the file was last written on today's local date.
bool WrittenToday(const std::string &path);
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

// The folder of the test program: the program and the tools lie beside it.
std::string BinFolder();
// The command line of a program beside the test.
std::string BinCommand(const std::string &program, const std::string &arguments = "");

// A program started for a test; killed at the end if still running. Its
// output, when asked for, goes to a file, not a pipe: a pipe could be kept
// open by the desktop process that the first window of the prefix starts.
class ChildProcess {
public:
    // Started in currentFolder, or in the test's own current folder.
    explicit ChildProcess(const std::string &commandLine, const std::string &currentFolder = "",
                          const std::string &outputPath = "");
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;
    // The exit code, or -1 when the process has not ended within the time.
    long Wait(DWORD milliseconds);
    DWORD Id() const { return info.dwProcessId; }
    // Ends it at once, as a power cut or the task manager would.
    void Kill();
    // What it has written so far.
    std::string Output() const;
    bool WaitForOutput(const std::string &text, DWORD milliseconds = 10000);

private:
    std::string outputPath;
    PROCESS_INFORMATION info = {};
};

// tunerpeer.exe (beside the test), its output in a file.
class TunerPeer : public ChildProcess {
public:
    TunerPeer(const std::string &outputPath, const std::string &arguments)
        : ChildProcess(BinCommand("tunerpeer.exe", arguments), "", outputPath) {}
};

// Ends the process of a window at once, as a power cut would; false when
// there is no such process.
bool KillProcessOf(HWND window);
// Closes every receiver that runs; one that hangs is ended. A receiver left
// by a program that was killed would take the next run's messages.
void CloseReceivers();

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
// The items of a list box or combo box, in order, of this process or another.
std::vector<std::string> Items(HWND control);
// The selected item's index (-1 for none), and its text, or "(none)".
int Selection(HWND control);
std::string Selected(HWND control);
// Whether a control is enabled / a button ticked.
bool Enabled(HWND dialog, int id);
bool Ticked(HWND dialog, int id);

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

// The lines of a log that contain the piece.
std::vector<std::string> LogLines(const std::string &log, const std::string &piece);
// Empty when each piece appears in a line of the log after the line of the
// piece before it; otherwise what was missing, with the log.
std::string InOrder(const std::string &log, const std::vector<std::string> &pieces);
