// The trivial program of the run bench's baselines: a window program that
// does nothing. It tells the bench that it runs, which ends the start that
// every program of its kind costs, and waits to be told to end, so that its
// memory is read while it runs, as the program's is.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Loads the user interface's and the registry's libraries, as the program
    // must at its start, with calls that do no work: the display driver
    // (GetSystemMetrics would load it) is the program's first drawing work,
    // which the start's baseline does not hold.
    CharNextA("");
    RegCloseKey(nullptr);
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, "PelmarBenchTrivialReady");
    HANDLE end = OpenEventA(SYNCHRONIZE, FALSE, "PelmarBenchTrivialEnd");
    if (!ready || !end)
        return 2;
    SetEvent(ready);
    return WaitForSingleObject(end, 60000) == WAIT_OBJECT_0 ? 0 : 3;
}
