// The scheduler library: keeps the schedule record and the broadcast windows
// in files of its own folder. Each call reads the registry afresh, so that a
// fault switch or another folder takes effect at once, and is written to the
// log when one is switched on.
#include "Wakeplan.h"
#include "StandInLog.h"
#include "WakeplanStore.h"
#include <cstdio>
#include <string>

namespace {

int ReadRecord(ScheduleRecord *record) {
    if (!record)
        return WakeplanNoArgument;
    if (uint32_t fault = WakeplanSwitch("FailRead"))
        return (int)fault;
    ScheduleRecord stored;
    if (!LoadStored(WakeplanFolder(), ScheduleFileName, &stored, sizeof stored))
        return WakeplanStorageFailed;
    *record = stored;
    return WakeplanOk;
}

int WriteRecord(const ScheduleRecord *record) {
    if (!record)
        return WakeplanNoArgument;
    if (uint32_t fault = WakeplanSwitch("FailWrite"))
        return (int)fault;
    if (!SaveStored(WakeplanFolder(), ScheduleFileName, record, sizeof *record))
        return WakeplanStorageFailed;
    return WakeplanOk;
}

int SetTable(const BroadcastTimeTable *table) {
    if (!table)
        return WakeplanNoArgument;
    if (uint32_t fault = WakeplanSwitch("FailSet"))
        return (int)fault;
    if (!SaveStored(WakeplanFolder(), BroadcastFileName, table, sizeof *table))
        return WakeplanStorageFailed;
    return WakeplanOk;
}

// The fields the program uses, as the log shows them.
std::string RecordFields(const ScheduleRecord &record) {
    const uint16_t *window = record.dailyWindow;
    const uint16_t *next = record.nextStart;
    char text[200];
    snprintf(text, sizeof text,
             "enabled=%u window=%02u:%02u-%02u:%02u next=%04u/%02u/%02u dow=%u "
             "time=%02u:%02u:%02u.%03u flags=0x%08lx",
             record.enabled, window[0], window[1], window[2], window[3], next[0], next[1], next[3],
             next[2], next[4], next[5], next[6], next[7], (unsigned long)record.flags);
    return text;
}

// The windows in table order; a free entry shows only when a used one follows.
std::string TableWindows(const BroadcastTimeTable &table) {
    std::string text, frees;
    for (const BroadcastWindow &entry : table.entries) {
        if (!entry.startHour && !entry.startMinute && !entry.endHour && !entry.endMinute) {
            frees += " free";
            continue;
        }
        char window[32];
        snprintf(window, sizeof window, " %02u:%02u-%02u:%02u", entry.startHour, entry.startMinute,
                 entry.endHour, entry.endMinute);
        text += frees + window;
        frees.clear();
    }
    return text.empty() ? "(none)" : text.substr(1);
}

} // namespace

extern "C" {

int __cdecl ReadScheduleRecord(ScheduleRecord *record) {
    int result = ReadRecord(record);
    WriteLogLine(WakeplanKeyPath, "ReadScheduleRecord%s -> %d%s", record ? "" : " (null)", result,
                 result == WakeplanOk ? (" " + RecordFields(*record)).c_str() : "");
    return result;
}

int __cdecl WriteScheduleRecord(ScheduleRecord *record) {
    int result = WriteRecord(record);
    WriteLogLine(WakeplanKeyPath, "WriteScheduleRecord %s -> %d",
                 record ? RecordFields(*record).c_str() : "(null)", result);
    return result;
}

int __cdecl SetBroadcastTimes(BroadcastTimeTable *table) {
    int result = SetTable(table);
    WriteLogLine(WakeplanKeyPath, "SetBroadcastTimes %s -> %d",
                 table ? TableWindows(*table).c_str() : "(null)", result);
    return result;
}

} // extern "C"
