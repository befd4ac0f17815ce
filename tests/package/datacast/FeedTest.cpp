#include "Feed.h"
#include "DataCastReception.h"
#include <gtest/gtest.h>

TEST(Feed, StationsAndWindowsAreReadLineByLine) {
    Feed feed;
    std::string error;
    ASSERT_TRUE(ParseFeed("# stations\r\n"
                          "station NHKG ＮＨＫ総合\r\n"
                          "  station T_-9   Test  Station  \r\n"
                          "\r\n"
                          "window 06:02 06:12\r\n"
                          "window 23:50 25:10",
                          feed, error))
        << error;
    ASSERT_EQ(2u, feed.stations.size());
    EXPECT_EQ("NHKG", feed.stations[0].prefix);
    EXPECT_EQ("ＮＨＫ総合", feed.stations[0].name);
    EXPECT_EQ("T_-9", feed.stations[1].prefix);
    EXPECT_EQ("Test  Station", feed.stations[1].name);
    ASSERT_EQ(2u, feed.windows.size());
    EXPECT_EQ(6, feed.windows[0].startHour);
    EXPECT_EQ(2, feed.windows[0].startMinute);
    EXPECT_EQ(25, feed.windows[1].endHour);
    EXPECT_EQ(10, feed.windows[1].endMinute);
    EXPECT_EQ("06020612\n23502510\n", ScheduleContent(feed));
}

TEST(Feed, TextThatIsNoFeedIsRefusedWithItsLine) {
    const char *wrong[] = {
        "station NHK ＮＨＫ",             // prefix of three
        "station NHKG1 ＮＨＫ",           // prefix of five
        "station NH.G ＮＨＫ",            // a dot would end the file name
        "station NHKG",                   // no name
        "station NHKG a\nstation NHKG b", // the same prefix twice
        "window 6:02 06:12",
        "window 06:02 06:60",
        "window 30:00 30:10",
        "window 06:02",
        "window 06:02 06:12 06:20",
        "channel 6",
    };
    for (const char *text : wrong) {
        Feed feed = DefaultFeed();
        std::string error;
        EXPECT_FALSE(ParseFeed(std::string("# feed\n") + text, feed, error)) << text;
        EXPECT_EQ(0u, error.find("line ")) << text;
        EXPECT_EQ(DefaultFeed().stations.size(), feed.stations.size()) << "changed by " << text;
    }
    std::string longName(256, 'n'), error;
    Feed feed;
    EXPECT_FALSE(ParseFeed("station LONG " + longName, feed, error));
    EXPECT_TRUE(ParseFeed("station LONG " + longName.substr(1), feed, error));

    std::string windows;
    for (int i = 0; i < 25; ++i)
        windows += "window 06:00 06:10\n";
    EXPECT_FALSE(ParseFeed(windows, feed, error));
    EXPECT_EQ("line 25: too many windows (at most 24)", error);
}

TEST(Feed, DayFilesCarryTheStationNameAtOffset12) {
    DayDate date = {2026, 12, 8, "1208"};
    // ソ has 0x5C as its second byte; the name is copied byte for byte.
    for (std::string name :
         {std::string("ソフトテレビ"), std::string(255, 'x'), std::string("A")}) {
        FeedStation station = {"SOFT", name};
        std::string content = DayFileContent(KindEp1, station, date);
        ASSERT_GT(content.size(), 12 + name.size());
        EXPECT_EQ("SOFT1208", content.substr(0, 8));
        EXPECT_EQ(name.size(), (uint8_t)content[11]);
        EXPECT_EQ(name, content.substr(12, name.size()));
        EXPECT_EQ("SOFT1208.ep1", DayFileName(station, date, KindEp1));
        EXPECT_FALSE(DayFileContent(KindEpt, station, date).empty());
        EXPECT_FALSE(DayFileContent(KindEp2, station, date).empty());
    }
}
