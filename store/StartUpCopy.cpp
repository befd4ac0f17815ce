#include "StartUpCopy.h"
#include "FolderScan.h"
#include "Path.h"
#include "Registry.h"

namespace {
// A list longer than this is no list of the program's.
constexpr DWORD MaxListSize = 16u << 20;

bool TempPath(const char *adamsFolder, char *path) {
    return JoinText(path, FolderBufferSize, adamsFolder, "\\Temp");
}

bool ListPath(const char *adamsFolder, char *path) {
    return JoinText(path, FolderBufferSize, adamsFolder, "\\Temp\\", CopyListName);
}

// Reads the whole list; false when it cannot be read.
bool ReadList(const char *path, std::string &text) {
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    LARGE_INTEGER length;
    DWORD size = 0, done = 0;
    bool read = GetFileSizeEx(file, &length) && length.QuadPart <= MaxListSize;
    if (read) {
        size = (DWORD)length.QuadPart;
        text.resize(size);
        read = size == 0 || (ReadFile(file, &text[0], size, &done, nullptr) && done == size);
    }
    CloseHandle(file);
    return read;
}
} // namespace

TempKind InspectTemp(const char *adamsFolder, ListedNames *listed) {
    char temp[FolderBufferSize], list[FolderBufferSize];
    if (!TempPath(adamsFolder, temp) || !ListPath(adamsFolder, list))
        return TempKind::Foreign;
    DWORD attributes = GetFileAttributesA(temp);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND
                   ? TempKind::Missing
                   : TempKind::Foreign;
    // A link would send the copies and the deletions elsewhere.
    if ((attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) !=
            FILE_ATTRIBUTE_DIRECTORY ||
        !IsPlainFile(GetFileAttributesA(list)))
        return TempKind::Foreign;
    std::string text;
    if (!ReadList(list, text))
        return TempKind::Foreign;
    if (listed)
        listed->AddFromText(text);
    return TempKind::Own;
}

namespace {
bool CreateEmptyList(const char *list) {
    HANDLE file =
        CreateFileA(list, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}
} // namespace

bool CreateOwnTemp(const char *adamsFolder) {
    char temp[FolderBufferSize], list[FolderBufferSize];
    if (!TempPath(adamsFolder, temp) || !ListPath(adamsFolder, list) ||
        !CreateDirectoryA(temp, nullptr))
        return false;
    if (CreateEmptyList(list))
        return true;
    RemoveDirectoryA(temp);
    return false;
}

void RemoveOwnTemp(const char *adamsFolder) {
    char temp[FolderBufferSize], list[FolderBufferSize];
    if (TempPath(adamsFolder, temp) && ListPath(adamsFolder, list) && DeleteFileA(list) &&
        !RemoveDirectoryA(temp))
        CreateEmptyList(list);
}

bool ListFiles(const char *adamsFolder, const std::vector<ListedFile> &files) {
    if (files.empty())
        return true;
    // Starts on a line of its own: the last one may have been cut short.
    std::string lines = "\r\n" + ListLines(files);
    char list[FolderBufferSize];
    if (!ListPath(adamsFolder, list))
        return false;
    HANDLE file = CreateFileA(list, FILE_APPEND_DATA, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD done = 0;
    bool written =
        WriteFile(file, lines.data(), (DWORD)lines.size(), &done, nullptr) && done == lines.size();
    CloseHandle(file);
    return written;
}

bool ClaimTempFile(const char *adamsFolder, const char *name) {
    return InspectTemp(adamsFolder, nullptr) == TempKind::Own &&
           ListFiles(adamsFolder, {{name, false, 0, 0}});
}
