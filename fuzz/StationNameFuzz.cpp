// Feeds arbitrary bytes to the station-name reader as the decoded content of
// a ".ep1" day file: the name must stay within its 26-byte buffer and be the
// model's name: the bytes after the length at offset 11, as many as there
// are, cut to whole characters of code page 932 within 25 bytes.
#include "Cp932Model.h"
#include "FuzzCheck.h"
#include "WeekRules.h"
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr uint8_t Guard = 0xA5;
constexpr size_t LengthOffset = 11, MostNameBytes = 25;

// The name's bytes: every whole character that ends within both the bytes
// there are and 25 bytes; a lead byte without the byte after it is no
// character.
std::string ModelName(const uint8_t *content, size_t size) {
    if (size <= LengthOffset)
        return "";
    const uint8_t *text = content + LengthOffset + 1;
    size_t end = std::min<size_t>({content[LengthOffset], size - LengthOffset - 1, MostNameBytes});
    size_t at = 0;
    while (at < end) {
        size_t next = at + (cp932::IsLead(text[at]) ? 2 : 1);
        if (next > end)
            break;
        at = next;
    }
    return std::string(reinterpret_cast<const char *>(text), at);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    char buffer[StationNameSize + 16];
    std::memset(buffer, Guard, sizeof buffer);
    size_t kept = StationNameFromContent(data, size, buffer);
    Check(kept < StationNameSize && buffer[kept] == '\0',
          "the name is terminated within its 26-byte buffer");
    for (size_t i = StationNameSize; i < sizeof buffer; ++i)
        Check((uint8_t)buffer[i] == Guard, "nothing is written past the buffer");
    std::string expected = ModelName(data, size);
    Check(kept == expected.size() && std::memcmp(buffer, expected.data(), kept) == 0,
          "the name is the whole characters after its length, 25 bytes at most");
    return 0;
}
