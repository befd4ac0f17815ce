#include "InstallationRecipe.h"
#include "FileTime.h"
#include "LocalTime.h"
#include "ReceivedEncoder.h"
#include "Switches.h"
#include "WakeplanStore.h"
#include <cstdio>
#include <stdexcept>

const char AdamsKeyPath[] = "Software\\ﾉｰﾍﾞﾙ\\ADAMS\\adams-e\\";
const char ChannelKeyPath[] = "Software\\Norvell\\TunerDesk\\Channel\\";
const char EpgKeyPath[] = "Software\\NORVELL\\TunerDesk\\EPG";
const char StandInsKeyPath[] = "Software\\PackageStandIns";
// DataCast.cpp keeps these to itself; no header of package/datacast names them.

const REGSAM OtherRegistryView = sizeof(void *) == 4 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY;

void SetRegistryBytes(HKEY root, const char *keyPath, const char *valueName, const void *data,
                      DWORD size, DWORD type, REGSAM view) {
    HKEY key;
    if (RegCreateKeyExA(root, keyPath, 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        throw std::runtime_error(std::string("cannot create the registry key ") + keyPath);
    LONG result = RegSetValueExA(key, valueName, 0, type, (const BYTE *)data, size);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS)
        throw std::runtime_error(std::string("cannot set the registry value ") + valueName);
}

void SetRegistryText(HKEY root, const char *keyPath, const char *valueName, const std::string &text,
                     REGSAM view) {
    SetRegistryBytes(root, keyPath, valueName, text.c_str(), (DWORD)text.size() + 1, REG_SZ, view);
}

void SetSwitch(const char *keyPath, const char *valueName, DWORD value) {
    SetRegistryBytes(HKEY_CURRENT_USER, keyPath, valueName, &value, sizeof value, REG_DWORD);
}

void DeleteRegistryTree(HKEY root, const char *keyPath, REGSAM view) {
    HKEY key;
    if (RegOpenKeyExA(root, keyPath, 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS)
        return;
    RegDeleteTreeA(key, nullptr); // what is below the key; the key itself next
    RegCloseKey(key);
    RegDeleteKeyExA(root, keyPath, view, 0);
}

void ClearInstallationRegistry() {
    DeleteRegistryTree(HKEY_CURRENT_USER, "Software\\ﾉｰﾍﾞﾙ");
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Norvell");
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Norvell", OtherRegistryView);
    DeleteRegistryTree(HKEY_CURRENT_USER, StandInsKeyPath);
}

void RegisterInstallation(const InstallationFolders &folders) {
    SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", folders.adams);
    SetRegistryText(HKEY_LOCAL_MACHINE, ChannelKeyPath, "Install Path", folders.channels);
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG data", folders.epgData);
    if (!folders.epgTemp.empty())
        SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG Temp", folders.epgTemp + "\\");
    if (!folders.scheduler.empty())
        SetRegistryText(HKEY_CURRENT_USER, WakeplanKeyPath, "Folder", folders.scheduler);
    if (!folders.logs.empty()) {
        SetRegistryText(HKEY_CURRENT_USER, RivolinkKeyPath, "Log", folders.logs + "\\tuner.log");
        SetRegistryText(HKEY_CURRENT_USER, WakeplanKeyPath, "Log",
                        folders.logs + "\\scheduler.log");
        SetRegistryText(HKEY_CURRENT_USER, DataCastKeyPath, "Log", folders.logs + "\\receiver.log");
    }
    if (!folders.feed.empty())
        SetRegistryText(HKEY_CURRENT_USER, DataCastKeyPath, "FeedFile", folders.feed);
}

void CopyProgram(const std::string &buildFolder, const std::string &programFolder,
                 bool withReceiver) {
    for (const char *file : {"Pelmar.exe", "Rivolink.dll", "Wakeplan.dll", "DataCast.exe"}) {
        if (!withReceiver && file[0] == 'D')
            continue;
        std::string source = buildFolder + "\\" + file;
        if (!CopyFileA(source.c_str(), (programFolder + "\\" + file).c_str(), FALSE))
            throw std::runtime_error("cannot copy " + source);
    }
}

void WriteFile(const std::string &path, const std::string &content) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot write " + path);
    DWORD written = 0;
    BOOL whole = ::WriteFile(file, content.data(), (DWORD)content.size(), &written, nullptr) &&
                 written == content.size();
    CloseHandle(file);
    if (!whole)
        throw std::runtime_error("cannot write all of " + path);
}

FILETIME FileTimeOf(time_t moment) {
    ULARGE_INTEGER ticks;
    ticks.QuadPart = TimeToTicks(moment);
    return {ticks.LowPart, ticks.HighPart};
}

void SetFileTimes(const std::string &path, time_t moment) {
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot set the times of " + path);
    FILETIME fileTime = FileTimeOf(moment);
    BOOL set = SetFileTime(file, &fileTime, nullptr, &fileTime);
    CloseHandle(file);
    if (!set)
        throw std::runtime_error("cannot set the times of " + path);
}

std::string DateField(int days, time_t from) {
    tm fields;
    LocalFields(from + (time_t)days * 86400, fields);
    char field[8];
    snprintf(field, sizeof field, "%02d%02d", fields.tm_mon + 1, fields.tm_mday);
    return field;
}

std::string ScheduleRecords(const std::vector<ScheduleWindow> &windows) {
    std::string records;
    for (const ScheduleWindow &w : windows) {
        char record[16];
        snprintf(record, sizeof record, "%02d%02d%02d%02d|", w.startHour, w.startMinute, w.endHour,
                 w.endMinute);
        records += record;
    }
    return records;
}

namespace {
void WriteReceived(ReceivedKind kind, const std::string &path, const std::string &content) {
    std::string file;
    if (!EncodeReceivedFile(kind, content, file))
        throw std::runtime_error("cannot encode " + path);
    WriteFile(path, file);
}
} // namespace

void WriteReceivedSchedule(const std::string &adamsFolder, const std::string &records) {
    WriteReceived(KindTct, adamsFolder + "\\Ep000001.tct", records);
}

void WriteDaySet(const std::string &base, const std::string &stationName,
                 const std::string &programmes, const std::vector<std::string> &extensions) {
    for (const std::string &extension : extensions) {
        ReceivedKind kind = KindFromExtension(extension);
        WriteReceived(kind, base + "." + extension,
                      kind == KindEp1 ? NamingDayContent(stationName, programmes) : programmes);
    }
}

void WriteGuideData(const std::string &epgDataFolder, time_t written) {
    WriteFile(epgDataFolder + "\\Ep000001.tct", "guide data");
    SetFileTimes(epgDataFolder + "\\Ep000001.tct", written);
}
