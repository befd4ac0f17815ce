#include "Clock.h"

namespace {
bool fixed = false;
time_t fixedNow = 0;
} // namespace

time_t CurrentTime() {
    return fixed ? fixedNow : time(nullptr);
}

void SetCurrentTime(time_t now) {
    fixed = true;
    fixedNow = now;
}

void ResetCurrentTime() {
    fixed = false;
}

bool LocalTime(time_t moment, struct tm &fields) {
    return localtime_s(&fields, &moment) == 0;
}
