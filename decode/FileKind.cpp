#include "FileKind.h"

#include <cstring>

const FileKind fileKinds[fileKindCount] = {
    {"ept", "scd", 1, 34, 24}, // day-set companion
    {"ep1", "cmm", 1, 34, 24}, // day file that leads its day set
    {"ep2", "msg", 1, 34, 24}, // day-set companion
    {"kct", "kca", 1, 8, 24},  {"ptt", "psn", 1, 8, 24},
    {"tct", "tch", 0, 8, 24}, // broadcast schedule, plain after its header
    {"mtt", "mtn", 0, 8, 24},
};

const FileKind *GetFileKind(int32_t kind) {
    if (kind < 1 || kind > fileKindCount)
        return nullptr;
    return &fileKinds[kind - 1];
}

int32_t LookupFileKind(char *path) {
    // Walk the text one character at a time: the second byte of a double-byte
    // character may be 0x5C ("\"), as in 表 or ソ, and must not split a folder
    // name there. Double-byte characters are left as they are.
    char *lastDot = nullptr;
    char *lastSeparator = nullptr;
    char *p = path;
    while (*p) {
        if (Cp932CharSize(p) == 2) {
            p += 2;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(*p);
        if (c >= 'A' && c <= 'Z')
            *p = static_cast<char>(c - 'A' + 'a');
        else if (c == '.')
            lastDot = p;
        else if (c == '\\' || c == '/')
            lastSeparator = p;
        ++p;
    }
    if (!lastDot || (lastSeparator && lastDot < lastSeparator))
        return 0;

    const char *ext = lastDot + 1;
    if (std::strlen(ext) != 3)
        return 0;
    for (int32_t i = 0; i < fileKindCount; ++i) {
        if (std::memcmp(ext, fileKinds[i].receivedExt, 4) == 0)
            return i + 1;
    }
    return 0;
}
