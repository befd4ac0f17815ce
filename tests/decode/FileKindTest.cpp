#include <cstring>
#include <string>

#include <gtest/gtest.h>

#include "FileKind.h"

namespace {

int32_t Lookup(std::string path, std::string *after = nullptr) {
    int32_t kind = LookupFileKind(&path[0]);
    if (after)
        *after = path;
    return kind;
}

} // namespace

TEST(FileKindTable, RowsHaveTheReceivedLayout) {
    const char *received[] = {"ept", "ep1", "ep2", "kct", "ptt", "tct", "mtt"};
    const char *decoded[] = {"scd", "cmm", "msg", "kca", "psn", "tch", "mtn"};
    const unsigned char *raw = reinterpret_cast<const unsigned char *>(fileKinds);
    for (int k = 1; k <= 7; ++k) {
        const unsigned char *row = raw + 20 * (k - 1);
        EXPECT_EQ(0, std::memcmp(row, received[k - 1], 4)) << k;
        EXPECT_EQ(0, std::memcmp(row + 4, decoded[k - 1], 4)) << k;
        EXPECT_EQ(k <= 5 ? 1 : 0, row[8]) << k;
        EXPECT_EQ(k <= 3 ? 58 : 32, row[12] + row[16]) << k; // little-endian, small values
        EXPECT_EQ(24, row[16]) << k;
        EXPECT_EQ(GetFileKind(k), &fileKinds[k - 1]);
        EXPECT_EQ(k, Lookup(std::string("C:\\ADAMS\\file.") + received[k - 1]));
    }
    EXPECT_EQ(nullptr, GetFileKind(0));
    EXPECT_EQ(nullptr, GetFileKind(8));
}

TEST(LookupFileKind, FindsTheKindIgnoringLetterCaseAndLowerCasesThePath) {
    std::string after;
    EXPECT_EQ(2, Lookup("C:\\ADAMS\\x.ep1", &after));
    EXPECT_EQ(2, Lookup("C:\\ADAMS\\X.EP1", &after));
    EXPECT_EQ("c:\\adams\\x.ep1", after);
    EXPECT_EQ(6, Lookup("D:\\Adams\\Ep000001.Tct", &after));
    EXPECT_EQ("d:\\adams\\ep000001.tct", after);
    EXPECT_EQ(2, Lookup("x.ep1")); // no folder at all
}

TEST(LookupFileKind, RejectsPathsWithoutAThreeLetterKnownExtension) {
    EXPECT_EQ(0, Lookup("C:\\a.b\\file"));   // the only dot is in a folder name
    EXPECT_EQ(0, Lookup("C:\\a.ep1\\file")); // even when the folder looks like a kind
    EXPECT_EQ(0, Lookup("C:/a.ep1/file"));   // "/" separates folders as well
    EXPECT_EQ(0, Lookup("C:\\ADAMS\\x.ep12"));
    EXPECT_EQ(0, Lookup("C:\\ADAMS\\x.e1"));
    EXPECT_EQ(0, Lookup("C:\\ADAMS\\x."));
    EXPECT_EQ(0, Lookup("C:\\ADAMS\\ep1"));
    EXPECT_EQ(0, Lookup("C:\\ADAMS\\x.txt"));
    EXPECT_EQ(0, Lookup("C:\\ADAMS\\x.ep1.bak"));
    EXPECT_EQ(0, Lookup(""));
    EXPECT_EQ(0, Lookup("C:\\ADAMS\\x.\x83"));    // a lead byte cut off by the end
    EXPECT_EQ(2, Lookup("C:\\ADAMS\\x.tct.ep1")); // only the last dot counts
}

TEST(LookupFileKind, WalksDoubleByteCharactersWhole) {
    // 表 ends in 0x5C and must not end a folder name; ア and ス end in
    // capital-letter bytes that must not be lower-cased.
    std::string after;
    std::string folder = "C:\\表示\\";
    ASSERT_EQ('\x5C', folder[4]);
    EXPECT_EQ(2, Lookup(folder + "X.EP1", &after));
    EXPECT_EQ("c:\\表示\\x.ep1", after);
    EXPECT_EQ(0, Lookup("C:\\表.ep1\\x")); // the real folder separator still counts
    EXPECT_EQ(3, Lookup("C:\\アダムス\\DAY.EP2", &after));
    EXPECT_EQ("c:\\アダムス\\day.ep2", after);
    EXPECT_EQ(0, Lookup("C:\\ADAMS\\x.表a"));
}
