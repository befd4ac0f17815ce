#include "Clock.h"
#include <windows.h>

namespace {
bool fixed = false;
time_t fixedNow = 0;
bool fixedTicks = false;
uint32_t fixedTickCount = 0;
} // namespace

time_t CurrentTime() {
    return fixed ? fixedNow : time(nullptr);
}

void SetCurrentTime(time_t now) {
    fixed = true;
    fixedNow = now;
}

// GetTickCount, not GetTickCount64: the program must load on Windows XP.
uint32_t CurrentTickCount() {
    return fixedTicks ? fixedTickCount : (uint32_t)GetTickCount();
}

void SetCurrentTickCount(uint32_t count) {
    fixedTicks = true;
    fixedTickCount = count;
}

void ResetCurrentTime() {
    fixed = false;
    fixedTicks = false;
}
