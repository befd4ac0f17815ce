#include "DialogFixture.h"
#include "Clock.h"
#include "ReceivedEncoder.h"
#include "StartUpCopy.h"
#include "WakeplanStore.h"
#include "resource.h"
#include <cstdio>

const std::string Tilde = "\x81\x60";

std::string ScheduleRecords(const std::vector<BroadcastWindow> &windows) {
    std::string records;
    char record[16];
    for (const BroadcastWindow &w : windows) {
        snprintf(record, sizeof record, "%02u%02u%02u%02u|", w.startHour, w.startMinute, w.endHour,
                 w.endMinute);
        records += record;
    }
    return records;
}

std::vector<BroadcastWindow> HourlyWindows(int first, int last) {
    std::vector<BroadcastWindow> windows;
    for (int hour = first; hour <= last; ++hour)
        windows.push_back({(uint16_t)hour, 2, (uint16_t)hour, 12});
    return windows;
}

std::vector<std::string> HourTexts(int first, int last) {
    std::vector<std::string> texts;
    char text[8];
    for (int hour = first; hour <= last; ++hour) {
        snprintf(text, sizeof text, "%2d", hour);
        texts.push_back(text);
    }
    return texts;
}

void DialogFixture::SetUp() {
    ClearInstallationRegistry();
    SetRegistryText(HKEY_CURRENT_USER, WakeplanKeyPath, "Folder", scheduler.Path());
    SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", adams.Path());
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG Temp", epgTemp.Path() + "\\");
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG data", epgData.Path());
    SetRegistryText(HKEY_LOCAL_MACHINE, ChannelKeyPath, "Install Path", channels.Path());
    WriteChannelTable(channels.Path(), {{"Station", 1}});
    CreateOwnTemp(adams.Path().c_str()); // as the program's start makes it
    acquire = AcquireContext{};
    ResetCurrentTime();
    bool created = dialog.Create(IDD_EPGMAIN_DIALOG);
    DWORD error = GetLastError();
    ASSERT_TRUE(created) << "error " << error;
}

void DialogFixture::TearDown() {
    ResetCurrentTime();
    ClearInstallationRegistry();
}

void DialogFixture::WriteSchedule(const std::string &records) {
    std::string received;
    ASSERT_TRUE(EncodeReceivedFile(KindTct, records, received));
    WriteFile(adams / "Ep000001.tct", received);
}

std::vector<std::string> DialogFixture::Items(int id) const {
    HWND box = GetDlgItem(dialog.m_hWnd, id);
    char className[16] = {};
    GetClassNameA(box, className, sizeof className);
    bool list = _stricmp(className, "ListBox") == 0;
    int count = (int)SendMessageA(box, list ? LB_GETCOUNT : CB_GETCOUNT, 0, 0);
    std::vector<std::string> items;
    for (int i = 0; i < count; ++i) {
        char text[64] = {};
        SendMessageA(box, list ? LB_GETTEXT : CB_GETLBTEXT, i, (LPARAM)text);
        items.push_back(text);
    }
    return items;
}

int DialogFixture::Selection(int id) const {
    HWND box = GetDlgItem(dialog.m_hWnd, id);
    return (int)SendMessageA(box, id == IDC_TIME_LIST ? LB_GETCURSEL : CB_GETCURSEL, 0, 0);
}

std::string DialogFixture::Selected(int id) const {
    int index = Selection(id);
    return index < 0 ? "(none)" : Items(id)[index];
}

void DialogFixture::Select(int id, int index) {
    SendDlgItemMessageA(dialog.m_hWnd, id, CB_SETCURSEL, index, 0);
}

std::string DialogFixture::Text(int id) const {
    return WindowText(GetDlgItem(dialog.m_hWnd, id));
}

void DialogFixture::SetSchedulerSwitch(const char *name, DWORD value) {
    SetRegistryBytes(HKEY_CURRENT_USER, WakeplanKeyPath, name, &value, sizeof value, REG_DWORD);
}

ScheduleRecord DialogFixture::StoredRecord() const {
    ScheduleRecord record = {};
    EXPECT_TRUE(LoadStored(scheduler.Path(), ScheduleFileName, &record, sizeof record));
    return record;
}

BroadcastTimeTable DialogFixture::StoredTable() const {
    BroadcastTimeTable table = {};
    EXPECT_TRUE(LoadStored(scheduler.Path(), BroadcastFileName, &table, sizeof table));
    return table;
}

void DialogFixture::WriteGuideData(time_t modified) {
    WriteFile(epgData / "Ep000001.tct", "guide data");
    SetFileTimes(epgData / "Ep000001.tct", modified);
}
