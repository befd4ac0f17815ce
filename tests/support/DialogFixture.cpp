#include "DialogFixture.h"
#include "Clock.h"
#include "StartUpCopy.h"
#include "WakeplanStore.h"
#include "resource.h"
#include <cstdio>

const std::string Tilde = "\x81\x60";

std::vector<ScheduleWindow> HourlyWindows(int first, int last) {
    std::vector<ScheduleWindow> windows;
    for (int hour = first; hour <= last; ++hour)
        windows.push_back({hour, 2, hour, 12});
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
    RegisterInstallation(
        {adams.Path(), channels.Path(), epgData.Path(), epgTemp.Path(), scheduler.Path()});
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

void DialogFixture::Select(int id, int index) {
    SendDlgItemMessageA(dialog.m_hWnd, id, CB_SETCURSEL, index, 0);
}

void DialogFixture::SetSchedulerSwitch(const char *name, DWORD value) {
    SetSwitch(WakeplanKeyPath, name, value);
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
