#include <gtest/gtest.h>

#include "DecodeBody.h"
#include "SampleContent.h"
#include <vector>

namespace {

struct Result {
    DecodeStatus status;
    std::string content;
};

Result Decode(int32_t kindNumber, std::string body) {
    const FileKind &kind = *GetFileKind(kindNumber);
    std::vector<uint8_t> output(DecodeBufferSize(kind, body.size()));
    DecodedContent content{nullptr, 0};
    DecodeStatus status = DecodeBody(kind, reinterpret_cast<uint8_t *>(&body[0]), body.size(),
                                     output.data(), output.size(), &content);
    const char *bytes = reinterpret_cast<const char *>(content.data);
    return {status, content.size ? std::string(bytes, content.size) : std::string()};
}

} // namespace

TEST(DecodeBody, InflatesEveryScrambledKind) {
    for (int32_t kind = 1; kind <= 5; ++kind) {
        for (size_t size : {1u, 100u, 5000u, 70000u}) {
            std::string plain = GuideText(size, kind * 1000 + static_cast<uint32_t>(size));
            Result r = Decode(kind, EncodedBody(plain));
            EXPECT_EQ(DecodeStatus::Ok, r.status) << kind << " " << size;
            EXPECT_EQ(plain, r.content) << kind << " " << size;
        }
        // Incompressible content: the body is longer than the content.
        std::string noise = RandomBytes(3000, kind);
        EXPECT_EQ(noise, Decode(kind, EncodedBody(noise)).content);
    }
}

TEST(DecodeBody, BodiesOfOneBlockAndJustOverOne) {
    // A stored stream is its content plus 11 bytes: 256 and 257-byte bodies.
    for (size_t plainSize : {245u, 246u}) {
        std::string plain = RandomBytes(plainSize, 99);
        std::string body = EncodedBody(plain, 0);
        ASSERT_EQ(plainSize + 11, body.size());
        Result r = Decode(2, body);
        EXPECT_EQ(DecodeStatus::Ok, r.status) << plainSize;
        EXPECT_EQ(plain, r.content) << plainSize;
    }
}

TEST(DecodeBody, CopiedKindsReturnTheBodyUnchanged) {
    std::string body = RandomBytes(68, 5);
    for (int32_t kind : {6, 7}) {
        Result r = Decode(kind, body);
        EXPECT_EQ(DecodeStatus::Ok, r.status);
        EXPECT_EQ(body, r.content);
    }
}

TEST(DecodeBody, EmptyBodyIsEmptyContentForEveryKind) {
    for (int32_t kind = 1; kind <= 7; ++kind) {
        Result r = Decode(kind, std::string());
        EXPECT_EQ(DecodeStatus::Ok, r.status) << kind;
        EXPECT_TRUE(r.content.empty()) << kind;
    }
}

TEST(DecodeBody, RejectsCorruptStreams) {
    std::string plain = GuideText(4000, 1);
    std::string stream = Compressed(plain);
    ASSERT_GT(stream.size(), 100u);
    std::string truncated = stream.substr(0, stream.size() - 5);
    std::string badChecksum = stream;
    badChecksum[stream.size() - 1] ^= 0x01;
    std::string badHeader = stream;
    badHeader[0] = 0x00;
    for (const std::string &bad : {truncated, badChecksum, badHeader, RandomBytes(500, 3)}) {
        Result r = Decode(1, Scrambled(bad));
        EXPECT_EQ(DecodeStatus::Corrupt, r.status);
        EXPECT_TRUE(r.content.empty());
    }
    // An unscrambled stream is not a valid body.
    EXPECT_EQ(DecodeStatus::Corrupt, Decode(1, stream).status);
}

TEST(DecodeBody, ContentMayReachButNotExceedTenTimesTheBody) {
    // Random bytes followed by zeros: find the zero run at which the content
    // is exactly ten times its compressed body.
    std::string head = RandomBytes(100, 11);
    std::string exact;
    for (size_t zeros = 0; zeros < 5000 && exact.empty(); ++zeros) {
        std::string plain = head;
        plain.resize(head.size() + zeros, '\0');
        if (plain.size() == 10 * Compressed(plain).size())
            exact = plain;
    }
    ASSERT_FALSE(exact.empty());
    Result r = Decode(4, EncodedBody(exact));
    EXPECT_EQ(DecodeStatus::Ok, r.status);
    EXPECT_EQ(exact, r.content);

    std::string zeros(100000, '\0');
    r = Decode(5, EncodedBody(zeros));
    EXPECT_EQ(DecodeStatus::ContentTooLarge, r.status);
    EXPECT_TRUE(r.content.empty());
}

TEST(GetBodySize, ChecksTheFileAgainstItsHeaderAndTheSizeLimit) {
    size_t body = 99;
    const FileKind &ep1 = *GetFileKind(2);
    const FileKind &tct = *GetFileKind(6);
    EXPECT_EQ(DecodeStatus::ShortInput, GetBodySize(ep1, 57, &body));
    EXPECT_EQ(0u, body);
    EXPECT_EQ(DecodeStatus::ShortInput, GetBodySize(tct, 0, &body));
    EXPECT_EQ(DecodeStatus::Ok, GetBodySize(ep1, 58, &body));
    EXPECT_EQ(0u, body);
    EXPECT_EQ(DecodeStatus::Ok, GetBodySize(tct, 100, &body));
    EXPECT_EQ(68u, body);
    EXPECT_EQ(DecodeStatus::Ok, GetBodySize(tct, 32 + maxBodySize, &body));
    EXPECT_EQ(DecodeStatus::BodyTooLarge, GetBodySize(tct, 33 + maxBodySize, &body));
    EXPECT_EQ(DecodeStatus::BodyTooLarge, GetBodySize(ep1, ~0ull, &body));
    EXPECT_EQ(10u * 68, DecodeBufferSize(ep1, 68));
    EXPECT_EQ(0u, DecodeBufferSize(tct, 68));
}
