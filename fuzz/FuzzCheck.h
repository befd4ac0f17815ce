// The fuzz targets' one assertion: a property that does not hold is a
// finding, reported with what it was and stopped at once, so that libFuzzer
// saves the input.
#pragma once
#include <cstdio>
#include <cstdlib>

inline void Check(bool condition, const char *property) {
    if (condition)
        return;
    std::fprintf(stderr, "property does not hold: %s\n", property);
    std::abort();
}
