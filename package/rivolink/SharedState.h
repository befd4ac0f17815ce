// The one tuner of the installation, as every process that loads the library
// sees it: a named file mapping guarded by a named mutex. Only fixed-width
// fields, laid out alike for 32-bit and 64-bit processes.
#pragma once
#include "Rivolink.h"
#include <cstdint>

constexpr int NameSize = 256;
constexpr int MaxRegistrations = 32;
constexpr int MaxRequests = 8;

// A process, told apart from a later one that reuses its id.
struct ProcessStamp {
    uint32_t id;
    uint32_t reserved;
    uint64_t started; // creation time
};

struct SharedHolder {
    uint32_t inUse;
    uint32_t handle;
    ProcessStamp process;
    uint32_t kind;
    uint32_t requestLevel;
    uint32_t channel; // 0 until set
    uint32_t vbiRunning;
    char ownerName[NameSize];
};

// A callback registered by RVL_OpenEx; the callback itself stays in its process.
struct SharedRegistration {
    uint32_t inUse;
    uint32_t handle;
    ProcessStamp process;
    uint32_t threadId;
    uint32_t reserved;
    uint64_t window; // the library's window on the registering thread
};

// A question to the holder and its answer, while the asker waits.
struct SharedRequest {
    uint32_t inUse;
    uint32_t serial;
    ProcessStamp requester;
    uint32_t answered;
    uint32_t answer;
    uint32_t requestLevel;
    uint32_t reserved;
    char programName[NameSize];
    char replyName[NameSize];
};

struct SharedState {
    uint32_t magic;
    uint32_t nextSerial;
    SharedHolder holder;
    SharedRegistration registrations[MaxRegistrations];
    SharedRequest requests[MaxRequests];
};
static_assert(sizeof(SharedState) == 6000, "same layout in 32-bit and 64-bit processes");

// Holds the shared lock for its lifetime; entries of processes that have
// ended are dropped as soon as the lock is taken, so a dead holder frees
// the tuner. Test with operator bool: the state may be unreachable.
class StateLock {
public:
    StateLock();
    ~StateLock();
    StateLock(const StateLock &) = delete;
    StateLock &operator=(const StateLock &) = delete;
    explicit operator bool() const { return state != nullptr; }
    SharedState *operator->() const { return state; }
    SharedState &operator*() const { return *state; }

private:
    SharedState *state = nullptr;
};

const ProcessStamp &OwnProcess();
bool IsOwnProcess(const ProcessStamp &process);

// Handles are a kind tag and a serial; never 0.
constexpr uint32_t ResourceTag = 0x52;
constexpr uint32_t CallbackTag = 0x43;
uint32_t NewHandleValue(SharedState &state, uint32_t tag);
uint32_t HandleTag(uint32_t value);
HANDLE ToHandle(uint32_t value);
uint32_t FromHandle(HANDLE handle);

// Copies whole code page 932 characters only, so that a cut never leaves a
// lone lead byte; the target is always terminated (size > 0).
void CopyName(char *target, size_t size, const char *source);

// The holder's side of a question: fetches it and stores the answer.
// Both fail quietly when the asker has given up meanwhile.
bool ReadRequest(int slot, uint32_t serial, TunerRequest *request);
void StoreAnswer(int slot, uint32_t serial, const TunerRequest &request);
