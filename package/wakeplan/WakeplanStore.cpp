#include "WakeplanStore.h"
#include <windows.h>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {
bool ReadValue(const char *name, DWORD type, void *data, DWORD size) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, WakeplanKeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    DWORD found = 0;
    DWORD got = size;
    LONG result = RegQueryValueExA(key, name, nullptr, &found, (BYTE *)data, &got);
    RegCloseKey(key);
    return result == ERROR_SUCCESS && found == type && got <= size;
}

std::string DefaultFolder() {
    char appData[MAX_PATH] = {};
    DWORD length = GetEnvironmentVariableA("APPDATA", appData, sizeof appData);
    if (length == 0 || length >= sizeof appData)
        return std::string();
    return std::string(appData) + "\\PackageStandIns\\Wakeplan";
}

// Creates the folder and any missing parents; true when it exists after.
bool MakeFolder(const std::string &folder) {
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES)
        return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // The parent ends at the last backslash; CharPrevA keeps a CP932 trail
    // byte that equals '\' from being taken for one.
    const char *start = folder.c_str();
    const char *last = nullptr;
    for (const char *p = start; *p; p = CharNextA(p))
        if (*p == '\\')
            last = p;
    if (last && last > start && last[-1] != ':' && !MakeFolder(std::string(start, last)))
        return false;
    return CreateDirectoryA(folder.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool WriteAll(HANDLE file, const void *data, size_t size) {
    DWORD written = 0;
    return WriteFile(file, data, (DWORD)size, &written, nullptr) && written == size;
}

std::string Line(const char *format, ...) __attribute__((format(printf, 1, 2)));
std::string Line(const char *format, ...) {
    char text[256];
    va_list arguments;
    va_start(arguments, format);
    vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return std::string(text) + "\n";
}
} // namespace

std::string WakeplanFolder() {
    char folder[MAX_PATH] = {};
    if (ReadValue("Folder", REG_SZ, folder, sizeof folder - 1) && folder[0])
        return folder;
    return DefaultFolder();
}

uint32_t WakeplanSwitch(const char *name) {
    DWORD value = 0;
    return ReadValue(name, REG_DWORD, &value, sizeof value) ? value : 0;
}

bool LoadStored(const std::string &folder, const char *fileName, void *data, size_t size) {
    std::string path = folder + "\\" + fileName;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
            return false;
        memset(data, 0, size);
        return true;
    }
    std::string content(size + 1, '\0');
    DWORD got = 0;
    bool read = ReadFile(file, &content[0], (DWORD)content.size(), &got, nullptr);
    CloseHandle(file);
    if (!read || got != size)
        return false;
    memcpy(data, content.data(), size);
    return true;
}

bool SaveStored(const std::string &folder, const char *fileName, const void *data, size_t size) {
    if (folder.empty() || !MakeFolder(folder))
        return false;
    std::string path = folder + "\\" + fileName;
    std::string temporary = path + "." + std::to_string(GetCurrentProcessId()) + "-" +
                            std::to_string(GetCurrentThreadId()) + ".new";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    bool written = WriteAll(file, data, size) && FlushFileBuffers(file);
    CloseHandle(file);
    if (written && WakeplanSwitch("CrashBeforeRename"))
        TerminateProcess(GetCurrentProcess(), 3);
    if (written && MoveFileExA(temporary.c_str(), path.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temporary.c_str());
    return false;
}

std::string DescribeScheduleRecord(const ScheduleRecord &record) {
    const uint16_t *window = record.dailyWindow;
    const uint16_t *next = record.nextStart;
    static const char *const weekdays[] = {"?", "Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    const char *weekday = next[2] >= 1 && next[2] <= 7 ? weekdays[next[2]] : weekdays[0];
    std::string text;
    text += Line("enabled:        %u (%s)", record.enabled,
                 record.enabled == 1   ? "daily automatic acquisition"
                 : record.enabled == 0 ? "manual"
                                       : "unknown");
    text +=
        Line("daily window:   %02u:%02u - %02u:%02u", window[0], window[1], window[2], window[3]);
    text += Line("next start:     %04u/%02u/%02u (%s, day of week %u) %02u:%02u:%02u.%03u", next[0],
                 next[1], next[3], weekday, next[2], next[4], next[5], next[6], next[7]);
    text += Line("flags:          0x%08lX", (unsigned long)record.flags);
    text += Line("  always receive the ADAMS broadcast (bit 31): %s",
                 record.flags & FlagAlwaysReceiveAdams ? "yes" : "no");
    text += Line("  adjust the time automatically (bit 30):      %s",
                 record.flags & FlagAutoTimeAdjust ? "yes" : "no");
    return text;
}

std::string DescribeBroadcastTimes(const BroadcastTimeTable &table) {
    std::string text;
    int used = 0;
    for (int i = 0; i < BroadcastTableEntries; ++i) {
        const BroadcastWindow &entry = table.entries[i];
        if (!entry.startHour && !entry.startMinute && !entry.endHour && !entry.endMinute) {
            text += Line("%2d: free", i + 1);
            continue;
        }
        ++used;
        text += Line("%2d: %2u:%02u - %2u:%02u", i + 1, entry.startHour, entry.startMinute,
                     entry.endHour, entry.endMinute);
    }
    return Line("broadcast windows: %d of %d in use", used, BroadcastTableEntries) + text;
}
