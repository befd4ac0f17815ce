// epgweek run as a separate program, natively, on folders made here.
#include <sys/stat.h>
#include <utime.h>

#include <ctime>

#include "LocalTime.h"
#include "NativeToolTest.h"
#include "SampleContent.h"

namespace {

class EpgweekTool : public NativeToolTest {
protected:
    void SetUp() override {
        NativeToolTest::SetUp();
        adams = dir + "/adams";
        mkdir(adams.c_str(), 0755);
        // A channel table whose first channel is "Bravo", the second "表示" (code page 932).
        std::string table(64 * 12, '\0');
        table.replace(8, 5, "Bravo");
        table.replace(64 + 8, 4, "\x95\x5C\x8E\xA6");
        Put("ChTable.dat", table);
    }
    // A station's day set: ".ep1" naming it, and the companions asked for.
    void Day(const std::string &prefix, const std::string &date, const std::string &name,
             const std::string &extensions = "ep1 ep2 ept", time_t written = 0) {
        for (const char *extension : {"ep1", "ep2", "ept"}) {
            if (extensions.find(extension) == std::string::npos)
                continue;
            std::string plain =
                extension[2] == '1' ? NamingDayContent(name, "programmes") : "programmes";
            std::string path =
                Put("adams/" + prefix + date + "." + extension, WithHeader(58, EncodedBody(plain)));
            // Dated on the report's day unless told otherwise: the age counts from it.
            time_t moment = written ? written : reportDay;
            utimbuf times = {moment, moment};
            utime(path.c_str(), &times);
        }
    }
    // limits: shell commands run before the tool, in its shell.
    int Run(const std::string &args, const std::string &limits = "") {
        return NativeToolTest::Run(EPGWEEK_PATH, args, limits);
    }
    std::string Listing() {
        std::system(("ls -l --time-style=+%s '" + adams + "' > '" + dir + "/listing'").c_str());
        return Read(dir + "/listing");
    }
    static std::string Days(const std::string &pattern) {
        // pattern: eight groups of three letters, each 1 (present) or 0.
        std::string days;
        for (int d = 0; d < 8; ++d) {
            auto flag = [&](int k) { return pattern[d * 3 + k] == '1' ? "true" : "false"; };
            days += std::string(d ? ", " : "") + "{\"ep1\": " + flag(0) + ", \"ep2\": " + flag(1) +
                    ", \"ept\": " + flag(2) + "}";
        }
        return "[" + days + "]";
    }
    static time_t Noon(int year, int month, int day) {
        tm fields = {};
        fields.tm_year = year - 1900;
        fields.tm_mon = month - 1;
        fields.tm_mday = day;
        fields.tm_hour = 12;
        return LocalMomentOf(fields);
    }

    std::string adams;
    time_t reportDay = 0;
};

TEST_F(EpgweekTool, TheJsonReportShowsEachStationsDaysItsJudgementAndThePurge) {
    // The week from 28 December runs into the new year.
    reportDay = Noon(2026, 12, 28);
    const char *week[] = {"1228", "1229", "1230", "1231", "0101", "0102", "0103", "0104"};
    for (const char *date : week)
        Day("AAAA", date, "Alpha");
    Day("BBBB", "0101", "Bravo"); // two days, neither today nor tomorrow: looked up, found
    Day("BBBB", "0102", "Bravo", "ep1 ept");
    Day("CCCC", "1228", "\x95\x5C\x8E\xA6", "ep1 ep2");              // 表示: no complete day
    Day("ZZZZ", "1227", "Zulu");                                     // outside the window
    Day("AAAA", "1231", "Alpha", "ep1 ep2 ept", Noon(2026, 12, 17)); // eleven days old
    std::string before = Listing();

    EXPECT_EQ(1,
              Run("--json --date 2026-12-28 --channels '" + dir + "/ChTable.dat' '" + adams + "'"));
    EXPECT_EQ("", err);
    EXPECT_EQ(before, Listing()); // nothing changed
    std::string expected =
        "{\"days\": [\"1228\", \"1229\", \"1230\", \"1231\", \"0101\", \"0102\", \"0103\", "
        "\"0104\"], \"stations\": [";
    EXPECT_EQ(0u, out.find(expected)) << out;
    // The old set is purged (and not in a start-up copy): AAAA lacks 31 December.
    EXPECT_NE(std::string::npos,
              out.find("{\"prefix\": \"AAAA\", \"name\": \"Alpha\", \"inChannelTable\": false, "
                       "\"days\": " +
                       Days("111111111000111111111111") +
                       ", \"completeDays\": 7, \"judgement\": \"not-in-table\"}"))
        << out;
    EXPECT_NE(std::string::npos,
              out.find("{\"prefix\": \"BBBB\", \"name\": \"Bravo\", \"inChannelTable\": true, "
                       "\"days\": " +
                       Days("000000000000111101000000") +
                       ", \"completeDays\": 2, \"judgement\": \"in-table\"}"))
        << out;
    EXPECT_NE(std::string::npos,
              out.find("{\"prefix\": \"CCCC\", \"name\": \"\xE8\xA1\xA8\xE7\xA4\xBA\", "
                       "\"inChannelTable\": true, \"days\": " +
                       Days("110000000000000000000000") +
                       ", \"completeDays\": 0, \"judgement\": \"no-complete-day\"}"))
        << out;
    EXPECT_NE(std::string::npos,
              out.find("\"wouldPurge\": [{\"file\": \"ZZZZ1227.ep1\", \"reason\": "
                       "\"outside-window\"}"))
        << out;
    EXPECT_NE(std::string::npos, out.find("{\"file\": \"AAAA1231.ept\", \"reason\": "
                                          "\"older-than-10-days\"}"))
        << out;
    EXPECT_NE(std::string::npos, out.find("\"complete\": false}\n")) << out;

    // The plain report: a row per station, a column per day, the verdict.
    EXPECT_EQ(1, Run("--date 2026-12-28 --channels '" + dir + "/ChTable.dat' '" + adams + "'"));
    EXPECT_NE(std::string::npos, out.find("station  1228 1229 1230 1231 0101 0102 0103 0104"));
    EXPECT_NE(std::string::npos, out.find("BBBB     ---  ---  ---  ---  12t  1-t  ---  ---"));
    EXPECT_NE(std::string::npos, out.find("\xE8\xA1\xA8\xE7\xA4\xBA")); // 表示, as UTF-8
    EXPECT_NE(std::string::npos, out.find("ZZZZ1227.ep1         date outside the window"));
    EXPECT_NE(std::string::npos, out.find("the week is incomplete"));
}

TEST_F(EpgweekTool, ACompleteWeekExitsZeroAndWhatCannotBeReadExitsTwoWithOneLine) {
    reportDay = Noon(2026, 6, 10);
    const char *week[] = {"0610", "0611"};
    for (const char *date : week)
        Day("AAAA", date, "Alpha");
    std::string table = "--channels '" + dir + "/ChTable.dat' ";
    EXPECT_EQ(0, Run("--date 2026-06-10 " + table + "'" + adams + "'"));
    EXPECT_NE(std::string::npos, out.find("complete: two days with today or tomorrow"));
    EXPECT_NE(std::string::npos, out.find("the week is complete"));

    // A ".ep1" whose content would not fit in memory has no name, as when the
    // program cannot decode it; the report goes on.
    Put("adams/HUGE0610.ep1", std::string(30000000, 'Z'));
    EXPECT_EQ(1,
              Run("--json --date 2026-06-10 " + table + "'" + adams + "'", "ulimit -v 200000; "));
    EXPECT_NE(std::string::npos, out.find("{\"prefix\": \"HUGE\", \"name\": \"\", ")) << err;
    unlink((adams + "/HUGE0610.ep1").c_str());

    EXPECT_EQ(2, Run("--date 2026-06-10 " + table + "'" + dir + "/missing'"));
    EXPECT_EQ(0u, err.find("epgweek: " + dir + "/missing: cannot read: "));
    EXPECT_EQ(2, Run("--channels '" + dir + "/none.dat' '" + adams + "'"));
    EXPECT_EQ(0u, err.find("epgweek: " + dir + "/none.dat: cannot read: "));
    EXPECT_EQ(std::string::npos, err.find('\n', err.find('\n') + 1)); // one line
    EXPECT_EQ(2, Run("'" + adams + "'")); // natively the channel table must be named
    EXPECT_EQ(0u, err.find("epgweek: channel table: "));
    EXPECT_EQ(2, Run("--date 2026-13-01 " + table + "'" + adams + "'"));
    EXPECT_NE(std::string::npos, err.find("usage: epgweek"));
    EXPECT_EQ(0, Run("--help"));
    EXPECT_NE(std::string::npos, out.find("usage: epgweek"));
}

} // namespace
