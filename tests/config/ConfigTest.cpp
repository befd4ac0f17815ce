#include "ChannelTable.h"
#include "Registry.h"
#include "TestSupport.h"
#include <gtest/gtest.h>
#include <cstring>

namespace {

class RegistryTest : public ::testing::Test {
protected:
    void SetUp() override { ClearInstallationRegistry(); }
    void TearDown() override { ClearInstallationRegistry(); }
};

TEST_F(RegistryTest, EachReaderFindsItsValueAndLeavesTheBufferAloneWhenMissing) {
    char buffer[FolderBufferSize];
    memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(0, ReadAdamsFolder(buffer));
    EXPECT_EQ(0, ReadChannelInstallPath(buffer));
    EXPECT_EQ(0, ReadEpgTempFolder(buffer));
    EXPECT_EQ('x', buffer[0]);

    SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", "C:\\ADAMS\\表示");
    SetRegistryText(HKEY_LOCAL_MACHINE, ChannelKeyPath, "Install Path", "C:\\Channel");
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG Temp", "C:\\EPG\\Temp\\");
    ASSERT_EQ(1, ReadAdamsFolder(buffer));
    EXPECT_STREQ("C:\\ADAMS\\\x95\x5C\x8E\xA6", buffer); // 表示 in code page 932
    ASSERT_EQ(1, ReadChannelInstallPath(buffer));
    EXPECT_STREQ("C:\\Channel", buffer);
    ASSERT_EQ(1, ReadEpgTempFolder(buffer));
    EXPECT_STREQ("C:\\EPG\\Temp\\", buffer);
}

TEST_F(RegistryTest, KeyNamesMatchInAnyLetterCase) {
    // Written under the spelling of the EPG data value's key, read through the other one.
    SetRegistryText(HKEY_LOCAL_MACHINE, "SOFTWARE\\norvell\\tunerdesk\\epg", "EPG Temp", "D:\\T\\");
    SetRegistryText(HKEY_LOCAL_MACHINE, "software\\NORVELL\\TUNERDESK\\CHANNEL", "Install Path",
                    "D:\\C");
    char buffer[FolderBufferSize];
    ASSERT_EQ(1, ReadEpgTempFolder(buffer));
    EXPECT_STREQ("D:\\T\\", buffer);
    ASSERT_EQ(1, ReadChannelInstallPath(buffer));
    EXPECT_STREQ("D:\\C", buffer);
}

TEST_F(RegistryTest, ValuesThatDoNotFitOrNameNoFolderAreNotRead) {
    char buffer[FolderBufferSize];
    std::string longest(255, 'a');
    SetRegistryText(HKEY_LOCAL_MACHINE, ChannelKeyPath, "Install Path", longest);
    ASSERT_EQ(1, ReadChannelInstallPath(buffer));
    EXPECT_EQ(longest, std::string(buffer));

    memset(buffer, 'x', sizeof buffer);
    SetRegistryText(HKEY_LOCAL_MACHINE, ChannelKeyPath, "Install Path", std::string(256, 'b'));
    EXPECT_EQ(0, ReadChannelInstallPath(buffer));
    EXPECT_EQ('x', buffer[0]);

    // 256 bytes and no terminator: taking it would leave an unterminated path.
    std::string unterminated(256, 'c');
    SetRegistryBytes(HKEY_LOCAL_MACHINE, ChannelKeyPath, "Install Path", unterminated.data(), 256,
                     REG_BINARY);
    EXPECT_EQ(0, ReadChannelInstallPath(buffer));
    EXPECT_EQ('x', buffer[0]);

    // An empty folder would turn "\Temp\" into a folder at the root of the drive.
    SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", "");
    EXPECT_EQ(0, ReadAdamsFolder(buffer));
    EXPECT_EQ('x', buffer[0]);
}

// The start-up copy goes into the folder's "\Temp\" and is removed from
// there: a value that is a root, relative, or climbs with ".." would reach a
// Temp that is not the receiver's.
TEST_F(RegistryTest, AnAdamsValueThatNamesNoFolderOfItsOwnIsNotRead) {
    char buffer[FolderBufferSize];
    for (const char *noFolder :
         {"C:\\", "C:", "c:/", "C:\\\\", "\\\\server\\share", "\\\\server\\share\\",
          "\\\\\\share\\x", "ADAMS", "C:ADAMS", "\\ADAMS", ".\\ADAMS", "C:\\ADAMS\\..",
          "C:\\a\\..\\ADAMS", "C:\\ADAMS\\.\\", "C:\\AD*MS", "C:\\ADAMS:stream",
          "\\\\.\\C:\\ADAMS"}) {
        SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", noFolder);
        memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(0, ReadAdamsFolder(buffer)) << noFolder;
        EXPECT_EQ('x', buffer[0]) << noFolder;
    }
    // 表 and ソ end in 0x5C, which is no separator there.
    for (const char *folder :
         {"C:\\ADAMS", "d:/adams/", "\\\\server\\share\\ADAMS", "C:\\表\\ソ", "C:\\..ADAMS\\a.b"}) {
        SetRegistryText(HKEY_CURRENT_USER, AdamsKeyPath, "Adams-E", folder);
        ASSERT_EQ(1, ReadAdamsFolder(buffer)) << folder;
        EXPECT_STREQ(folder, buffer);
    }
}

TEST_F(RegistryTest, ShortValueWithoutTerminatorIsTerminated) {
    SetRegistryBytes(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG Temp", "C:\\T", 4, REG_BINARY);
    char buffer[FolderBufferSize];
    memset(buffer, 'x', sizeof buffer);
    ASSERT_EQ(1, ReadEpgTempFolder(buffer));
    EXPECT_STREQ("C:\\T", buffer);
}

class ChannelTableTest : public RegistryTest {
protected:
    void SetUp() override {
        RegistryTest::SetUp();
        SetRegistryText(HKEY_LOCAL_MACHINE, ChannelKeyPath, "Install Path", folder.Path());
    }
    std::vector<TestChannel> Channels(int count) {
        std::vector<TestChannel> channels(count);
        for (int i = 0; i < count; ++i)
            channels[i].stationName = "Station" + std::to_string(i + 1);
        return channels;
    }
    TempFolder folder{"channels-表示"};
};

TEST_F(ChannelTableTest, FirstMarkedChannelAmongTheFirstTwelveWins) {
    uint32_t channel = 0;
    auto channels = Channels(12);
    channels[4].mark = 1;
    WriteChannelTable(folder.Path(), channels);
    EXPECT_EQ(ChannelFound, CheckChannelTable(&channel));
    EXPECT_EQ(5u, channel);

    channels[4].mark = 0;
    channels[2].mark = 1;
    channels[6].mark = 1;
    channels[0].mark = 2; // any value other than 1 is no mark
    WriteChannelTable(folder.Path(), channels);
    EXPECT_EQ(ChannelFound, CheckChannelTable(&channel));
    EXPECT_EQ(3u, channel);

    channels = Channels(14);
    channels[12].mark = 1; // channel 13 is never read
    WriteChannelTable(folder.Path(), channels);
    EXPECT_EQ(ChannelNotMarked, CheckChannelTable(&channel));
    EXPECT_EQ(NoAdamsChannel, channel);
}

TEST_F(ChannelTableTest, ShortEmptyMissingOrHeldTablesNameNoChannel) {
    uint32_t channel = 0;
    EXPECT_EQ(ChannelNotMarked, CheckChannelTable(&channel)); // no file
    EXPECT_EQ(NoAdamsChannel, channel);

    WriteChannelTable(folder.Path(), {});
    channel = 0;
    EXPECT_EQ(ChannelNotMarked, CheckChannelTable(&channel));
    EXPECT_EQ(NoAdamsChannel, channel);
    EXPECT_EQ(1, FindStationName(""));

    WriteChannelTable(folder.Path(), Channels(3));
    EXPECT_EQ(ChannelNotMarked, CheckChannelTable(&channel));

    // A last record cut short: the mark it delivers is still read.
    auto channels = Channels(2);
    channels[1].mark = 1;
    WriteChannelTable(folder.Path(), channels);
    std::string table = ReadWholeFile(folder / "ChTable.dat");
    WriteFile(folder / "ChTable.dat", table.substr(0, 64 + 44));
    EXPECT_EQ(ChannelFound, CheckChannelTable(&channel));
    EXPECT_EQ(2u, channel);

    HeldFile held(folder / "ChTable.dat");
    channel = 0;
    EXPECT_EQ(ChannelNotMarked, CheckChannelTable(&channel));
    EXPECT_EQ(NoAdamsChannel, channel);
    EXPECT_EQ(1, FindStationName("Station2"));
}

TEST_F(ChannelTableTest, UnregisteredFolderLeavesTheChannelAlone) {
    ClearInstallationRegistry();
    uint32_t channel = 7;
    EXPECT_EQ(ChannelFolderMissing, CheckChannelTable(&channel));
    EXPECT_EQ(7u, channel);
    EXPECT_EQ(1, FindStationName("Station1"));
}

TEST_F(ChannelTableTest, StationNamesMatchExactlyWithinTheirField) {
    auto channels = Channels(12);
    channels[3].stationName = "ＮＨＫ表示";
    // Fills the field, no terminator; the mark after it (4, not the ADAMS
    // mark) would lengthen a name read past the field.
    channels[11].stationName = std::string(32, 'Z');
    channels[11].mark = 4;
    WriteChannelTable(folder.Path(), channels);
    EXPECT_EQ(0, FindStationName("ＮＨＫ表示"));
    EXPECT_EQ(1, FindStationName("Station12")); // replaced by the long name
    EXPECT_EQ(1, FindStationName("station1"));  // letter case counts
    EXPECT_EQ(1, FindStationName("Station"));
    EXPECT_EQ(0, FindStationName(std::string(32, 'Z').c_str()));
    EXPECT_EQ(1, FindStationName((std::string(32, 'Z') + "\x04").c_str()));
}

TEST_F(ChannelTableTest, APathThatDoesNotFitIsNotOpened) {
    // 245 characters + "\ChTable.dat" exceeds the 256-byte path. Cut to 255
    // characters it would name "ChTable.d" in that folder, a marked table here.
    std::string longFolder =
        folder.Path() + "\\" + std::string(245 - folder.Path().size() - 1, 'd');
    ASSERT_TRUE(CreateDirectoryA(longFolder.c_str(), nullptr));
    WriteChannelTable(longFolder, {{"Cut", 1}});
    std::string cutPath = longFolder + "\\ChTable.d";
    ASSERT_EQ(255u, cutPath.size());
    ASSERT_TRUE(MoveFileA((longFolder + "\\ChTable.dat").c_str(), cutPath.c_str()));
    SetRegistryText(HKEY_LOCAL_MACHINE, ChannelKeyPath, "Install Path", longFolder);
    uint32_t channel = 0;
    EXPECT_EQ(ChannelNotMarked, CheckChannelTable(&channel));
    EXPECT_EQ(NoAdamsChannel, channel);
    EXPECT_EQ(1, FindStationName("Cut"));
}

} // namespace
