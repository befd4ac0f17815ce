// Decoding a received file's body held in memory: no files, no window system.
#pragma once
#include <cstddef>
#include <cstdint>

#include "FileKind.h"

enum class DecodeStatus {
    Ok,
    UnknownKind,     // the extension names no kind
    ShortInput,      // the file is shorter than its kind's header
    BodyTooLarge,    // the body is too large for the inflate buffer to be addressed
    Corrupt,         // the compressed stream is damaged or incomplete
    ContentTooLarge, // the inflated content is larger than ten times the body
    NoMemory,
};

// One line of text for a status, for messages.
const char *DecodeStatusText(DecodeStatus status);

// Largest body any kind accepts: ten times it must fit in 32 bits.
constexpr uint64_t maxBodySize = 0xFFFFFFFFu / 10;

// The body size of a received file of fileLength bytes: ShortInput when the
// file is shorter than the header, BodyTooLarge beyond maxBodySize.
DecodeStatus GetBodySize(const FileKind &kind, uint64_t fileLength, size_t *bodySize);

// Bytes of output buffer that DecodeBody needs: ten times the body for the
// scrambled kinds, none for the kinds that are copied.
size_t DecodeBufferSize(const FileKind &kind, size_t bodySize);

// The decoded content: where it lies and how long it is.
struct DecodedContent {
    const uint8_t *data;
    size_t size;
};

// Decodes a body of bodySize bytes (at most maxBodySize). Scrambled kinds:
// the body is descrambled in place and inflated into output, which holds
// outputCapacity bytes (DecodeBufferSize); copied kinds: the content is the
// body itself. An empty body is empty content for every kind. On any status
// but Ok, content is left empty.
DecodeStatus DecodeBody(const FileKind &kind, uint8_t *body, size_t bodySize, uint8_t *output,
                        size_t outputCapacity, DecodedContent *content);
