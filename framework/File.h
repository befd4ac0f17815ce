// Binary file access that reports every failure as a CFileException.
#pragma once
#include <windows.h>

// A failed open, read, write, seek, close or remove: the system's error code
// and the file it concerned, both taken when the failure happened.
class CFileException {
public:
    CFileException(DWORD osError, const char *fileName);
    DWORD osError;
    char fileName[MAX_PATH];
};

// Copies source to target (not over an existing target when failIfExists).
// A copy that a full disk cut short is deleted: a shorter file must never
// stand where a whole one is expected. Returns whether the copy was made.
bool CopyWholeFile(const char *source, const char *target, bool failIfExists);

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000, // treated as exclusive, as the package's programs expect
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeCreate = 0x1000, // create new or truncate
        typeBinary = 0x8000,
    };
    enum SeekPosition { begin = FILE_BEGIN, current = FILE_CURRENT, end = FILE_END };

    CFile();
    // Opens at once; throws CFileException when the open fails.
    CFile(const char *fileName, UINT openFlags);
    ~CFile(); // closes without reporting
    CFile(const CFile &) = delete;
    CFile &operator=(const CFile &) = delete;

    // Returns false (and raises nothing) when the open fails. A file that
    // is open already is closed first.
    bool Open(const char *fileName, UINT openFlags, DWORD *osError = nullptr);
    UINT Read(void *buffer, UINT count);
    void Write(const void *buffer, UINT count);
    ULONGLONG Seek(LONGLONG offset, SeekPosition from);
    ULONGLONG GetLength() const;
    void Close();
    HANDLE Handle() const { return handle; }

    static void Remove(const char *fileName);

private:
    [[noreturn]] void Throw() const;
    HANDLE handle = INVALID_HANDLE_VALUE;
    char path[MAX_PATH] = {};
};
