// Runs started by the user: what the dialog tells, waits for and stores.
#include "Installation.h"
#include "WakeplanStore.h"
#include <gtest/gtest.h>

namespace {

const std::string NoBroadcastTimes = "放送時間情報がありません。このプログラムを約１０分間\n"
                                     "起動したままにしてください。\n";
const std::string OldData = "今日の放送情報がありません。古いデータを表示します。\n"
                            "新しいデータはこのプログラムが動作中に取得できます。";
const std::string DailyInvalid = "時間指定に誤りがあります。\n設定値を換えてください。";
const std::string DailyStored = "自動取得に設定しました。\n"
                                "毎日指定された時間にプログラムが起動します。";
const std::string ManualStored = "放送時間前にEPGデータ管理プログラムを\n"
                                 "起動してデータを受信してください。";
const std::string Tilde = "\x81\x60";

enum Control {
    ManualRadio = 1000,
    DailyRadio = 1001,
    StartHour = 1010,
    StartMinute = 1011,
    EndHour = 1012,
    EndMinute = 1013,
    RangeText = 1014,
    TimeList = 1017,
    DataDate = 1018,
    AlwaysReceive = 1023,
    AutoAdjust = 1024,
};

class ManualRunTest : public ::testing::Test {
protected:
    void Choose(HWND dialog, int id, int index) {
        SendMessageA(GetDlgItem(dialog, id), CB_SETCURSEL, index, 0);
    }
    void Click(HWND dialog, int id) { SendMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
    // The record as the scheduler stores it: fields at their offsets.
    std::vector<uint16_t> StoredWords(size_t offset, size_t count) const {
        std::string record = ReadWholeFile(installation.scheduler / "Schedule.dat");
        std::vector<uint16_t> words(count);
        memcpy(words.data(), record.data() + offset, count * 2);
        return words;
    }
    uint32_t StoredFlags() const {
        std::string record = ReadWholeFile(installation.scheduler / "Schedule.dat");
        uint32_t flags;
        memcpy(&flags, record.data() + 100, sizeof flags);
        return flags;
    }
    void StoreRecord(uint16_t enabled, std::vector<uint16_t> window, uint32_t flags) {
        std::string record(128, '\0');
        memcpy(&record[70], &enabled, 2);
        memcpy(&record[76], window.data(), 8);
        memcpy(&record[100], &flags, 4);
        WriteFile(installation.scheduler / "Schedule.dat", record);
    }
    Installation installation;
};

TEST_F(ManualRunTest, AFirstStartWithoutDataWaitsForTheBroadcastThenStoresADailyWindow) {
    installation.WriteFeed({"AAAA Alpha"}, {{6, 2, 6, 12}, {7, 2, 7, 12}, {23, 2, 23, 12}});
    RunningProgram pelmar(installation);
    pelmar.ExpectBox(Shown::Explanation, NoBroadcastTimes, false);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(Ticked(dialog, ManualRadio));
    EXPECT_FALSE(Enabled(dialog, DailyRadio));
    EXPECT_TRUE(Items(GetDlgItem(dialog, TimeList)).empty());

    // The receiver delivers today's data; the next poll of the dialog finds it.
    ASSERT_TRUE(WaitUntil([&] { return Items(GetDlgItem(dialog, TimeList)).size() == 3; }, 30000));
    EXPECT_EQ((std::vector<std::string>{" 6:02 " + Tilde + "  6:12", " 7:02 " + Tilde + "  7:12",
                                        "23:02 " + Tilde + " 23:12"}),
              Items(GetDlgItem(dialog, TimeList)));
    EXPECT_TRUE(installation.GuideDataIsTodays());
    SYSTEMTIME today;
    GetLocalTime(&today);
    char date[16];
    snprintf(date, sizeof date, "%04d/%02d/%02d", today.wYear, today.wMonth, today.wDay);
    EXPECT_EQ(date, WindowText(GetDlgItem(dialog, DataDate)));
    EXPECT_EQ(" 6:00 " + Tilde + " 24:00", WindowText(GetDlgItem(dialog, RangeText)));
    for (int id : {DailyRadio, StartHour, StartMinute, EndHour, EndMinute})
        EXPECT_TRUE(Enabled(dialog, id)) << id;

    // Daily, always receiving the ADAMS broadcast. 24:10 is refused; the dialog stays.
    Click(dialog, DailyRadio);
    EXPECT_TRUE(Ticked(dialog, DailyRadio));
    Click(dialog, AlwaysReceive);
    Choose(dialog, EndHour, 18);
    Choose(dialog, EndMinute, 1);
    ClickButton(dialog, IDOK);
    pelmar.ExpectBox(Shown::DailyCaption, DailyInvalid, false);
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_FALSE(FileExists(installation.scheduler / "Schedule.dat"));

    Choose(dialog, StartHour, 1); // 7:30 to 23:00
    Choose(dialog, StartMinute, 3);
    Choose(dialog, EndHour, 17);
    Choose(dialog, EndMinute, 0);
    ClickButton(dialog, IDOK);
    pelmar.ExpectBox(Shown::DailyCaption, DailyStored, false);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, ReceiverTitle));

    EXPECT_EQ((std::vector<uint16_t>{1}), StoredWords(70, 1));
    EXPECT_EQ((std::vector<uint16_t>{7, 30, 23, 0}), StoredWords(76, 4));
    EXPECT_EQ(0x80000000u, StoredFlags());
    // Today's data is here: the program starts again tomorrow.
    SYSTEMTIME tomorrow;
    FILETIME moment = FileTimeOf(time(nullptr) + 86400), local;
    FileTimeToLocalFileTime(&moment, &local);
    FileTimeToSystemTime(&local, &tomorrow);
    EXPECT_EQ((std::vector<uint16_t>{tomorrow.wYear, tomorrow.wMonth,
                                     (uint16_t)(tomorrow.wDayOfWeek + 1), tomorrow.wDay}),
              StoredWords(84, 4));
    // The whole week arrived: the scheduler needs no broadcast windows.
    EXPECT_FALSE(FileExists(installation.scheduler / "Broadcast.dat"));
}

TEST_F(ManualRunTest, OldDataIsShownUntilAViewerTakesTheTunerAndOkStillStoresTheChoice) {
    installation.WriteGuideData(time(nullptr) - 86400);
    installation.WriteSchedule({{6, 2, 6, 12}, {8, 2, 8, 12}});
    SetSwitch(DataCastKeyPath, "StepMilliseconds", 600000); // today's data never comes
    StoreRecord(1, {7, 0, 8, 0}, 0x40000000u);
    RunningProgram pelmar(installation);
    pelmar.ExpectBox(Shown::Explanation, OldData, false);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(2u, Items(GetDlgItem(dialog, TimeList)).size());
    // The stored daily choice and options are shown.
    EXPECT_TRUE(Ticked(dialog, DailyRadio));
    EXPECT_TRUE(Enabled(dialog, StartHour));
    EXPECT_EQ(" 7", Selected(GetDlgItem(dialog, StartHour)));
    EXPECT_EQ(" 8", Selected(GetDlgItem(dialog, EndHour)));
    EXPECT_FALSE(Ticked(dialog, AlwaysReceive));
    EXPECT_TRUE(Ticked(dialog, AutoAdjust));
    ASSERT_NE(nullptr, FindWindowA(nullptr, ReceiverTitle));

    // A viewer takes the tuner; at the dialog's next poll the notice names it.
    TunerPeer viewer(installation.logs / "viewer.txt", "ask \"Viewer X\" 2");
    EXPECT_EQ(0, viewer.Wait(10000));
    HWND notice = pelmar.WaitForBox("PELMAR", 20000);
    ASSERT_NE(nullptr, notice);
    EXPECT_EQ("Viewer X", WindowText(GetDlgItem(notice, 1025)));
    EXPECT_TRUE(GetWindowLongA(notice, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(nullptr, FindWindowA(nullptr, ReceiverTitle));
    EXPECT_TRUE(IsWindow(dialog));
    pelmar.Answer(notice);

    // The dialog stays; OK stores the manual choice.
    Click(dialog, ManualRadio);
    ClickButton(dialog, IDOK);
    pelmar.ExpectBox(Shown::ManualCaption, ManualStored, false);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_EQ((std::vector<uint16_t>{0}), StoredWords(70, 1));
    EXPECT_EQ(0x40000000u, StoredFlags());
    EXPECT_EQ(std::string(120, '\0'), ReadWholeFile(installation.scheduler / "Broadcast.dat"));
}

TEST_F(ManualRunTest, WithTodaysDataNoTimerRunsSoARequestIsOnlyAnsweredUntilTheEnd) {
    installation.WriteGuideData(time(nullptr));
    installation.WriteSchedule({{6, 2, 6, 12}});
    SetSwitch(DataCastKeyPath, "StepMilliseconds", 600000);
    RunningProgram pelmar(installation);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);

    // A viewer that does not insist is refused with the program's name.
    TunerPeer probe(installation.logs / "probe.txt", "ask Probe 1");
    EXPECT_EQ(1, probe.Wait(10000));
    EXPECT_EQ(0u, probe.Output().find("refused by EPGデータ管理プログラム"));
    // One that insists gets the tuner; without a timer nothing more happens.
    TunerPeer viewer(installation.logs / "viewer.txt", "ask Viewer 2");
    EXPECT_EQ(0, viewer.Wait(10000));
    EXPECT_EQ(nullptr, pelmar.WaitForBox("PELMAR", 12000)); // longer than a manual tick
    EXPECT_NE(nullptr, FindWindowA(nullptr, ReceiverTitle));

    // The end stops the receiver and closes the resource once more.
    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, ReceiverTitle));
    EXPECT_EQ("", InOrder(installation.TunerLog(),
                          {"event 9 from \"Probe\" level 1 -> answer 0", "RVL_CloseResource",
                           "event 9 from \"Viewer\" level 2 -> answer 1", "RVL_CloseResource",
                           "RVL_CallBackClose"}));
    EXPECT_EQ("", InOrder(installation.ReceiverLog(), {"message 1827", "message 1826"}));
}

TEST_F(ManualRunTest, BroadcastHoursPastMidnightAreOfferedAndStoredAsTheyRead) {
    installation.WriteGuideData(time(nullptr));
    installation.WriteSchedule(
        {{20, 2, 20, 12}, {21, 2, 21, 12}, {22, 2, 22, 12}, {23, 2, 23, 12}, {26, 2, 26, 12}});
    SetSwitch(DataCastKeyPath, "StepMilliseconds", 600000);
    RunningProgram pelmar(installation);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("26:02 " + Tilde + " 26:12", Items(GetDlgItem(dialog, TimeList)).back());
    EXPECT_EQ((std::vector<std::string>{"20", "21", "22", "23", "24", "25", "26"}),
              Items(GetDlgItem(dialog, StartHour)));
    EXPECT_EQ((std::vector<std::string>{"20", "21", "22", "23", "24", "25", "26", "27"}),
              Items(GetDlgItem(dialog, EndHour)));
    EXPECT_EQ("20:00 " + Tilde + " 27:00", WindowText(GetDlgItem(dialog, RangeText)));

    // Daily from 22:30 to the end of the range, 27:00.
    Click(dialog, DailyRadio);
    Choose(dialog, StartHour, 2);
    Choose(dialog, StartMinute, 3);
    Choose(dialog, EndHour, 7);
    Choose(dialog, EndMinute, 0);
    ASSERT_EQ("27", Selected(GetDlgItem(dialog, EndHour)));
    ClickButton(dialog, IDOK);
    pelmar.ExpectBox(Shown::DailyCaption, DailyStored, false);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_EQ((std::vector<uint16_t>{1}), StoredWords(70, 1));
    EXPECT_EQ((std::vector<uint16_t>{22, 30, 27, 0}), StoredWords(76, 4));
}

TEST_F(ManualRunTest, OkTidiesTheWeekOutdatedSetsGoAndVanishedDaysComeBack) {
    installation.WriteGuideData(time(nullptr));
    installation.WriteSchedule({{6, 2, 6, 12}});
    SetSwitch(DataCastKeyPath, "StepMilliseconds", 600000);
    installation.WriteDayFiles("AAAA", "Alpha", {0, 1, 2});
    installation.WriteDayFiles("OLDS", "Old", {-1}); // yesterday: outside the window
    // A stored enabled word that is neither manual (0) nor daily (1).
    StoreRecord(2, {7, 0, 8, 0}, 0);
    RunningProgram pelmar(installation);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(Ticked(dialog, ManualRadio));
    EXPECT_FALSE(Ticked(dialog, DailyRadio));
    EXPECT_FALSE(Enabled(dialog, StartHour));
    // Day files vanish while the program runs; the start-up copy still has them.
    std::string base = installation.adams / ("AAAA" + DateField(1));
    for (const char *extension : {".ep1", ".ep2", ".ept"})
        ASSERT_TRUE(DeleteFileA((base + extension).c_str()));

    ClickButton(dialog, IDOK); // the manual choice: the folder is tidied first
    pelmar.ExpectBox(Shown::ManualCaption, ManualStored, false);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_TRUE(FileExists(base + ".ep1"));
    EXPECT_TRUE(FileExists(base + ".ept"));
    EXPECT_FALSE(FileExists(base + ".ep2")); // never restored
    EXPECT_FALSE(FileExists(installation.adams / ("OLDS" + DateField(-1) + ".ep1")));
    EXPECT_FALSE(FolderExists(installation.adams / "Temp"));
    EXPECT_EQ((std::vector<uint16_t>{0}), StoredWords(70, 1)); // stored as manual
}

TEST_F(ManualRunTest, AScheduleThatCannotBeStoredIsReportedAndTheRunStillEnds) {
    installation.WriteGuideData(time(nullptr));
    installation.WriteSchedule({{6, 2, 6, 12}, {9, 2, 9, 12}});
    SetSwitch(DataCastKeyPath, "StepMilliseconds", 600000);
    SetSwitch(WakeplanKeyPath, "FailWrite", 1);
    {
        RunningProgram pelmar(installation);
        HWND dialog = pelmar.MainWindow();
        ASSERT_NE(nullptr, dialog);
        ClickButton(dialog, IDOK); // the manual choice
        pelmar.ExpectBox(Shown::ManualCaption,
                         "設定に失敗しました。\nプログラムを再起動して設定をしてください。", false);
        EXPECT_EQ(0, pelmar.Wait(10000));
    }
    RunningProgram pelmar(installation);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    Click(dialog, DailyRadio);
    ClickButton(dialog, IDOK);
    pelmar.ExpectBox(Shown::DailyCaption,
                     "設定に失敗しました。\nプログラムを再起動して設定をしなおしてください。",
                     false);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_FALSE(FileExists(installation.scheduler / "Schedule.dat"));
}

TEST_F(ManualRunTest, TheWindowMenuOpensTheVersionBoxForItsItemOnly) {
    installation.WriteGuideData(time(nullptr));
    installation.WriteSchedule({{6, 2, 6, 12}});
    RunningProgram pelmar(installation);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    const std::string versionTitle = "\xCA\xDE\xB0\xBC\xDE\xAE\xDD\x8F\xEE\x95\xF1"; // ﾊﾞｰｼﾞｮﾝ情報
    // The item's id, the ids that share its upper bits, and twice in a row.
    for (WPARAM id : {16, 17, 31, 16}) {
        PostMessageA(dialog, WM_SYSCOMMAND, id, 0);
        HWND box = pelmar.WaitForBox(versionTitle, 5000);
        ASSERT_NE(nullptr, box) << id;
        std::vector<std::string> texts;
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON)
                texts.push_back("(icon)");
            else
                texts.push_back(WindowText(child));
        EXPECT_EQ((std::vector<std::string>{"(icon)", "EPGﾃﾞｰﾀ管理ﾌﾟﾛｸﾞﾗﾑ Version 1.41",
                                            "(C) 2026 Pelmar project", "OK"}),
                  texts);
        EXPECT_FALSE(IsWindowEnabled(dialog)); // the main dialog waits behind it
        ClickButton(box, IDOK);
        EXPECT_TRUE(WaitForWindowClosed(box));
        EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(dialog) != FALSE; }, 5000));
    }
    PostMessageA(dialog, WM_SYSCOMMAND, 32, 0);
    EXPECT_EQ(nullptr, pelmar.WaitForBox(versionTitle, 1500));
    // The standard commands still work.
    PostMessageA(dialog, WM_SYSCOMMAND, SC_MINIMIZE, 0);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; }, 5000));
    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(0, pelmar.Wait(10000));
}

TEST_F(ManualRunTest, ADayFileHeldOpenWhenOkTidiesTheFolderIsReportedAndTheDialogStays) {
    installation.WriteGuideData(time(nullptr));
    installation.WriteSchedule({{6, 2, 6, 12}});
    SetSwitch(DataCastKeyPath, "StepMilliseconds", 600000);
    installation.WriteUsersStation("ZZZZ", "Zulu", {2, 3});
    HeldFile held(installation.adams / ("ZZZZ" + DateField(2) + ".ep1"));

    RunningProgram pelmar(installation);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    ClickButton(dialog, IDOK);
    HWND box = pelmar.WaitForBox("Pelmar");
    ASSERT_NE(nullptr, box);
    MessageBoxView view = ReadMessageBox(box);
    EXPECT_NE(std::string::npos, view.text.find("zzzz" + DateField(2) + ".ep1 "));
    EXPECT_NE(std::string::npos, view.text.find("は他のプログラムが使用中です。"));
    EXPECT_EQ(IconOfAnotherProcess, view.icon); // the stop icon, checked in-process
    pelmar.Answer(box);
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_FALSE(FileExists(installation.scheduler / "Schedule.dat")); // nothing stored
    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(0, pelmar.Wait(10000));
}

} // namespace
