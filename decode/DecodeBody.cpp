#include "DecodeBody.h"

#include <zlib.h>

#include "Descramble.h"

const char *DecodeStatusText(DecodeStatus status) {
    switch (status) {
    case DecodeStatus::Ok:
        return "decoded";
    case DecodeStatus::UnknownKind:
        return "the extension names no kind of received file";
    case DecodeStatus::ShortInput:
        return "the file is shorter than its header";
    case DecodeStatus::BodyTooLarge:
        return "the body is too large to decode";
    case DecodeStatus::Corrupt:
        return "the compressed body is corrupt or incomplete";
    case DecodeStatus::ContentTooLarge:
        return "the decoded content would exceed ten times the body size";
    case DecodeStatus::NoMemory:
        return "not enough memory to decode";
    }
    return "unknown decoding failure";
}

DecodeStatus GetBodySize(const FileKind &kind, uint64_t fileLength, size_t *bodySize) {
    *bodySize = 0;
    uint64_t header = static_cast<uint64_t>(HeaderLength(kind));
    if (fileLength < header)
        return DecodeStatus::ShortInput;
    if (fileLength - header > maxBodySize)
        return DecodeStatus::BodyTooLarge;
    *bodySize = static_cast<size_t>(fileLength - header);
    return DecodeStatus::Ok;
}

size_t DecodeBufferSize(const FileKind &kind, size_t bodySize) {
    return kind.scrambled ? bodySize * 10 : 0;
}

DecodeStatus DecodeBody(const FileKind &kind, uint8_t *body, size_t bodySize, uint8_t *output,
                        size_t outputCapacity, DecodedContent *content) {
    *content = DecodedContent{nullptr, 0};
    if (bodySize > maxBodySize)
        return DecodeStatus::BodyTooLarge;
    // An input as long as its header is empty content, for every kind; inflate would refuse it.
    if (bodySize == 0)
        return DecodeStatus::Ok;
    if (!kind.scrambled) {
        *content = DecodedContent{body, bodySize};
        return DecodeStatus::Ok;
    }
    if (outputCapacity > DecodeBufferSize(kind, bodySize))
        outputCapacity = DecodeBufferSize(kind, bodySize);

    DescrambleBody(body, bodySize);
    uLongf produced = static_cast<uLongf>(outputCapacity);
    int result = uncompress(output, &produced, body, static_cast<uLong>(bodySize));
    // Only a whole stream that fits is content; a corrupt or oversized one fails and gives none.
    switch (result) {
    case Z_OK:
        *content = DecodedContent{output, static_cast<size_t>(produced)};
        return DecodeStatus::Ok;
    case Z_BUF_ERROR:
        return DecodeStatus::ContentTooLarge;
    case Z_MEM_ERROR:
        return DecodeStatus::NoMemory;
    default:
        return DecodeStatus::Corrupt;
    }
}
