// Feeds arbitrary bytes to the registry readers' text check: the first two
// bytes are the size offered (little-endian, also beyond the buffers), the
// rest what the query delivered. The verdict and the text are those of a
// model of a reader's buffer; a value refused leaves the buffer alone, and
// nothing is written past what was offered.
#include "FuzzCheck.h"
#include "RegistryText.h"
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr uint8_t Guard = 0x5A;

bool Untouched(const char *buffer, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
        if ((uint8_t)buffer[i] != Guard)
            return false;
    return true;
}

// The text a reader's buffer of room bytes holds after the query, when it
// holds one it can use as it is. A value larger than the buffer is not
// delivered; one that fills it must bring its own terminator as its last
// byte; one that leaves room is terminated after it. Its text ends at its
// first terminator and names no folder when it is empty.
bool ReaderText(const uint8_t *value, size_t size, size_t room, std::string *text) {
    if (size > room)
        return false;
    std::string buffer(reinterpret_cast<const char *>(value), size);
    if (size == room && (buffer.empty() || buffer.back() != '\0'))
        return false;
    *text = buffer.substr(0, buffer.find('\0'));
    return !text->empty();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    size_t offered = data[0] | (size_t)data[1] << 8;
    const uint8_t *value = data + 2;
    size_t valueSize = size - 2;
    size_t room = std::min(offered, RegistryTextLimit);

    char buffer[RegistryTextLimit + 16];
    std::memset(buffer, Guard, sizeof buffer);
    int taken = TakeRegistryText(value, valueSize, offered, buffer);
    Check(Untouched(buffer, room, sizeof buffer), "nothing is written past what was offered");
    std::string expected;
    bool usable = ReaderText(value, valueSize, room, &expected);
    Check(taken == (usable ? 1 : 0), "a value is taken (1) exactly when a reader can use its text");
    if (!usable) {
        Check(Untouched(buffer, 0, sizeof buffer), "a value not taken leaves the buffer alone");
        return 0;
    }
    Check(std::memchr(buffer, '\0', room) != nullptr, "the text is terminated within its buffer");
    Check(buffer == expected, "the text is the value up to its terminator");
    return 0;
}
