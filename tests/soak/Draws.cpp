// What each run of the campaign draws, from the seed and the run's number
// alone, so that a run can be replayed by itself.
#include "Campaign.h"
#include <random>

namespace {
const char *const faultNames[FaultCount] = {
    "registration refused", "resource refused",    "tuner held by another",
    "channel fails",        "schedule read fails", "schedule write fails",
    "schedule set fails",   "no receiver",         "receiver killed",
    "day file held open",   "day file read-only",  "Temp file held open",
    "stale Temp left",      "no ADAMS value",      "ADAMS folder missing",
    "no ADAMS channel",     "receiver hangs 1827", "receiver hangs 1826",
    "receiver only in cwd", "ADAMS value a root",  "user's files in Temp",
    "clock a month behind", "full disk",
};

// How often each fault is drawn, in percent.
const int faultChances[FaultCount] = {8,  8, 10, 8, 8, 8, 8, 6, 14, 14, 12, 10,
                                      15, 5, 5,  4, 6, 6, 5, 5, 10, 8,  10};
} // namespace

const char *FaultName(unsigned fault) {
    return fault < FaultCount ? faultNames[fault] : "?";
}

Draw DrawRun(uint32_t seed, int run) {
    std::seed_seq sequence{seed, (uint32_t)run};
    std::mt19937 random(sequence);
    auto percent = [&](int chance) { return (int)(random() % 100) < chance; };
    auto upTo = [&](uint32_t limit) { return (uint32_t)(random() % limit); };

    Draw draw;
    draw.seed = seed;
    draw.run = run;
    static const Mode modes[] = {Mode::Auto,   Mode::Auto,     Mode::Auto,    Mode::Auto,
                                 Mode::Auto,   Mode::ManualOk, Mode::DailyOk, Mode::DailyRetry,
                                 Mode::Cancel, Mode::CloseBox};
    draw.mode = modes[upTo(10)];
    if (draw.mode == Mode::Auto) {
        static const End ends[] = {End::Request, End::Request,  End::Request, End::Abort,
                                   End::Abort,   End::CloseBox, End::Killed,  End::Killed};
        draw.end = ends[upTo(8)];
    } else {
        draw.end = percent(20) ? End::Killed : End::Action;
        draw.request = percent(30);
    }
    for (unsigned fault = 0; fault < FaultCount; ++fault)
        if (percent(faultChances[fault]))
            draw.faults |= 1u << fault;
    // One ADAMS value a run: missing, a missing folder, a root, or on the small drive.
    const unsigned values[] = {FaultNoAdamsValue, FaultMissingAdamsFolder, FaultAdamsRoot,
                               FaultFullDisk};
    for (unsigned i = 0; i < 4; ++i)
        if (draw.Has(values[i]))
            for (unsigned later = i + 1; later < 4; ++later)
                draw.faults &= ~(1u << values[later]);
    // The receiver in the current folder is the only one, so it hangs nowhere.
    if (draw.Has(FaultPlantedReceiver) || draw.Has(FaultNoReceiver))
        draw.faults &= ~(1u << FaultHangInStart | 1u << FaultHangInStop);
    draw.failureResult = 1 + upTo(3);
    draw.guideData = (int)upTo(4);
    draw.newDay = percent(50);
    draw.scheduleLost = percent(8);
    draw.dayNotSent = percent(20);
    draw.endAfter = 300 + upTo(3500);
    draw.receiverKillAfter = 100 + upTo(draw.endAfter - 100);
    draw.choice = (uint32_t)random();
    draw.freeRoom = 4096 * upTo(160); // up to 640 KiB: less than the folder and its copy
    return draw;
}

std::string EndName(const Draw &draw) {
    if (draw.end == End::Killed)
        return draw.mode == Mode::Auto ? "auto:killed" : "user:killed";
    if (draw.mode == Mode::Auto)
        return draw.end == End::Request ? "auto:request"
               : draw.end == End::Abort ? "auto:abort"
                                        : "auto:close";
    // The user's modes, in their order after Mode::Auto.
    static const char *const users[] = {"user:OK manual", "user:OK daily", "user:OK retry",
                                        "user:cancel", "user:close"};
    return users[(int)draw.mode - (int)Mode::ManualOk];
}

std::string Describe(const Draw &draw) {
    std::string text = EndName(draw);
    if (draw.request)
        text += ", a viewer's request first";
    for (unsigned fault = 0; fault < FaultCount; ++fault)
        if (draw.Has(fault))
            text += std::string(", ") + FaultName(fault);
    static const char *const guide[] = {"", ", today's guide data", ", yesterday's guide data",
                                        ", no guide data"};
    text += guide[draw.guideData];
    if (draw.newDay)
        text += ", a new day";
    if (draw.scheduleLost)
        text += ", schedule file lost";
    if (draw.dayNotSent)
        text += ", a day not sent";
    return text + ", ends after " + std::to_string(draw.endAfter) + " ms";
}
