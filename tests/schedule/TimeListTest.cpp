#include "DialogFixture.h"
#include "ScheduleFile.h"
#include "Wakeplan.h"
#include "resource.h"
#include <thread>

namespace {

class TimeListTest : public DialogFixture {
protected:
    struct Boxes {
        std::vector<std::string> list, startHours, startMinutes, endHours, endMinutes;
        bool operator==(const Boxes &other) const {
            return list == other.list && startHours == other.startHours &&
                   startMinutes == other.startMinutes && endHours == other.endHours &&
                   endMinutes == other.endMinutes;
        }
    };
    Boxes AllItems() const {
        return {Items(IDC_TIME_LIST), Items(IDC_START_HOUR), Items(IDC_START_MINUTE),
                Items(IDC_END_HOUR), Items(IDC_END_MINUTE)};
    }
    void SaveWindow(uint16_t startHour, uint16_t startMinute, uint16_t endHour,
                    uint16_t endMinute) {
        ScheduleRecord record = {};
        record.enabled = 1;
        uint16_t window[4] = {startHour, startMinute, endHour, endMinute};
        memcpy(record.dailyWindow, window, sizeof window);
        ASSERT_EQ(0, WriteScheduleRecord(&record));
    }
    std::string Decoded() const { return epgTemp / "Ep000001.tch"; }
};

const std::vector<std::string> MinuteTexts = {"00", "10", "20", "30", "40", "50"};

TEST_F(TimeListTest, HourlyWindowsFillTheListTheHoursAndTheRangeWithTheSavedWindowChosen) {
    SaveWindow(7, 30, 99, 45); // no end hour 99 and no minute 45 among the items
    WriteSchedule(ScheduleRecords(HourlyWindows(6, 23)));
    strcpy(acquire.epgDateText, "2026/12/08");

    ASSERT_EQ(1, dialog.FillTimeList());
    std::vector<std::string> lines = Items(IDC_TIME_LIST);
    ASSERT_EQ(18u, lines.size());
    EXPECT_EQ(" 6:02 " + Tilde + "  6:12", lines[0]);
    EXPECT_EQ(" 9:02 " + Tilde + "  9:12", lines[3]);
    EXPECT_EQ("23:02 " + Tilde + " 23:12", lines[17]);
    EXPECT_EQ(HourTexts(6, 23), Items(IDC_START_HOUR));
    EXPECT_EQ(HourTexts(6, 24), Items(IDC_END_HOUR));
    EXPECT_EQ(MinuteTexts, Items(IDC_START_MINUTE));
    EXPECT_EQ(MinuteTexts, Items(IDC_END_MINUTE));
    EXPECT_EQ(18, dialog.lastEndHourIndex);

    EXPECT_EQ(0, Selection(IDC_TIME_LIST));
    EXPECT_EQ(" 7", Selected(IDC_START_HOUR));
    EXPECT_EQ("24", Selected(IDC_END_HOUR)); // the saved 99 matches nothing
    EXPECT_EQ("30", Selected(IDC_START_MINUTE));
    EXPECT_EQ("00", Selected(IDC_END_MINUTE));
    EXPECT_EQ(" 6:00 " + Tilde + " 24:00", Text(IDC_SETTABLE_RANGE));
    EXPECT_EQ("2026/12/08", Text(IDC_DATA_DATE));
    EXPECT_EQ(1u, acquire.storedReceiveMode);
    EXPECT_FALSE(FileExists(Decoded()));
    EXPECT_TRUE(FileExists(adams / "Ep000001.tct"));

    // Filling again gives the same items, not twice as many.
    Boxes once = AllItems();
    ASSERT_EQ(1, dialog.FillTimeList());
    EXPECT_TRUE(once == AllItems());

    // While the dialog closes the boxes are renewed, but nothing is chosen or shown.
    acquire.stopRequested = 1;
    SetDlgItemTextA(dialog.m_hWnd, IDC_DATA_DATE, "date");
    SetDlgItemTextA(dialog.m_hWnd, IDC_SETTABLE_RANGE, "range");
    ASSERT_EQ(1, dialog.FillTimeList());
    EXPECT_TRUE(once == AllItems());
    for (int id : {IDC_TIME_LIST, IDC_START_HOUR, IDC_START_MINUTE, IDC_END_HOUR, IDC_END_MINUTE})
        EXPECT_EQ(-1, Selection(id)) << id;
    EXPECT_EQ("date", Text(IDC_DATA_DATE));
    EXPECT_EQ("range", Text(IDC_SETTABLE_RANGE));
}

TEST_F(TimeListTest, HoursPastMidnightReadAsTheirOwnHoursAndAreStoredAsShown) {
    // Not one window per hour: 24 o'clock has none.
    SaveWindow(25, 0, 26, 0);
    WriteSchedule(ScheduleRecords({{20, 2, 20, 12},
                                   {21, 2, 21, 12},
                                   {22, 2, 22, 12},
                                   {23, 2, 23, 12},
                                   {25, 2, 25, 12},
                                   {26, 2, 26, 12}}));
    ASSERT_EQ(1, dialog.FillTimeList());
    EXPECT_EQ("25:02 " + Tilde + " 25:12", Items(IDC_TIME_LIST)[4]);
    EXPECT_EQ(HourTexts(20, 26), Items(IDC_START_HOUR));
    // The end of the range is the hour after the last window, also past 24 o'clock.
    EXPECT_EQ(HourTexts(20, 27), Items(IDC_END_HOUR));
    EXPECT_EQ(7, dialog.lastEndHourIndex);
    EXPECT_EQ("25", Selected(IDC_START_HOUR));
    EXPECT_EQ(5, Selection(IDC_START_HOUR));
    EXPECT_EQ(6, Selection(IDC_END_HOUR)); // the saved 26, not the end of the range
    EXPECT_EQ("20:00 " + Tilde + " 27:00", Text(IDC_SETTABLE_RANGE));

    // A daily window across midnight, 23:00 to 27:00, is stored with the hours shown.
    acquire.status = StatusOutdated;
    Select(IDC_START_HOUR, 3);
    Select(IDC_START_MINUTE, 0);
    Select(IDC_END_HOUR, 7);
    Select(IDC_END_MINUTE, 1);
    ASSERT_EQ("23", Selected(IDC_START_HOUR));
    ASSERT_EQ("27", Selected(IDC_END_HOUR));
    EXPECT_EQ(1, dialog.StoreDailySetting()); // 27:10 lies past the range
    Select(IDC_END_MINUTE, 0);
    ASSERT_EQ(0, dialog.StoreDailySetting());
    ScheduleRecord stored = StoredRecord();
    EXPECT_EQ(1, stored.enabled);
    EXPECT_EQ((std::vector<uint16_t>{23, 0, 27, 0}),
              std::vector<uint16_t>(stored.dailyWindow, stored.dailyWindow + 4));
}

TEST_F(TimeListTest, TheEndHoursGoOnToTheHourAfterTheLastWindowsEndEachStoringItsOwnHour) {
    // The last window crosses an hour: 23 and then 24 follow the last start hour.
    SaveWindow(21, 0, 23, 10);
    WriteSchedule(ScheduleRecords({{20, 2, 20, 12}, {21, 2, 21, 12}, {22, 55, 23, 10}}));
    ASSERT_EQ(1, dialog.FillTimeList());
    EXPECT_EQ(HourTexts(20, 22), Items(IDC_START_HOUR));
    EXPECT_EQ(HourTexts(20, 24), Items(IDC_END_HOUR));
    EXPECT_EQ(4, dialog.lastEndHourIndex);
    EXPECT_EQ("20:00 " + Tilde + " 24:00", Text(IDC_SETTABLE_RANGE));
    // The saved window ends in the last window's hour: that hour is chosen, and stored as shown.
    EXPECT_EQ("23", Selected(IDC_END_HOUR));
    EXPECT_EQ("10", Selected(IDC_END_MINUTE));
    ASSERT_EQ(0, dialog.StoreDailySetting());
    ScheduleRecord stored = StoredRecord();
    EXPECT_EQ((std::vector<uint16_t>{21, 0, 23, 10}),
              std::vector<uint16_t>(stored.dailyWindow, stored.dailyWindow + 4));
    Select(IDC_END_HOUR, 4);
    Select(IDC_END_MINUTE, 0);
    ASSERT_EQ(0, dialog.StoreDailySetting());
    EXPECT_EQ(24, StoredRecord().dailyWindow[2]);

    // A last window that ends before it starts: the box still ends after its
    // start hour, every hour once, each at its own position.
    WriteSchedule(ScheduleRecords({{20, 2, 20, 12}, {23, 2, 22, 12}}));
    ASSERT_EQ(1, dialog.FillTimeList());
    EXPECT_EQ(HourTexts(20, 23), Items(IDC_START_HOUR));
    EXPECT_EQ(HourTexts(20, 24), Items(IDC_END_HOUR));
    EXPECT_EQ(4, dialog.lastEndHourIndex);
}

TEST_F(TimeListTest, RecordsAreReadUpToTwentyFourAndOnlyWholeRecordsCount) {
    // 30 records: the first 24 are read, and that is a success.
    std::vector<ScheduleWindow> many;
    for (int i = 0; i < 30; ++i)
        many.push_back({i, i + 1, i + 2, i + 3});
    WriteSchedule(ScheduleRecords(many));
    EXPECT_EQ(1, dialog.ReadBroadcastSchedule());
    EXPECT_EQ(24, dialog.broadcastWindowCount);
    EXPECT_EQ(23, dialog.broadcastWindows[23].startHour);
    EXPECT_EQ(26, dialog.broadcastWindows[23].endMinute);
    EXPECT_FALSE(FileExists(Decoded()));

    // A last record without its separator is read.
    WriteSchedule("06020612|07020712");
    EXPECT_EQ(1, dialog.ReadBroadcastSchedule());
    EXPECT_EQ(2, dialog.broadcastWindowCount);
    EXPECT_EQ(7, dialog.broadcastWindows[1].endHour);
    EXPECT_EQ(12, dialog.broadcastWindows[1].endMinute);

    // Five stray bytes at the end fail the read; the whole records before stay.
    WriteSchedule("06020612|07020712|08020");
    EXPECT_EQ(0, dialog.ReadBroadcastSchedule());
    EXPECT_EQ(2, dialog.broadcastWindowCount);
    EXPECT_FALSE(FileExists(Decoded()));

    // The fields are taken as two digits each, without checking them.
    WriteSchedule("0:020612|");
    EXPECT_EQ(1, dialog.ReadBroadcastSchedule());
    EXPECT_EQ(10, dialog.broadcastWindows[0].startHour); // '0' and ':' (58)
}

TEST_F(TimeListTest, WithoutAUsableScheduleTheFillFailsAndTheBoxesStayAsTheyWere) {
    ASSERT_EQ(1, dialog.FillDefaultTimes());
    Boxes defaults = AllItems();
    auto expectUnchanged = [&](const char *why) {
        EXPECT_EQ(0, dialog.FillTimeList()) << why;
        EXPECT_TRUE(defaults == AllItems()) << why;
        EXPECT_EQ(" 6:00 " + Tilde + " 24:00", Text(IDC_SETTABLE_RANGE)) << why;
    };

    expectUnchanged("no schedule file");
    // An empty schedule is read, and leaves no window of the one read before it.
    WriteSchedule(ScheduleRecords(HourlyWindows(6, 8)));
    ASSERT_EQ(1, dialog.ReadBroadcastSchedule());
    ASSERT_EQ(3, dialog.broadcastWindowCount);
    WriteSchedule("");
    EXPECT_EQ(1, dialog.ReadBroadcastSchedule());
    EXPECT_EQ(0, dialog.broadcastWindowCount);
    dialog.broadcastWindowCount = 3;
    expectUnchanged("an empty schedule");
    EXPECT_EQ(0, dialog.broadcastWindowCount);

    // A cut record: the windows before it are kept, the boxes are not touched.
    WriteSchedule("06020612|07");
    expectUnchanged("a cut record");
    EXPECT_EQ(1, dialog.broadcastWindowCount);
    EXPECT_EQ(6, dialog.broadcastWindows[0].startHour);

    WriteSchedule(ScheduleRecords(HourlyWindows(6, 8)));
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG Temp", "");
    expectUnchanged("no EPG Temp folder");
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG Temp", epgTemp / "missing\\");
    expectUnchanged("an EPG Temp folder that does not exist");
    for (const BroadcastWindow &window : dialog.broadcastWindows)
        EXPECT_EQ(0, window.startHour + window.startMinute + window.endHour + window.endMinute);
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG Temp", epgTemp.Path() + "\\");
    DeleteRegistryTree(HKEY_CURRENT_USER, AdamsKeyPath);
    expectUnchanged("no ADAMS folder");

    // A scheduler that cannot read its record stops both fills before they change anything.
    SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", adams.Path());
    SetSchedulerSwitch("FailRead", 1);
    expectUnchanged("the record cannot be read");
    EXPECT_EQ(0, dialog.FillDefaultTimes());
    SetSchedulerSwitch("FailRead", 0);
    EXPECT_EQ(1, dialog.FillTimeList());
}

TEST_F(TimeListTest, AReadThatFailsKeepsTheWindowsReadBeforeIt) {
    // A pipe whose writer goes away after two records: the third read fails.
    const char *pipeName = "\\\\.\\pipe\\pelmar-schedule-read";
    HANDLE pipe =
        CreateNamedPipeA(pipeName, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1, 4096, 4096, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, pipe);
    std::thread writer([pipe] {
        ConnectNamedPipe(pipe, nullptr);
        DWORD written = 0;
        WriteFile(pipe, "06020612|07020712|", 18, &written, nullptr);
        FlushFileBuffers(pipe);
        Sleep(200);
        DisconnectNamedPipe(pipe);
        CloseHandle(pipe);
    });
    BroadcastWindow windows[MaxBroadcastWindows] = {};
    int count = -1;
    EXPECT_EQ(0, ReadDecodedSchedule(pipeName, windows, count));
    writer.join();
    EXPECT_EQ(2, count);
    EXPECT_EQ(7, windows[1].startHour);
}

TEST_F(TimeListTest, TheDefaultRangeIsSixToTwentyFourWhateverWasSaved) {
    SaveWindow(7, 30, 9, 10);
    SetDlgItemTextA(dialog.m_hWnd, IDC_DATA_DATE, "date");
    for (int round = 0; round < 2; ++round) {
        ASSERT_EQ(1, dialog.FillDefaultTimes());
        EXPECT_TRUE(Items(IDC_TIME_LIST).empty());
        EXPECT_EQ(HourTexts(6, 23), Items(IDC_START_HOUR));
        EXPECT_EQ(HourTexts(6, 24), Items(IDC_END_HOUR));
        EXPECT_EQ(MinuteTexts, Items(IDC_END_MINUTE));
        EXPECT_EQ(18, dialog.lastEndHourIndex);
        EXPECT_EQ(" 6", Selected(IDC_START_HOUR));
        EXPECT_EQ("24", Selected(IDC_END_HOUR));
        EXPECT_EQ("00", Selected(IDC_START_MINUTE));
        EXPECT_EQ("00", Selected(IDC_END_MINUTE));
        EXPECT_EQ(" 6:00 " + Tilde + " 24:00", Text(IDC_SETTABLE_RANGE));
        EXPECT_EQ("date", Text(IDC_DATA_DATE));
    }
}

} // namespace
