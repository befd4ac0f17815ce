// Automatic runs, as the scheduler starts them: minimised and unattended.
#include "Installation.h"
#include <gtest/gtest.h>

namespace {

const std::string ReceivingLine = " \x81\x9F\x83\x66\x81\x5B\x83\x5E\x82\xF0\x8E\xE6\x93\xBE"
                                  "\x92\x86\x81\x9F"; // " ◆データを取得中◆"
const std::string WideBlanks = "\x81\x40\x81\x40";    // two ideographic spaces
const std::string AbortText = "\x92\x86\x8E\x7E";     // 中止

class AutomaticRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Yesterday's data; the broadcast brings two stations and two windows.
        installation.WriteGuideData(time(nullptr) - 86400);
        installation.WriteSchedule({{5, 2, 5, 12}});
        installation.WriteFeed({"AAAA Alpha", "BBBB Bravo"}, {{6, 2, 6, 12}, {19, 2, 19, 12}});
        // A station of the user's with two days that are neither today nor
        // tomorrow: the week is not complete, so the scheduler gets the windows.
        std::vector<TestChannel> table(12);
        table[0] = {"Zulu"};
        table[5] = {"ADAMS", 1};
        WriteChannelTable(installation.channels.Path(), table);
        installation.WriteDayFiles("ZZZZ", "Zulu", {2, 3});
    }
    std::string Peer(const std::string &arguments) const {
        return "\"" + BinFolder() + "\\tunerpeer.exe\" " + arguments;
    }
    Installation installation;
};

TEST_F(AutomaticRunTest, ADailyRunReceivesTheWeekUntilAViewerAsksThenRenewsTheSchedule) {
    RunningProgram pelmar(installation, "Auto");
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; }, 5000));
    EXPECT_EQ((std::vector<std::string>{WideBlanks, ReceivingLine}),
              Items(GetDlgItem(dialog, 1017)));
    EXPECT_EQ(AbortText, WindowText(GetDlgItem(dialog, IDCANCEL)));
    for (int id : {1000, 1001, 1010, 1011, 1012, 1013})
        EXPECT_FALSE(Enabled(dialog, id)) << id;
    EXPECT_TRUE(Enabled(dialog, 1017));
    EXPECT_NE(nullptr, FindWindowA(nullptr, "DataCast - NORVELL"));

    // The receiver delivers the week and marks today's data present.
    ASSERT_TRUE(WaitUntil([&] { return installation.GuideDataIsTodays(); }, 20000));
    EXPECT_TRUE(FileExists(installation.adams / ("AAAA" + DateField(7) + ".ep1")));

    // A viewer asks for the tuner and gets it at once; the run ends.
    ChildProcess viewer(Peer("ask Viewer 2"));
    EXPECT_EQ(0, viewer.Wait(10000)); // granted
    EXPECT_EQ(0, pelmar.Wait(15000));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "DataCast - NORVELL"));
    EXPECT_FALSE(FolderExists(installation.adams / "Temp"));
    EXPECT_EQ(0, CountWindows(pelmar.Id(), "#32770")); // no message was left behind

    // Found outdated at start, the next start stays today; the new windows go over.
    std::string schedule = ReadWholeFile(installation.scheduler / "Schedule.dat");
    ASSERT_EQ(128u, schedule.size());
    SYSTEMTIME today;
    GetLocalTime(&today);
    uint16_t next[4];
    memcpy(next, schedule.data() + 84, sizeof next);
    EXPECT_EQ(today.wYear, next[0]);
    EXPECT_EQ(today.wMonth, next[1]);
    EXPECT_EQ(today.wDayOfWeek + 1, next[2]);
    EXPECT_EQ(today.wDay, next[3]);
    std::string table = ReadWholeFile(installation.scheduler / "Broadcast.dat");
    ASSERT_EQ(120u, table.size());
    uint16_t windows[8];
    memcpy(windows, table.data(), sizeof windows);
    EXPECT_EQ((std::vector<uint16_t>{6, 2, 6, 12, 19, 2, 19, 12}),
              std::vector<uint16_t>(windows, windows + 8));
}

TEST_F(AutomaticRunTest, AViewerOnScreenAtStartLeavesTheTunerAloneButTheWindowsAreStored) {
    ChildProcess browser("\"" + BinFolder() + "\\openwindow.exe\" \"bitcastBar Base\" 60");
    ASSERT_NE(nullptr, WaitForWindow(browser.Id(), "bitcastBar Base"));
    RunningProgram pelmar(installation, "/auto");
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    // The old schedule's windows went to the scheduler before the window was minimised.
    EXPECT_TRUE(FileExists(installation.scheduler / "Broadcast.dat"));
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; }, 5000));
    EXPECT_EQ((std::vector<std::string>{WideBlanks, ReceivingLine}),
              Items(GetDlgItem(dialog, 1017)));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, "DataCast - NORVELL"));
    EXPECT_EQ(1, CountWindows(pelmar.Id(), "#32770")); // no message in an unattended run

    // Abort ends it; nothing had been received, so the record is not touched.
    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_FALSE(FileExists(installation.scheduler / "Schedule.dat"));
}

TEST_F(AutomaticRunTest, ATunerHeldElsewhereIsNamedAndTheRunWaitsMinimisedForItsEnd) {
    ChildProcess holder("\"" + BinFolder() +
                        "\\tunerpeer.exe\" hold \"Other Viewer\" --answer no --seconds 60");
    ASSERT_TRUE(
        WaitUntil([&] { return ChildProcess(Peer("ask Probe 1")).Wait(10000) == 1; }, 10000));
    RunningProgram pelmar(installation, "Auto");
    pelmar.ExpectBox("Pelmar", "Other Viewer が動作中のためEPGデータの取得を中止します。", true);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; }, 5000));
    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(0, pelmar.Wait(10000));
}

TEST_F(AutomaticRunTest, ADayFileHeldOpenAtTheEndIsPassedOverAndTheRunStillEnds) {
    RunningProgram pelmar(installation, "Auto");
    ASSERT_NE(nullptr, pelmar.MainWindow());
    ASSERT_TRUE(WaitUntil([&] { return installation.GuideDataIsTodays(); }, 20000));
    // The end-of-run check reads the station name from this file.
    HeldFile held(installation.adams / ("ZZZZ" + DateField(2) + ".ep1"));
    ChildProcess viewer(Peer("ask Viewer 2"));
    EXPECT_EQ(0, viewer.Wait(10000));
    EXPECT_EQ(0, pelmar.Wait(15000)); // no file-error message waits for an answer
    EXPECT_FALSE(FolderExists(installation.adams / "Temp"));
    // The next start was written before the check; the windows were not handed over.
    EXPECT_TRUE(FileExists(installation.scheduler / "Schedule.dat"));
    EXPECT_FALSE(FileExists(installation.scheduler / "Broadcast.dat"));
}

} // namespace
