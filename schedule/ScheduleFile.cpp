#include "ScheduleFile.h"
#include "File.h"
#include "ScheduleRecords.h"

namespace {
// Reads up to size bytes, as many as the file has; got counts them also when a read fails.
void ReadUpTo(CFile &file, uint8_t *bytes, size_t size, size_t &got) {
    while (got < size) {
        UINT read = file.Read(bytes + got, (UINT)(size - got));
        if (read == 0)
            return;
        got += read;
    }
}
} // namespace

int ReadDecodedSchedule(const char *path, BroadcastWindow *windows, int &count) {
    uint8_t bytes[ScheduleReadSize];
    size_t got = 0;
    bool readFailed = false;
    try {
        CFile file(path, CFile::modeRead);
        ReadUpTo(file, bytes, sizeof bytes, got);
        file.Close();
    } catch (const CFileException &) {
        readFailed = true;
    }
    // The windows read before a failure stay, and the read counts as failed.
    int result = ParseScheduleRecords(bytes, got, windows, &count);
    try {
        CFile::Remove(path);
    } catch (const CFileException &) {
    }
    return readFailed ? 0 : result;
}
