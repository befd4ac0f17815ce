// Taking the tuner, driving the receiver, and yielding the tuner when
// another program asks for it. The dialog's side is in CEpgMainDlg
// (OpenTuner, YieldAfterRequest, ReleaseTuner); the library calls back here.
#pragma once
#include "Rivolink.h"

// The name under which this program holds the tuner and refuses requests.
extern const char TunerOwnerName[];
// The receiver: its file beside the program, its switch, the title of its
// window, its messages, and how long it may take over one of them.
extern const char ReceiverFileName[];
extern const char ReceiverSwitch[];
extern const char ReceiverWindowTitle[];
constexpr UINT ReceiverStartMessage = 1827;
constexpr UINT ReceiverStopMessage = 1826;
// The receiver's handlers only start or stop its own timer, so an answer
// takes milliseconds. 5 s is when the system itself calls a window that
// reads no messages "not responding", and how long an asker waits for the
// tuner's holder: a receiver that takes longer is taken for hung.
constexpr UINT ReceiverAnswerMilliseconds = 5000;

// "%s is running, so guide-data acquisition is stopped".
extern const char HolderRunningFormat[];
// An application message box with acquire.conflictName in place of the format's %s.
void ShowConflictMessage(const char *format);

// The tuner library's callback. Event 7 brings the callback handle; event 9
// a request from another program, answered in place: a request that does
// not insist (level 0 or 1) is refused, any other is granted, and the first
// one from a new program closes the resource while the tuner is held and
// leaves the rest to the dialog's next timer tick (acquire.callbackEvent 9),
// which it posts at once while the dialog's timer runs.
int __stdcall TunerCallback(DWORD eventCode, UINT_PTR eventArgument, UINT_PTR context);
