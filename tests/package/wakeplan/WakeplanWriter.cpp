// wakeplan-writer ENABLED FLAGS: stores a schedule record with these two
// fields (FLAGS in hexadecimal) and every other byte 0x5A, through the import
// library as the EPG program does. The exit code is the library's result.
#include "Wakeplan.h"
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv) {
    if (argc != 3)
        return 100;
    ScheduleRecord record;
    memset(&record, 0x5A, sizeof record);
    record.enabled = (uint16_t)strtoul(argv[1], nullptr, 10);
    record.flags = (uint32_t)strtoul(argv[2], nullptr, 16);
    return WriteScheduleRecord(&record);
}
