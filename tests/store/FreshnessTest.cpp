#include "AcquireContext.h"
#include "Clock.h"
#include "Freshness.h"
#include "StoreTestSupport.h"
#include <gtest/gtest.h>

namespace {

class FreshnessTest : public ::testing::Test, public StoreFixture {
protected:
    void SetUp() override {
        acquire = AcquireContext{};
        WriteFile(Schedule(), "schedule");
    }
    std::string Schedule() const { return epgData / "Ep000001.tct"; }
    void ModifiedAt(time_t moment) { SetFileTimes(Schedule(), moment); }
};

TEST_F(FreshnessTest, TodayIsTheLocalCalendarDateYearFirst) {
    SetCurrentTime(LocalMoment(2026, 3, 10, 0, 0));
    ModifiedAt(LocalMoment(2026, 3, 9, 23, 59));
    EXPECT_EQ(StatusOutdated, CheckEpgFreshness());
    EXPECT_STREQ("2026/03/09", acquire.epgDateText);

    ModifiedAt(LocalMoment(2026, 3, 10, 0, 0));
    EXPECT_EQ(StatusCurrent, CheckEpgFreshness());
    EXPECT_STREQ("2026/03/10", acquire.epgDateText);
    EXPECT_EQ(StatusCurrent, CheckEpgFreshness()); // again: same answer, same text
    EXPECT_STREQ("2026/03/10", acquire.epgDateText);

    ModifiedAt(LocalMoment(2026, 3, 11, 8, 0)); // the clock was set back
    EXPECT_EQ(StatusOutdated, CheckEpgFreshness());
    ModifiedAt(LocalMoment(2025, 3, 10, 12, 0)); // same month and day, another year
    EXPECT_EQ(StatusOutdated, CheckEpgFreshness());
    EXPECT_STREQ("2025/03/10", acquire.epgDateText);
    ModifiedAt(LocalMoment(2026, 2, 10, 12, 0));
    EXPECT_EQ(StatusOutdated, CheckEpgFreshness());
}

TEST_F(FreshnessTest, FailedChecksKeepTheEarlierDate) {
    SetCurrentTime(LocalMoment(2026, 12, 31, 23, 0));
    ModifiedAt(LocalMoment(2026, 12, 31, 1, 0));
    ASSERT_EQ(StatusCurrent, CheckEpgFreshness());

    {
        HeldFile held(Schedule());
        EXPECT_EQ(StatusNoData, CheckEpgFreshness()); // the file exists but is in use
    }
    EXPECT_STREQ("2026/12/31", acquire.epgDateText);

    DeleteFileA(Schedule().c_str());
    EXPECT_EQ(StatusNoData, CheckEpgFreshness());
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, EpgKeyPath);
    EXPECT_EQ(StatusNoRegistry, CheckEpgFreshness());
    EXPECT_STREQ("2026/12/31", acquire.epgDateText);
}

TEST_F(FreshnessTest, TheFolderValueMayHoldAtMost127Characters) {
    SetCurrentTime(LocalMoment(2026, 6, 10));
    // Folders of exactly 127 and 128 characters, each holding today's file.
    std::string base = epgData.Path() + "\\";
    std::string fits = base + std::string(127 - base.size(), 'f');
    std::string tooLong = base + std::string(128 - base.size(), 'g');
    for (const std::string &folder : {fits, tooLong}) {
        CreateDirectoryA(folder.c_str(), nullptr);
        WriteFile(folder + "\\Ep000001.tct", "schedule");
        SetFileTimes(folder + "\\Ep000001.tct", LocalMoment(2026, 6, 10));
    }
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG data", fits);
    EXPECT_EQ(StatusCurrent, CheckEpgFreshness());
    SetRegistryText(HKEY_LOCAL_MACHINE, EpgKeyPath, "EPG data", tooLong);
    EXPECT_EQ(StatusNoData, CheckEpgFreshness());

    // A missing value names no folder: the root of the current drive is not
    // looked at (the test makes C: current, where the trap lies).
    WriteFile("C:\\Ep000001.tct", "not the guide data");
    HKEY key;
    RegOpenKeyExA(HKEY_LOCAL_MACHINE, EpgKeyPath, 0, KEY_SET_VALUE, &key);
    RegDeleteValueA(key, "EPG data");
    RegCloseKey(key);
    char current[MAX_PATH];
    GetCurrentDirectoryA(sizeof current, current);
    SetCurrentDirectoryA("C:\\");
    EXPECT_EQ(StatusNoData, CheckEpgFreshness());
    SetCurrentDirectoryA(current);
    DeleteFileA("C:\\Ep000001.tct");
}

} // namespace
