#include "ChannelTable.h"
#include "ReceivedCheck.h"
#include "Registry.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {
ChannelRecord RecordAt(const std::string &table, int channel) {
    ChannelRecord record;
    memcpy(&record, table.data() + (channel - 1) * sizeof record, sizeof record);
    return record;
}
} // namespace

TEST(OpenWindow, ShowsItsTitleForTheGivenTimeThenEnds) {
    const std::string title = "ADAMSステーション";
    ChildProcess peer(BinCommand("openwindow.exe") + "\"" + title + "\" 2");
    HWND window = WaitForWindow(peer.Id(), title);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(window, FindWindowA(nullptr, title.c_str()));
    EXPECT_EQ(-1, peer.Wait(1000));
    EXPECT_EQ(0, peer.Wait(5000));
    EXPECT_EQ(nullptr, FindWindowA(nullptr, title.c_str()));

    ChildProcess closed(BinCommand("openwindow.exe") + "\"MGI PURE DIVA\" 600");
    window = WaitForWindow(closed.Id(), "MGI PURE DIVA");
    ASSERT_NE(nullptr, window);
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, closed.Wait(5000));

    for (const char *wrong : {"title", "title 0", "title 86401", "title 5s", "\"\" 5"}) {
        ChildProcess refused(BinCommand("openwindow.exe") + wrong);
        EXPECT_EQ(2, refused.Wait(5000)) << wrong;
    }
}

class WriteChannels : public ::testing::Test {
protected:
    TempFolder folder{"channels"};
    void TearDown() override { ClearInstallationRegistry(); }
    long Run(const std::string &arguments) {
        ChildProcess writer(BinCommand("writechannels.exe") + "\"" + folder.Path() + "\" " +
                            arguments);
        return writer.Wait(10000);
    }
};

TEST_F(WriteChannels, WritesTwelveRecordsWithNamesAndTheAdamsMark) {
    ASSERT_EQ(0, Run("6 ＮＨＫ総合 - 日本テレビ \"Channel Four\" 1234567890123456789012345678901"));
    std::string table = ReadWholeFile(folder / "ChTable.dat");
    ASSERT_EQ(12 * sizeof(ChannelRecord), table.size());
    EXPECT_STREQ("ＮＨＫ総合", RecordAt(table, 1).stationName);
    EXPECT_STREQ("", RecordAt(table, 2).stationName);
    EXPECT_STREQ("日本テレビ", RecordAt(table, 3).stationName);
    EXPECT_STREQ("Channel Four", RecordAt(table, 4).stationName);
    EXPECT_STREQ("1234567890123456789012345678901", RecordAt(table, 5).stationName);
    for (int channel = 1; channel <= 12; ++channel) {
        ChannelRecord record = RecordAt(table, channel);
        EXPECT_EQ(channel == 6 ? 1u : 0u, record.isAdamsChannel) << channel;
        EXPECT_EQ(0, record.reserved1[0] | record.reserved2[19]) << channel;
    }

    // The program's own reader finds the mark and the names.
    SetRegistryText(HKEY_LOCAL_MACHINE, ChannelKeyPath, "Install Path", folder.Path());
    uint32_t channel = 0;
    EXPECT_EQ(ChannelFound, CheckChannelTable(&channel));
    EXPECT_EQ(6u, channel);
    EXPECT_EQ(0, FindStationName("日本テレビ"));
    EXPECT_EQ(1, FindStationName("テレビ東京"));

    ASSERT_EQ(0, Run("0"));
    EXPECT_EQ(ChannelNotMarked, CheckChannelTable(&channel));
    EXPECT_EQ(std::vector<std::string>{"ChTable.dat"}, ListFolder(folder.Path()));
}

TEST_F(WriteChannels, AWrongCommandLineWritesNothing) {
    for (const char *wrong : {"", "13 A", "-1 A", "x A", "1 12345678901234567890123456789012",
                              "1 a b c d e f g h i j k l m"}) {
        EXPECT_EQ(2, Run(wrong)) << wrong;
        EXPECT_FALSE(FileExists(folder / "ChTable.dat")) << wrong;
    }
    ChildProcess noFolder(BinCommand("writechannels.exe") + "C:\\no-such-folder\\x 1 A");
    EXPECT_EQ(1, noFolder.Wait(10000));
}

// The demo's installation: the program's copy, the installer's values as
// the program reads them, the stand-ins' settings, and day sets by their day.
TEST(MakeInstall, InstallsThePackageAndWritesDaySetsOfTheDaysGiven) {
    TempFolder root("makeinstall");
    ClearInstallationRegistry();
    auto run = [](const std::string &arguments) {
        return ChildProcess(BinCommand("makeinstall.exe", arguments)).Wait(10000);
    };
    ASSERT_EQ(0, run("package --program \"" + root / "program" + "\" --adams \"" + root.Path() +
                     "\" --channels C:\\channels --epg-data C:\\data --epg-temp C:\\temp "
                     "--logs C:\\logs"));
    EXPECT_EQ(
        (std::vector<std::string>{"DataCast.exe", "Pelmar.exe", "Rivolink.dll", "Wakeplan.dll"}),
        ListFolder(root / "program"));
    char folder[FolderBufferSize] = {};
    ASSERT_EQ(1, ReadAdamsFolder(folder));
    EXPECT_EQ(root.Path(), folder);
    ASSERT_EQ(1, ReadEpgTempFolder(folder));
    EXPECT_STREQ("C:\\temp\\", folder);
    ASSERT_EQ(1, ReadChannelInstallPath(folder));
    EXPECT_STREQ("C:\\channels", folder);
    ASSERT_EQ(1,
              ReadRegistryText(HKEY_CURRENT_USER, DataCastKeyPath, "Log", folder, sizeof folder));
    EXPECT_STREQ("C:\\logs\\receiver.log", folder);

    const std::string name = "ＮＨＫ総合";
    ASSERT_EQ(0, run("dayset \"" + root.Path() + "\" NHK1 " + name + " -1 2"));
    for (int day : {-1, 2}) {
        std::string content;
        ASSERT_TRUE(DecodeForCheck(ReadWholeFile(root / ("NHK1" + DateField(day) + ".ep1")),
                                   DayFileHeader, true, content));
        EXPECT_EQ(name, content.substr(12, (unsigned char)content[11]));
        EXPECT_TRUE(FileExists(root / ("NHK1" + DateField(day) + ".ept")));
    }
    for (const char *wrong : {"dayset x NHK1 name tomorrow", "package --program C:\\p", "pace 0"})
        EXPECT_EQ(2, run(wrong)) << wrong;
    ClearInstallationRegistry();
}
