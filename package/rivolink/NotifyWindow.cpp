#include "NotifyWindow.h"
#include "SharedState.h"
#include "StandInLog.h"
#include "Switches.h"
#include <atomic>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

const char NotifyClassName[] = "RivolinkNotify";
constexpr UINT RegisteredMessage = WM_APP + 0x50;
constexpr UINT WithdrawMessage = WM_APP + 0x51;

// What the window needs to call back, kept in its user data.
struct Notifier {
    RvlCallback callback;
    UINT_PTR context;
    uint32_t handle;
    // Event 7 is still to come; read and written on the window's thread only.
    bool registrationPending;
    // Set from any thread of the process by RVL_CallBackClose.
    std::atomic<bool> withdrawn;
};

Notifier *NotifierOf(HWND window) {
    return reinterpret_cast<Notifier *>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

// Event 7 is posted, but a request is sent, and a sent message is handled
// before the posted ones: a thread that was busy when a request came would
// otherwise see event 9 first. So whichever comes first delivers event 7,
// once; the flag is cleared before the call in case the callback reads
// messages itself.
void DeliverRegistration(Notifier &notifier) {
    if (!notifier.registrationPending || notifier.withdrawn)
        return;
    notifier.registrationPending = false;
    notifier.callback(RvlEventRegistered, notifier.handle, notifier.context);
    WriteLogLine(RivolinkKeyPath, "event 7 handle=0x%lx", (unsigned long)notifier.handle);
}

LRESULT AnswerRequest(Notifier &notifier, WPARAM slot, LPARAM serial) {
    DeliverRegistration(notifier);
    TunerRequest request;
    if (notifier.withdrawn || !ReadRequest((int)slot, (uint32_t)serial, &request))
        return 0;
    const TunerRequest asked = request; // the callback may write over the question too
    notifier.callback(RvlEventRequest, reinterpret_cast<UINT_PTR>(&request), notifier.context);
    WriteLogLine(RivolinkKeyPath, "event 9 from %s level %lu -> answer %lu reply=%s",
                 Quoted(asked.programName, sizeof asked.programName).c_str(),
                 (unsigned long)asked.requestLevel, (unsigned long)request.answer,
                 Quoted(request.replyName, sizeof request.replyName).c_str());
    StoreAnswer((int)slot, (uint32_t)serial, request);
    return 1;
}

LRESULT CALLBACK NotifyWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Notifier *notifier = NotifierOf(window);
    if (notifier == nullptr)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case RegisteredMessage:
        DeliverRegistration(*notifier);
        return 0;
    case RequestMessage:
        return notifier->withdrawn ? 0 : AnswerRequest(*notifier, wParam, lParam);
    case WithdrawMessage:
        DestroyWindow(window);
        return 0;
    case WM_NCDESTROY:
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        delete notifier;
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool RegisterNotifyClass() {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = NotifyWindowProc;
    windowClass.hInstance = reinterpret_cast<HINSTANCE>(&__ImageBase);
    windowClass.lpszClassName = NotifyClassName;
    return RegisterClassExA(&windowClass) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

} // namespace

HWND CreateNotifyWindow(RvlCallback callback, UINT_PTR context) {
    static const bool registered = RegisterNotifyClass();
    if (!registered)
        return nullptr;
    // A message-only window: never shown, found by no window search.
    HWND window = CreateWindowExA(0, NotifyClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  reinterpret_cast<HINSTANCE>(&__ImageBase), nullptr);
    if (window == nullptr)
        return nullptr;
    Notifier *notifier = new Notifier{callback, context, 0, false, {false}};
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(notifier));
    return window;
}

void AnnounceRegistration(HWND window, uint32_t handle) {
    Notifier *notifier = NotifierOf(window);
    notifier->handle = handle;
    notifier->registrationPending = true;
    PostMessageA(window, RegisteredMessage, 0, 0);
}

void WithdrawNotifyWindow(HWND window, DWORD threadId) {
    // The handle may name a window that has gone with its thread.
    if (!IsWindow(window) || GetWindowThreadProcessId(window, nullptr) != threadId)
        return;
    if (Notifier *notifier = NotifierOf(window))
        notifier->withdrawn = true;
    // Destroyed from its own thread, never from inside one of its callbacks.
    PostMessageA(window, WithdrawMessage, 0, 0);
}
