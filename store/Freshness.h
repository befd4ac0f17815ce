// Whether the EPG data folder holds guide data written today.
#pragma once
#include "AcquireStatus.h"

// Looks at the modification date of the guide data's schedule file
// "Ep000001.tct" in the EPG data folder: StatusCurrent when it is today,
// StatusOutdated when it is another day, StatusNoData when the file (or the
// folder's value) is missing or held open elsewhere, StatusNoRegistry when
// the EPG key is missing. On StatusCurrent and StatusOutdated the date is
// published in acquire.epgDateText ("%Y/%m/%d"); otherwise the text stays.
AcquireStatus CheckEpgFreshness();
