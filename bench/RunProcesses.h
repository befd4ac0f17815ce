// What the run bench does with other programs: starts them, ends the ones a
// failed round leaves, reads their memory, and says what a failed step
// leaves to see.
#pragma once
#include <windows.h>
#include <string>

// A figure that cannot be measured: what failed, and what was seen.
struct Failure {
    std::string what;
};
[[noreturn]] void Fail(const std::string &what);

// A started program that ends with its owner: one that a failed round
// leaves running is ended, so that the next run finds no leftover.
struct Started {
    HANDLE process = nullptr;
    DWORD id = 0;
    Started() = default;
    Started(const Started &) = delete;
    Started &operator=(const Started &) = delete;
    ~Started();
};

// Starts a program (Fail when it cannot); hidden as the program starts its receiver.
void Start(const std::string &commandLine, Started &started, bool hidden = false);

// The larger of peak and the process's peak private memory now.
SIZE_T PeakPrivate(HANDLE process, SIZE_T peak);

// A whole file shared with its writers; empty when it cannot be read.
std::string ReadShared(const std::string &path);

// What a failed step leaves to read: whether the program (if given) still
// runs and what its windows show, a message box's text among them, and the
// receiver's log (code page 932), all as UTF-8.
std::string Account(const Started *program, const std::string &log);

std::string Number(unsigned long value);
std::string Quoted(const std::string &path);
