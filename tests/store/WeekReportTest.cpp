// epgweek against the program's own completeness check, on the same folders
// and day: the report must reach the pass's verdict, and change nothing.
#include "Clock.h"
#include "Completeness.h"
#include "StartUpCopy.h"
#include "StoreTestSupport.h"
#include <gtest/gtest.h>
#include <functional>

namespace {

struct Listing {
    std::vector<std::string> names;
    std::vector<std::string> copied;
    bool operator==(const Listing &other) const {
        return names == other.names && copied == other.copied;
    }
};

class WeekReportTest : public ::testing::Test, public StoreFixture {
public: // the cases below prepare their folders through the fixture
    void SetUp() override {
        SetCurrentTime(LocalMoment(2026, 12, 28, 9, 0));
        char dates[DayWindowLength][DateFieldSize];
        BuildDayDates(CurrentTime(), dates);
        window.assign(std::begin(dates), std::end(dates));
    }
    Listing List() const { return {ListFolder(adams.Path()), ListFolder(Temp())}; }
    // Runs epgweek for the clock's day; its JSON report.
    std::string Report() {
        TempFolder out("week-report");
        std::string command = "cmd /c \"\"" + BinFolder() +
                              "\\epgweek.exe\" --json --date 2026-12-28 \"" + adams.Path() +
                              "\" > \"" + (out / "report.json") + "\"\"";
        ChildProcess tool(command);
        exitCode = tool.Wait(20000);
        return ReadWholeFile(out / "report.json");
    }
    void WriteWeek(const std::string &prefix, const std::string &name, std::vector<int> days,
                   const std::string &extensions = "ep1 ep2 ept") {
        for (int d : days)
            WriteDaySet(prefix, window[d], name, extensions);
    }
    std::vector<std::string> window;
    long exitCode = -1;
};

TEST_F(WeekReportTest, TheReportReachesThePassesVerdictAndChangesNothing) {
    struct Case {
        const char *what;
        std::function<void(WeekReportTest &)> prepare;
        bool complete;
        std::vector<std::string> judgements;
    };
    const std::vector<Case> cases = {
        {"all days and a today pair",
         [](WeekReportTest &t) {
             t.WriteWeek("AAAA", "Alpha", {0, 1, 2, 3, 4, 5, 6, 7});
             t.WriteWeek("BBBB", "Bravo", {0, 1});
         },
         true,
         {"all-days", "today-pair"}},
        {"a station of the user's lacks days",
         [](WeekReportTest &t) {
             t.WriteWeek("AAAA", "Alpha", {0, 1, 2, 3, 4, 5, 6, 7});
             t.WriteWeek("CCCC", "ＮＨＫ総合", {2, 3});
         },
         false,
         {"all-days", "in-table"}},
        {"a station the user does not have lacks days",
         [](WeekReportTest &t) {
             t.WriteWeek("CCCC", "Other", {2, 3, 5});
         },
         true,
         {"not-in-table"}},
        {"only .ep1 files",
         [](WeekReportTest &t) {
             t.WriteWeek("BBBB", "Bravo", {0, 1});
             t.WriteWeek("DDDD", "Delta", {0, 1, 2}, "ep1 ep2");
         },
         false,
         {"today-pair", "no-complete-day"}},
        {"an old set restored from the start-up copy, an outdated one purged",
         [](WeekReportTest &t) {
             t.WriteWeek("AAAA", "Alpha", {0, 1});
             for (const char *extension : {".ep1", ".ep2", ".ept"}) {
                 std::string name = "AAAA" + t.window[0] + extension;
                 t.CopyToTemp(name);
                 SetFileTimes(t.Adams(name), CurrentTime() - 12 * 86400);
             }
             t.WriteDaySet("ZZZZ", "1227", "Zulu");
         },
         false, // ZZZZ has no complete day of the window
         {"today-pair", "no-complete-day"}},
        // ア (83 41) and ヂ (83 61) differ only in a trail byte that a
        // lower-casing of every byte would fold: ヂ's missing days must not
        // be taken for ア's files.
        {"two stations whose prefixes differ only in a trail byte",
         [](WeekReportTest &t) {
             t.WriteWeek("アAA", "Alpha", {0, 1, 2, 3, 4, 5, 6, 7});
             t.WriteWeek("ヂAA", "ＮＨＫ総合", {2, 3});
         },
         false,
         {"all-days", "in-table"}},
        {"no day files at all", [](WeekReportTest &) {}, false, {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        RemoveTree(adams.Path());
        CreateDirectoryA(adams.Path().c_str(), nullptr);
        CreateOwnTemp(adams.Path().c_str());
        c.prepare(*this);

        Listing before = List();
        std::string report = Report();
        EXPECT_TRUE(before == List()); // read-only
        EXPECT_EQ(c.complete ? 0 : 1, exitCode) << report;
        EXPECT_NE(std::string::npos,
                  report.find(c.complete ? "\"complete\": true" : "\"complete\": false"))
            << report;
        size_t at = 0;
        for (const std::string &judgement : c.judgements) {
            at = report.find("\"judgement\": \"" + judgement + "\"", at);
            EXPECT_NE(std::string::npos, at) << judgement << " in " << report;
        }
        EXPECT_EQ(c.complete ? 1 : 0, CheckDayFiles());
    }
}

TEST_F(WeekReportTest, AClockBehindTheDayFilesIsReportedAndNothingIsPurged) {
    WriteWeek("AAAA", "Alpha", {0, 1, 2, 3, 4, 5, 6, 7});
    WriteDaySet("ZZZZ", "1201", "Zulu");
    for (const char *extension : {".ep1", ".ep2", ".ept"}) // by a clock a month ahead
        SetFileTimes(Adams(std::string("ZZZZ1201") + extension), CurrentTime() + 31 * 86400);
    std::string report = Report();
    EXPECT_NE(std::string::npos,
              report.find("\"wouldPurge\": [], \"stationsLeftOut\": [], \"clockBehind\": true"))
        << report;
    EXPECT_EQ(0, CheckDayFiles());
    EXPECT_TRUE(FileExists(Adams("ZZZZ1201.ep1"))); // the program agrees
}

// A folder that exists but cannot be listed (here another program holds it
// open without sharing, as a folder denied to the user or a network share
// that fails is) is the tool's error, not an empty and so incomplete week.
TEST_F(WeekReportTest, AFolderThatCannotBeListedIsAnErrorNotAnEmptyWeek) {
    WriteWeek("AAAA", "Alpha", {0, 1, 2, 3, 4, 5, 6, 7});
    HANDLE held = CreateFileA(adams.Path().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, held);
    std::string report = Report();
    CloseHandle(held);
    EXPECT_EQ(2, exitCode) << report;
    EXPECT_EQ(std::string::npos, report.find("\"complete\"")) << report;
    Report();
    EXPECT_EQ(0, exitCode); // listed again once it is free
}

TEST_F(WeekReportTest, PurgeReasonsAndMoreThanTwentyStationsAreReported) {
    WriteWeek("AAAA", "Alpha", {0, 1});
    WriteDaySet("ZZZZ", "1227", "Zulu");
    std::string old = "AAAA" + window[2];
    WriteDaySet("AAAA", window[2], "Alpha");
    for (const char *extension : {".ep1", ".ep2", ".ept"})
        SetFileTimes(Adams(old + extension), CurrentTime() - 11 * 86400);
    std::string report = Report();
    EXPECT_NE(std::string::npos,
              report.find("{\"file\": \"ZZZZ1227.ep1\", \"reason\": \"outside-window\"}"));
    EXPECT_NE(std::string::npos, report.find("{\"file\": \"ZZZZ1227.ept\", \"reason\": "
                                             "\"outside-window\"}"));
    EXPECT_NE(std::string::npos,
              report.find("{\"file\": \"" + old + ".ep2\", \"reason\": \"older-than-10-days\"}"));
    EXPECT_NE(std::string::npos, report.find("\"name\": \"Alpha\", \"inChannelTable\": false"));

    // Stations beyond the pass's twenty are not judged: never complete.
    for (int i = 0; i < 20; ++i)
        WriteWeek("S" + std::to_string(100 + i), "Many", {0, 1});
    report = Report();
    EXPECT_EQ(1, exitCode);
    EXPECT_NE(std::string::npos, report.find("\"stationsLeftOut\": [\""));
    EXPECT_EQ(0, CheckDayFiles());
}

} // namespace
