// Code page 932 as the system's converter (iconv) defines it, for the fuzz
// targets' models, so that no model walks text with the program's own
// helpers: which bytes lead a double-byte character, and which characters a
// text reads as. The table is taken from the converter once.
#pragma once
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <iconv.h>

namespace cp932 {

// What every byte pair that names no character reads as when the system
// converts text: "・" (U+30FB), also a lead byte with no byte after it.
constexpr char16_t Unnamed = 0x30FB;

struct Table {
    bool lead[256];
    char16_t single[256];
    char16_t pair[256][256];
};

// What the converter makes of one or two bytes.
enum class Conversion { Character, Incomplete, NoCharacter };

inline Conversion Convert(iconv_t converter, const uint8_t *bytes, size_t count, char16_t *unit) {
    char in[2] = {(char)bytes[0], count > 1 ? (char)bytes[1] : '\0'};
    uint8_t out[8];
    char *inAt = in, *outAt = reinterpret_cast<char *>(out);
    size_t inLeft = count, outLeft = sizeof out;
    iconv(converter, nullptr, nullptr, nullptr, nullptr);
    if (iconv(converter, &inAt, &inLeft, &outAt, &outLeft) == (size_t)-1)
        return errno == EINVAL ? Conversion::Incomplete : Conversion::NoCharacter;
    if (inLeft != 0 || sizeof out - outLeft != 2)
        return Conversion::NoCharacter;
    *unit = (char16_t)(out[0] | out[1] << 8);
    return Conversion::Character;
}

inline Table BuildTable() {
    Table table = {};
    iconv_t converter = iconv_open("UTF-16LE", "CP932");
    if (converter == (iconv_t)-1)
        __builtin_trap(); // no model without the code page
    for (int b = 1; b < 256; ++b) {
        uint8_t bytes[2] = {(uint8_t)b, 0};
        char16_t unit = 0;
        switch (Convert(converter, bytes, 1, &unit)) {
        case Conversion::Character:
            table.single[b] = unit;
            break;
        case Conversion::NoCharacter:
            // A byte of no character (0x80, 0xA0, 0xFD to 0xFF): the system
            // gives each a private character of its own.
            table.single[b] = (char16_t)(0xF800 + b);
            break;
        case Conversion::Incomplete:
            table.lead[b] = true;
            for (int t = 1; t < 256; ++t) {
                bytes[1] = (uint8_t)t;
                bool named = Convert(converter, bytes, 2, &unit) == Conversion::Character;
                table.pair[b][t] = named ? unit : Unnamed;
            }
            break;
        }
    }
    iconv_close(converter);
    return table;
}

inline const Table &TheTable() {
    static const Table table = BuildTable();
    return table;
}

inline bool IsLead(uint8_t byte) {
    return TheTable().lead[byte];
}

// Reads a terminated text one character at a time. A lead byte takes the
// byte after it, whatever that is, as Windows walks such text.
struct CharacterReader {
    const uint8_t *at;

    explicit CharacterReader(const char *text) : at(reinterpret_cast<const uint8_t *>(text)) {}
    // The next character, or false at the end.
    bool Next(char16_t *character) {
        const Table &table = TheTable();
        if (*at == 0)
            return false;
        if (!table.lead[*at])
            *character = table.single[*at++];
        else if (at[1] == 0)
            *character = Unnamed, ++at;
        else
            *character = table.pair[at[0]][at[1]], at += 2;
        return true;
    }
};

// Whether two names are one to the program's comparison of station names
// (lstrcmpA), 0 when they are: equal when they read as the same characters,
// so that all bytes that name no character are one "・". The comparison's
// finer equalities (a half-width sound mark and the full-width one, under
// Wine) are not followed.
inline int CompareAsProgram(const char *a, const char *b) {
    CharacterReader first(a), second(b);
    char16_t one = 0, other = 0;
    while (true) {
        bool more = first.Next(&one);
        if (more != second.Next(&other))
            return 1;
        if (!more)
            return 0;
        if (one != other)
            return 1;
    }
}

} // namespace cp932
