#include "TestSupport.h"
#include "LocalTime.h"
#include <algorithm>
#include <cstring>
#include <stdexcept>

const char AdamsKeyPath[] = "Software\\ﾉｰﾍﾞﾙ\\ADAMS\\adams-e\\";
const char ChannelKeyPath[] = "Software\\Norvell\\TunerDesk\\Channel\\";
const char EpgKeyPath[] = "Software\\NORVELL\\TunerDesk\\EPG";
const char StandInsKeyPath[] = "Software\\PackageStandIns";

const REGSAM OtherRegistryView = sizeof(void *) == 4 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;

void SetRegistryBytes(HKEY root, const char *keyPath, const char *valueName, const void *data,
                      DWORD size, DWORD type, REGSAM view) {
    HKEY key;
    if (RegCreateKeyExA(root, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create registry key");
    LONG result = RegSetValueExA(key, valueName, 0, type, (const BYTE *)data, size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        throw std::runtime_error("cannot set registry value");
}

void SetRegistryText(HKEY root, const char *keyPath, const char *valueName, const std::string &text,
                     REGSAM view) {
    SetRegistryBytes(root, keyPath, valueName, text.c_str(), (DWORD)text.size() + 1, REG_SZ, view);
}

void DeleteRegistryTree(HKEY root, const char *keyPath, REGSAM view) {
    HKEY key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS)
        return;
    RegDeleteTreeA(key, nullptr); // what is below the key; the key itself next
    RegCloseKey(key);
    RegDeleteKeyExA(root, keyPath, view, 0);
}

void ClearInstallationRegistry() {
    DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\ﾉｰﾍﾞﾙ");
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Norvell");
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Norvell", OtherRegistryView);
    DeleteRegistryTree(HKEY_CURRENT_USER, StandInsKeyPath);
}

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
    for (int waited = 0; IsLink(path) != present; waited += 20) {
        if (waited >= 10000)
            return false;
        Sleep(20);
    }
    return true;
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

void WriteFile(const std::string &path, const std::string &content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot write " + path);
    DWORD written = 0;
    ::WriteFile(file, content.data(), (DWORD)content.size(), &written, nullptr);
    CloseHandle(file);
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

std::vector<std::string> ListFolder(const std::string &folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = entry.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void WriteChannelTable(const std::string &folder, const std::vector<TestChannel> &channels) {
    std::string table;
    for (const TestChannel &channel : channels) {
        char record[64] = {};
        memcpy(record + 8, channel.stationName.data(),
               std::min<size_t>(channel.stationName.size(), 32));
        memcpy(record + 40, &channel.mark, 4);
        table.append(record, sizeof record);
    }
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

ChildProcess::ChildProcess(const std::string &commandLine, const std::string &currentFolder) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        currentFolder.empty() ? nullptr : currentFolder.c_str(), &startup, &info))
        throw std::runtime_error("cannot start " + commandLine);
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
    if (WaitForSingleObject(info.hProcess, milliseconds) != WAIT_OBJECT_0)
        return -1;
    DWORD code = 0;
    GetExitCodeProcess(info.hProcess, &code);
    return (long)code;
}

TunerPeer::TunerPeer(const std::string &outputPath, const std::string &arguments)
    : outputPath(outputPath) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE output =
        CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = output;
    startup.hStdError = output;
    std::string line = "\"" + BinFolder() + "\\tunerpeer.exe\" " + arguments;
    BOOL started = output != INVALID_HANDLE_VALUE &&
                   CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, CREATE_NO_WINDOW,
                                  nullptr, nullptr, &startup, &info);
    if (output != INVALID_HANDLE_VALUE)
        CloseHandle(output);
    if (!started)
        throw std::runtime_error("cannot start " + line);
}

TunerPeer::~TunerPeer() {
    Kill();
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
}

void TunerPeer::Kill() {
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) {
        TerminateProcess(info.hProcess, 99);
        WaitForSingleObject(info.hProcess, 5000);
    }
}

long TunerPeer::Wait(DWORD milliseconds) {
    DWORD code = 0;
    if (WaitForSingleObject(info.hProcess, milliseconds) != WAIT_OBJECT_0 ||
        !GetExitCodeProcess(info.hProcess, &code))
        return -1;
    return (long)code;
}

std::string TunerPeer::Output() const {
    HANDLE file = CreateFileA(outputPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "";
    std::string content(GetFileSize(file, nullptr), '\0');
    DWORD done = 0;
    ReadFile(file, &content[0], (DWORD)content.size(), &done, nullptr);
    CloseHandle(file);
    content.resize(done);
    return content;
}

bool TunerPeer::WaitForOutput(const std::string &text, DWORD milliseconds) {
    for (DWORD start = GetTickCount(); GetTickCount() - start < milliseconds; Sleep(20))
        if (Output().find(text) != std::string::npos)
            return true;
    return false;
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
    for (DWORD waited = 0;; waited += 50) {
        HWND found = Search(processId, &title, className, hiddenToo).found;
        if (found || waited >= milliseconds)
            return found;
        Sleep(50);
    }
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
    for (DWORD waited = 0; IsWindow(window); waited += 20) {
        if (waited >= milliseconds)
            return false;
        Sleep(20);
    }
    return true;
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

void SetFileTimes(const std::string &path, time_t moment) {
    auto toFileTime = [](time_t moment) {
        ULARGE_INTEGER value;
        value.QuadPart = ((ULONGLONG)moment + 11644473600ULL) * 10000000ULL;
        FILETIME fileTime = {value.LowPart, value.HighPart};
        return fileTime;
    };
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot set the times of " + path);
    FILETIME fileTime = toFileTime(moment);
    BOOL set = SetFileTime(file, &fileTime, nullptr, &fileTime);
    CloseHandle(file);
    if (!set)
        throw std::runtime_error("cannot set the times of " + path);
}
