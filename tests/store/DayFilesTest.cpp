#include "Clock.h"
#include "Completeness.h"
#include "DayFiles.h"
#include "StoreTestSupport.h"
#include <gtest/gtest.h>
#include <cstdio>
#include <cstring>

namespace {

std::vector<std::string> Window(time_t now) {
    char dates[DayWindowLength][DateFieldSize];
    BuildDayDates(now, dates);
    return std::vector<std::string>(std::begin(dates), std::end(dates));
}

TEST(DayWindow, RunsFromTodayOverMonthAndYearEnds) {
    EXPECT_EQ(
        (std::vector<std::string>{"1228", "1229", "1230", "1231", "0101", "0102", "0103", "0104"}),
        Window(LocalMoment(2026, 12, 28, 23, 59)));
    EXPECT_EQ(
        (std::vector<std::string>{"0610", "0611", "0612", "0613", "0614", "0615", "0616", "0617"}),
        Window(LocalMoment(2026, 6, 10, 0, 0)));
    EXPECT_EQ("0229", Window(LocalMoment(2028, 2, 27))[2]); // a leap year
}

// The suites run in the users' zone (TZ=Asia/Tokyo, UTC+9) and in UTC. The
// day must be the one the system's clock shows, whatever the C runtime
// makes of TZ (it reads "Asia/Tokyo" as UTC).
TEST(DayWindow, IsTheDayOfTheSystemsZone) {
    char zone[64] = {};
    GetEnvironmentVariableA("TZ", zone, sizeof zone);
    TIME_ZONE_INFORMATION info;
    GetTimeZoneInformation(&info);
    const time_t moment = 1798385400; // 2026-12-27 15:30 UTC, 2026-12-28 00:30 in Tokyo
    if (strcmp(zone, "Asia/Tokyo") == 0) {
        EXPECT_EQ(-540, info.Bias); // Wine follows TZ
        EXPECT_EQ("1228", Window(moment)[0]);
    } else if (strcmp(zone, "UTC") == 0) {
        EXPECT_EQ(0, info.Bias);
        EXPECT_EQ("1227", Window(moment)[0]);
    }
    SYSTEMTIME today;
    GetLocalTime(&today);
    char field[DateFieldSize];
    snprintf(field, sizeof field, "%02u%02u", today.wMonth, today.wDay);
    EXPECT_EQ(field, Window(time(nullptr))[0]);
}

class PurgeTest : public ::testing::Test, public StoreFixture {};

TEST_F(PurgeTest, SetsOutsideTheWindowGoWithTheirCompanions) {
    SetCurrentTime(LocalMoment(2026, 12, 28, 9, 0));
    for (const char *date : {"1227", "1228", "0104", "0105"})
        WriteDaySet("NHK1", date);
    WriteDaySet("ORPH", "1201", "", "ep2 ept"); // companions without their ".ep1"
    WriteFile(Adams("AB.ep1"), "a base too short to carry a date");
    SetFileTimes(Adams("AB.ep1"), CurrentTime());
    WriteFile(Adams("notes.txt"), "not a day file");

    PurgeDayFiles(adams.Path().c_str());

    EXPECT_EQ((std::vector<std::string>{"AB.ep1", "NHK10104.ep1", "NHK10104.ep2", "NHK10104.ept",
                                        "NHK11228.ep1", "NHK11228.ep2", "NHK11228.ept",
                                        "ORPH1201.ep2", "ORPH1201.ept", "Temp", "notes.txt"}),
              ListFolder(adams.Path()));
}

TEST_F(PurgeTest, SetsOlderThanTenDaysGoWhateverTheirDate) {
    time_t now = LocalMoment(2026, 6, 10, 12, 0);
    SetCurrentTime(now);
    WriteDaySet("OLD1", "0611");
    WriteDaySet("NEW1", "0612");
    SetFileTimes(Adams("OLD10611.ep1"), now - DaySetAgeLimit - 1);
    SetFileTimes(Adams("NEW10612.ep1"), now - DaySetAgeLimit + 60);
    WriteFile(Temp("OLD10611.ep1"), "the start-up copy is never purged");
    SetFileTimes(Temp("OLD10611.ep1"), now - 30 * 86400);

    PurgeDayFiles(adams.Path().c_str());

    EXPECT_EQ((std::vector<std::string>{"NEW10612.ep1", "NEW10612.ep2", "NEW10612.ept", "Temp"}),
              ListFolder(adams.Path()));
    EXPECT_TRUE(FileExists(Temp("OLD10611.ep1")));
}

TEST_F(PurgeTest, AHeldDayFileKeepsItsSetWhileTheOthersGo) {
    SetCurrentTime(LocalMoment(2026, 6, 10));
    WriteDaySet("HELD", "0609");
    WriteDaySet("GONE", "0618");
    WriteDaySet("KEEP", "0617");
    {
        HeldFile held(Adams("HELD0609.ep1"));
        PurgeDayFiles(adams.Path().c_str());
    }
    EXPECT_EQ((std::vector<std::string>{"HELD0609.ep1", "HELD0609.ep2", "HELD0609.ept",
                                        "KEEP0617.ep1", "KEEP0617.ep2", "KEEP0617.ept", "Temp"}),
              ListFolder(adams.Path()));

    // A held ".ep2" stops its set after the ".ep1": the ".ept" is not tried.
    {
        HeldFile held(Adams("HELD0609.ep2"));
        PurgeDayFiles(adams.Path().c_str());
    }
    EXPECT_FALSE(FileExists(Adams("HELD0609.ep1")));
    EXPECT_TRUE(FileExists(Adams("HELD0609.ep2")));
    EXPECT_TRUE(FileExists(Adams("HELD0609.ept")));
}

// A dead battery sets an old PC's clock back by weeks or years; its "today"
// then lies outside every day set's window.
TEST_F(PurgeTest, AClockBehindTheDayFilesDeletesNothingAndARightOneStillPurges) {
    const time_t written = LocalMoment(2026, 12, 11, 9, 0); // by the receiver's clock
    SetCurrentTime(written);
    for (const char *date : {"1210", "1211", "1219"})
        WriteDaySet("NHK1", date);
    const std::vector<std::string> all = {
        "NHK11210.ep1", "NHK11210.ep2", "NHK11210.ept", "NHK11211.ep1", "NHK11211.ep2",
        "NHK11211.ept", "NHK11219.ep1", "NHK11219.ep2", "NHK11219.ept", "Temp"};
    SetCurrentTime(written - 31 * 86400);
    PurgeDayFiles(adams.Path().c_str());
    EXPECT_EQ(all, ListFolder(adams.Path()));

    // One companion from a clock two days ahead is enough.
    SetCurrentTime(written);
    SetFileTimes(Adams("NHK11211.ep2"), written + 2 * 86400);
    PurgeDayFiles(adams.Path().c_str());
    EXPECT_EQ(all, ListFolder(adams.Path()));

    // Less than a day behind the newest file is a clock that is right.
    SetFileTimes(Adams("NHK11211.ep2"), written);
    SetCurrentTime(written - 23 * 3600);
    PurgeDayFiles(adams.Path().c_str());
    EXPECT_EQ((std::vector<std::string>{"NHK11210.ep1", "NHK11210.ep2", "NHK11210.ept",
                                        "NHK11211.ep1", "NHK11211.ep2", "NHK11211.ept", "Temp"}),
              ListFolder(adams.Path()));
}

// The ANSI listing turns the "¥" of a Unicode name into 0x5C: joined to the
// folder, "SUB¥SUBX1101.ep1" would name a file in the subfolder SUB.
TEST_F(PurgeTest, ANameThatIsNotOnePathPartIsPassedOver) {
    SetCurrentTime(LocalMoment(2026, 12, 11));
    CreateDirectoryA(Adams("SUB").c_str(), nullptr);
    WriteFile(Adams("SUB\\SUBX1101.ep1"), "a file of the subfolder's");
    HANDLE file = CreateFileW((Wide(adams.Path()) + L"\\SUB\u00A5SUBX1101.ep1").c_str(),
                              GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);
    PurgeDayFiles(adams.Path().c_str());
    EXPECT_TRUE(FileExists(Adams("SUB\\SUBX1101.ep1")));
    EXPECT_EQ(0, CheckDayFiles()); // no day file at all
    EXPECT_EQ(0, prefixCount);
}

TEST_F(PurgeTest, AFolderWithoutDayFilesStaysAsItIs) {
    SetCurrentTime(LocalMoment(2026, 6, 10));
    PurgeDayFiles(adams.Path().c_str());
    EXPECT_EQ((std::vector<std::string>{"Temp"}), ListFolder(adams.Path()));
    WriteFile(Adams("ABCD0101.ep2"), "x");
    WriteFile(Adams("ABCD0101.ept"), "x");
    PurgeDayFiles(adams.Path().c_str());
    EXPECT_EQ((std::vector<std::string>{"ABCD0101.ep2", "ABCD0101.ept", "Temp"}),
              ListFolder(adams.Path()));
}

} // namespace
