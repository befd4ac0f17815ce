#include "ScheduleFile.h"
#include "File.h"

namespace {
constexpr UINT RecordSize = 9;       // four two-digit fields and a separator
constexpr UINT RecordFieldsSize = 8; // a last record may lack its separator

// Two characters of a record, taken as digits without checking that they are.
uint16_t FieldValue(const char *field) {
    return (uint16_t)(10 * ((signed char)field[0] - 48) + ((signed char)field[1] - 48));
}

// Converts up to MaxBroadcastWindows records. 1 when the file ended on a whole
// record (or the limit was reached), 0 when its last record was cut short.
int ReadRecords(CFile &file, BroadcastWindow *windows, int &count) {
    char record[RecordSize];
    while (count < MaxBroadcastWindows) {
        UINT got = file.Read(record, RecordSize);
        if (got < RecordFieldsSize)
            return got == 0 ? 1 : 0;
        windows[count++] = {FieldValue(record), FieldValue(record + 2), FieldValue(record + 4),
                            FieldValue(record + 6)};
    }
    return 1;
}
} // namespace

int ReadDecodedSchedule(const char *path, BroadcastWindow *windows, int &count) {
    int result = 0;
    count = 0;
    try {
        CFile file(path, CFile::modeRead);
        result = ReadRecords(file, windows, count);
        file.Close();
    } catch (const CFileException &) {
        result = 0; // the windows read before the failure stay
    }
    try {
        CFile::Remove(path);
    } catch (const CFileException &) {
    }
    return result;
}
