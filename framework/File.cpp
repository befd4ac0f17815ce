#include "File.h"

CFileException::CFileException(DWORD error, const char *name) : osError(error) {
    lstrcpynA(fileName, name ? name : "", sizeof fileName);
}

CFile::CFile() = default;

CFile::CFile(const char *fileName, UINT openFlags) {
    DWORD error = 0;
    if (!Open(fileName, openFlags, &error))
        throw CFileException(error, fileName);
}

CFile::~CFile() {
    if (handle != INVALID_HANDLE_VALUE)
        CloseHandle(handle);
}

bool CFile::Open(const char *fileName, UINT openFlags, DWORD *osError) {
    // An open file is closed first: its handle would otherwise be lost, and
    // the file held until the process ends.
    if (handle != INVALID_HANDLE_VALUE) {
        CloseHandle(handle);
        handle = INVALID_HANDLE_VALUE;
    }
    lstrcpynA(path, fileName, sizeof path);
    DWORD access = GENERIC_READ;
    if ((openFlags & 3) == modeWrite)
        access = GENERIC_WRITE;
    else if ((openFlags & 3) == modeReadWrite)
        access = GENERIC_READ | GENERIC_WRITE;

    DWORD share = 0;
    switch (openFlags & 0x70) {
    case shareDenyWrite:
        share = FILE_SHARE_READ;
        break;
    case shareDenyRead:
        share = FILE_SHARE_WRITE;
        break;
    case shareDenyNone:
        share = FILE_SHARE_READ | FILE_SHARE_WRITE;
        break;
    default:
        share = 0;
        break; // compatibility and exclusive
    }
    DWORD disposition = (openFlags & modeCreate) ? CREATE_ALWAYS : OPEN_EXISTING;

    handle =
        CreateFileA(fileName, access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        if (osError)
            *osError = GetLastError();
        return false;
    }
    return true;
}

void CFile::Throw() const {
    throw CFileException(GetLastError(), path);
}

UINT CFile::Read(void *buffer, UINT count) {
    DWORD done = 0;
    if (!ReadFile(handle, buffer, count, &done, nullptr))
        Throw();
    return done;
}

void CFile::Write(const void *buffer, UINT count) {
    DWORD done = 0;
    if (!WriteFile(handle, buffer, count, &done, nullptr))
        Throw();
    if (done != count)
        throw CFileException(ERROR_DISK_FULL, path);
}

ULONGLONG CFile::Seek(LONGLONG offset, SeekPosition from) {
    LARGE_INTEGER distance, position;
    distance.QuadPart = offset;
    if (!SetFilePointerEx(handle, distance, &position, from))
        Throw();
    return position.QuadPart;
}

ULONGLONG CFile::GetLength() const {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle, &size))
        Throw();
    return size.QuadPart;
}

void CFile::Close() {
    if (handle == INVALID_HANDLE_VALUE)
        return;
    HANDLE h = handle;
    handle = INVALID_HANDLE_VALUE;
    if (!CloseHandle(h))
        Throw();
}

void CFile::Remove(const char *fileName) {
    if (!DeleteFileA(fileName))
        throw CFileException(GetLastError(), fileName);
}

bool CopyWholeFile(const char *source, const char *target, bool failIfExists) {
    if (CopyFileA(source, target, failIfExists ? TRUE : FALSE))
        return true;
    DWORD error = GetLastError();
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL)
        DeleteFileA(target);
    return false;
}
