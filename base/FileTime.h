// File times as the file system keeps them, counts of 100 ns steps since
// 1601 (UTC), and seconds since 1970: the one conversion that the program,
// its tools and its tests share. Plain C++, so that the tools' native builds
// read a host file's time the same way.
#pragma once
#include <cstdint>
#include <ctime>

constexpr uint64_t TicksPerSecond = 10000000ULL;
// The ticks of 1970-01-01 00:00 UTC.
constexpr uint64_t UnixEpochTicks = 11644473600ULL * TicksPerSecond;

// Seconds since 1970 of a tick count (whole seconds, rounded down).
inline time_t TicksToTime(uint64_t ticks) {
    return (time_t)((int64_t)(ticks / TicksPerSecond) - (int64_t)(UnixEpochTicks / TicksPerSecond));
}
// The tick count of seconds since 1970 and a part of a second in 100 ns steps.
inline uint64_t TimeToTicks(time_t seconds, uint64_t steps = 0) {
    return UnixEpochTicks + (uint64_t)((int64_t)seconds * (int64_t)TicksPerSecond) + steps;
}
