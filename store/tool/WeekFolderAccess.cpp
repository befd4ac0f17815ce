#include "WeekFolderAccess.h"
#include "Cp932.h"
#include "FileTime.h"
#include <cerrno>
#include <cstdio>
#include <cstring>

#ifdef _WIN32
#include "FolderScan.h"
#include "Path.h"
#include "Registry.h"
#include <windows.h>
#else
#include <dirent.h>
#include <iconv.h>
#include <sys/stat.h>
#endif

#ifdef _WIN32
namespace {
std::string SystemMessage(DWORD error) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
                   text, sizeof text, nullptr);
    std::string message = text;
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r'))
        message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : message;
}
} // namespace

bool ListFiles(const std::string &folder, std::vector<FolderEntry> &files, std::string &cause) {
    DWORD attributes = GetFileAttributesA(folder.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        cause =
            attributes == INVALID_FILE_ATTRIBUTES ? SystemMessage(GetLastError()) : "not a folder";
        return false;
    }
    WIN32_FIND_DATAA entry;
    FindHandle search(JoinPath(folder, "*").c_str(), entry);
    if (!search.Found()) {
        // Reports a folder that cannot be listed (denied, held, a failing
        // network share) as the error it is, not as an empty week.
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES)
            return true; // an empty folder
        cause = SystemMessage(error);
        return false;
    }
    do {
        // A name that is not one path part names nothing the program touches.
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && IsOnePathPart(entry.cFileName))
            files.push_back({entry.cFileName, FileTimeToTime(entry.ftCreationTime),
                             FileTimeToTime(entry.ftLastWriteTime),
                             FileSize(entry.nFileSizeHigh, entry.nFileSizeLow),
                             FileTicks(entry.ftLastWriteTime)});
    } while (search.Next(entry));
    return true;
}

std::string JoinPath(const std::string &folder, const std::string &name) {
    return folder + "\\" + name;
}

bool IsLink(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

bool RegisteredChannelTable(std::string &path, std::string &cause) {
    char folder[FolderBufferSize], table[FolderBufferSize];
    if (ReadChannelInstallPath(folder) != 1) {
        cause = "the channel utility's folder is not registered";
        return false;
    }
    if (!JoinText(table, sizeof table, folder, "\\ChTable.dat")) {
        cause = "the channel table's path is too long";
        return false;
    }
    path = table;
    return true;
}

int CompareNames(const char *a, const char *b) {
    return lstrcmpA(a, b);
}

std::string Utf8FromCp932(const std::string &text) {
    if (text.empty())
        return text;
    int wide = MultiByteToWideChar(932, 0, text.data(), (int)text.size(), nullptr, 0);
    std::wstring converted(wide, L'\0');
    MultiByteToWideChar(932, 0, text.data(), (int)text.size(), &converted[0], wide);
    int size =
        WideCharToMultiByte(CP_UTF8, 0, converted.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, converted.data(), wide, &utf8[0], size, nullptr, nullptr);
    return utf8;
}

std::string ForConsole(const std::string &text) {
    return text;
}

#else

bool ListFiles(const std::string &folder, std::vector<FolderEntry> &files, std::string &cause) {
    DIR *directory = opendir(folder.c_str());
    if (!directory) {
        cause = std::strerror(errno);
        return false;
    }
    while (dirent *entry = readdir(directory)) {
        struct stat status;
        std::string path = JoinPath(folder, entry->d_name);
        if (stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
            IsOnePathPart(entry->d_name))
            files.push_back({entry->d_name, status.st_mtime, status.st_mtime,
                             (uint64_t)status.st_size,
                             TimeToTicks(status.st_mtim.tv_sec, (uint64_t)status.st_mtim.tv_nsec / 100)});
    }
    closedir(directory);
    return true;
}

std::string JoinPath(const std::string &folder, const std::string &name) {
    return folder + "/" + name;
}

bool IsLink(const std::string &path) {
    struct stat status;
    return lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

bool RegisteredChannelTable(std::string &, std::string &cause) {
    cause = "no registry here: name the channel table with --channels";
    return false;
}

int CompareNames(const char *a, const char *b) {
    return std::strcmp(a, b);
}

std::string Utf8FromCp932(const std::string &text) {
    iconv_t converter = iconv_open("UTF-8", "CP932");
    if (converter == (iconv_t)-1)
        return text;
    std::string utf8;
    char *in = const_cast<char *>(text.data());
    size_t inLeft = text.size();
    while (inLeft > 0) {
        char buffer[256];
        char *out = buffer;
        size_t outLeft = sizeof buffer;
        size_t done = iconv(converter, &in, &inLeft, &out, &outLeft);
        utf8.append(buffer, out - buffer);
        if (done == (size_t)-1 && errno != E2BIG) {
            utf8 += "\xEF\xBF\xBD"; // a byte that is no code page 932 text
            ++in;
            --inLeft;
        }
    }
    iconv_close(converter);
    return utf8;
}

std::string ForConsole(const std::string &text) {
    return Utf8FromCp932(text);
}

#endif

bool ReadBytes(const std::string &path, std::vector<uint8_t> &bytes, std::string &cause,
               size_t limit) {
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) {
        cause = std::strerror(errno);
        return false;
    }
    uint8_t chunk[65536];
    size_t got;
    while (bytes.size() < limit && (got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        bytes.insert(bytes.end(), chunk, chunk + got);
    bool failed = std::ferror(file) != 0;
    if (failed)
        cause = std::strerror(errno);
    std::fclose(file);
    if (bytes.size() > limit)
        bytes.resize(limit);
    return !failed;
}
