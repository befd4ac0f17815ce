// The channel utility's table "ChTable.dat": 64-byte records, the first 12
// of which are channels 1 to 12.
#pragma once
#include "ChannelRecords.h"
#include <cstdint>

enum ChannelTableResult { ChannelFound = 0, ChannelFolderMissing = 1, ChannelNotMarked = 4 };

// Finds the first channel marked as the ADAMS channel. channel receives 1 to
// 12, or 255 when none is marked or the table cannot be read; it is left
// alone when the channel utility's folder is not registered.
int CheckChannelTable(uint32_t *channel);
// 0 when one of the 12 channels has exactly this station name, else 1.
int FindStationName(const char *name);
