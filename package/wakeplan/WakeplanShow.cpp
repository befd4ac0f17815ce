// wakeplan-show: prints what the scheduler holds: the schedule record field
// by field and the 15 broadcast windows.
#include "WakeplanStore.h"
#include <cstdio>

int main() {
    std::string folder = WakeplanFolder();
    printf("scheduler folder: %s\n\n", folder.empty() ? "(none)" : folder.c_str());
    int status = 0;

    ScheduleRecord record;
    printf("schedule record (%s):\n", ScheduleFileName);
    if (LoadStored(folder, ScheduleFileName, &record, sizeof record)) {
        printf("%s\n", DescribeScheduleRecord(record).c_str());
    } else {
        printf("  cannot be read\n\n");
        status = 1;
    }

    BroadcastTimeTable table;
    printf("broadcast times (%s):\n", BroadcastFileName);
    if (LoadStored(folder, BroadcastFileName, &table, sizeof table)) {
        printf("%s", DescribeBroadcastTimes(table).c_str());
    } else {
        printf("  cannot be read\n");
        status = 1;
    }
    return status;
}
