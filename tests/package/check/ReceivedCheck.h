// Reads received files back the way the EPG program does, written here on
// its own so that a fault in the encoder cannot hide itself: the header is
// skipped, the body descrambled in blocks of 256 bytes with the register
// restarted for each, then inflated into a buffer of ten times the body.
#pragma once
#include <zlib.h>
#include <cstdint>
#include <string>

// Header lengths: 58 for ept, ep1, ep2; 32 for kct, ptt, tct, mtt.
constexpr size_t DayFileHeader = 58;
constexpr size_t OtherFileHeader = 32;

inline void DescrambleForCheck(std::string &body) {
    for (size_t block = 0; block < body.size(); block += 256) {
        uint32_t reg = 396;
        for (size_t i = block; i < body.size() && i < block + 256; ++i) {
            uint8_t scrambled = (uint8_t)body[i];
            body[i] = (char)(scrambled ^ (reg >> 8));
            reg = (reg + scrambled + 47251) & 0xFFFF;
        }
    }
}

// False when the file is shorter than its header or does not inflate.
inline bool DecodeForCheck(const std::string &file, size_t headerSize, bool scrambled,
                           std::string &content) {
    if (file.size() < headerSize)
        return false;
    std::string body = file.substr(headerSize);
    if (!scrambled) {
        content = body;
        return true;
    }
    DescrambleForCheck(body);
    uLongf size = (uLongf)(10 * body.size());
    std::string inflated(size + 1, '\0');
    if (uncompress((Bytef *)&inflated[0], &size, (const Bytef *)body.data(), (uLong)body.size()) !=
        Z_OK)
        return false;
    inflated.resize(size);
    content = inflated;
    return true;
}
