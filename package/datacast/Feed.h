// What the receiver's broadcast carries: the stations whose day files it
// sends, and today's broadcast windows of the guide data.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr size_t StationPrefixLength = 4;
constexpr size_t MaxFeedStations = 64;
constexpr size_t MaxFeedWindows = 24;
constexpr size_t MaxStationNameLength = 255; // the name's length is one byte

struct FeedStation {
    std::string prefix; // four characters that start the station's day-file names
    std::string name;   // code page 932
};

struct FeedWindow {
    int startHour, startMinute, endHour, endMinute;
};

struct Feed {
    std::vector<FeedStation> stations;
    std::vector<FeedWindow> windows;
};

// Reads a feed from text (code page 932), one item per line; empty lines and
// lines starting with '#' are skipped:
//   station PREFIX NAME    PREFIX four of A-Z a-z 0-9 _ -, NAME the rest of the line
//   window HH:MM HH:MM     start and end; hours 00 to 29, minutes 00 to 59
// Returns false with a message naming the line when the text is not a feed.
bool ParseFeed(const std::string &text, Feed &feed, std::string &error);

// The feed used when none is configured.
Feed DefaultFeed();
