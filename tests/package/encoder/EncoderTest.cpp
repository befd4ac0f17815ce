#include "ReceivedCheck.h"
#include "SampleContent.h"
#include "TestSupport.h"
#include <gtest/gtest.h>

namespace {
const ReceivedKind scrambledKinds[] = {KindEpt, KindEp1, KindEp2, KindKct, KindPtt};

size_t HeaderFor(ReceivedKind kind) {
    return kind <= KindEp2 ? DayFileHeader : OtherFileHeader;
}

// Random content whose encoded body is exactly bodySize bytes long.
bool ContentWithBody(ReceivedKind kind, size_t bodySize, std::string &content) {
    for (size_t size = bodySize > 64 ? bodySize - 64 : 0; size <= bodySize; ++size) {
        std::string candidate = RandomBytes(size, (unsigned)size), file;
        if (EncodeReceivedFile(kind, candidate, file) &&
            file.size() == HeaderFor(kind) + bodySize) {
            content = candidate;
            return true;
        }
    }
    return false;
}

void ExpectRoundTrip(ReceivedKind kind, const std::string &content) {
    std::string file, decoded;
    ASSERT_TRUE(EncodeReceivedFile(kind, content, file));
    ASSERT_TRUE(DecodeForCheck(file, HeaderFor(kind), kind <= KindPtt, decoded))
        << "kind " << kind << ", content " << content.size() << " bytes";
    EXPECT_EQ(content, decoded) << "kind " << kind;
}
} // namespace

TEST(Encoder, ScrambledBodiesAroundTheBlockSizeDecodeToTheirContent) {
    for (ReceivedKind kind : scrambledKinds) {
        ExpectRoundTrip(kind, "");
        ExpectRoundTrip(kind, "x");
        for (size_t body : {255, 256, 257, 512, 7 * 256 + 1}) {
            std::string content;
            ASSERT_TRUE(ContentWithBody(kind, body, content)) << "no content gives " << body;
            ExpectRoundTrip(kind, content);
        }
        ExpectRoundTrip(kind, RandomBytes(50000, 7)); // about 200 blocks
    }
}

TEST(Encoder, PlainKindsCarryTheirContentUnchangedAfterTheHeader) {
    for (ReceivedKind kind : {KindTct, KindMtt})
        for (size_t size : {0, 1, 255, 256, 257, 5000}) {
            std::string content = RandomBytes(size, 3), file;
            ASSERT_TRUE(EncodeReceivedFile(kind, content, file));
            ASSERT_EQ(OtherFileHeader + size, file.size());
            EXPECT_EQ(content, file.substr(OtherFileHeader));
        }
}

TEST(Encoder, ScramblingRestartsTheRegisterAtEveryBlock) {
    // Two blocks of identical stream bytes scramble identically only when
    // the register starts afresh at byte 256.
    std::string block = RandomBytes(256, 11);
    std::string twice = block + block;
    ScrambleBlock((uint8_t *)&twice[0], 256);
    ScrambleBlock((uint8_t *)&twice[256], 256);
    EXPECT_EQ(twice.substr(0, 256), twice.substr(256));
    // The first byte is XORed with the register's start value's high byte.
    uint8_t first = 0x78;
    ScrambleBlock(&first, 1);
    EXPECT_EQ(0x78 ^ 1, first);
}

TEST(Encoder, ContentThatShrinksFarStillFitsTheReadersBuffer) {
    // The reader inflates into ten times the body; 200 kB of one letter
    // compress to a few hundred bytes and must not be sent that way.
    std::string content(200000, 'A'), file, decoded;
    ASSERT_TRUE(EncodeReceivedFile(KindEpt, content, file));
    EXPECT_GE((file.size() - DayFileHeader) * 10, content.size());
    ASSERT_TRUE(DecodeForCheck(file, DayFileHeader, true, decoded));
    EXPECT_EQ(content, decoded);
}

TEST(Encoder, TheNamingDayContentHoldsTheNamesLengthAtElevenAndAtMost255Bytes) {
    EXPECT_EQ(std::string(11, 'h') + "\x05"
                                     "Alpha\r\nlist",
              NamingDayContent("Alpha", "\r\nlist"));
    std::string longest = NamingDayContent(std::string(300, 'n'), "", "PREF1228yy.");
    EXPECT_EQ("PREF1228yy.\xFF" + std::string(255, 'n'), longest);
}

TEST(Encoder, KindsAreToldByTheirExtension) {
    EXPECT_EQ(KindEp1, KindOfFileName("C:\\ADAMS\\NHKG1208.ep1"));
    EXPECT_EQ(KindEp1, KindOfFileName("C:\\ADAMS\\X.EP1"));
    EXPECT_EQ(KindTct, KindOfFileName("Ep000001.tct"));
    EXPECT_EQ(KindNone, KindOfFileName("C:\\a.b\\file"));
    EXPECT_EQ(KindNone, KindOfFileName("x.ep12"));
    EXPECT_EQ(KindNone, KindOfFileName("x.e1"));
    EXPECT_EQ(KindNone, KindOfFileName("x."));
    std::string file = "untouched";
    EXPECT_FALSE(EncodeReceivedFile(KindNone, "content", file));
    EXPECT_FALSE(EncodeReceivedFile((ReceivedKind)8, "content", file));
    EXPECT_EQ("untouched", file);
}

TEST(Encoder, ToolMakesAReceivedFileOfTheKindItsNameGives) {
    TempFolder folder("epgencode");
    std::string content = "0602061\n" + RandomBytes(3000, 5);
    WriteFile(folder / "plain.bin", content);
    std::string tool = BinCommand("epgencode.exe");
    ChildProcess encode(tool + folder / "plain.bin" + " " + folder / "NHKG1208.ep2");
    ASSERT_EQ(0, encode.Wait(10000));
    std::string decoded;
    ASSERT_TRUE(
        DecodeForCheck(ReadWholeFile(folder / "NHKG1208.ep2"), DayFileHeader, true, decoded));
    EXPECT_EQ(content, decoded);

    ChildProcess wrongKind(tool + folder / "plain.bin" + " " + folder / "out.txt");
    EXPECT_EQ(2, wrongKind.Wait(10000));
    ChildProcess noInput(tool + folder / "missing.bin" + " " + folder / "out.ept");
    EXPECT_EQ(1, noInput.Wait(10000));
    EXPECT_FALSE(FileExists(folder / "out.txt"));
    EXPECT_FALSE(FileExists(folder / "out.ept"));
}
