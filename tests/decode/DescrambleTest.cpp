#include <gtest/gtest.h>

#include "Descramble.h"
#include "SampleContent.h"

namespace {
uint8_t *BytesOf(std::string &data) {
    return reinterpret_cast<uint8_t *>(&data[0]);
}
} // namespace

TEST(DescrambleBlock, MatchesKnownRegisterSequence) {
    // Register 396 (high byte 0x01), then 396 + 47251 = 0xBA1F, then 0x72B2.
    uint8_t block[3] = {0x00, 0x00, 0x00};
    EXPECT_EQ(3u, DescrambleBlock(block, 3));
    EXPECT_EQ(0x01, block[0]);
    EXPECT_EQ(0xBA, block[1]);
    EXPECT_EQ(0x72, block[2]);
    // The register advances by the byte as read, not as written.
    // 0xBA1F + 0xE0 = 0xBAFF, where the written 0xE1 would give 0xBB00.
    uint8_t other[2] = {0xE0, 0x00};
    DescrambleBlock(other, 2);
    EXPECT_EQ(0xE1, other[0]);
    EXPECT_EQ(0xBA, other[1]);
    EXPECT_EQ(0u, DescrambleBlock(other, 0));
}

TEST(DescrambleBody, UndoesScramblingWithTheRegisterRestartedEvery256Bytes) {
    for (size_t size : {1u, 255u, 256u, 257u, 511u, 512u, 513u, 4000u}) {
        std::string plain = RandomBytes(size, static_cast<uint32_t>(size));
        std::string data = Scrambled(plain);
        DescrambleBody(BytesOf(data), data.size());
        EXPECT_EQ(plain, data) << size;
    }
    // Within one call the register runs on past 256 bytes; by blocks it restarts.
    std::string plain = RandomBytes(300, 7);
    std::string data = plain;
    ScrambleBlock(BytesOf(data), data.size());
    std::string body = data;
    EXPECT_EQ(300u, DescrambleBlock(BytesOf(data), 300));
    EXPECT_EQ(plain, data);
    DescrambleBody(BytesOf(body), body.size());
    EXPECT_EQ(plain.substr(0, 256), body.substr(0, 256));
    EXPECT_NE(plain.substr(256), body.substr(256));
}
