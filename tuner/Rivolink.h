// The tuner access library Rivolink.dll: the seven calls through which the
// programs that share the one tuner take it, tune it and hand it over.
#pragma once
#include <windows.h>
#include <cstddef>
#include <cstdint>

// Comes with callback event 9: another program asks for the tuner. The
// callback answers in place before it returns.
struct TunerRequest {
    uint32_t reserved;
    uint32_t requestLevel; // 0 and 1: the asker does not insist
    char programName[256]; // zero-terminated name of the asking program
    char replyName[256];   // on refusal: the refusing program's own name
    uint32_t answer;       // 1 yield, 0 refuse
};
static_assert(offsetof(TunerRequest, requestLevel) == 4, "TunerRequest layout");
static_assert(offsetof(TunerRequest, programName) == 8, "TunerRequest layout");
static_assert(offsetof(TunerRequest, replyName) == 264, "TunerRequest layout");
static_assert(offsetof(TunerRequest, answer) == 520, "TunerRequest layout");
static_assert(sizeof(TunerRequest) == 524, "TunerRequest layout");

// Callback events and their argument.
constexpr DWORD RvlEventRegistered = 7; // argument: the callback handle
constexpr DWORD RvlEventRequest = 9;    // argument: a TunerRequest*

// Event code, event argument, and the context given to RVL_OpenEx. Runs only
// on the thread that called RVL_OpenEx, while that thread reads its messages.
typedef int(__stdcall *RvlCallback)(DWORD eventCode, UINT_PTR eventArgument, UINT_PTR context);

// Constants of the calls.
constexpr DWORD RvlOpenNotify = 1;      // RVL_OpenEx: deliver events through a window
constexpr DWORD RvlResourcePicture = 2; // RVL_OpenResource kinds, combined by OR
constexpr DWORD RvlResourceVbi = 4;
constexpr DWORD RvlResourceTunerVbi = RvlResourcePicture | RvlResourceVbi; // 6
constexpr DWORD RvlCloseNotify = 1; // RVL_CallBackClose: withdraw the registration
constexpr DWORD RvlFirstChannel = 1;
constexpr DWORD RvlLastChannel = 12;

// RVL_GetSignalStatus bits.
constexpr DWORD RvlSignalTuned = 1;      // a channel is set
constexpr DWORD RvlSignalVbiRunning = 2; // VBI data reception runs

// Results: 0 success, otherwise one of these.
enum RvlResult : int {
    RvlOk = 0,
    RvlErrorArgument = 1,  // a null pointer, a zero size, an unknown constant or channel
    RvlErrorHandle = 2,    // handle closed, unknown, of another process or of the other kind
    RvlErrorNotHolder = 3, // the calling process does not hold the tuner
    RvlErrorNoAnswer = 4,  // the holder was asked and did not answer in time; it keeps the tuner
    RvlErrorTableFull = 5, // too many registrations or requests at once
    RvlErrorState = 6,     // the shared tuner state cannot be opened or locked, or no window
    RvlErrorInjected = 7,  // failure switched on from outside, for tests
};

extern "C" {
// Registers callback for this thread; the callback handle is stored at
// callbackHandle and comes again with event 7 once the thread reads its
// messages: once, and before the registration's first event 9.
int __stdcall RVL_OpenEx(RvlCallback callback, DWORD mode, HANDLE *callbackHandle, void *context);
// Takes the tuner. Result 0 with *resourceGranted 1: the tuner is ours and
// *resourceHandle closes it. Result 0 with *resourceGranted 0: another
// program keeps it and its name is in nameBuffer (cut to nameSize, always
// terminated). The holder is asked first and may yield.
int __stdcall RVL_OpenResource(DWORD *resourceGranted, HANDLE *resourceHandle, DWORD kind,
                               const char *ownerName, DWORD requestLevel, char *nameBuffer,
                               DWORD nameSize);
int __stdcall RVL_SetChannel(DWORD channel);
int __stdcall RVL_VBIResume(void);
int __stdcall RVL_GetSignalStatus(DWORD *status);
// Both tolerate handles that are closed or of the other kind (RvlErrorHandle).
int __stdcall RVL_CloseResource(HANDLE resourceHandle);
int __stdcall RVL_CallBackClose(HANDLE callbackHandle, DWORD mode);
}
