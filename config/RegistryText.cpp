#include "RegistryText.h"
#include "Cp932.h"
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

namespace {
bool IsSeparator(char c) {
    return c == '\\' || c == '/';
}

// One part of a path (up to its end), checked; false for "." and "..".
bool IsNamePart(const char *part, size_t length) {
    if ((length == 1 && part[0] == '.') || (length == 2 && part[0] == '.' && part[1] == '.'))
        return false;
    for (size_t i = 0; i < length; ++i) {
        unsigned char c = (unsigned char)part[i];
        if (IsCp932LeadByte(c) && i + 1 < length) {
            ++i;
            continue;
        }
        if (c < 0x20 || strchr(":*?\"<>|", c))
            return false;
    }
    return true;
}
} // namespace

bool IsFolderPath(const char *text) {
    const char *p = text;
    int rootParts; // parts that only make up the root: a share's server and name
    if (((p[0] >= 'A' && p[0] <= 'Z') || (p[0] >= 'a' && p[0] <= 'z')) && p[1] == ':' &&
        IsSeparator(p[2])) {
        p += 3;
        rootParts = 0;
    } else if (IsSeparator(p[0]) && IsSeparator(p[1])) {
        p += 2;
        rootParts = 2;
    } else {
        return false;
    }
    int parts = 0;
    while (*p) {
        const char *start = p;
        while (*p && !IsSeparator(*p))
            p += Cp932CharSize(p);
        size_t length = (size_t)(p - start);
        if (length > 0) {
            if (!IsNamePart(start, length))
                return false;
            ++parts;
        } else if (parts < rootParts) {
            return false; // "\\\share" or "\\server\\": no server or share
        }
        if (*p)
            ++p;
    }
    return parts > rootParts;
}
