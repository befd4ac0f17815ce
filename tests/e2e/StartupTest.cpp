// The program's start and end as the user sees them, in a prepared installation.
#include "Installation.h"
#include <gtest/gtest.h>
#include <algorithm>

namespace {

const std::string AlreadyRunning = "\x8A\xF9\x82\xC9\x8B\x4E\x93\xAE\x82\xB3\x82\xEA\x82\xC4"
                                   "\x82\xA2\x82\xDC\x82\xB7\x81\x42"; // 既に起動されています。
const std::string NoChannel = "チャンネル情報がありません。チャンネル設定プログラムを実行して\n"
                              "チャンネル設定をしてから実行してください。";

// Today's data and schedule present, so that a start shows no message; the
// receiver receives so slowly that it changes nothing while a case runs.
class StartupTest : public ::testing::Test {
protected:
    void SetUp() override {
        installation.WriteSchedule({{6, 2, 6, 12}, {7, 2, 7, 12}});
        installation.WriteGuideData(time(nullptr));
        WriteFile(installation.adams / "ANHK1208.ep1", "day");
        SetSwitch(DataCastKeyPath, "StepMilliseconds", 600000);
    }
    std::string Temp() const { return installation.adams / "Temp"; }
    // What Temp holds besides the program's list of it.
    std::vector<std::string> Copied() const {
        std::vector<std::string> names = ListFolder(Temp());
        names.erase(std::remove(names.begin(), names.end(), "Pelmar-copies.lst"), names.end());
        return names;
    }

    Installation installation;
    const std::vector<std::string> adamsFiles{"ANHK1208.ep1", "Ep000001.tct"};
};

TEST_F(StartupTest, ManualRunMakesTheStartUpCopyShowsTheDialogAndCleansUpAtTheEnd) {
    RunningProgram pelmar(installation);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(adamsFiles, Copied());

    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_FALSE(FolderExists(Temp()));
    EXPECT_EQ(adamsFiles, ListFolder(installation.adams.Path()));
}

TEST_F(StartupTest, ClosingTheWindowEndsTheRunAsCancelDoes) {
    RunningProgram pelmar(installation);
    HWND dialog = pelmar.MainWindow();
    ASSERT_NE(nullptr, dialog);
    PostMessageA(dialog, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_FALSE(FolderExists(Temp()));
}

TEST_F(StartupTest, ASecondManualStartSaysSoOnceAndLeavesTheFirstAlone) {
    RunningProgram first(installation);
    HWND dialog = first.MainWindow();
    ASSERT_NE(nullptr, dialog);

    RunningProgram second(installation);
    HWND box = second.WaitForBox("Pelmar");
    ASSERT_NE(nullptr, box);
    MessageBoxView view = ReadMessageBox(box);
    EXPECT_EQ(AlreadyRunning, view.text);
    EXPECT_EQ(IconOfAnotherProcess, view.icon);        // the exclamation icon, checked in-process
    EXPECT_EQ(1, CountWindows(second.Id(), "#32770")); // no dialog of its own

    // The first instance still runs, its copy intact.
    EXPECT_TRUE(IsWindow(dialog));
    EXPECT_EQ(adamsFiles, Copied());

    // While the refusal is on screen the name stays taken, even once the first has ended.
    ClickButton(dialog, IDCANCEL);
    EXPECT_EQ(0, first.Wait(10000));
    RunningProgram third(installation);
    HWND thirdBox = third.WaitForBox("Pelmar");
    ASSERT_NE(nullptr, thirdBox);
    EXPECT_EQ(AlreadyRunning, ReadMessageBox(thirdBox).text);
    third.Answer(thirdBox);
    second.Answer(box);
    EXPECT_EQ(0, third.Wait(10000));
    EXPECT_EQ(0, second.Wait(10000));
}

TEST_F(StartupTest, ASecondAutomaticStartEndsSilently) {
    RunningProgram first(installation, "/Auto");
    ASSERT_NE(nullptr, first.MainWindow());

    RunningProgram second(installation, "/Auto");
    EXPECT_EQ(0, second.Wait(10000));

    // The first ends normally, and then the name is free for a new instance.
    ClickButton(first.MainWindow(), IDCANCEL);
    EXPECT_EQ(0, first.Wait(10000));
    RunningProgram third(installation);
    HWND again = third.MainWindow();
    ASSERT_NE(nullptr, again);
    ClickButton(again, IDCANCEL);
    EXPECT_EQ(0, third.Wait(10000));
}

TEST_F(StartupTest, WithoutAnAdamsChannelEvenAnAutomaticRunSaysSoAndCopiesNothing) {
    WriteChannelTable(installation.channels.Path(), std::vector<TestChannel>(12));
    RunningProgram pelmar(installation, "-auto");
    pelmar.ExpectBox("Pelmar", NoChannel, true);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_FALSE(FolderExists(Temp()));

    // So is a channel table that is not there.
    DeleteFileA((installation.channels / "ChTable.dat").c_str());
    RunningProgram missing(installation);
    missing.ExpectBox("Pelmar", NoChannel, true);
    EXPECT_EQ(0, missing.Wait(10000));

    // An unregistered channel folder is the same to the user.
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Norvell\\TunerDesk\\Channel");
    RunningProgram again(installation);
    again.ExpectBox("Pelmar", NoChannel, true);
    EXPECT_EQ(0, again.Wait(10000));
}

TEST_F(StartupTest, WithNoRegistryValuesAtAllTheChannelMessageIsTheOnlyThingShown) {
    ClearInstallationRegistry();
    RunningProgram pelmar(installation, "/Auto");
    pelmar.ExpectBox("Pelmar", NoChannel, true);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_FALSE(FolderExists(Temp()));
    EXPECT_EQ(adamsFiles, ListFolder(installation.adams.Path()));
}

// The package's machine-wide values in the registry view that the program
// does not read (a 64-bit installer's for the 32-bit program) are no values
// to it: the user sees the message for missing ones, and nothing is copied.
TEST_F(StartupTest, ThePackagesValuesInTheOtherRegistryViewAreNotRead) {
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, "Software\\Norvell");
    const std::string channels = installation.channels.Path();
    SetRegistryText(HKEY_LOCAL_MACHINE, ChannelKeyPath, "Install Path", channels,
                    OtherRegistryView);
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG Temp", installation.epgTemp.Path() + "\\",
                    OtherRegistryView);
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG data", installation.epgData.Path(),
                    OtherRegistryView);
    HKEY key;
    ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, ChannelKeyPath, 0,
                                           KEY_READ | OtherRegistryView, &key));
    RegCloseKey(key);
    ASSERT_NE(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, ChannelKeyPath, 0, KEY_READ, &key));

    RunningProgram pelmar(installation, "/Auto");
    pelmar.ExpectBox("Pelmar", NoChannel, true);
    EXPECT_EQ(0, pelmar.Wait(10000));
    EXPECT_FALSE(FolderExists(Temp()));
    EXPECT_EQ(adamsFiles, ListFolder(installation.adams.Path()));
    EXPECT_EQ("", installation.TunerLog());

    // The same values in the program's own view are read: the dialog comes.
    SetRegistryText(HKEY_LOCAL_MACHINE, ChannelKeyPath, "Install Path", channels);
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG Temp", installation.epgTemp.Path() + "\\");
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG data", installation.epgData.Path());
    RunningProgram own(installation);
    EXPECT_NE(nullptr, own.MainWindow());
}

} // namespace
