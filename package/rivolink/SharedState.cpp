#include "SharedState.h"
#include <cstring>

namespace {

const char MappingName[] = "Local\\RivolinkTunerState";
const char MutexName[] = "Local\\RivolinkTunerLock";
constexpr uint32_t StateMagic = 0x314B4C52; // "RLK1"
constexpr DWORD LockWaitMs = 10000;

struct SharedObjects {
    HANDLE mutex = nullptr;
    SharedState *state = nullptr;
};

SharedObjects OpenSharedObjects() {
    SharedObjects objects;
    objects.mutex = CreateMutexA(nullptr, FALSE, MutexName);
    // A fresh mapping is all zeros; the first lock marks it initialised.
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                        sizeof(SharedState), MappingName);
    if (objects.mutex == nullptr || mapping == nullptr)
        return SharedObjects{};
    // Both handles stay open for the life of the process: a named object
    // loses its name with its last handle, whatever views remain.
    objects.state = static_cast<SharedState *>(
        MapViewOfFile(mapping, FILE_MAP_WRITE, 0, 0, sizeof(SharedState)));
    return objects;
}

const SharedObjects &Objects() {
    static const SharedObjects objects = OpenSharedObjects();
    return objects;
}

uint64_t StartTime(HANDLE process) {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(process, &created, &exited, &kernel, &user))
        return 0;
    return (uint64_t)created.dwHighDateTime << 32 | created.dwLowDateTime;
}

bool IsRunning(const ProcessStamp &process) {
    if (IsOwnProcess(process))
        return true;
    HANDLE handle = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, process.id);
    if (handle == nullptr)
        return GetLastError() == ERROR_ACCESS_DENIED; // there, but not ours to look at
    bool running =
        WaitForSingleObject(handle, 0) == WAIT_TIMEOUT && StartTime(handle) == process.started;
    CloseHandle(handle);
    return running;
}

void DropEndedProcesses(SharedState &state) {
    if (state.holder.inUse && !IsRunning(state.holder.process))
        memset(&state.holder, 0, sizeof state.holder);
    for (SharedRegistration &entry : state.registrations)
        if (entry.inUse && !IsRunning(entry.process))
            memset(&entry, 0, sizeof entry);
    for (SharedRequest &entry : state.requests)
        if (entry.inUse && !IsRunning(entry.requester))
            memset(&entry, 0, sizeof entry);
}

bool IsLeadByte932(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

} // namespace

StateLock::StateLock() {
    const SharedObjects &objects = Objects();
    if (objects.state == nullptr)
        return;
    DWORD waited = WaitForSingleObject(objects.mutex, LockWaitMs);
    // An abandoned lock is ours now; the state holds only plain fields.
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)
        return;
    if (objects.state->magic == 0) {
        objects.state->magic = StateMagic;
        objects.state->nextSerial = 1;
    }
    if (objects.state->magic != StateMagic) {
        ReleaseMutex(objects.mutex);
        return;
    }
    state = objects.state;
    DropEndedProcesses(*state);
}

StateLock::~StateLock() {
    if (state != nullptr)
        ReleaseMutex(Objects().mutex);
}

const ProcessStamp &OwnProcess() {
    static const ProcessStamp own = {GetCurrentProcessId(), 0, StartTime(GetCurrentProcess())};
    return own;
}

bool IsOwnProcess(const ProcessStamp &process) {
    return process.id == OwnProcess().id && process.started == OwnProcess().started;
}

uint32_t NewHandleValue(SharedState &state, uint32_t tag) {
    uint32_t serial = state.nextSerial++ & 0xFFFFFF;
    if (serial == 0)
        serial = state.nextSerial++ & 0xFFFFFF;
    return tag << 24 | serial;
}

uint32_t HandleTag(uint32_t value) {
    return value >> 24;
}

HANDLE ToHandle(uint32_t value) {
    return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(value));
}

uint32_t FromHandle(HANDLE handle) {
    UINT_PTR value = reinterpret_cast<UINT_PTR>(handle);
    return value > 0xFFFFFFFFu ? 0 : static_cast<uint32_t>(value);
}

void CopyName(char *target, size_t size, const char *source) {
    if (size == 0)
        return;
    size_t used = 0;
    while (source[used] != '\0') {
        size_t width = IsLeadByte932(source[used]) && source[used + 1] != '\0' ? 2 : 1;
        if (used + width > size - 1)
            break;
        used += width;
    }
    memcpy(target, source, used);
    target[used] = '\0';
}

bool ReadRequest(int slot, uint32_t serial, TunerRequest *request) {
    StateLock state;
    if (!state || slot < 0 || slot >= MaxRequests)
        return false;
    const SharedRequest &entry = state->requests[slot];
    if (!entry.inUse || entry.serial != serial || entry.answered)
        return false;
    memset(request, 0, sizeof *request);
    request->requestLevel = entry.requestLevel;
    CopyName(request->programName, sizeof request->programName, entry.programName);
    return true;
}

void StoreAnswer(int slot, uint32_t serial, const TunerRequest &request) {
    StateLock state;
    if (!state || slot < 0 || slot >= MaxRequests)
        return;
    SharedRequest &entry = state->requests[slot];
    if (!entry.inUse || entry.serial != serial)
        return;
    entry.answered = 1;
    entry.answer = request.answer == 1 ? 1 : 0;
    // The callback may fill all 256 bytes; the copy is terminated regardless.
    char reply[NameSize];
    memcpy(reply, request.replyName, sizeof reply);
    reply[NameSize - 1] = '\0';
    CopyName(entry.replyName, sizeof entry.replyName, reply);
}
