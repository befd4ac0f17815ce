// The scheduler library: keeps the schedule record and the broadcast windows
// in files of its own folder. Each call reads the registry afresh, so that a
// fault switch or another folder takes effect at once.
#include "Wakeplan.h"
#include "WakeplanStore.h"

extern "C" {

int __cdecl ReadScheduleRecord(ScheduleRecord *record) {
    if (!record)
        return WakeplanNoArgument;
    if (WakeplanSwitch("FailRead"))
        return WakeplanFaultInjected;
    ScheduleRecord stored;
    if (!LoadStored(WakeplanFolder(), ScheduleFileName, &stored, sizeof stored))
        return WakeplanStorageFailed;
    *record = stored;
    return WakeplanOk;
}

int __cdecl WriteScheduleRecord(ScheduleRecord *record) {
    if (!record)
        return WakeplanNoArgument;
    if (WakeplanSwitch("FailWrite"))
        return WakeplanFaultInjected;
    if (!SaveStored(WakeplanFolder(), ScheduleFileName, record, sizeof *record))
        return WakeplanStorageFailed;
    return WakeplanOk;
}

int __cdecl SetBroadcastTimes(BroadcastTimeTable *table) {
    if (!table)
        return WakeplanNoArgument;
    if (WakeplanSwitch("FailSet"))
        return WakeplanFaultInjected;
    if (!SaveStored(WakeplanFolder(), BroadcastFileName, table, sizeof *table))
        return WakeplanStorageFailed;
    return WakeplanOk;
}

} // extern "C"
