#include "TestSupport.h"
#include "ChannelRecords.h"
#include "FolderScan.h"
#include "LocalTime.h"
#include <algorithm>
#include <cstring>
#include <sstream>
#include <stdexcept>

namespace {
std::string NewFolderPath(const std::string &name) {
    static int counter = 0;
    CreateDirectoryA("C:\\pelmar-tests", nullptr);
    return "C:\\pelmar-tests\\" + name + "-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++counter);
}
} // namespace

TempFolder::TempFolder(const std::string &name) : path(NewFolderPath(name)) {
    RemoveTree(path);
    if (!CreateDirectoryA(path.c_str(), nullptr))
        throw std::runtime_error("cannot create " + path);
}

TempFolder::~TempFolder() {
    RemoveTree(path);
}

namespace {
// Removes a tree by its wide names: a test may leave a file whose Unicode
// name has no ANSI form of one path part (a "¥" becomes "\\"), which the
// ANSI calls could not delete, and its folder would stay for the next test
// process that draws the same process id.
void RemoveTreeWide(const std::wstring &path) {
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((path + L"\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = entry.cFileName;
            if (name == L"." || name == L"..")
                continue;
            std::wstring child = path + L"\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
                int size = WideCharToMultiByte(CP_ACP, 0, child.c_str(), -1, nullptr, 0,
                                               nullptr, nullptr);
                std::string narrow(size > 0 ? size - 1 : 0, '\0');
                WideCharToMultiByte(CP_ACP, 0, child.c_str(), -1, &narrow[0], size, nullptr,
                                    nullptr);
                RemoveFolderLink(narrow);
            } else if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTreeWide(child);
            } else {
                SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileW(child.c_str());
            }
        } while (FindNextFileW(search, &entry));
        FindClose(search);
    }
    RemoveDirectoryW(path.c_str());
}
} // namespace

void RemoveTree(const std::string &path) {
    int size = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    std::wstring wide(size > 0 ? size - 1 : 0, L'\0');
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], size);
    RemoveTreeWide(wide);
}

void MirrorFolder(const std::string &from, const std::string &to) {
    CreateDirectoryA(to.c_str(), nullptr);
    for (const std::string &name : ListFolder(from)) {
        std::string source = from + "\\" + name, target = to + "\\" + name;
        if (FolderExists(source))
            MirrorFolder(source, target);
        else
            CopyFileA(source.c_str(), target.c_str(), FALSE);
    }
}

namespace {
std::wstring Wide(const std::string &text, UINT codePage);
} // namespace

std::wstring Wide(const std::string &text) {
    return Wide(text, 932);
}

namespace {
std::wstring Wide(const std::string &text, UINT codePage) {
    int units = MultiByteToWideChar(codePage, 0, text.c_str(), -1, nullptr, 0);
    std::wstring wide(units > 0 ? units : 1, L'\0');
    MultiByteToWideChar(codePage, 0, text.c_str(), -1, &wide[0], units);
    wide.resize(wide.size() - 1);
    return wide;
}

typedef char *(CDECL *UnixFileNameCall)(LPCWSTR);

// Wine's conversion of a Windows path into the host's, or null on Windows.
UnixFileNameCall UnixFileName() {
    return reinterpret_cast<UnixFileNameCall>(reinterpret_cast<void *>(
        GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
}

// Runs a program of the host (as Wine starts one) on host paths of Windows paths.
bool RunOnHostPaths(const wchar_t *program, const std::vector<std::string> &paths) {
    std::wstring command = program;
    for (const std::string &path : paths) {
        char *name = UnixFileName()(Wide(path, 932).c_str());
        if (!name)
            return false;
        command += L" \"" + Wide(name, CP_UTF8) + L"\"";
        HeapFree(GetProcessHeap(), 0, name);
    }
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &info))
        return false;
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return true;
}
} // namespace

namespace {
bool IsLink(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// A host program that Wine starts may still run when its process handle
// says it has ended: its effect is waited for.
bool WaitForLink(const std::string &path, bool present) {
    return WaitUntil([&] { return IsLink(path) == present; }, 10000);
}
} // namespace

bool MakeFolderLink(const std::string &link, const std::string &target) {
    if (!UnixFileName())
        return CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY);
    return RunOnHostPaths(L"Z:\\bin\\ln -s", {target, link}) && WaitForLink(link, true);
}

void RemoveFolderLink(const std::string &link) {
    if (!UnixFileName())
        RemoveDirectoryA(link.c_str());
    else if (RunOnHostPaths(L"Z:\\bin\\rm", {link})) // Wine removes no link
        WaitForLink(link, false);
}

std::string ReadWholeFile(const std::string &path) {
    // A log may be written to while it is read: its writers share it so.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot read " + path);
    std::string content(GetFileSize(file, nullptr), '\0');
    DWORD done = 0;
    ReadFile(file, &content[0], (DWORD)content.size(), &done, nullptr);
    CloseHandle(file);
    content.resize(done);
    return content;
}

bool FileExists(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool WrittenToday(const std::string &path) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    tm written, today;
    return GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) &&
           LocalFields(FileTimeToTime(data.ftLastWriteTime), written) &&
           LocalFields(time(nullptr), today) && written.tm_year == today.tm_year &&
           written.tm_yday == today.tm_yday;
}

std::vector<std::string> ListFolder(const std::string &folder) {
    std::vector<std::string> names;
    ForEachEntry((folder + "\\*").c_str(), [&](const WIN32_FIND_DATAA &entry) {
        std::string name = entry.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    });
    std::sort(names.begin(), names.end());
    return names;
}

void WriteChannelTable(const std::string &folder, const std::vector<TestChannel> &channels) {
    std::string table(channels.size() * sizeof(ChannelRecord), '\0');
    ByteSink records = MakeByteSink(&table[0], table.size());
    for (const TestChannel &channel : channels)
        PutChannelRecord(records, channel.stationName, channel.mark);
    WriteFile(folder + "\\ChTable.dat", table);
}

HeldFile::HeldFile(const std::string &path)
    : handle(CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                         FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (handle == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot hold " + path);
}

HeldFile::~HeldFile() {
    CloseHandle(handle);
}

std::string BinFolder() {
    char module[MAX_PATH];
    GetModuleFileNameA(nullptr, module, sizeof module);
    std::string path = module;
    return path.substr(0, path.find_last_of('\\'));
}

std::string BinCommand(const std::string &program, const std::string &arguments) {
    return "\"" + BinFolder() + "\\" + program + "\" " + arguments;
}

ChildProcess::ChildProcess(const std::string &commandLine, const std::string &currentFolder,
                           const std::string &outputPath)
    : outputPath(outputPath) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    HANDLE output = INVALID_HANDLE_VALUE;
    if (!outputPath.empty()) {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (output == INVALID_HANDLE_VALUE)
            throw std::runtime_error("cannot write " + outputPath);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = output;
        startup.hStdError = output;
    }
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    BOOL started =
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, output != INVALID_HANDLE_VALUE,
                       output != INVALID_HANDLE_VALUE ? CREATE_NO_WINDOW : 0, nullptr,
                       currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup, &info);
    DWORD error = GetLastError();
    if (output != INVALID_HANDLE_VALUE)
        CloseHandle(output);
    if (!started)
        throw std::runtime_error("cannot start " + commandLine + " (error " +
                                 std::to_string(error) + ")");
}

ChildProcess::~ChildProcess() {
    Kill();
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

void ChildProcess::Kill() {
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info.hProcess, 99);
        WaitForSingleObject(info.hProcess, 5000);
    }
}

long ChildProcess::Wait(DWORD milliseconds) {
    DWORD code = 0;
    if (WaitForSingleObject(info.hProcess, milliseconds) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(info.hProcess, &code))
        return -1;
    return (long)code;
}

std::string ChildProcess::Output() const {
    return FileExists(outputPath) ? ReadWholeFile(outputPath) : std::string();
}

bool ChildProcess::WaitForOutput(const std::string &text, DWORD milliseconds) {
    return WaitUntil([&] { return Output().find(text) != std::string::npos; }, milliseconds);
}

bool KillProcessOf(HWND window) {
    DWORD processId = 0;
    if (!window || !GetWindowThreadProcessId(window, &processId))
        return false;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, processId);
    if (!process)
        return false;
    TerminateProcess(process, 99);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
    return true;
}

void CloseReceivers() {
    for (int i = 0; i < 10; ++i) {
        HWND receiver = FindWindowA(nullptr, ReceiverTitle);
        if (!receiver)
            return;
        PostMessageA(receiver, WM_CLOSE, 0, 0);
        if (!WaitForWindowClosed(receiver, 2000))
            KillProcessOf(receiver);
    }
}

namespace {
struct WindowSearch {
    DWORD processId;
    const std::string *title;
    const char *className;
    bool hiddenToo;
    HWND found;
    int count;
    std::vector<HWND> *all;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM parameter) {
    WindowSearch *search = reinterpret_cast<WindowSearch *>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || (!search->hiddenToo && !IsWindowVisible(window)))
        return TRUE;
    if (search->className) {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        if (strcmp(name, search->className) != 0)
            return TRUE;
    }
    if (search->title && WindowText(window) != *search->title)
        return TRUE;
    search->found = window;
    ++search->count;
    if (search->all)
        search->all->push_back(window);
    return TRUE;
}

WindowSearch Search(DWORD processId, const std::string *title, const char *className,
                    bool hiddenToo = false, std::vector<HWND> *all = nullptr) {
    WindowSearch search{processId, title, className, hiddenToo, nullptr, 0, all};
    EnumWindows(MatchWindow, (LPARAM)&search);
    return search;
}
} // namespace

namespace {
HWND WaitFor(DWORD processId, const std::string &title, const char *className, bool hiddenToo,
             DWORD milliseconds) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = Search(processId, &title, className, hiddenToo).found); },
              milliseconds, 50);
    return found;
}
} // namespace

HWND WaitForWindow(DWORD processId, const std::string &title, const char *className,
                   DWORD milliseconds) {
    return WaitFor(processId, title, className, false, milliseconds);
}

HWND WaitForHiddenWindow(DWORD processId, const std::string &title, DWORD milliseconds) {
    return WaitFor(processId, title, nullptr, true, milliseconds);
}

bool WaitForWindowClosed(HWND window, DWORD milliseconds) {
    return WaitUntil([&] { return !IsWindow(window); }, milliseconds);
}

int CountWindows(DWORD processId, const char *className) {
    return Search(processId, nullptr, className).count;
}

std::vector<HWND> VisibleWindows(DWORD processId, const char *className) {
    std::vector<HWND> windows;
    Search(processId, nullptr, className, false, &windows);
    return windows;
}

std::string WindowText(HWND window) {
    char text[1024] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, (LPARAM)text, SMTO_ABORTIFHUNG, 2000,
                        nullptr);
    return text;
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

int Selection(HWND control) {
    char className[16] = {};
    GetClassNameA(control, className, sizeof className);
    bool list = _stricmp(className, "ListBox") == 0;
    return (int)SendMessageA(control, list ? LB_GETCURSEL : CB_GETCURSEL, 0, 0);
}

std::string Selected(HWND control) {
    int index = Selection(control);
    return index < 0 ? "(none)" : Items(control)[index];
}

bool Enabled(HWND dialog, int id) {
    return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE;
}

bool Ticked(HWND dialog, int id) {
    return SendMessageA(GetDlgItem(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

namespace {
std::vector<BYTE> IconPicture(HICON icon) {
    std::vector<BYTE> bits;
    ICONINFO info;
    if (!icon || !GetIconInfo(icon, &info))
        return bits;
    HBITMAP picture = info.hbmColor ? info.hbmColor : info.hbmMask;
    BITMAP bitmap;
    if (GetObjectA(picture, sizeof bitmap, &bitmap)) {
        bits.resize((size_t)bitmap.bmWidthBytes * bitmap.bmHeight);
        GetBitmapBits(picture, (LONG)bits.size(), bits.data());
    }
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return bits;
}

UINT IconKind(HICON icon) {
    if (!icon)
        return 0;
    std::vector<BYTE> shown = IconPicture(icon);
    if (shown.empty())
        return IconOfAnotherProcess;
    const struct {
        LPCSTR id;
        UINT style;
    } kinds[] = {{IDI_HAND, MB_ICONSTOP},
                 {IDI_QUESTION, MB_ICONQUESTION},
                 {IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                 {IDI_ASTERISK, MB_ICONINFORMATION}};
    for (const auto &kind : kinds)
        if (IconPicture(LoadIconA(nullptr, kind.id)) == shown)
            return kind.style;
    return 0xFFFFFFFF; // an icon, but none of the system's
}
} // namespace

MessageBoxView ReadMessageBox(HWND box) {
    MessageBoxView view;
    view.caption = WindowText(box);
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char className[32] = {};
        GetClassNameA(child, className, sizeof className);
        if (_stricmp(className, "Static") != 0)
            continue;
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            if (IsWindowVisible(child))
                view.icon = IconKind((HICON)SendMessageA(child, STM_GETICON, 0, 0));
        } else if ((GetDlgCtrlID(child) & 0xFFFF) == 0xFFFF) {
            view.text = WindowText(child);
        }
    }
    return view;
}

namespace {
DialogWatch *currentWatch = nullptr;
}

DialogWatch::DialogWatch(bool answer, std::function<void(HWND)> onCreate)
    : answer(answer), onCreate(std::move(onCreate)) {
    currentWatch = this;
    hook = SetWindowsHookExA(WH_CBT, Created, nullptr, GetCurrentThreadId());
    if (!hook)
        throw std::runtime_error("cannot watch the thread's windows");
}

DialogWatch::~DialogWatch() {
    UnhookWindowsHookEx(hook);
    currentWatch = nullptr;
}

LRESULT CALLBACK DialogWatch::Created(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && currentWatch) {
        HWND window = (HWND)wParam;
        char className[16] = {};
        GetClassNameA(window, className, sizeof className);
        if (strcmp(className, "#32770") == 0) {
            ++currentWatch->count;
            if (currentWatch->onCreate)
                currentWatch->onCreate(window);
            // Taken up once the box reads its messages.
            if (currentWatch->answer)
                PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

BoxAnswerer::BoxAnswerer(const std::string &caption) : caption(caption) {
    thread = CreateThread(nullptr, 0, Answer, this, 0, nullptr);
    if (!thread)
        throw std::runtime_error("cannot start the box answerer");
}

BoxAnswerer::~BoxAnswerer() {
    Seen();
}

std::vector<MessageBoxView> BoxAnswerer::Seen() {
    if (thread) {
        done = true;
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        thread = nullptr;
    }
    return seen;
}

DWORD WINAPI BoxAnswerer::Answer(void *self) {
    BoxAnswerer &answerer = *static_cast<BoxAnswerer *>(self);
    while (!answerer.done) {
        HWND box = WaitForWindow(GetCurrentProcessId(), answerer.caption, "#32770", 200);
        if (!box)
            continue;
        answerer.seen.push_back(ReadMessageBox(box));
        PostMessageA(box, WM_COMMAND, IDOK, 0);
        WaitForWindowClosed(box, 5000);
    }
    return 0;
}

void ClickButton(HWND window, int id) {
    PostMessageA(GetDlgItem(window, id), BM_CLICK, 0, 0);
}

void PumpMessages(DWORD milliseconds) {
    DWORD start = GetTickCount();
    do {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    } while (GetTickCount() - start < milliseconds);
}

time_t LocalMoment(int year, int month, int day, int hour, int minute) {
    tm fields = {};
    fields.tm_year = year - 1900;
    fields.tm_mon = month - 1;
    fields.tm_mday = day;
    fields.tm_hour = hour;
    fields.tm_min = minute;
    return LocalMomentOf(fields);
}

std::vector<std::string> LogLines(const std::string &log, const std::string &piece) {
    std::vector<std::string> lines;
    std::istringstream in(log);
    for (std::string line; std::getline(in, line);)
        if (line.find(piece) != std::string::npos)
            lines.push_back(line);
    return lines;
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
