// The acquisition state that the application object, the tuner callback,
// reception, the conflict watch, the time list and the main dialog share:
// plain process-wide fields on the one user-interface thread, no lock.
#pragma once
#include "AcquireStatus.h"
#include "BroadcastWindow.h"
#include <windows.h>
#include <cstdint>
#include <ctime>

constexpr int NameBufferSize = 256;
constexpr int ConflictNameSize = 64;
constexpr int DateTextSize = 16;

struct AcquireContext {
    uint32_t autoMode; // 1 when started with the Auto switch; never cleared
    AcquireStatus status;
    uint32_t stopRequested; // 1 once an end path has begun
    uint32_t tunerHeld;
    uint32_t receiverRunning;
    uint32_t callbackEvent; // 0, 7 (registered) or 9 (another program asked for the tuner)
    int32_t lastResult;     // result of the last tuner library call
    HANDLE resourceHandle;
    HANDLE callbackHandle;
    DWORD resourceGranted; // 0: another program holds the tuner
    char requesterName[NameBufferSize];
    char noticeName[NameBufferSize];
    uint32_t conflictFound;
    char conflictName[ConflictNameSize];
    uint32_t adamsChannel; // 1 to 12, or 255 for none
    uint32_t alwaysReceiveAdams;
    uint32_t autoTimeAdjust;
    uint32_t storedReceiveMode;     // the schedule record's enabled word as last read
    char epgDateText[DateTextSize]; // date of the guide data, "%Y/%m/%d"
    uint32_t timerId;               // id of the last timer tick, 0 before the first
    time_t deadline;                // when the timer started + 30 or + 8 minutes
    uint32_t timerStartTick;        // the tick count when the timer started
    HWND tickWindow;                // the dialog while its timer runs and no early tick is pending
};

// The dialog's one timer.
constexpr UINT_PTR AcquireTimerId = 1;

extern AcquireContext acquire;
