// The library's hidden window on each thread that registered a callback:
// every callback runs through it, so on that thread and only while the
// thread reads its messages.
#pragma once
#include "Rivolink.h"
#include <cstdint>

// Sent by an asker: wParam the request slot, lParam its serial. The result
// is 1 once the callback has answered, 0 when it was not called.
constexpr UINT RequestMessage = WM_APP + 0x52;

// Creates the window on the calling thread; nullptr on failure.
HWND CreateNotifyWindow(RvlCallback callback, UINT_PTR context);
// Called once the registration has its handle: event 7 follows through the
// queue, or before the first request if one comes first; once either way.
void AnnounceRegistration(HWND window, uint32_t handle);
// Stops all further callbacks; the window goes when its thread next reads messages.
void WithdrawNotifyWindow(HWND window, DWORD threadId);
