#include "Feed.h"
#include <cctype>
#include <sstream>

namespace {
bool IsPrefixCharacter(char c) {
    return isalnum((unsigned char)c) || c == '_' || c == '-';
}

bool ParseTime(const std::string &text, int maxHour, int &hour, int &minute) {
    if (text.size() != 5 || text[2] != ':')
        return false;
    for (int i : {0, 1, 3, 4})
        if (!isdigit((unsigned char)text[i]))
            return false;
    hour = (text[0] - '0') * 10 + (text[1] - '0');
    minute = (text[3] - '0') * 10 + (text[4] - '0');
    return hour <= maxHour && minute <= 59;
}

std::string TrimRight(std::string text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.pop_back();
    return text;
}

// Parses "PREFIX NAME" of a station line; false with a reason.
bool ParseStation(const std::string &rest, const Feed &feed, FeedStation &station,
                  std::string &reason) {
    size_t space = rest.find_first_of(" \t");
    station.prefix = rest.substr(0, space);
    if (station.prefix.size() != StationPrefixLength) {
        reason = "a station prefix has four characters";
        return false;
    }
    for (char c : station.prefix)
        if (!IsPrefixCharacter(c)) {
            reason = "a station prefix holds only letters, digits, '_' and '-'";
            return false;
        }
    for (const FeedStation &other : feed.stations)
        if (other.prefix == station.prefix) {
            reason = "the station prefix is used twice";
            return false;
        }
    size_t nameStart =
        space == std::string::npos ? rest.size() : rest.find_first_not_of(" \t", space);
    station.name = nameStart == std::string::npos ? std::string() : rest.substr(nameStart);
    if (station.name.empty() || station.name.size() > MaxStationNameLength) {
        reason = "a station name has 1 to 255 bytes";
        return false;
    }
    if (feed.stations.size() >= MaxFeedStations) {
        reason = "too many stations";
        return false;
    }
    return true;
}

bool ParseWindow(const std::string &rest, const Feed &feed, FeedWindow &window,
                 std::string &reason) {
    std::istringstream fields(rest);
    std::string start, end, extra;
    fields >> start >> end >> extra;
    if (!extra.empty() || !ParseTime(start, 29, window.startHour, window.startMinute) ||
        !ParseTime(end, 29, window.endHour, window.endMinute)) {
        reason = "a window is written HH:MM HH:MM, hours 00 to 29";
        return false;
    }
    if (feed.windows.size() >= MaxFeedWindows) {
        reason = "too many windows (at most 24)";
        return false;
    }
    return true;
}
} // namespace

bool ParseFeed(const std::string &text, Feed &feed, std::string &error) {
    Feed parsed;
    std::istringstream lines(text);
    std::string line;
    for (int number = 1; std::getline(lines, line); ++number) {
        line = TrimRight(line);
        size_t start = line.find_first_not_of(" \t");
        if (start == std::string::npos || line[start] == '#')
            continue;
        line = line.substr(start);
        size_t space = line.find_first_of(" \t");
        std::string keyword = line.substr(0, space);
        std::string rest =
            space == std::string::npos ? "" : line.substr(line.find_first_not_of(" \t", space));
        std::string reason;
        if (keyword == "station") {
            FeedStation station;
            if (ParseStation(rest, parsed, station, reason))
                parsed.stations.push_back(station);
        } else if (keyword == "window") {
            FeedWindow window;
            if (ParseWindow(rest, parsed, window, reason))
                parsed.windows.push_back(window);
        } else {
            reason = "unknown item \"" + keyword + "\"";
        }
        if (!reason.empty()) {
            error = "line " + std::to_string(number) + ": " + reason;
            return false;
        }
    }
    feed = parsed;
    return true;
}

Feed DefaultFeed() {
    Feed feed;
    feed.stations = {{"NHKG", "ＮＨＫ総合"}, {"NHKE", "ＮＨＫ教育"}, {"NTVJ", "日本テレビ"},
                     {"TBSJ", "ＴＢＳ"},     {"CXFJ", "フジテレビ"}, {"EXTV", "テレビ朝日"},
                     {"TXTV", "テレビ東京"}};
    feed.windows = {{5, 2, 5, 12},   {9, 2, 9, 12},   {12, 32, 12, 42},
                    {17, 2, 17, 12}, {21, 2, 21, 12}, {23, 32, 23, 42}};
    return feed;
}
