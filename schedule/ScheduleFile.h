// The broadcast schedule as the receiver sends it, once decoded: 9-byte
// records "HHMMHHMM" and a separator (the last one may lack it), one
// broadcast window each.
#pragma once
#include "AcquireContext.h"

// Reads the records of the decoded schedule at path into windows (at most
// 24), sets count to the number read, and deletes the file. 1 when the file
// ended on a whole record or held more than 24; 0 when its last record was
// cut short, or a read failed (the windows read before it are kept).
int ReadDecodedSchedule(const char *path, BroadcastWindow *windows, int &count);
