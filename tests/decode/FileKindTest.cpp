#include <cctype>
#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "DecodeBody.h"
#include "FileKind.h"
#include "ReceivedEncoder.h"

namespace {

int32_t Lookup(std::string path, std::string *after = nullptr) {
    int32_t kind = LookupFileKind(&path[0]);
    if (after)
        *after = path;
    return kind;
}

} // namespace

// Each kind as the package's encoder makes its files, with its own list of
// kinds: the row of the same number has the encoder's extension, a path with
// it names that kind, and a file that the encoder makes loses exactly the
// encoder's header and decodes back to its content (scrambled or plain).
TEST(FileKindTable, EveryKindTheEncoderMakesIsFoundByItsExtensionAndDecodes) {
    const std::string content =
        "07:00,CH01,\x83\x6A\x83\x85\x81\x5B\x83\x58," + std::string(600, 'x');
    for (int32_t k = 1; k <= fileKindCount; ++k) {
        const FileKind *kind = GetFileKind(k);
        ASSERT_NE(nullptr, kind) << k;
        EXPECT_EQ(k, KindFromExtension(kind->receivedExt)) << k;
        std::string upper = kind->receivedExt;
        for (char &c : upper)
            c = (char)std::toupper((unsigned char)c);
        EXPECT_EQ(k, Lookup("C:\\ADAMS\\FILE." + upper)) << k;

        std::string file;
        ASSERT_TRUE(EncodeReceivedFile((ReceivedKind)k, content, file)) << k;
        size_t bodySize = 0;
        ASSERT_EQ(DecodeStatus::Ok, GetBodySize(*kind, file.size(), &bodySize)) << k;
        EXPECT_EQ(ReceivedHeaderSize((ReceivedKind)k), file.size() - bodySize) << k;
        std::vector<uint8_t> body(file.end() - (std::ptrdiff_t)bodySize, file.end());
        std::vector<uint8_t> output(DecodeBufferSize(*kind, bodySize));
        DecodedContent decoded = {};
        ASSERT_EQ(DecodeStatus::Ok, DecodeBody(*kind, body.data(), body.size(), output.data(),
                                               output.size(), &decoded))
            << k;
        EXPECT_EQ(content, std::string(decoded.data, decoded.data + decoded.size)) << k;
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
