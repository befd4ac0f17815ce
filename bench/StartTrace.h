// Where the program's start goes, read from Wine's relay trace: every line
// "SECONDS.MILLISECONDS:PID:TID:TEXT" (WINEDEBUG=+timestamp,+pid,+relay),
// with the relay limited to the few calls that mark the start's steps
// (scripts/bench-run sets RelayInclude).
#pragma once
#include <windows.h>
#include <string>
#include <vector>

struct StartStep {
    const char *name;
    bool inBaseline; // work that the program cannot avoid, which the start's baseline holds
};
constexpr int StartSteps = 9;
extern const StartStep StartStepList[StartSteps];

// The relay calls that mark the steps, as RelayInclude takes them.
extern const char StartTraceCalls[];

// The duration of each step of one start, in seconds: from the bench's
// CreateProcessA of the program (process id bench) to the program's 1827
// sent and handled (process id program). False, with the mark that is
// missing, when the trace does not hold every step.
bool SplitStart(const std::vector<std::string> &trace, DWORD bench, DWORD program,
                double steps[StartSteps], std::string &missing);
