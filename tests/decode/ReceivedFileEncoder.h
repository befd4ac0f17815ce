// An encoder of received files, written apart from the decoder so that the
// decoder's tests, fuzz target and benchmark never take their inputs from the
// code they check: compress with zlib, scramble in 256-byte blocks, prepend a
// header.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>

namespace encoder {

using Bytes = std::vector<uint8_t>;

// Scrambles one block: each plain byte is XORed with the high byte of a
// 16-bit register, which then advances by the scrambled byte and 47251.
inline void ScrambleBlock(uint8_t *block, size_t length) {
    uint16_t reg = 396;
    for (size_t i = 0; i < length; ++i) {
        uint8_t out = static_cast<uint8_t>(block[i] ^ (reg >> 8));
        block[i] = out;
        reg = static_cast<uint16_t>(reg + out + 47251);
    }
}

inline Bytes Scramble(Bytes data) {
    for (size_t at = 0; at < data.size(); at += 256)
        ScrambleBlock(data.data() + at, data.size() - at < 256 ? data.size() - at : 256);
    return data;
}

// A zlib-format stream; level 0 stores the data (stream = data + 11 bytes
// for up to 64 KiB).
inline Bytes Compress(const Bytes &plain, int level = Z_DEFAULT_COMPRESSION) {
    uLongf size = compressBound(static_cast<uLong>(plain.size()));
    Bytes out(size);
    if (compress2(out.data(), &size, plain.data(), static_cast<uLong>(plain.size()), level) != Z_OK)
        return {};
    out.resize(size);
    return out;
}

inline Bytes EncodeBody(const Bytes &plain, int level = Z_DEFAULT_COMPRESSION) {
    return Scramble(Compress(plain, level));
}

// A received file: a header of headerLength arbitrary bytes, then the body.
inline Bytes WithHeader(size_t headerLength, const Bytes &body) {
    Bytes file(headerLength);
    for (size_t i = 0; i < headerLength; ++i)
        file[i] = static_cast<uint8_t>(0xA5 ^ (i * 7));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

inline Bytes RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    Bytes out(size);
    for (auto &b : out)
        b = static_cast<uint8_t>(rng());
    return out;
}

// Guide-like text: times, channels, titles and descriptions in code page 932
// (descriptions drawn from the first-level kanji), which compresses about as
// well as real guide data does.
inline Bytes GuideText(size_t size, uint32_t seed) {
    static const char *const titles[] = {
        "\x83\x6A\x83\x85\x81\x5B\x83\x58", // ニュース
        "\x93\x56\x8B\x43\x97\x5C\x95\xF1", // 天気予報
        "\x83\x68\x83\x89\x83\x7D",         // ドラマ
        "\x89\x66\x89\xE6",                 // 映画
        "\x83\x58\x83\x7C\x81\x5B\x83\x63", // スポーツ
    };
    std::mt19937 rng(seed);
    std::string text;
    while (text.size() < size) {
        char line[64];
        std::snprintf(line, sizeof line, "%02u:%02u,CH%02u,%s,", static_cast<unsigned>(rng() % 24),
                      static_cast<unsigned>(rng() % 12 * 5), static_cast<unsigned>(rng() % 12 + 1),
                      titles[rng() % 5]);
        text += line;
        for (unsigned n = 8 + rng() % 24; n > 0; --n) {
            unsigned k = rng() % 300; // a vocabulary of 300 kanji
            text += static_cast<char>(0x88 + (k + 0x9F - 0x40) / 0xBC);
            unsigned trail = 0x40 + (k + 0x9F - 0x40) % 0xBC;
            text += static_cast<char>(trail >= 0x7F ? trail + 1 : trail);
        }
        text += "\r\n";
    }
    text.resize(size);
    return Bytes(text.begin(), text.end());
}

} // namespace encoder
