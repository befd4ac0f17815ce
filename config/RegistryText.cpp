#include "RegistryText.h"
#include <cstring>

int TakeRegistryText(const uint8_t *data, size_t size, size_t offeredSize, char *buffer) {
    if (offeredSize > RegistryTextLimit)
        offeredSize = RegistryTextLimit;
    // More than was offered is no value read; an empty one names no folder.
    if (size == 0 || size > offeredSize || data[0] == '\0')
        return 0;
    // A value that fills the whole buffer without a terminator would be cut:
    // it is not taken.
    if (size == offeredSize && data[size - 1] != '\0')
        return 0;
    memcpy(buffer, data, size);
    if (size < offeredSize)
        buffer[size] = '\0';
    return 1;
}
