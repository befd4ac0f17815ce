// Reads the shared state directly: the state's own code is linked in, so
// the library's calls stay as they are. Entries of processes that have
// ended are dropped as the lock is taken, as in every caller.
#include "TunerStatus.h"
#include "SharedState.h"
#include <cstdio>
#include <cstring>
#include <string>

namespace {

// The file name of a running process's program, or "?".
std::string ProgramName(uint32_t processId) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    char path[MAX_PATH] = {};
    DWORD size = sizeof path;
    bool known = process && QueryFullProcessImageNameA(process, 0, path, &size);
    if (process)
        CloseHandle(process);
    if (!known)
        return "?";
    // The name starts after the last backslash; CharNextA keeps a code page
    // 932 trail byte that equals '\' from being taken for one.
    const char *name = path;
    for (const char *p = path; *p; p = CharNextA(p))
        if (*p == '\\')
            name = p + 1;
    return name;
}

// A name as the state keeps it, terminated within its field.
std::string Name(const char *field) {
    return std::string(field, strnlen(field, NameSize));
}

void PrintHolder(const SharedHolder &holder) {
    if (!holder.inUse) {
        printf("tuner: free\n");
        return;
    }
    printf("tuner: held\n");
    printf("holder: process %lu (%s) name \"%s\" handle 0x%lx kind %lu level %lu\n",
           (unsigned long)holder.process.id, ProgramName(holder.process.id).c_str(),
           Name(holder.ownerName).c_str(), (unsigned long)holder.handle, (unsigned long)holder.kind,
           (unsigned long)holder.requestLevel);
    if (holder.channel != 0)
        printf("channel: %lu\n", (unsigned long)holder.channel);
    else
        printf("channel: none\n");
    printf("vbi: %s\n", holder.vbiRunning ? "running" : "stopped");
}

void PrintRegistrations(const SharedState &state) {
    int count = 0;
    for (const SharedRegistration &entry : state.registrations)
        count += entry.inUse ? 1 : 0;
    printf("registrations: %d\n", count);
    for (const SharedRegistration &entry : state.registrations)
        if (entry.inUse)
            printf("registration: process %lu thread %lu handle 0x%lx\n",
                   (unsigned long)entry.process.id, (unsigned long)entry.threadId,
                   (unsigned long)entry.handle);
}

void PrintRequests(const SharedState &state) {
    int count = 0;
    for (const SharedRequest &entry : state.requests)
        count += entry.inUse ? 1 : 0;
    printf("requests: %d\n", count);
    for (const SharedRequest &entry : state.requests)
        if (entry.inUse)
            printf("request: process %lu name \"%s\" level %lu %s\n",
                   (unsigned long)entry.requester.id, Name(entry.programName).c_str(),
                   (unsigned long)entry.requestLevel, entry.answered ? "answered" : "waiting");
}

} // namespace

int PrintTunerStatus() {
    // A copy, so that the lock is not held while the output is written.
    SharedState copy;
    {
        StateLock state;
        if (!state) {
            printf("error %d: the shared tuner state cannot be read\n", RvlErrorState);
            return 2;
        }
        copy = *state;
    }
    PrintHolder(copy.holder);
    PrintRegistrations(copy);
    PrintRequests(copy);
    fflush(stdout);
    return 0;
}
