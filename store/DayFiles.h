// The receiver's day files in the ADAMS folder: station prefix (4 characters)
// + date "MMDD" + ".ep1", ".ep2" or ".ept". The files of one base form a day
// set, led by its ".ep1" file. Day sets outside the eight days from today, or
// older than ten days, are purged.
#pragma once
#include "WeekRules.h"

// Deletes the day sets of the folder (given without a trailing "\") whose date
// lies outside the window, then those whose ".ep1" file was created more than
// ten days ago. A file that cannot be deleted ends its set only. Nothing is
// deleted when a day file was created or written more than a day after now:
// the clock is then behind, and every set would look outdated.
void PurgeDayFiles(const char *adamsFolder);

// Deletes one day set: its ".ep1" file (full path), then the ".ep2" and ".ept"
// files of the same base if they exist. Stops at the first failed deletion.
void DeleteDaySet(const char *adamsFolder, const char *ep1Path, const char *base);
