#include "RunProcesses.h"
#include <psapi.h>
#include <algorithm>
#include <cstdio>

namespace {
std::string Utf8(const std::wstring &text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), nullptr, 0, nullptr,
                                   nullptr);
    std::string bytes(size, '\0');
    if (size)
        WideCharToMultiByte(CP_UTF8, 0, text.c_str(), (int)text.size(), &bytes[0], size, nullptr,
                            nullptr);
    return bytes;
}

// The receiver's log is code page 932; the bench prints UTF-8.
std::string Utf8FromCp932(const std::string &text) {
    int size = MultiByteToWideChar(932, 0, text.c_str(), (int)text.size(), nullptr, 0);
    std::wstring wide(size, L'\0');
    if (size)
        MultiByteToWideChar(932, 0, text.c_str(), (int)text.size(), &wide[0], size);
    return Utf8(wide);
}

// Another program's window text, with a time limit: that program may hang.
std::string TextOf(HWND window) {
    wchar_t text[512] = {};
    DWORD_PTR length = 0;
    SendMessageTimeoutW(window, WM_GETTEXT, 512, (LPARAM)text, SMTO_ABORTIFHUNG, 1000, &length);
    return Utf8(text);
}

struct Shown {
    DWORD process;
    std::string texts;
};

BOOL CALLBACK AddChildText(HWND child, LPARAM context) {
    std::string text = TextOf(child);
    if (!text.empty())
        ((Shown *)context)->texts += "    \"" + text + "\"\n";
    return TRUE;
}

BOOL CALLBACK AddWindowTexts(HWND window, LPARAM context) {
    Shown &shown = *(Shown *)context;
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == shown.process && IsWindowVisible(window)) {
        shown.texts += "  window \"" + TextOf(window) + "\"\n";
        EnumChildWindows(window, AddChildText, context);
    }
    return TRUE;
}
} // namespace

void Fail(const std::string &what) {
    throw Failure{what};
}

std::string Number(unsigned long value) {
    return std::to_string(value);
}

std::string ReadShared(const std::string &path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    std::string content(GetFileSize(file, nullptr), '\0');
    DWORD done = 0;
    if (!content.empty())
        ReadFile(file, &content[0], (DWORD)content.size(), &done, nullptr);
    CloseHandle(file);
    content.resize(done);
    return content;
}

std::string Account(const Started *program, const std::string &logPath) {
    std::string account;
    DWORD code = 0;
    if (program && program->process && GetExitCodeProcess(program->process, &code)) {
        if (code == STILL_ACTIVE) {
            Shown shown = {program->id, ""};
            EnumWindows(AddWindowTexts, (LPARAM)&shown);
            account += "\nPelmar.exe still runs; its visible windows:\n" +
                       (shown.texts.empty() ? "  (none)\n" : shown.texts);
        } else {
            char text[64];
            snprintf(text, sizeof text, "\nPelmar.exe ended with exit code %lu (0x%08lX)\n",
                     (unsigned long)code, (unsigned long)code);
            account += text;
        }
    }
    std::string log = ReadShared(logPath);
    account += log.empty() ? "the receiver's log " + logPath + " is empty or missing\n"
                           : "the receiver's log " + logPath + ":\n" + Utf8FromCp932(log);
    return account;
}

Started::~Started() {
    if (!process)
        return;
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
}

void Start(const std::string &commandLine, Started &started, bool hidden) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (hidden) {
        startup.dwFlags = STARTF_USESHOWWINDOW;
        startup.wShowWindow = SW_HIDE;
    }
    PROCESS_INFORMATION info = {};
    std::string line = commandLine;
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &info))
        Fail("cannot start " + commandLine + ": error " + Number(GetLastError()));
    CloseHandle(info.hThread);
    started.process = info.hProcess;
    started.id = info.dwProcessId;
}

std::string Quoted(const std::string &path) {
    return "\"" + path + "\"";
}

SIZE_T PeakPrivate(HANDLE process, SIZE_T peak) {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (GetProcessMemoryInfo(process, (PROCESS_MEMORY_COUNTERS *)&counters, sizeof counters))
        peak = std::max({peak, counters.PeakPagefileUsage, counters.PrivateUsage});
    return peak;
}
