#include "Clock.h"
#include "Completeness.h"
#include "ReceivedEncoder.h"
#include "StartUpCopy.h"
#include "StoreTestSupport.h"
#include <gtest/gtest.h>

namespace {

// The ".ep1" files of these tests name a station that the user has, so a
// pass that decodes one of them judges the week incomplete: a verdict of 1
// shows that nothing was decoded.
const std::string UsersStation = "ソフト放送";

class CompletenessTest : public ::testing::Test, public StoreFixture {
protected:
    void SetUp() override {
        SetCurrentTime(LocalMoment(2026, 12, 28, 9, 0));
        char dates[DayWindowLength][DateFieldSize];
        BuildDayDates(CurrentTime(), dates);
        window.assign(std::begin(dates), std::end(dates));
    }
    void WriteDays(const std::string &prefix, std::initializer_list<int> days,
                   const std::string &station = UsersStation) {
        for (int d : days)
            WriteDaySet(prefix, window[d], station);
    }
    std::vector<std::string> window;
};

TEST_F(CompletenessTest, WithoutDayFilesTheWeekIsIncompleteAndNothingChanges) {
    WriteFile(Adams("NHK11227.ep2"), "outdated, but no \".ep1\" leads it");
    WriteFile(Temp("NHK11228.ep1"), "a start-up copy");
    EXPECT_EQ(0, CheckDayFiles());
    EXPECT_EQ((std::vector<std::string>{"NHK11227.ep2", "Temp"}), ListFolder(adams.Path()));

    ClearInstallationRegistry();
    WriteDays("NHK1", {0, 1, 2, 3, 4, 5, 6, 7});
    EXPECT_EQ(0, CheckDayFiles()); // no registered folder, no day files
}

TEST_F(CompletenessTest, AllEightDaysOrTodayAndTomorrowNeedNoDecoding) {
    WriteDays("ALL8", {0, 1, 2, 3, 4, 5, 6, 7});
    WriteDays("TWO1", {0, 1});
    WriteDays("TWO2", {1, 5}); // two days, one of them tomorrow
    EXPECT_EQ(1, CheckDayFiles());
    EXPECT_EQ(3, prefixCount);
    EXPECT_EQ(std::vector<std::string>{CopyListName}, ListFolder(Temp()));
    EXPECT_EQ(1, CheckDayFiles()); // a second pass counts from zero again
}

TEST_F(CompletenessTest, UnusualPatternsCountOnlyForStationsTheUserHas) {
    WriteDays("LATE", {2, 3}, "遠くの局"); // not in the channel table: passed over
    WriteDays("MORE", {0, 4, 6}, "ＦＭ表示");
    EXPECT_EQ(1, CheckDayFiles());
    EXPECT_EQ(std::vector<std::string>{CopyListName},
              ListFolder(Temp())); // each ".tmp" removed after its read, and listed before it
    EXPECT_NE(std::string::npos, ReadWholeFile(Temp(CopyListName)).find(".tmp\r\n"));

    WriteDays("MINE", {2, 3}, UsersStation);
    EXPECT_EQ(0, CheckDayFiles());
    EXPECT_EQ(std::vector<std::string>{CopyListName}, ListFolder(Temp()));
}

TEST_F(CompletenessTest, AStationWithoutACompleteDayEndsTheJudgementAtOnce) {
    WriteDays("ALL8", {0, 1, 2, 3, 4, 5, 6, 7});
    WriteDaySet("HALF", window[0], "遠くの局", "ep1 ep2"); // no ".ept": never complete
    WriteDaySet("HALF", window[1], "遠くの局", "ep1");
    EXPECT_EQ(0, CheckDayFiles());
    EXPECT_EQ(1, dayFileCounts[1][0]);
    EXPECT_EQ(2, dayFileCounts[0][7]);
}

TEST_F(CompletenessTest, VanishedDayFilesComeBackFromTheStartUpCopy) {
    WriteDays("NHK1", {0, 1, 2, 3, 4, 5, 6, 7}, "遠くの局");
    for (const char *name : {"ep1", "ep2", "ept"}) {
        std::string file = "NHK1" + window[3] + "." + name;
        CopyToTemp(file);
        DeleteFileA(Adams(file).c_str());
    }
    // A file in Temp that its list does not name is another's: it never comes back.
    std::string users = "NHK1" + window[4] + ".ep1";
    MoveFileA(Adams(users).c_str(), Temp(users).c_str());
    EXPECT_EQ(1, CheckDayFiles());
    EXPECT_TRUE(FileExists(Adams("NHK1" + window[3] + ".ep1")));
    EXPECT_TRUE(FileExists(Adams("NHK1" + window[3] + ".ept")));
    EXPECT_FALSE(FileExists(Adams("NHK1" + window[3] + ".ep2"))); // not restored
    EXPECT_FALSE(FileExists(Adams(users)));
    MoveFileA(Temp(users).c_str(), Adams(users).c_str());

    // Purged for its age, and put back in the same pass from the start-up copy.
    std::string old = "NHK1" + window[5] + ".ep1";
    CopyToTemp(old);
    SetFileTimes(Adams(old), CurrentTime() - DaySetAgeLimit - 60);
    EXPECT_EQ(1, CheckDayFiles());
    EXPECT_TRUE(FileExists(Adams(old)));
    EXPECT_FALSE(FileExists(Adams("NHK1" + window[5] + ".ept"))); // its companion had no copy
    EXPECT_EQ(1, dayFileCounts[0][5]);
}

TEST_F(CompletenessTest, ARestoreNeverReplacesADayFileThatAppearedMeanwhile) {
    std::string file = "NHK1" + window[2] + ".ep1";
    WriteFile(Temp(file), "the start-up copy");
    WriteFile(Adams(file), "the receiver's, written since the look");
    RestoreDayFile(file.c_str());
    EXPECT_EQ("the receiver's, written since the look", ReadWholeFile(Adams(file)));
}

TEST_F(CompletenessTest, StationsBeyondTheTablesMakeTheWeekIncomplete) {
    for (int station = 0; station < MaxStations + 1; ++station)
        WriteDays("S" + std::to_string(100 + station), {0, 1});
    EXPECT_EQ(0, CheckDayFiles());
    EXPECT_EQ(MaxStations, prefixCount);
    EXPECT_TRUE(stationsLeftOut);

    DeleteFileA(Adams("S120" + window[0] + ".ep1").c_str());
    DeleteFileA(Adams("S120" + window[1] + ".ep1").c_str());
    EXPECT_EQ(1, CheckDayFiles());
}

TEST_F(CompletenessTest, StationNamesAreReadWithinTheirBuffer) {
    std::string file = "LONG" + window[0] + ".ep1";
    std::string longName;
    for (int i = 0; i < 20; ++i)
        longName += "表"; // 40 bytes, each character ending in 0x5C
    ::WriteDaySet(Adams("LONG" + window[0]), longName, Programmes, {"ep1"});
    char name[StationNameSize + 8];
    memset(name, 0, sizeof name);
    name[StationNameSize] = 'G'; // a guard just past the buffer
    ReadStationName(file.c_str(), name);
    EXPECT_EQ(longName.substr(0, 24), std::string(name)); // 12 whole characters
    EXPECT_EQ('G', name[StationNameSize]);

    // Shorter than the name's offset, or not decodable: an empty name.
    std::string shortFile;
    ASSERT_TRUE(EncodeReceivedFile(KindEp1, "short", shortFile));
    WriteFile(Adams(file), shortFile);
    char empty[StationNameSize] = {};
    ReadStationName(file.c_str(), empty);
    EXPECT_STREQ("", empty);
    WriteFile(Adams(file), std::string(58, 'h') + "not a compressed body");
    ReadStationName(file.c_str(), empty);
    EXPECT_STREQ("", empty);
    EXPECT_EQ(std::vector<std::string>{CopyListName}, ListFolder(Temp()));
}

} // namespace
