// What the decoder's tests (and its benchmark) feed it: random bytes,
// guide-like text, and received bodies and files made of them by the
// package's encoder (package/encoder), written apart from the decoder so
// that no input comes from the code it checks.
#pragma once
#include "ReceivedEncoder.h"
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>

inline std::string RandomBytes(size_t size, uint32_t seed) {
    std::mt19937 rng(seed);
    std::string out(size, '\0');
    for (char &b : out)
        b = static_cast<char>(rng());
    return out;
}

// Guide-like text: times, channels, titles and descriptions in code page 932
// (descriptions drawn from the first-level kanji), which compresses about as
// well as real guide data does.
inline std::string GuideText(size_t size, uint32_t seed) {
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
    return text;
}

// A zlib stream of the content at a zlib level (-1 zlib's default, 0 stored).
inline std::string Compressed(const std::string &content, int level = -1) {
    std::string stream;
    CompressContent(content, level, stream);
    return stream;
}

inline std::string Scrambled(std::string body) {
    ScrambleBody(reinterpret_cast<uint8_t *>(&body[0]), body.size());
    return body;
}

// A received body: the content compressed, then scrambled.
inline std::string EncodedBody(const std::string &content, int level = -1) {
    return Scrambled(Compressed(content, level));
}

// A received file: a header of headerLength arbitrary bytes, then the body.
inline std::string WithHeader(size_t headerLength, const std::string &body) {
    std::string file(headerLength, '\0');
    for (size_t i = 0; i < headerLength; ++i)
        file[i] = static_cast<char>(0xA5 ^ (i * 7));
    return file + body;
}
