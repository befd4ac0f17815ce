// Automatic runs, as the scheduler starts them: minimised and unattended.
#include "Installation.h"
#include <gtest/gtest.h>

namespace {

const std::string ReceivingLine = " \x81\x9F\x83\x66\x81\x5B\x83\x5E\x82\xF0\x8E\xE6\x93\xBE"
                                  "\x92\x86\x81\x9F"; // " ◆データを取得中◆"
const std::string WideBlanks = "\x81\x40\x81\x40";    // two ideographic spaces
const std::string AbortText = "\x92\x86\x8E\x7E";     // 中止
const std::string OwnerName = "EPGデータ管理プログラム";

class AutomaticRunTest : public ::testing::Test {
protected:
    void SetUp() override {
        // Yesterday's data; the broadcast brings two stations and two windows.
        installation.WriteGuideData(time(nullptr) - 86400);
        installation.WriteSchedule({{5, 2, 5, 12}});
        installation.WriteFeed({"AAAA Alpha", "BBBB Bravo"}, {{6, 2, 6, 12}, {19, 2, 19, 12}});
        // A station of the user's with two days that are neither today nor
        // tomorrow: the week is not complete, so the scheduler gets the windows.
        installation.WriteUsersStation("ZZZZ", "Zulu", {2, 3});
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
    EXPECT_NE(nullptr, FindWindowA(nullptr, ReceiverTitle));

    // The receiver delivers the week and marks today's data present.
    ASSERT_TRUE(WaitUntil([&] { return installation.GuideDataIsTodays(); }, 20000));
    EXPECT_TRUE(FileExists(installation.adams / ("AAAA" + DateField(7) + ".ep1")));

    // A viewer asks for the tuner and gets it at once; the run ends.
    TunerPeer viewer(installation.logs / "viewer.txt", "ask Viewer 2");
    EXPECT_EQ(0, viewer.Wait(10000));
    EXPECT_EQ(0u, viewer.Output().find("granted"));
    EXPECT_EQ(0, pelmar.Wait(15000));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, ReceiverTitle));
    EXPECT_FALSE(FolderExists(installation.adams / "Temp"));

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

    // What the package's parts were told, in order. The resource is closed
    // in the callback (its line comes first) and once more at the end.
    EXPECT_EQ(
        "", InOrder(installation.TunerLog(),
                    {"RVL_OpenEx mode=1 -> 0",
                     "RVL_OpenResource kind=6 owner=\"" + OwnerName + "\" level=1 -> 0 granted=1",
                     "RVL_SetChannel 6 -> 0", "RVL_VBIResume -> 0", "RVL_GetSignalStatus -> 0",
                     "event 7", "RVL_CloseResource", "event 9 from \"Viewer\" level 2 -> answer 1",
                     "RVL_CloseResource", "RVL_CallBackClose", "RVL_CallBackClose"}));
    // Started by its full path beside the program, never by a bare name.
    EXPECT_EQ("", InOrder(installation.ReceiverLog(),
                          {"start \"\"" + installation.programFolder / "DataCast.exe\" /AdamsCtl\"",
                           "message 1827", "message 1826", "message WM_CLOSE", "exit 0"}));
    EXPECT_EQ(
        "", InOrder(installation.SchedulerLog(),
                    {"ReadScheduleRecord -> 0", "ReadScheduleRecord -> 0", "WriteScheduleRecord",
                     "ReadScheduleRecord -> 0", "SetBroadcastTimes 06:02-06:12 19:02-19:12 -> 0"}));
}

TEST_F(AutomaticRunTest, OkOnlyMinimisesAndClosingRunsTheEndStepsTwice) {
    RunningProgram pelmar(installation, "Auto");
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(WaitUntil([&] { return installation.GuideDataIsTodays(); }, 20000));
    ShowWindow(dialog, SW_RESTORE);
    ASSERT_TRUE(WaitUntil([&] { return IsIconic(dialog) == FALSE; }, 5000));
    ClickButton(dialog, IDOK);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; }, 5000));
    Sleep(1500); // ticks go on, nothing ends
    EXPECT_TRUE(IsWindow(dialog));

    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, pelmar.Wait(15000));
    // Once on closing, once in the Cancel that follows: both hand the windows
    // over; the second finds tomorrow's date already stored and writes none.
    std::string log = installation.SchedulerLog();
    EXPECT_EQ(2u, LogLines(log, "SetBroadcastTimes 06:02-06:12 19:02-19:12 -> 0").size()) << log;
    EXPECT_EQ(1u, LogLines(log, "WriteScheduleRecord").size()) << log;
}

TEST_F(AutomaticRunTest, AViewerOnScreenAtStartLeavesTheTunerAloneButTheWindowsAreStored) {
    ChildProcess browser(BinCommand("openwindow.exe", "\"bitcastBar Base\" 60"));
    ASSERT_NE(nullptr, WaitForWindow(browser.Id(), "bitcastBar Base"));
    RunningProgram pelmar(installation, "/auto");
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    // The old schedule's windows went to the scheduler before the window was minimised.
    EXPECT_TRUE(FileExists(installation.scheduler / "Broadcast.dat"));
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; }, 5000));
    EXPECT_EQ((std::vector<std::string>{WideBlanks, ReceivingLine}),
              Items(GetDlgItem(dialog, 1017)));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, ReceiverTitle));
    EXPECT_EQ(1, CountWindows(pelmar.Id(), "#32770")); // no message in an unattended run

    // Abort ends it; nothing had been received, so the record is not touched.
    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_FALSE(FileExists(installation.scheduler / "Schedule.dat"));
    // Registered, but the tuner itself was never asked for.
    EXPECT_EQ(1u, LogLines(installation.TunerLog(), "RVL_OpenEx").size());
    EXPECT_TRUE(LogLines(installation.TunerLog(), "RVL_OpenResource").empty());
    EXPECT_EQ("", installation.ReceiverLog());
}

TEST_F(AutomaticRunTest, ATunerHeldElsewhereLeavesTheRunWaitingMinimisedWithNoMessageToAnswer) {
    TunerPeer holder(installation.logs / "holder.txt",
                     "hold \"Other Viewer\" --answer no --seconds 60");
    ASSERT_TRUE(holder.WaitForOutput("holding"));
    RunningProgram pelmar(installation, "Auto");
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(WaitUntil([&] { return IsIconic(dialog) != FALSE; }, 5000));
    // Nobody is there to answer a message: the dialog stays its only window,
    // and nothing is received.
    Sleep(1500);
    EXPECT_EQ(1, CountWindows(pelmar.Id(), "#32770"));
    EXPECT_TRUE(LogLines(installation.ReceiverLog(), "message 1827").empty());
    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_NE(std::string::npos, installation.TunerState().find("name \"Other Viewer\""));
}

TEST_F(AutomaticRunTest, ADayFileHeldOpenAtTheEndIsPassedOverAndTheRunStillEnds) {
    RunningProgram pelmar(installation, "Auto");
    ASSERT_NE(nullptr, pelmar.MainWindow());
    ASSERT_TRUE(WaitUntil([&] { return installation.GuideDataIsTodays(); }, 20000));
    // The end-of-run check reads the station name from this file.
    HeldFile held(installation.adams / ("ZZZZ" + DateField(2) + ".ep1"));
    TunerPeer viewer(installation.logs / "viewer.txt", "ask Viewer 2");
    EXPECT_EQ(0, viewer.Wait(10000));
    EXPECT_EQ(0, pelmar.Wait(15000)); // no file-error message waits for an answer
    EXPECT_FALSE(FolderExists(installation.adams / "Temp"));
    // The next start was written before the check; the windows were not handed over.
    EXPECT_TRUE(FileExists(installation.scheduler / "Schedule.dat"));
    EXPECT_FALSE(FileExists(installation.scheduler / "Broadcast.dat"));
}

// A receiver that hangs inside its start or its stop message must cost the
// viewer nothing, and the daily run nothing: the run goes on, ends, gives
// the tuner back, ends the receiver it started, and leaves no Temp and no
// mutex that would end the next start at once.
TEST_F(AutomaticRunTest, AReceiverThatHangsKeepsNeitherTheTunerNorTheRunNorTheNextStart) {
    for (const char *hang : {"HangInStart", "HangInStop"}) {
        SCOPED_TRACE(hang);
        SetSwitch(DataCastKeyPath, hang, 1);
        SetSwitch(DataCastKeyPath, "StepMilliseconds", 600000);
        size_t logged = installation.ReceiverLog().size();
        RunningProgram pelmar(installation, "Auto");
        if (std::string(hang) == "HangInStart")
            ASSERT_TRUE(WaitUntil(
                [&] {
                    return installation.ReceiverLog().find("hanging in 1827", logged) !=
                           std::string::npos;
                },
                10000));
        else
            ASSERT_NE(nullptr, pelmar.MainWindow());
        // Asked while the program waits for the hung receiver, or while it receives.
        TunerPeer viewer(installation.logs / "viewer.txt", "ask Viewer 2");
        EXPECT_EQ(0, viewer.Wait(10000));
        EXPECT_EQ(0u, viewer.Output().find("granted"));
        DWORD asked = GetTickCount();
        EXPECT_EQ(0, pelmar.Wait(20000));
        EXPECT_LT(GetTickCount() - asked,
                  12000u); // the receiver's 5 s once, then the run's own end
        EXPECT_EQ(nullptr, FindWindowA(nullptr, ReceiverTitle));
        EXPECT_TRUE(installation.TunerIsFree()) << installation.TunerState();
        EXPECT_FALSE(FolderExists(installation.adams / "Temp"));
        HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, "PELMAR_RUNNING");
        EXPECT_EQ(nullptr, mutex);
        if (mutex)
            CloseHandle(mutex);
        RegDeleteKeyValueA(HKEY_CURRENT_USER, DataCastKeyPath, hang);
    }
}

// A program named like the receiver in the current folder (a downloads or a
// shared folder) is never started in its place.
TEST(PlantedReceiver, OneInTheCurrentFolderIsNeverStarted) {
    Installation installation(false);
    installation.WriteGuideData(time(nullptr) - 86400);
    TempFolder downloads("downloads");
    ASSERT_TRUE(CopyFileA((BinFolder() + "\\DataCast.exe").c_str(),
                          (downloads / "DataCast.exe").c_str(), FALSE));
    RunningProgram pelmar(installation, "Auto", downloads.Path());
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    Sleep(1000);
    EXPECT_EQ(nullptr, FindWindowA(nullptr, ReceiverTitle));
    EXPECT_EQ("", installation.ReceiverLog());
    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_TRUE(installation.TunerIsFree());
}

} // namespace
