#include "StandInLog.h"
#include <windows.h>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace {

// Serialises the lines of every process that writes to a log: appending
// alone would keep whole lines apart on Windows, the lock makes sure of it.
const char LogMutexName[] = "Local\\PackageStandInsLog";
constexpr DWORD LockWaitMs = 2000;

bool ReadLogPath(const char *keyPath, std::string &path) {
    char text[MAX_PATH] = {};
    DWORD size = sizeof text - 1;
    if (RegGetValueA(HKEY_CURRENT_USER, keyPath, "Log", RRF_RT_REG_SZ, nullptr, text, &size) !=
            ERROR_SUCCESS ||
        !text[0])
        return false;
    path = text;
    return true;
}

std::string Format(const char *format, va_list arguments) {
    va_list copy;
    va_copy(copy, arguments);
    int length = vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length <= 0)
        return std::string();
    std::string text((size_t)length + 1, '\0');
    vsnprintf(&text[0], text.size(), format, arguments);
    text.resize((size_t)length);
    return text;
}

// One write of the whole line at the end of the file, shared with every
// other writer and reader.
void Append(const std::string &path, const std::string &line) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, LogMutexName);
    DWORD waited = mutex ? WaitForSingleObject(mutex, LockWaitMs) : WAIT_FAILED;
    bool locked = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
    HANDLE file = CreateFileA(path.c_str(), FILE_APPEND_DATA | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(file, line.data(), (DWORD)line.size(), &written, nullptr);
        CloseHandle(file);
    }
    if (locked)
        ReleaseMutex(mutex);
    if (mutex)
        CloseHandle(mutex);
}

} // namespace

void WriteLogLine(const char *keyPath, const char *format, ...) {
    DWORD lastError = GetLastError(); // the logged call's error code outlives its line
    std::string path;
    if (!ReadLogPath(keyPath, path)) {
        SetLastError(lastError);
        return;
    }
    char prefix[32];
    snprintf(prefix, sizeof prefix, "%lu %lu ", (unsigned long)GetCurrentProcessId(),
             (unsigned long)GetCurrentThreadId());
    va_list arguments;
    va_start(arguments, format);
    std::string line = prefix + Format(format, arguments) + "\n";
    va_end(arguments);
    Append(path, line);
    SetLastError(lastError);
}

std::string Quoted(const char *text) {
    return text ? Quoted(text, strlen(text)) : "(null)";
}

std::string Quoted(const char *text, size_t size) {
    if (!text)
        return "(null)";
    std::string quoted = "\"";
    // Trail bytes of code page 932 are 0x40 and above, so no control byte is one.
    for (size_t i = 0; i < size && text[i] != '\0'; ++i) {
        unsigned char c = (unsigned char)text[i];
        if (c < 0x20 || c == 0x7F) {
            char escaped[8];
            snprintf(escaped, sizeof escaped, "\\x%02X", c);
            quoted += escaped;
        } else {
            quoted += (char)c;
        }
    }
    return quoted + "\"";
}
