#include "DataCastReception.h"
#include <windows.h>
#include <cstdio>

namespace {
// Where the ADAMS receiver and the EPG data of the installation live.
const char AdamsKey[] = "Software\\ﾉｰﾍﾞﾙ\\ADAMS\\adams-e\\";
const char AdamsValue[] = "Adams-E";
const char EpgKey[] = "Software\\Norvell\\TunerDesk\\EPG";
const char EpgDataValue[] = "EPG data";

const char *const programmeTitles[] = {
    "ニュース", "天気予報",         "連続ドラマ", "アニメ",   "映画劇場", "音楽番組",
    "スポーツ", "ドキュメンタリー", "バラエティ", "料理番組", "旅番組",   "教育番組",
};
constexpr int TitleCount = sizeof programmeTitles / sizeof programmeTitles[0];
constexpr int FirstHour = 5;
constexpr int ProgrammesPerDay = 24;

bool ReadFolder(HKEY root, const char *keyPath, const char *valueName, std::string &folder) {
    HKEY key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    char text[MAX_PATH] = {};
    DWORD size = sizeof text - 1;
    DWORD type = 0;
    LONG result = RegQueryValueExA(key, valueName, nullptr, &type, (BYTE *)text, &size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ) || !text[0])
        return false;
    folder = text;
    return true;
}

bool IsFolder(const std::string &path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

DayDate DayAfter(const SYSTEMTIME &today, int days) {
    FILETIME time;
    SystemTimeToFileTime(&today, &time);
    ULARGE_INTEGER ticks;
    ticks.LowPart = time.dwLowDateTime;
    ticks.HighPart = time.dwHighDateTime;
    ticks.QuadPart += (ULONGLONG)days * 24 * 60 * 60 * 10000000ULL;
    time.dwLowDateTime = ticks.LowPart;
    time.dwHighDateTime = ticks.HighPart;
    SYSTEMTIME day;
    FileTimeToSystemTime(&time, &day);
    DayDate date = {day.wYear, day.wMonth, day.wDay, {}};
    snprintf(date.field, sizeof date.field, "%02d%02d", date.month % 100, date.day % 100);
    return date;
}

// A programme's title, varied by station, day and hour.
const char *Title(const FeedStation &station, const DayDate &date, int hour) {
    unsigned seed = (unsigned char)station.prefix[0] + (unsigned char)station.prefix[3];
    return programmeTitles[(seed + date.day + hour) % TitleCount];
}

// How a day file lists the day's programmes, one line each.
enum LineStyle { StartAndTitle, StartEndTitle, StartEndTitleDetail };

std::string Programmes(const FeedStation &station, const DayDate &date, LineStyle style) {
    std::string text;
    for (int i = 0; i < ProgrammesPerDay; ++i) {
        int hour = FirstHour + i;
        const char *title = Title(station, date, hour);
        char line[320];
        if (style == StartAndTitle)
            snprintf(line, sizeof line, "%02d00 %s\r\n", hour, title);
        else if (style == StartEndTitle)
            snprintf(line, sizeof line, "%02d00-%02d00 %s\r\n", hour, hour + 1, title);
        else
            snprintf(line, sizeof line, "%02d00-%02d00 %s (%02d/%02d %s)\r\n", hour, hour + 1,
                     title, date.month, date.day, station.name.c_str());
        text += line;
    }
    return text;
}

bool WriteDay(const Reception &reception, const DayDate &date) {
    for (const FeedStation &station : reception.feed.stations)
        for (ReceivedKind kind : {KindEp1, KindEp2, KindEpt}) {
            std::string file;
            if (!EncodeReceivedFile(kind, DayFileContent(kind, station, date), file) ||
                !WriteReplacing(reception.adamsFolder, DayFileName(station, date, kind), file))
                return false;
        }
    return true;
}

bool WriteSchedule(const Reception &reception, const std::string &folder) {
    std::string file;
    return EncodeReceivedFile(KindTct, ScheduleContent(reception.feed), file) &&
           WriteReplacing(folder, ScheduleFileName, file);
}
} // namespace

std::string ScheduleContent(const Feed &feed) {
    std::string content;
    for (const FeedWindow &window : feed.windows) {
        char record[16];
        snprintf(record, sizeof record, "%02d%02d%02d%02d\n", window.startHour % 100,
                 window.startMinute % 100, window.endHour % 100, window.endMinute % 100);
        content += record;
    }
    return content;
}

std::string DayFileContent(ReceivedKind kind, const FeedStation &station, const DayDate &date) {
    switch (kind) {
    case KindEp1: {
        // prefix, date field, year, a zero, then the name's length and the name
        std::string lead = station.prefix.substr(0, StationPrefixLength);
        lead.resize(StationPrefixLength, ' ');
        lead += date.field;
        lead += (char)(date.year & 0xFF);
        lead += (char)((date.year >> 8) & 0xFF);
        lead += (char)0;
        return NamingDayContent(station.name.substr(0, MaxStationNameLength),
                                "\r\n" + Programmes(station, date, StartAndTitle), lead);
    }
    case KindEpt:
        return Programmes(station, date, StartEndTitle);
    case KindEp2:
        return Programmes(station, date, StartEndTitleDetail);
    default:
        return std::string();
    }
}

std::string DayFileName(const FeedStation &station, const DayDate &date, ReceivedKind kind) {
    const char *extension = kind == KindEp1 ? ".ep1" : kind == KindEp2 ? ".ep2" : ".ept";
    return station.prefix + date.field + extension;
}

bool PrepareReception(Reception &reception, const Feed &feed, std::string &error) {
    Reception prepared;
    if (!ReadFolder(HKEY_CURRENT_USER, AdamsKey, AdamsValue, prepared.adamsFolder) ||
        !IsFolder(prepared.adamsFolder)) {
        error = "the ADAMS folder is not registered or does not exist";
        return false;
    }
    if (!ReadFolder(HKEY_LOCAL_MACHINE, EpgKey, EpgDataValue, prepared.epgDataFolder) ||
        !IsFolder(prepared.epgDataFolder)) {
        error = "the EPG data folder is not registered or does not exist";
        return false;
    }
    prepared.feed = feed;
    SYSTEMTIME today;
    GetLocalTime(&today);
    for (int d = 0; d < ReceptionDays; ++d)
        prepared.days[d] = DayAfter(today, d);
    reception = prepared;
    return true;
}

StepResult RunReceptionStep(Reception &reception) {
    int step = reception.step;
    bool written;
    if (step == 0)
        written = WriteSchedule(reception, reception.adamsFolder);
    else if (step <= ReceptionDays)
        written = WriteDay(reception, reception.days[step - 1]);
    else
        written = WriteSchedule(reception, reception.epgDataFolder);
    if (!written)
        return StepFailed;
    reception.step = step + 1;
    return reception.step == ReceptionSteps ? ReceptionComplete : StepWritten;
}

bool WriteReplacing(const std::string &folder, const std::string &name, const std::string &bytes) {
    std::string temporary =
        folder + "\\~DataCast-" + std::to_string(GetCurrentProcessId()) + ".tmp";
    HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    bool complete = WriteFile(file, bytes.data(), (DWORD)bytes.size(), &written, nullptr) &&
                    written == bytes.size();
    CloseHandle(file);
    std::string path = folder + "\\" + name;
    if (complete && MoveFileExA(temporary.c_str(), path.c_str(),
                                MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return true;
    DeleteFileA(temporary.c_str());
    return false;
}
