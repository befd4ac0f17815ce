// The watch for programs that use the tuner themselves.
#pragma once

// Looks for the windows of the known television and data-broadcast programs;
// for each one open, records its display name in acquire.conflictName and
// sets acquire.conflictFound (the last one found names the conflict). Clears
// neither field.
void WatchConflicts();
