// DataCast.exe, the ADAMS receiver, as the EPG program drives it: started as
// "DataCast.exe /AdamsCtl", it keeps a hidden top-level window titled
// "DataCast - NORVELL". Message 1827 starts a reception, 1826 stops it,
// WM_CLOSE ends the program.
//
// Settings, read afresh at every start of a reception, under
// HKEY_CURRENT_USER\Software\PackageStandIns\DataCast:
//   "StepMilliseconds" (DWORD): time between two steps of a reception,
//       10 to 600000; 1000 when not set. A reception takes ten steps.
//   "FeedFile" (text): a feed file (see Feed.h); the built-in feed without it.
//   "Log" (text): a file that the command line, every message that drives
//       the receiver and every note below are written to, read at each line.
//   "HangInStart", "HangInStop" (DWORD): nonzero makes the handler of 1827
//       (or of 1826) never return, as a receiver that hangs: read at each
//       such message, noted in the log before it hangs.
#include "DataCastNames.h"
#include "DataCastReception.h"
#include "StandInLog.h"
#include <windows.h>

namespace {
const char WindowClass[] = "DataCastReceiver";
constexpr UINT StartReceptionMessage = 1827;
constexpr UINT StopReceptionMessage = 1826;
constexpr UINT_PTR StepTimer = 1;
constexpr DWORD DefaultStepMilliseconds = 1000;
constexpr int MaxFailedSteps = 5;
constexpr DWORD MaxFeedFileSize = 1 << 20;

// The receiver's state: one reception at a time.
struct Receiver {
    bool receiving = false;
    int failedSteps = 0;
    Reception reception;
};
Receiver receiver;

void Report(const std::string &text) {
    OutputDebugStringA(("DataCast: " + text + "\n").c_str());
    WriteLogLine(DataCastKeyPath, "note %s", text.c_str());
}

LRESULT Logged(const char *message, WPARAM wParam, LPARAM lParam, LRESULT result) {
    WriteLogLine(DataCastKeyPath, "message %s wParam=0x%llx lParam=0x%llx -> %lld", message,
                 (unsigned long long)wParam, (unsigned long long)(ULONG_PTR)lParam,
                 (long long)result);
    return result;
}

int Exit(int code) {
    WriteLogLine(DataCastKeyPath, "exit %d", code);
    return code;
}

DWORD ReadStepMilliseconds() {
    DWORD value = DefaultStepMilliseconds;
    DWORD size = sizeof value;
    if (RegGetValueA(HKEY_CURRENT_USER, DataCastKeyPath, "StepMilliseconds", RRF_RT_REG_DWORD,
                     nullptr, &value, &size) != ERROR_SUCCESS)
        return DefaultStepMilliseconds;
    return value < 10 ? 10 : value > 600000 ? 600000 : value;
}

bool ReadFeedFile(std::string &path) {
    char text[MAX_PATH] = {};
    DWORD size = sizeof text - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, DataCastKeyPath, "FeedFile", RRF_RT_REG_SZ, nullptr, text,
                     &size) != ERROR_SUCCESS ||
        !text[0])
        return false;
    path = text;
    return true;
}

// The configured feed, or the built-in one; false when a configured feed
// file cannot be read or is not a feed.
bool LoadFeed(Feed &feed) {
    std::string path;
    if (!ReadFeedFile(path)) {
        feed = DefaultFeed();
        return true;
    }
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        Report("cannot open the feed " + path);
        return false;
    }
    std::string text(MaxFeedFileSize + 1, '\0');
    DWORD got = 0;
    bool read = ReadFile(file, &text[0], (DWORD)text.size(), &got, nullptr);
    CloseHandle(file);
    if (!read || got > MaxFeedFileSize) {
        Report("cannot read the feed " + path);
        return false;
    }
    text.resize(got);
    std::string error;
    if (!ParseFeed(text, feed, error)) {
        Report(path + ", " + error);
        return false;
    }
    return true;
}

// 0 when a reception runs after the message, 1 when it could not start.
LRESULT StartReception(HWND window) {
    if (receiver.receiving)
        return 0;
    Feed feed;
    std::string error;
    if (!LoadFeed(feed))
        return 1;
    if (!PrepareReception(receiver.reception, feed, error)) {
        Report(error);
        return 1;
    }
    if (!SetTimer(window, StepTimer, ReadStepMilliseconds(), nullptr))
        return 1;
    receiver.receiving = true;
    receiver.failedSteps = 0;
    return 0;
}

void StopReception(HWND window) {
    KillTimer(window, StepTimer);
    receiver.receiving = false;
}

// A step that fails (a file held open by a reader, a full disk) is tried
// again at the next tick; after several failures in a row the reception
// ends without marking the guide data present.
void OnStepTimer(HWND window) {
    if (!receiver.receiving)
        return;
    StepResult result = RunReceptionStep(receiver.reception);
    if (result != StepFailed)
        Report("step " + std::to_string(receiver.reception.step - 1) + " written");
    switch (result) {
    case StepWritten:
        receiver.failedSteps = 0;
        break;
    case ReceptionComplete:
        Report("reception complete");
        StopReception(window);
        break;
    case StepFailed:
        if (++receiver.failedSteps >= MaxFailedSteps) {
            Report("reception abandoned at step " + std::to_string(receiver.reception.step));
            StopReception(window);
        }
        break;
    }
}

// A receiver that hangs inside a message's handler, when its switch says so.
void HangIfSwitched(const char *name, const char *message) {
    DWORD hang = 0, size = sizeof hang;
    if (RegGetValueA(HKEY_CURRENT_USER, DataCastKeyPath, name, RRF_RT_REG_DWORD, nullptr, &hang,
                     &size) != ERROR_SUCCESS ||
        !hang)
        return;
    Report(std::string("hanging in ") + message);
    Sleep(INFINITE);
}

LRESULT CALLBACK ReceiverProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case StartReceptionMessage:
        HangIfSwitched("HangInStart", "1827");
        return Logged("1827", wParam, lParam, StartReception(window));
    case StopReceptionMessage:
        HangIfSwitched("HangInStop", "1826");
        StopReception(window);
        return Logged("1826", wParam, lParam, 0);
    case WM_TIMER:
        if (wParam == StepTimer)
            OnStepTimer(window);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return Logged("WM_CLOSE", wParam, lParam, 0);
    case WM_DESTROY:
        StopReception(window);
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
} // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    WriteLogLine(DataCastKeyPath, "start %s", Quoted(GetCommandLineA()).c_str());
    // One receiver per installation: a second one would write the same files.
    if (FindWindowA(WindowClass, ReceiverTitle)) {
        Report("another receiver is running");
        return Exit(1);
    }
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = ReceiverProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = WindowClass;
    if (!RegisterClassA(&windowClass))
        return Exit(1);
    // Never shown: the EPG program finds it by its title and drives it.
    HWND window = CreateWindowExA(0, WindowClass, ReceiverTitle, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 320, 200, nullptr, nullptr, instance, nullptr);
    if (!window)
        return Exit(1);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return Exit(0);
}
