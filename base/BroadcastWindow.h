// One broadcast window of the guide data, as the schedule file gives it, the
// dialog keeps it and the scheduler takes it: start and end, hour and
// minute. Plain C++, for the schedule's parser and its fuzz target too.
#pragma once
#include <cstdint>

struct BroadcastWindow {
    uint16_t startHour;
    uint16_t startMinute;
    uint16_t endHour;
    uint16_t endMinute;
};
static_assert(sizeof(BroadcastWindow) == 8, "broadcast windows are 8 bytes in the scheduler");
// The most windows of one day that the dialog keeps from the schedule file.
constexpr int MaxBroadcastWindows = 24;
