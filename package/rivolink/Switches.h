// Settings of the library read from the current user's registry at each
// call, so that tests and demos switch them from outside:
// HKEY_CURRENT_USER\Software\PackageStandIns\Rivolink, DWORD values.
//   FailOpenEx, FailOpenResource, FailSetChannel: nonzero makes that call fail.
//   AnswerTimeout: milliseconds an asker waits for the holder (default 5000).
// And a text value, Log: the file that every call and event is written to.
#pragma once
#include <windows.h>

constexpr char RivolinkKeyPath[] = "Software\\PackageStandIns\\Rivolink";

DWORD ReadSwitch(const char *name, DWORD fallback);
inline bool FaultSwitchOn(const char *name) {
    return ReadSwitch(name, 0) != 0;
}
