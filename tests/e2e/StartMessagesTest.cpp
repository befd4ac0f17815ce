// What a manual start tells the user when something is missing or in the way.
#include "Installation.h"
#include "Switches.h"
#include <gtest/gtest.h>
#include <memory>

namespace {

const std::string RegistryBroken =
    "レジストリ情報が壊れています。\n 再インストールをしてください。";
const std::string DataMayBeBroken = "受信データが壊れている可能性があります。\n"
                                    "データを受信するまで、しばらくお待ちください。";
const std::string ChannelFailed = "チャンネルの設定に失敗しました。";
const std::string NoBroadcastTimes = "放送時間情報がありません。このプログラムを約１０分間\n"
                                     "起動したままにしてください。\n";
std::string HolderRunning(const std::string &name) {
    return name + " が動作中のためEPGデータの取得を中止します。";
}
std::string CannotAcquire(const std::string &name) {
    return "EPGデータを取得することができません。" + name +
           " が動作していない時に\n本プログラムを起動してデータを取得してください。";
}

class StartMessagesTest : public ::testing::Test {
protected:
    bool TunerIsFree() const { return installation->TunerIsFree(); }
    void Cancel(RunningProgram &pelmar, HWND dialog) {
        ClickButton(dialog, IDCANCEL);
        EXPECT_EQ(0, pelmar.Wait(10000));
    }
    std::unique_ptr<Installation> installation = std::make_unique<Installation>();
};

TEST_F(StartMessagesTest, WithoutTheEpgRegistryKeyTheUserIsToldToReinstallAndNothingIsTuned) {
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, EpgKeyPath);
    RunningProgram pelmar(*installation);
    pelmar.ExpectBox("Pelmar", RegistryBroken, true);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(Enabled(dialog, 1001));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, ReceiverTitle));
    EXPECT_TRUE(TunerIsFree());
    Cancel(pelmar, dialog);
    EXPECT_TRUE(LogLines(installation->TunerLog(), "RVL_OpenEx").empty());
}

TEST_F(StartMessagesTest, ABrokenScheduleWithTodaysDataOffersTheDefaultRange) {
    installation->WriteGuideData(time(nullptr));
    WriteFile(installation->adams / "Ep000001.tct", "short"); // shorter than its header
    SetSwitch(DataCastKeyPath, "StepMilliseconds", 600000);
    RunningProgram pelmar(*installation);
    pelmar.ExpectBox("Pelmar", DataMayBeBroken, true);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(Items(GetDlgItem(dialog, 1017)).empty());
    EXPECT_EQ(18u, Items(GetDlgItem(dialog, 1010)).size());
    EXPECT_EQ("24", Selected(GetDlgItem(dialog, 1012)));
    EXPECT_TRUE(Enabled(dialog, 1001)); // today's data: the daily choice stays open
    Cancel(pelmar, dialog);

    // With old data the dialog waits for new data, and the daily choice waits with it.
    installation->WriteGuideData(time(nullptr) - 86400);
    RunningProgram again(*installation);
    again.ExpectBox("Pelmar", DataMayBeBroken, true);
    dialog = again.MainWindow();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ("24", Selected(GetDlgItem(dialog, 1012)));
    EXPECT_FALSE(Enabled(dialog, 1001));
    Cancel(again, dialog);
}

TEST_F(StartMessagesTest, AChannelThatCannotBeSetIsReportedAndTheTunerStillGivenBack) {
    installation->WriteGuideData(time(nullptr));
    SetSwitch(RivolinkKeyPath, "FailSetChannel", 1);
    RunningProgram pelmar(*installation);
    pelmar.ExpectBox("Pelmar", ChannelFailed, true);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    EXPECT_FALSE(Enabled(dialog, 1001));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, ReceiverTitle)); // no receiver started
    EXPECT_FALSE(TunerIsFree());
    Cancel(pelmar, dialog);
    EXPECT_TRUE(TunerIsFree());
    EXPECT_EQ("", InOrder(installation->TunerLog(),
                          {"RVL_SetChannel 6 -> 7", "RVL_CloseResource", "RVL_CallBackClose"}));
    EXPECT_TRUE(LogLines(installation->TunerLog(), "RVL_VBIResume").empty());
    EXPECT_EQ("", installation->ReceiverLog());
}

TEST_F(StartMessagesTest, ATunerHeldByAnotherProgramIsNamedTwiceThenTheLaterStartIsAdvised) {
    installation->WriteGuideData(time(nullptr) - 86400);
    WriteFile(installation->adams / "Ep000001.tct", "short");
    TunerPeer holder(installation->logs / "holder.txt",
                     "hold \"Other Viewer\" --answer no --seconds 60");
    ASSERT_TRUE(holder.WaitForOutput("holding"));
    RunningProgram pelmar(*installation);
    pelmar.ExpectBox("Pelmar", HolderRunning("Other Viewer"), true); // from the tuner's opening
    pelmar.ExpectBox("Pelmar", HolderRunning("Other Viewer"), true); // from the start's report
    pelmar.ExpectBox("Pelmar", CannotAcquire("Other Viewer"), true);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(nullptr, FindWindowA(nullptr, ReceiverTitle));
    Cancel(pelmar, dialog);
}

TEST_F(StartMessagesTest, AViewerOnScreenStopsTheStartBeforeTheTunerIsAsked) {
    ChildProcess viewer(BinCommand("openwindow.exe", "\"MGI PURE DIVA\" 60"));
    ASSERT_NE(nullptr, WaitForWindow(viewer.Id(), "MGI PURE DIVA"));
    RunningProgram pelmar(*installation);
    pelmar.ExpectBox("Pelmar", HolderRunning("PURE DIVA"), true);
    pelmar.ExpectBox(Shown::Explanation, NoBroadcastTimes, false);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    EXPECT_TRUE(TunerIsFree());
    EXPECT_EQ(nullptr, FindWindowA(nullptr, ReceiverTitle));
    Cancel(pelmar, dialog);
}

TEST_F(StartMessagesTest, WithoutTheReceiverTheTunerIsHeldQuietlyAndGivenBackAtTheEnd) {
    installation.reset(); // its end clears the registry: before the new one is made
    installation = std::make_unique<Installation>(false);
    installation->WriteGuideData(time(nullptr));
    installation->WriteSchedule({{6, 2, 6, 12}});
    RunningProgram pelmar(*installation);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(0, CountWindows(pelmar.Id(), "#32770") - 1); // no message besides the dialog
    EXPECT_FALSE(TunerIsFree());
    Cancel(pelmar, dialog);
    EXPECT_TRUE(TunerIsFree());
}

} // namespace
