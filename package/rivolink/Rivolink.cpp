// The seven calls of the tuner access library.
//
// Arbitration: the shared state names the one holder. A request for a held
// tuner is put into a request slot of the shared state and the holder's
// library window is sent a message naming the slot; the holder's callback
// answers on its registering thread and the answer comes back through the
// slot. The asker never holds the lock while it waits, because the holder's
// callback closes its resource through this library.
#include "NotifyWindow.h"
#include "Rivolink.h"
#include "SharedState.h"
#include "StandInLog.h"
#include "Switches.h"
#include <cstdio>
#include <cstring>
#include <string>

namespace {

constexpr DWORD DefaultAnswerTimeoutMs = 5000;
// A yielded tuner may be taken by a third program before the asker gets it;
// the asker then asks the new holder, a few times at most.
constexpr int MaxAskRounds = 3;

struct ResourceCall {
    DWORD *granted;
    HANDLE *handle;
    DWORD kind;
    const char *ownerName;
    DWORD requestLevel;
    char *nameBuffer;
    DWORD nameSize;
};

// One question to the holder, as the asker remembers it while it waits.
struct Question {
    int slot = -1;
    uint32_t serial = 0;
    uint32_t holderHandle = 0;
    HWND window = nullptr;
    char holderName[NameSize] = {};
};

bool HeldByUs(const SharedState &state) {
    return state.holder.inUse && IsOwnProcess(state.holder.process);
}

void Grant(SharedState &state, const ResourceCall &call) {
    SharedHolder &holder = state.holder;
    memset(&holder, 0, sizeof holder);
    holder.inUse = 1;
    holder.handle = NewHandleValue(state, ResourceTag);
    holder.process = OwnProcess();
    holder.kind = call.kind;
    holder.requestLevel = call.requestLevel;
    CopyName(holder.ownerName, sizeof holder.ownerName, call.ownerName);
    *call.granted = 1;
    *call.handle = ToHandle(holder.handle);
}

// The holder's latest registration is the one asked.
const SharedRegistration *HolderRegistration(const SharedState &state) {
    const SharedRegistration *found = nullptr;
    for (const SharedRegistration &entry : state.registrations)
        if (entry.inUse && entry.process.id == state.holder.process.id &&
            entry.process.started == state.holder.process.started &&
            (found == nullptr || entry.handle > found->handle))
            found = &entry;
    return found;
}

enum class Step { Finished, Ask };

// Under the lock: takes a free tuner, or puts the question to its holder into
// a request slot. With Step::Finished, result is the call's result.
Step TakeOrPrepare(SharedState &state, const ResourceCall &call, Question &question, int &result) {
    result = RvlOk;
    if (!state.holder.inUse) {
        Grant(state, call);
        return Step::Finished;
    }
    question.holderHandle = state.holder.handle;
    CopyName(question.holderName, sizeof question.holderName, state.holder.ownerName);
    const SharedRegistration *registration = HolderRegistration(state);
    if (registration == nullptr) {
        // A holder without a callback cannot be asked: it keeps the tuner.
        CopyName(call.nameBuffer, call.nameSize, question.holderName);
        return Step::Finished;
    }
    for (int slot = 0; slot < MaxRequests; ++slot) {
        SharedRequest &request = state.requests[slot];
        if (request.inUse)
            continue;
        memset(&request, 0, sizeof request);
        request.inUse = 1;
        request.serial = NewHandleValue(state, 0);
        request.requester = OwnProcess();
        request.requestLevel = call.requestLevel;
        CopyName(request.programName, sizeof request.programName, call.ownerName);
        question.slot = slot;
        question.serial = request.serial;
        question.window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(registration->window));
        return Step::Ask;
    }
    result = RvlErrorTableFull;
    return Step::Finished;
}

// Under the lock again: reads the answer and frees the slot. A yielding
// holder normally closed its resource in its callback; if it did not, the
// tuner is taken from it here.
Step TakeAnswer(SharedState &state, const ResourceCall &call, const Question &question,
                int &result) {
    SharedRequest &request = state.requests[question.slot];
    bool answered = request.inUse && request.serial == question.serial && request.answered;
    bool yielded = answered && request.answer == 1;
    char replyName[NameSize];
    CopyName(replyName, sizeof replyName, answered ? request.replyName : "");
    if (request.serial == question.serial)
        memset(&request, 0, sizeof request);

    result = RvlOk;
    if (!answered || !yielded) {
        const char *name = replyName[0] != '\0' ? replyName : question.holderName;
        CopyName(call.nameBuffer, call.nameSize, name);
        if (!answered)
            result = RvlErrorNoAnswer;
        return Step::Finished;
    }
    if (state.holder.inUse && state.holder.handle == question.holderHandle)
        memset(&state.holder, 0, sizeof state.holder);
    if (state.holder.inUse)
        return Step::Ask;
    Grant(state, call);
    return Step::Finished;
}

int OpenResource(const ResourceCall &call) {
    for (int round = 0; round < MaxAskRounds; ++round) {
        Question question;
        int result = RvlOk;
        {
            StateLock state;
            if (!state)
                return RvlErrorState;
            if (TakeOrPrepare(*state, call, question, result) == Step::Finished)
                return result;
        }
        DWORD timeout = ReadSwitch("AnswerTimeout", DefaultAnswerTimeoutMs);
        DWORD_PTR reply = 0;
        SendMessageTimeoutA(question.window, RequestMessage, (WPARAM)question.slot,
                            (LPARAM)question.serial, SMTO_NORMAL, timeout, &reply);
        StateLock state;
        if (!state)
            return RvlErrorState;
        if (TakeAnswer(*state, call, question, result) == Step::Finished)
            return result;
    }
    // Taken by others each time it was yielded: the last holder keeps it.
    StateLock state;
    if (!state)
        return RvlErrorState;
    CopyName(call.nameBuffer, call.nameSize, state->holder.ownerName);
    return RvlOk;
}

std::string Hex(unsigned long long value) {
    char text[24];
    snprintf(text, sizeof text, "%llx", value);
    return text;
}

// A handle handed back through a pointer, as the log shows it.
std::string HandleText(const HANDLE *handle) {
    return handle ? "0x" + Hex(reinterpret_cast<UINT_PTR>(*handle)) : "(null)";
}

int OpenEx(RvlCallback callback, DWORD mode, HANDLE *callbackHandle, void *context) {
    if (callback == nullptr || callbackHandle == nullptr || mode != RvlOpenNotify)
        return RvlErrorArgument;
    *callbackHandle = nullptr;
    if (FaultSwitchOn("FailOpenEx"))
        return RvlErrorInjected;
    HWND window = CreateNotifyWindow(callback, reinterpret_cast<UINT_PTR>(context));
    if (window == nullptr)
        return RvlErrorState;
    uint32_t handle = 0;
    int result = RvlErrorTableFull;
    {
        StateLock state;
        if (!state)
            result = RvlErrorState;
        for (int i = 0; state && i < MaxRegistrations; ++i) {
            SharedRegistration &entry = state->registrations[i];
            if (entry.inUse)
                continue;
            handle = NewHandleValue(*state, CallbackTag);
            entry = SharedRegistration{1,
                                       handle,
                                       OwnProcess(),
                                       GetCurrentThreadId(),
                                       0,
                                       reinterpret_cast<UINT_PTR>(window)};
            result = RvlOk;
            break;
        }
    }
    if (result != RvlOk) {
        DestroyWindow(window);
        return result;
    }
    *callbackHandle = ToHandle(handle);
    AnnounceRegistration(window, handle);
    return RvlOk;
}

int OpenResourceChecked(DWORD *resourceGranted, HANDLE *resourceHandle, DWORD kind,
                        const char *ownerName, DWORD requestLevel, char *nameBuffer,
                        DWORD nameSize) {
    if (resourceGranted == nullptr || resourceHandle == nullptr || ownerName == nullptr ||
        nameBuffer == nullptr || nameSize == 0)
        return RvlErrorArgument;
    *resourceGranted = 0;
    *resourceHandle = nullptr;
    nameBuffer[0] = '\0';
    if (kind == 0 || (kind & ~RvlResourceTunerVbi) != 0)
        return RvlErrorArgument;
    if (FaultSwitchOn("FailOpenResource"))
        return RvlErrorInjected;
    return OpenResource(ResourceCall{resourceGranted, resourceHandle, kind, ownerName, requestLevel,
                                     nameBuffer, nameSize});
}

int SetChannel(DWORD channel) {
    if (FaultSwitchOn("FailSetChannel"))
        return RvlErrorInjected;
    if (channel < RvlFirstChannel || channel > RvlLastChannel)
        return RvlErrorArgument;
    StateLock state;
    if (!state)
        return RvlErrorState;
    if (!HeldByUs(*state))
        return RvlErrorNotHolder;
    state->holder.channel = channel;
    return RvlOk;
}

int VbiResume() {
    StateLock state;
    if (!state)
        return RvlErrorState;
    if (!HeldByUs(*state))
        return RvlErrorNotHolder;
    state->holder.vbiRunning = 1;
    return RvlOk;
}

int GetSignalStatus(DWORD *status) {
    if (status == nullptr)
        return RvlErrorArgument;
    *status = 0;
    StateLock state;
    if (!state)
        return RvlErrorState;
    if (!HeldByUs(*state))
        return RvlErrorNotHolder;
    if (state->holder.channel != 0)
        *status |= RvlSignalTuned;
    if (state->holder.vbiRunning)
        *status |= RvlSignalVbiRunning;
    return RvlOk;
}

int CloseResource(HANDLE resourceHandle) {
    uint32_t value = FromHandle(resourceHandle);
    if (HandleTag(value) != ResourceTag)
        return RvlErrorHandle;
    StateLock state;
    if (!state)
        return RvlErrorState;
    if (!HeldByUs(*state) || state->holder.handle != value)
        return RvlErrorHandle;
    memset(&state->holder, 0, sizeof state->holder);
    return RvlOk;
}

int CallBackClose(HANDLE callbackHandle, DWORD mode) {
    uint32_t value = FromHandle(callbackHandle);
    if (HandleTag(value) != CallbackTag)
        return RvlErrorHandle;
    if (mode != RvlCloseNotify)
        return RvlErrorArgument;
    HWND window = nullptr;
    DWORD threadId = 0;
    {
        StateLock state;
        if (!state)
            return RvlErrorState;
        for (SharedRegistration &entry : state->registrations) {
            if (entry.inUse && entry.handle == value && IsOwnProcess(entry.process)) {
                window = reinterpret_cast<HWND>(static_cast<UINT_PTR>(entry.window));
                threadId = entry.threadId;
                memset(&entry, 0, sizeof entry);
                break;
            }
        }
    }
    if (window == nullptr)
        return RvlErrorHandle;
    WithdrawNotifyWindow(window, threadId);
    return RvlOk;
}

} // namespace

// Each call is written to the log, if one is switched on, with its result
// and what it hands back.
extern "C" {

int __stdcall RVL_OpenEx(RvlCallback callback, DWORD mode, HANDLE *callbackHandle, void *context) {
    int result = OpenEx(callback, mode, callbackHandle, context);
    WriteLogLine(RivolinkKeyPath, "RVL_OpenEx mode=%lu -> %d handle=%s", (unsigned long)mode,
                 result, HandleText(callbackHandle).c_str());
    return result;
}

int __stdcall RVL_OpenResource(DWORD *resourceGranted, HANDLE *resourceHandle, DWORD kind,
                               const char *ownerName, DWORD requestLevel, char *nameBuffer,
                               DWORD nameSize) {
    int result = OpenResourceChecked(resourceGranted, resourceHandle, kind, ownerName, requestLevel,
                                     nameBuffer, nameSize);
    std::string granted = resourceGranted ? std::to_string(*resourceGranted) : "(null)";
    WriteLogLine(RivolinkKeyPath,
                 "RVL_OpenResource kind=%lu owner=%s level=%lu -> %d granted=%s handle=%s name=%s",
                 (unsigned long)kind, Quoted(ownerName).c_str(), (unsigned long)requestLevel,
                 result, granted.c_str(), HandleText(resourceHandle).c_str(),
                 Quoted(nameBuffer, nameBuffer ? nameSize : 0).c_str());
    return result;
}

int __stdcall RVL_SetChannel(DWORD channel) {
    int result = SetChannel(channel);
    WriteLogLine(RivolinkKeyPath, "RVL_SetChannel %lu -> %d", (unsigned long)channel, result);
    return result;
}

int __stdcall RVL_VBIResume(void) {
    int result = VbiResume();
    WriteLogLine(RivolinkKeyPath, "RVL_VBIResume -> %d", result);
    return result;
}

int __stdcall RVL_GetSignalStatus(DWORD *status) {
    int result = GetSignalStatus(status);
    WriteLogLine(RivolinkKeyPath, "RVL_GetSignalStatus -> %d status=%s", result,
                 status ? ("0x" + Hex(*status)).c_str() : "(null)");
    return result;
}

int __stdcall RVL_CloseResource(HANDLE resourceHandle) {
    int result = CloseResource(resourceHandle);
    WriteLogLine(RivolinkKeyPath, "RVL_CloseResource 0x%s -> %d",
                 Hex(reinterpret_cast<UINT_PTR>(resourceHandle)).c_str(), result);
    return result;
}

int __stdcall RVL_CallBackClose(HANDLE callbackHandle, DWORD mode) {
    int result = CallBackClose(callbackHandle, mode);
    WriteLogLine(RivolinkKeyPath, "RVL_CallBackClose 0x%s mode=%lu -> %d",
                 Hex(reinterpret_cast<UINT_PTR>(callbackHandle)).c_str(), (unsigned long)mode,
                 result);
    return result;
}

} // extern "C"
