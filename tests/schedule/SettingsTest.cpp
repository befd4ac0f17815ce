#include "Clock.h"
#include "DayFiles.h"
#include "DialogFixture.h"
#include "Wakeplan.h"
#include "resource.h"

namespace {

class SettingsTest : public DialogFixture {
protected:
    // Chooses a daily window by item positions and stores it.
    int StoreDaily(int startHour, int startMinute, int endHour, int endMinute) {
        Select(IDC_START_HOUR, startHour);
        Select(IDC_START_MINUTE, startMinute);
        Select(IDC_END_HOUR, endHour);
        Select(IDC_END_MINUTE, endMinute);
        return dialog.StoreDailySetting();
    }
    static std::vector<uint16_t> Window(const ScheduleRecord &record) {
        return std::vector<uint16_t>(record.dailyWindow, record.dailyWindow + 4);
    }
    static std::vector<uint16_t> NextStart(const ScheduleRecord &record) {
        return std::vector<uint16_t>(record.nextStart, record.nextStart + 8);
    }
    static bool IsFree(const BroadcastWindow &entry) {
        return entry.startHour + entry.startMinute + entry.endHour + entry.endMinute == 0;
    }
    // Every station's ".ep1" and ".ept" for the eight days from the clock's today.
    void WriteCompleteWeek() {
        char dates[DayWindowLength][DateFieldSize];
        BuildDayDates(CurrentTime(), dates);
        for (const char *date : dates)
            for (const char *extension : {".ep1", ".ept"})
                WriteFile(adams / (std::string("AAAA") + date + extension), "day");
    }
};

TEST_F(SettingsTest, DailyWindowsAreCheckedAgainstTheDefaultRangeAndStoredByTheirPositions) {
    acquire.status = StatusOutdated;
    acquire.alwaysReceiveAdams = 1;
    ScheduleRecord earlier = {};
    earlier.flags = FlagAutoTimeAdjust | 0x5; // the other bits are kept
    earlier.untouched[0] = 0x77;
    WriteScheduleRecord(&earlier);
    ASSERT_EQ(1, dialog.FillDefaultTimes());

    EXPECT_EQ(1, StoreDaily(18, 0, 18, 1)); // 24:10 lies past the range
    EXPECT_EQ(1, StoreDaily(1, 3, 1, 3));   // 7:30 to 7:30
    EXPECT_EQ(1, StoreDaily(1, 4, 1, 3));   // 7:40 to 7:30
    EXPECT_EQ(1, StoreDaily(2, 0, 1, 5));   // 8:00 to 7:50
    EXPECT_EQ(0u, StoredRecord().enabled);  // nothing stored by a refused window
    ASSERT_EQ(0, StoreDaily(1, 3, 1, 4));   // 7:30 to 7:40
    EXPECT_EQ((std::vector<uint16_t>{7, 30, 7, 40}), Window(StoredRecord()));

    ASSERT_EQ(0, StoreDaily(0, 0, 18, 0)); // " 6" to "24"
    ScheduleRecord stored = StoredRecord();
    EXPECT_EQ(1, stored.enabled);
    EXPECT_EQ((std::vector<uint16_t>{6, 0, 24, 0}), Window(stored));
    EXPECT_EQ(FlagAlwaysReceiveAdams | 0x5u, stored.flags);
    EXPECT_EQ(0x77, stored.untouched[0]);

    // Typed text that matches no item leaves its combo without a selection.
    HWND edit = FindWindowExA(GetDlgItem(dialog.m_hWnd, IDC_START_HOUR), nullptr, "Edit", nullptr);
    ASSERT_NE(nullptr, edit);
    for (char c : std::string("99"))
        SendMessageA(edit, WM_CHAR, c, 0);
    EXPECT_EQ(-1, Selection(IDC_START_HOUR));
    EXPECT_EQ(1, dialog.StoreDailySetting());
}

TEST_F(SettingsTest, WithBroadcastListsTheHoursCountFromTheFirstWindowsEnd) {
    acquire.status = StatusCurrent;
    WriteSchedule(ScheduleRecords({{5, 50, 6, 10}, {9, 2, 9, 12}, {12, 2, 12, 12}}));
    ASSERT_EQ(1, dialog.FillTimeList());
    ASSERT_EQ(HourTexts(6, 12), Items(IDC_START_HOUR));
    ASSERT_EQ(HourTexts(6, 13), Items(IDC_END_HOUR));
    EXPECT_EQ(1, StoreDaily(7, 0, 7, 1)); // 13:10 lies past the range
    ASSERT_EQ(0, StoreDaily(1, 2, 7, 0)); // 7:20 to 13:00
    EXPECT_EQ((std::vector<uint16_t>{7, 20, 13, 0}), Window(StoredRecord()));
    // The three windows go to the scheduler, the rest of the table is free.
    BroadcastTimeTable table = StoredTable();
    EXPECT_EQ(5, table.entries[0].startHour);
    EXPECT_EQ(12, table.entries[2].endHour);
    EXPECT_TRUE(IsFree(table.entries[3]) && IsFree(table.entries[14]));

    // A tick finds today's data, but the schedule cannot be read again: the
    // windows are cleared, the boxes keep their hours, and so does a store.
    acquire.status = StatusOutdated;
    WriteGuideData(CurrentTime());
    DeleteFileA((adams / "Ep000001.tct").c_str());
    dialog.OnTimer(AcquireTimerId);
    ASSERT_EQ(StatusCurrent, acquire.status);
    ASSERT_EQ(0, dialog.broadcastWindows[0].endHour);
    ASSERT_EQ(HourTexts(6, 13), Items(IDC_END_HOUR));
    ASSERT_EQ(0, StoreDaily(2, 0, 6, 3)); // 8:00 to 12:30
    EXPECT_EQ((std::vector<uint16_t>{8, 0, 12, 30}), Window(StoredRecord()));
}

TEST_F(SettingsTest, TheNextStartIsTomorrowOnlyWhenTodaysDataIsPresent) {
    ASSERT_EQ(1, dialog.FillDefaultTimes());
    // 31 December: today's data makes the next start 1 January, a Friday.
    SetCurrentTime(LocalMoment(2026, 12, 31, 21, 30));
    WriteGuideData(LocalMoment(2026, 12, 31, 6, 12));
    acquire.status = StatusCurrent;
    ASSERT_EQ(0, StoreDaily(0, 0, 18, 0));
    EXPECT_EQ((std::vector<uint16_t>{2027, 1, 6, 1, 0, 0, 0, 0}), NextStart(StoredRecord()));

    // Found outdated at start: today, even if the data has arrived since.
    acquire.status = StatusOutdated;
    ASSERT_EQ(0, StoreDaily(0, 0, 18, 0));
    EXPECT_EQ((std::vector<uint16_t>{2026, 12, 5, 31, 0, 0, 0, 0}), NextStart(StoredRecord()));

    // Yesterday's data: today.
    acquire.status = StatusCurrent;
    WriteGuideData(LocalMoment(2026, 12, 30, 23, 59));
    ASSERT_EQ(0, StoreDaily(0, 0, 18, 0));
    EXPECT_EQ((std::vector<uint16_t>{2026, 12, 5, 31, 0, 0, 0, 0}), NextStart(StoredRecord()));
}

TEST_F(SettingsTest, AtTheEndOfAnAutomaticRunTheDateMovesOnUnlessItIsTomorrowsAlready) {
    acquire.status = StatusNoData;
    // Today's data present on the last day of a month and of a year: the
    // stored date (today's) moves on into the next month and the next year.
    struct Case {
        int year, month, day;
        std::vector<uint16_t> tomorrow;
    } cases[] = {{2026, 11, 30, {2026, 12, 3, 1, 0, 0, 0, 0}},
                 {2026, 12, 31, {2027, 1, 6, 1, 0, 0, 0, 0}}};
    for (const Case &c : cases) {
        SetCurrentTime(LocalMoment(c.year, c.month, c.day, 7, 0));
        WriteGuideData(LocalMoment(c.year, c.month, c.day, 6, 12));
        uint16_t today[8] = {(uint16_t)c.year, (uint16_t)c.month, 1, (uint16_t)c.day};
        memcpy(dialog.schedRecord.nextStart, today, sizeof today);
        dialog.schedRecord.enabled = 0;
        ASSERT_EQ(0, dialog.UpdateNextStart(0));
        EXPECT_EQ(c.tomorrow, NextStart(StoredRecord())) << c.month;
    }

    // Already tomorrow's: nothing is written (the stored record keeps its old enabled word).
    dialog.schedRecord.enabled = 1;
    ASSERT_EQ(0, dialog.UpdateNextStart(0));
    EXPECT_EQ(0, StoredRecord().enabled);

    // Today's data missing: today's date, whatever force is.
    DeleteFileA((epgData / "Ep000001.tct").c_str());
    ASSERT_EQ(0, dialog.UpdateNextStart(0));
    EXPECT_EQ((std::vector<uint16_t>{2026, 12, 5, 31, 0, 0, 0, 0}), NextStart(StoredRecord()));
    EXPECT_EQ(1, StoredRecord().enabled);

    // A scheduler that cannot write: its result comes back.
    SetSchedulerSwitch("FailWrite", 1);
    EXPECT_EQ(1, dialog.UpdateNextStart(0));
}

TEST_F(SettingsTest, TheManualSettingHandsOverAnEmptyTableAndThenStoresItsChoice) {
    acquire.status = StatusNoData;
    acquire.autoTimeAdjust = 1;
    ASSERT_EQ(0, dialog.StoreBroadcastTimes()); // the default table, from an earlier store
    ASSERT_FALSE(IsFree(StoredTable().entries[9]));
    ScheduleRecord earlier = {};
    earlier.enabled = 1;
    earlier.flags = FlagAlwaysReceiveAdams | 0x100;
    ASSERT_EQ(0, WriteScheduleRecord(&earlier));
    dialog.schedRecord = earlier;

    // The table fails: the scheduler's result comes back, and the stored
    // record stays the daily one: no record is written after a failed table.
    SetSchedulerSwitch("FailSet", 3);
    EXPECT_EQ(3, dialog.StoreManualSetting());
    EXPECT_FALSE(IsFree(StoredTable().entries[0]));
    EXPECT_EQ(1, StoredRecord().enabled);
    EXPECT_EQ(FlagAlwaysReceiveAdams | 0x100u, StoredRecord().flags);
    SetSchedulerSwitch("FailSet", 0);
    // The record fails after the table went over.
    SetSchedulerSwitch("FailWrite", 1);
    EXPECT_EQ(1, dialog.StoreManualSetting());
    SetSchedulerSwitch("FailWrite", 0);

    ASSERT_EQ(0, dialog.StoreManualSetting());
    BroadcastTimeTable table = StoredTable();
    for (const BroadcastWindow &entry : table.entries)
        EXPECT_TRUE(IsFree(entry));
    ScheduleRecord stored = StoredRecord();
    EXPECT_EQ(0, stored.enabled);
    EXPECT_EQ(FlagAutoTimeAdjust | 0x100u, stored.flags);
}

TEST_F(SettingsTest, TheBroadcastTableFollowsTheStatusUnlessTheWeekIsComplete) {
    // No broadcast times known: ten default windows and five free entries.
    acquire.status = StatusNoData;
    ASSERT_EQ(0, dialog.StoreBroadcastTimes());
    BroadcastTimeTable table = StoredTable();
    const uint16_t starts[10] = {6, 7, 9, 11, 13, 15, 17, 19, 21, 23};
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(starts[i], table.entries[i].startHour) << i;
        EXPECT_EQ(2, table.entries[i].startMinute) << i;
        EXPECT_EQ(starts[i], table.entries[i].endHour) << i;
        EXPECT_EQ(12, table.entries[i].endMinute) << i;
    }
    for (int i = 10; i < 15; ++i)
        EXPECT_TRUE(IsFree(table.entries[i])) << i;

    // Today's windows: the first fifteen of them.
    acquire.status = StatusCurrent;
    WriteSchedule(ScheduleRecords(HourlyWindows(0, 19)));
    ASSERT_EQ(1, dialog.FillTimeList());
    ASSERT_EQ(0, dialog.StoreBroadcastTimes());
    table = StoredTable();
    EXPECT_EQ(0, table.entries[0].startHour);
    EXPECT_EQ(14, table.entries[14].startHour);

    // The scheduler refuses the table: 2.
    SetSchedulerSwitch("FailSet", 1);
    EXPECT_EQ(2, dialog.StoreBroadcastTimes());
    acquire.status = StatusChannelFailed; // no table for other states
    EXPECT_EQ(0, dialog.StoreBroadcastTimes());
    SetSchedulerSwitch("FailSet", 0);

    // A complete week needs no table: nothing goes over, and that is a success.
    DeleteFileA((scheduler / "Broadcast.dat").c_str());
    WriteCompleteWeek();
    acquire.status = StatusNoData;
    ASSERT_EQ(0, dialog.StoreBroadcastTimes());
    EXPECT_FALSE(FileExists(scheduler / "Broadcast.dat"));
}

TEST_F(SettingsTest, EachSchedulerFailureOfTheDailyStoreGivesItsResult) {
    acquire.status = StatusCurrent;
    ASSERT_EQ(1, dialog.FillDefaultTimes());
    // A read failure unlike the store's own results (1 invalid window, 2 write
    // failed) comes back as it came.
    SetSchedulerSwitch("FailRead", 4);
    EXPECT_EQ(4, StoreDaily(0, 0, 1, 0));
    SetSchedulerSwitch("FailRead", 0);
    SetSchedulerSwitch("FailWrite", 1);
    EXPECT_EQ(2, StoreDaily(0, 0, 1, 0));
    SetSchedulerSwitch("FailWrite", 0);
    SetSchedulerSwitch("FailSet", 1);
    EXPECT_EQ(0, StoreDaily(0, 0, 1, 0)); // the table's failure is not reported
    EXPECT_EQ((std::vector<uint16_t>{6, 0, 7, 0}), Window(StoredRecord()));
}

} // namespace
