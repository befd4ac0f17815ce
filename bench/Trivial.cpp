// The trivial program of the run bench's baselines: a window program that
// does nothing. It tells the bench that it runs, which ends the start that
// every program of its kind costs, and waits to be told to end, so that its
// memory is read while it runs, as the program's is.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    // Loads what every program that reads the registry and opens windows
    // loads, as the program must: the user interface's and the registry's
    // libraries.
    GetSystemMetrics(SM_CXSCREEN);
    RegCloseKey(nullptr);
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, "PelmarBenchTrivialReady");
    HANDLE end = OpenEventA(SYNCHRONIZE, FALSE, "PelmarBenchTrivialEnd");
    if (!ready || !end)
        return 2;
    SetEvent(ready);
    return WaitForSingleObject(end, 60000) == WAIT_OBJECT_0 ? 0 : 3;
}
