// Kinds of received file and the look-up of a file's kind by its extension.
#pragma once
#include "Cp932.h"
#include <cstdint>

// One row of the kinds table; 20 bytes, integers little-endian.
struct FileKind {
    char receivedExt[4];    // extension of the received file, lower case, NUL-terminated
    char decodedExt[4];     // name paired with the kind; the decoding does not use it
    int32_t scrambled;      // 1: descramble and inflate the body; 0: copy it unchanged
    int32_t kindHeaderSize; // the part of the header length that differs by kind
    int32_t baseHeaderSize; // the part of the header length common to all kinds
};
static_assert(sizeof(FileKind) == 20, "a kinds row is 20 bytes");

constexpr int32_t fileKindCount = 7;
// Kind number k (1 to 7) is fileKinds[k - 1].
extern const FileKind fileKinds[fileKindCount];

// The row of a kind number, or nullptr when the number names no kind.
const FileKind *GetFileKind(int32_t kind);

// Bytes skipped at the start of a received file of this kind.
inline int32_t HeaderLength(const FileKind &kind) {
    return kind.kindHeaderSize + kind.baseHeaderSize;
}

// Lower-cases the path text in place (ASCII letters only) and returns the kind
// number (1 to 7) named by its extension, or 0 when it names none.
int32_t LookupFileKind(char *path);
