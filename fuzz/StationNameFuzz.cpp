// Feeds arbitrary bytes to the station-name reader as the decoded content of
// a ".ep1" day file: the name must stay within its 26-byte buffer, be the
// content's bytes, end between whole characters, and read back the same.
#include "FileKind.h"
#include "FuzzCheck.h"
#include "WeekRules.h"
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr uint8_t Guard = 0xA5;

// Whether length bytes of text end between whole characters, and how long
// the character after them is.
bool EndsOnCharacter(const uint8_t *text, size_t length, size_t *nextStep) {
    size_t at = 0;
    while (at < length)
        at += IsCp932LeadByte(text[at]) ? 2 : 1;
    *nextStep = IsCp932LeadByte(text[at]) ? 2 : 1;
    return at == length;
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
    if (size < 12) {
        Check(kept == 0, "content without the name's length has no name");
        return 0;
    }

    const uint8_t *text = data + 12;
    size_t available = std::min<size_t>(data[11], size - 12);
    Check(kept <= available && std::memcmp(buffer, text, kept) == 0,
          "the name is the bytes after its length");
    // The content is copied so that the look at the next character stays in bounds.
    std::vector<uint8_t> padded(text, text + available);
    padded.resize(available + 2, 0);
    size_t nextStep = 0;
    Check(EndsOnCharacter(padded.data(), kept, &nextStep), "the name ends between characters");
    Check(kept == available || kept + nextStep > StationNameSize - 1 || kept + nextStep > available,
          "the name is cut only where the next character does not fit");

    // The name as the content of a file of its own.
    std::vector<uint8_t> again(12, 0);
    again[11] = (uint8_t)kept;
    again.insert(again.end(), buffer, buffer + kept);
    char reread[StationNameSize];
    Check(StationNameFromContent(again.data(), again.size(), reread) == kept &&
              std::memcmp(reread, buffer, kept + 1) == 0,
          "a name read back from its own content is the same");
    return 0;
}
