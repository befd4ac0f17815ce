// Runs the real program in a prepared installation and watches it from outside.
#include "TestSupport.h"
#include <gtest/gtest.h>

namespace {

const std::string MainTitle = "EPG\x83\x66\x81\x5B\x83\x5E\x8A\xC7\x97\x9D\x83\x76\x83\x8D\x83\x4F"
                              "\x83\x89\x83\x80 "; // EPGデータ管理プログラム
const std::string AlreadyRunning = "\x8A\xF9\x82\xC9\x8B\x4E\x93\xAE\x82\xB3\x82\xEA\x82\xC4"
                                   "\x82\xA2\x82\xDC\x82\xB7\x81\x42"; // 既に起動されています。
const std::string NoChannel = "チャンネル情報がありません。チャンネル設定プログラムを実行して\n"
                              "チャンネル設定をしてから実行してください。";

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        ClearInstallationRegistry();
        SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", adams.Path());
        SetRegistryText(HKEY_LOCAL_MACHINE, ChannelKeyPath, "Install Path", channels.Path());
        std::vector<TestChannel> table(12);
        table[7] = {"ADAMS-TV", 1};
        WriteChannelTable(channels.Path(), table);
        WriteFile(adams / "Ep000001.tct", "schedule");
        WriteFile(adams / "ANHK1208.ep1", "day");
    }
    void TearDown() override { ClearInstallationRegistry(); }

    std::string Program(const char *arguments = "") const {
        return "\"" + BinFolder() + "\\Pelmar.exe\" " + arguments;
    }
    std::string Temp() const { return adams / "Temp"; }

    TempFolder adams{"e2e-adams-表示"};
    TempFolder channels{"e2e-channels"};
};

TEST_F(StartupTest, ManualRunMakesTheStartUpCopyShowsTheDialogAndCleansUpAtTheEnd) {
    ChildProcess pelmar(Program());
    HWND dialog = WaitForWindow(pelmar.Id(), MainTitle, "#32770");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ((std::vector<std::string>{"ANHK1208.ep1", "Ep000001.tct"}), ListFolder(Temp()));

    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_FALSE(FolderExists(Temp()));
    EXPECT_EQ((std::vector<std::string>{"ANHK1208.ep1", "Ep000001.tct"}), ListFolder(adams.Path()));
}

TEST_F(StartupTest, ClosingTheWindowEndsTheRunAsCancelDoes) {
    ChildProcess pelmar(Program());
    HWND dialog = WaitForWindow(pelmar.Id(), MainTitle, "#32770");
    ASSERT_NE(nullptr, dialog);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_FALSE(FolderExists(Temp()));
}

TEST_F(StartupTest, ASecondManualStartSaysSoOnceAndLeavesTheFirstAlone) {
    ChildProcess first(Program());
    HWND dialog = WaitForWindow(first.Id(), MainTitle, "#32770");
    ASSERT_NE(nullptr, dialog);

    ChildProcess second(Program());
    HWND box = WaitForWindow(second.Id(), "Pelmar", "#32770");
    ASSERT_NE(nullptr, box);
    MessageBoxView view = ReadMessageBox(box);
    EXPECT_EQ(AlreadyRunning, view.text);
    EXPECT_EQ(IconOfAnotherProcess, view.icon);        // the exclamation icon, checked in-process
    EXPECT_EQ(1, CountWindows(second.Id(), "#32770")); // no dialog of its own

    // The first instance still runs, its copy intact.
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_EQ((std::vector<std::string>{"ANHK1208.ep1", "Ep000001.tct"}), ListFolder(Temp()));

    // While the refusal is on screen the name stays taken, even once the first has ended.
    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(0, first.Wait(10000));
    ChildProcess third(Program());
    HWND thirdBox = WaitForWindow(third.Id(), "Pelmar", "#32770");
    ASSERT_NE(nullptr, thirdBox);
    EXPECT_EQ(AlreadyRunning, ReadMessageBox(thirdBox).text);
    PostMessageA(thirdBox, WM_COMMAND, IDOK, 0);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0, third.Wait(10000));
    EXPECT_EQ(0, second.Wait(10000));
}

TEST_F(StartupTest, ASecondAutomaticStartEndsSilently) {
    ChildProcess first(Program("/Auto"));
    ASSERT_NE(nullptr, WaitForWindow(first.Id(), MainTitle, "#32770"));

    ChildProcess second(Program("/Auto"));
    EXPECT_EQ(0, second.Wait(10000));

    // The first ends normally, and then the name is free for a new instance.
    HWND dialog = WaitForWindow(first.Id(), MainTitle, "#32770");
    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(0, first.Wait(10000));
    ChildProcess third(Program());
    HWND again = WaitForWindow(third.Id(), MainTitle, "#32770");
    ASSERT_NE(nullptr, again);
    ClickButton(again, IDCANCEL);
    EXPECT_EQ(0, third.Wait(10000));
}

TEST_F(StartupTest, WithoutAnAdamsChannelEvenAnAutomaticRunSaysSoAndCopiesNothing) {
    WriteChannelTable(channels.Path(), std::vector<TestChannel>(12));
    ChildProcess pelmar(Program("-auto"));
    HWND box = WaitForWindow(pelmar.Id(), "Pelmar", "#32770");
    ASSERT_NE(nullptr, box);
    MessageBoxView view = ReadMessageBox(box);
    EXPECT_EQ(NoChannel, view.text);
    EXPECT_EQ(IconOfAnotherProcess, view.icon); // the exclamation icon, checked in-process
    EXPECT_FALSE(FolderExists(Temp()));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_FALSE(FolderExists(Temp()));

    // An unregistered channel folder is the same to the user.
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Norvell\\TunerDesk\\Channel");
    ChildProcess again(Program());
    box = WaitForWindow(again.Id(), "Pelmar", "#32770");
    ASSERT_NE(nullptr, box);
    EXPECT_EQ(NoChannel, ReadMessageBox(box).text);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
    EXPECT_EQ(0, again.Wait(10000));
}

} // namespace
