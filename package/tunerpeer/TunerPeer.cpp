// tunerpeer: another program that uses the one tuner, for tests and demos.
//
//   tunerpeer ask NAME LEVEL
//       Asks for the tuner as a viewer would. Prints "granted" (exit 0) or
//       "refused by HOLDER" (exit 1); a failed call prints "error N from CALL"
//       (exit 2). A granted tuner is given back before the program ends.
//   tunerpeer hold NAME [--answer yes|no|late] [--seconds N] [--level L] [--busy MS]
//                  [--channel C]
//       Takes the tuner and keeps it for N seconds (default 30) while it reads
//       its messages, answering each request as told: yes yields, no refuses,
//       late refuses after 2 seconds. Prints each event it receives and
//       whether it ran on the registering thread. Ends early once it yielded.
//       With --channel, tunes to channel C and starts VBI reception once it
//       holds the tuner. With --busy, reads no messages for MS milliseconds
//       after taking the tuner, as a program busy with something else would.
//       Exit 0, or 1 when the tuner was not granted, 2 on a failed call.
//   tunerpeer status
//       Prints who holds the tuner, its channel and VBI state, and every
//       registered callback and waiting request. Exit 0, 2 when the tuner's
//       state cannot be read.
#include "Rivolink.h"
#include "TunerStatus.h"
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

enum class Answer { Yes, No, Late };

struct HoldState {
    std::string name;
    Answer answer = Answer::No;
    DWORD busyMilliseconds = 0;
    DWORD channel = 0; // 0: left untuned
    DWORD registeringThread = 0;
    HANDLE resource = nullptr;
    bool yielded = false;
};

void Say(const char *format, ...) __attribute__((format(printf, 1, 2)));
void Say(const char *format, ...) {
    va_list arguments;
    va_start(arguments, format);
    vprintf(format, arguments);
    va_end(arguments);
    fputc('\n', stdout);
    fflush(stdout); // read by other programs while this one runs
}

const char *ThreadVerdict(const HoldState &state) {
    return GetCurrentThreadId() == state.registeringThread ? "same thread" : "other thread";
}

int __stdcall HoldCallback(DWORD eventCode, UINT_PTR argument, UINT_PTR context) {
    HoldState &state = *reinterpret_cast<HoldState *>(context);
    if (eventCode == RvlEventRegistered) {
        Say("event 7 handle 0x%lx, %s", (unsigned long)argument, ThreadVerdict(state));
    } else if (eventCode == RvlEventRequest) {
        TunerRequest &request = *reinterpret_cast<TunerRequest *>(argument);
        Say("request from %.255s level %lu, %s", request.programName,
            (unsigned long)request.requestLevel, ThreadVerdict(state));
        if (state.answer == Answer::Yes) {
            int closed = RVL_CloseResource(state.resource);
            state.yielded = true;
            request.answer = 1;
            Say("yielded, closed resource: %d", closed);
        } else {
            if (state.answer == Answer::Late)
                Sleep(2000);
            snprintf(request.replyName, sizeof request.replyName, "%s", state.name.c_str());
            request.answer = 0;
            Say("refused");
        }
    }
    return 0;
}

// Reads messages until the time is up or the tuner was handed over.
void ReadMessagesFor(DWORD milliseconds, const HoldState &state) {
    DWORD start = GetTickCount();
    while (!state.yielded) {
        DWORD elapsed = GetTickCount() - start;
        if (elapsed >= milliseconds)
            break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds - elapsed, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

int Ask(const char *name, DWORD level) {
    DWORD granted = 0;
    HANDLE resource = nullptr;
    char holder[64];
    int result = RVL_OpenResource(&granted, &resource, RvlResourceTunerVbi, name, level, holder,
                                  sizeof holder);
    if (result != RvlOk) {
        Say("error %d from RVL_OpenResource", result);
        return 2;
    }
    if (!granted) {
        Say("refused by %s", holder);
        return 1;
    }
    Say("granted");
    RVL_CloseResource(resource);
    return 0;
}

int Hold(HoldState &state, DWORD level, DWORD seconds) {
    HANDLE callbackHandle = nullptr;
    state.registeringThread = GetCurrentThreadId();
    int result = RVL_OpenEx(HoldCallback, RvlOpenNotify, &callbackHandle, &state);
    if (result != RvlOk) {
        Say("error %d from RVL_OpenEx", result);
        return 2;
    }
    DWORD granted = 0;
    char holder[64];
    result = RVL_OpenResource(&granted, &state.resource, RvlResourceTunerVbi, state.name.c_str(),
                              level, holder, sizeof holder);
    if (result != RvlOk || !granted) {
        if (result != RvlOk)
            Say("error %d from RVL_OpenResource", result);
        else
            Say("refused by %s", holder);
        RVL_CallBackClose(callbackHandle, RvlCloseNotify);
        return result != RvlOk ? 2 : 1;
    }
    Say("holding");
    if (state.channel != 0) {
        int tuned = RVL_SetChannel(state.channel);
        int resumed = RVL_VBIResume();
        Say("channel %lu: %d, VBI: %d", (unsigned long)state.channel, tuned, resumed);
    }
    Sleep(state.busyMilliseconds);
    ReadMessagesFor(seconds * 1000, state);
    if (state.yielded) {
        Say("handed over");
    } else {
        RVL_CloseResource(state.resource);
        Say("released");
    }
    RVL_CallBackClose(callbackHandle, RvlCloseNotify);
    return 0;
}

bool ParseNumber(const char *text, DWORD *value) {
    char *end = nullptr;
    unsigned long number = strtoul(text, &end, 10);
    if (end == text || *end != '\0')
        return false;
    *value = (DWORD)number;
    return true;
}

int Usage() {
    fputs("usage: tunerpeer ask NAME LEVEL\n"
          "       tunerpeer hold NAME [--answer yes|no|late] [--seconds N] [--level L]"
          " [--busy MS] [--channel C]\n"
          "       tunerpeer status\n",
          stderr);
    return 2;
}

} // namespace

int main(int argc, char **argv) {
    if (argc == 4 && strcmp(argv[1], "ask") == 0) {
        DWORD level = 0;
        return ParseNumber(argv[3], &level) ? Ask(argv[2], level) : Usage();
    }
    if (argc == 2 && strcmp(argv[1], "status") == 0)
        return PrintTunerStatus();
    if (argc < 3 || strcmp(argv[1], "hold") != 0)
        return Usage();
    HoldState state;
    state.name = argv[2];
    DWORD seconds = 30, level = 2;
    for (int i = 3; i < argc; i += 2) {
        if (i + 1 >= argc)
            return Usage();
        const char *option = argv[i];
        const char *value = argv[i + 1];
        if (strcmp(option, "--answer") == 0 && strcmp(value, "yes") == 0)
            state.answer = Answer::Yes;
        else if (strcmp(option, "--answer") == 0 && strcmp(value, "no") == 0)
            state.answer = Answer::No;
        else if (strcmp(option, "--answer") == 0 && strcmp(value, "late") == 0)
            state.answer = Answer::Late;
        else if (strcmp(option, "--seconds") == 0 && ParseNumber(value, &seconds))
            continue;
        else if (strcmp(option, "--level") == 0 && ParseNumber(value, &level))
            continue;
        else if (strcmp(option, "--busy") == 0 && ParseNumber(value, &state.busyMilliseconds))
            continue;
        else if (strcmp(option, "--channel") == 0 && ParseNumber(value, &state.channel))
            continue;
        else
            return Usage();
    }
    return Hold(state, level, seconds);
}
