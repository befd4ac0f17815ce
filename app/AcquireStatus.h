// How far an acquisition has come: the shared state's status, and the result
// of the guide data's freshness check. Window-free, for the store's and the
// scheduler's declarations.
#pragma once
#include <cstdint>

// How far the acquisition has come; 0 to 3 are also the freshness results.
enum AcquireStatus : int8_t {
    StatusCurrent = 0,       // today's guide data is present
    StatusNoRegistry = 1,    // the EPG registry key is missing
    StatusNoData = 2,        // no broadcast-schedule file; the resting state after an error
    StatusOutdated = 3,      // the guide data is not today's, or today's times cannot be read
    StatusChannelFailed = 5, // setting the ADAMS channel failed
};
