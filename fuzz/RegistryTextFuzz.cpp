// Feeds arbitrary bytes to the registry readers' text check: the first two
// bytes are the size offered (little-endian, also beyond the buffers), the
// rest what the query delivered. A value taken is terminated within what
// was offered and is the value's text; one refused leaves the buffer alone.
#include "FuzzCheck.h"
#include "RegistryText.h"
#include <algorithm>
#include <cstdint>
#include <cstring>

namespace {

constexpr uint8_t Guard = 0x5A;

bool Untouched(const char *buffer, size_t from, size_t to) {
    for (size_t i = from; i < to; ++i)
        if ((uint8_t)buffer[i] != Guard)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    if (size < 2)
        return 0;
    size_t offered = data[0] | (size_t)data[1] << 8;
    const uint8_t *value = data + 2;
    size_t valueSize = size - 2;
    size_t limit = std::min(offered, RegistryTextLimit);

    char buffer[RegistryTextLimit + 16];
    std::memset(buffer, Guard, sizeof buffer);
    int taken = TakeRegistryText(value, valueSize, offered, buffer);
    Check(Untouched(buffer, limit, sizeof buffer), "nothing is written past what was offered");
    if (!taken) {
        Check(Untouched(buffer, 0, sizeof buffer), "a value not taken leaves the buffer alone");
        Check(valueSize == 0 || valueSize > limit || value[0] == '\0' ||
                  (valueSize == limit && value[valueSize - 1] != '\0'),
              "only an empty value, or one that does not fit, is refused");
        return 0;
    }
    Check(taken == 1, "a value taken gives 1");
    Check(std::memchr(buffer, '\0', limit) != nullptr, "the text is terminated within its buffer");
    size_t length = std::strlen(buffer);
    Check(length > 0 && length == strnlen(reinterpret_cast<const char *>(value), valueSize) &&
              std::memcmp(buffer, value, length) == 0,
          "the text is the value up to its terminator");

    // The text as a value of its own, with its terminator.
    char again[RegistryTextLimit];
    Check(TakeRegistryText(reinterpret_cast<const uint8_t *>(buffer), length + 1, limit, again) ==
                  1 &&
              std::strcmp(again, buffer) == 0,
          "a text taken reads back the same");
    return 0;
}
