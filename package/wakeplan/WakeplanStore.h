// Where the scheduler keeps its record and broadcast windows, and the
// switches that make its calls fail on purpose.
//
// Both live under HKEY_CURRENT_USER\Software\PackageStandIns\Wakeplan:
//   "Folder" (text): the storage folder; without it
//       %APPDATA%\PackageStandIns\Wakeplan, created on first write.
//   "FailRead", "FailWrite", "FailSet" (DWORD): nonzero makes that call
//       return the value set (WakeplanFaultInjected when it is 1) and change
//       nothing, so that a caller can tell one failure from another.
//   "CrashBeforeRename" (DWORD): nonzero ends the process after a write has
//       reached its temporary file and before it replaces the stored one.
//   "Log" (text): a file that every call is written to, one line each.
#pragma once
#include "Wakeplan.h"
#include <string>

constexpr char WakeplanKeyPath[] = "Software\\PackageStandIns\\Wakeplan";
constexpr char ScheduleFileName[] = "Schedule.dat";
constexpr char BroadcastFileName[] = "Broadcast.dat";

// Results of the library's calls.
enum WakeplanResult {
    WakeplanOk = 0,
    WakeplanFaultInjected = 1, // a fault switch is on
    WakeplanStorageFailed = 2, // the folder or a file could not be read or written
    WakeplanNoArgument = 3,    // a null pointer was passed
};

// The storage folder, without a trailing backslash.
std::string WakeplanFolder();
// The named fault switch's value: 0 when it is off or not set.
uint32_t WakeplanSwitch(const char *name);

// Reads a stored file of exactly size bytes. A file never written yields all
// zero bytes and true; a file of another size or one that cannot be read
// yields false, and data is left alone.
bool LoadStored(const std::string &folder, const char *fileName, void *data, size_t size);
// Replaces a stored file as a whole: written to a temporary file, flushed,
// then renamed over the old one, so that a reader finds either the old or
// the new content, never a mixture.
bool SaveStored(const std::string &folder, const char *fileName, const void *data, size_t size);

// The record and the table as readable text, one field per line.
std::string DescribeScheduleRecord(const ScheduleRecord &record);
std::string DescribeBroadcastTimes(const BroadcastTimeTable &table);
