#include "ReceivedEncoder.h"
#include <zlib.h>
#include <cctype>
#include <cstring>

namespace {
const char *const kindExtensions[] = {"ept", "ep1", "ep2", "kct", "ptt", "tct", "mtt"};

// The register's start value and step, shared with every reader of these files.
constexpr uint16_t RegisterStart = 396;
constexpr uint16_t RegisterStep = 47251;

// The reader inflates into a buffer of ten times the body, so a body must
// never be smaller than a tenth of its content.
constexpr size_t MaxExpansion = 10;

void PutLittleEndian32(std::string &header, size_t offset, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        header[offset + i] = (char)((value >> (8 * i)) & 0xFF);
}

// The header names the kind and the sizes; readers skip it unread.
std::string MakeHeader(ReceivedKind kind, size_t contentSize, size_t bodySize) {
    std::string header(ReceivedHeaderSize(kind), '\0');
    memcpy(&header[0], kindExtensions[kind - 1], 3);
    header[4] = (char)kind;
    PutLittleEndian32(header, 8, (uint32_t)contentSize);
    PutLittleEndian32(header, 12, (uint32_t)bodySize);
    return header;
}
} // namespace

ReceivedKind KindFromExtension(const std::string &extension) {
    if (extension.size() != 3)
        return KindNone;
    std::string lower;
    for (char c : extension)
        lower += (char)tolower((unsigned char)c);
    for (int i = 0; i < 7; ++i)
        if (lower == kindExtensions[i])
            return (ReceivedKind)(i + 1);
    return KindNone;
}

ReceivedKind KindOfFileName(const std::string &fileName) {
    size_t dot = fileName.find_last_of('.');
    size_t slash = fileName.find_last_of("\\/");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return KindNone;
    return KindFromExtension(fileName.substr(dot + 1));
}

size_t ReceivedHeaderSize(ReceivedKind kind) {
    if (kind >= KindEpt && kind <= KindEp2)
        return 58;
    if (kind >= KindKct && kind <= KindMtt)
        return 32;
    return 0;
}

bool IsScrambledKind(ReceivedKind kind) {
    return kind >= KindEpt && kind <= KindPtt;
}

void ScrambleBlock(uint8_t *data, size_t length) {
    uint16_t reg = RegisterStart;
    for (size_t i = 0; i < length; ++i) {
        uint8_t scrambled = (uint8_t)(data[i] ^ (reg >> 8));
        data[i] = scrambled;
        reg = (uint16_t)(reg + scrambled + RegisterStep);
    }
}

void ScrambleBody(uint8_t *data, size_t length) {
    for (size_t at = 0; at < length; at += ScrambleBlockSize)
        ScrambleBlock(data + at, length - at < ScrambleBlockSize ? length - at : ScrambleBlockSize);
}

bool CompressContent(const std::string &content, int level, std::string &stream) {
    uLongf size = compressBound((uLong)content.size());
    stream.assign(size, '\0');
    if (compress2((Bytef *)&stream[0], &size, (const Bytef *)content.data(), (uLong)content.size(),
                  level) != Z_OK)
        return false;
    stream.resize(size);
    return true;
}

bool EncodeReceivedFile(ReceivedKind kind, const std::string &content, std::string &file) {
    if (ReceivedHeaderSize(kind) == 0)
        return false;
    std::string body;
    if (!IsScrambledKind(kind)) {
        body = content;
    } else {
        if (!CompressContent(content, Z_BEST_COMPRESSION, body))
            return false;
        // Content that shrinks too far is stored uncompressed within the
        // zlib stream instead, which the reader's buffer always holds.
        if (body.size() * MaxExpansion < content.size() && !CompressContent(content, 0, body))
            return false;
        ScrambleBody((uint8_t *)&body[0], body.size());
    }
    file = MakeHeader(kind, content.size(), body.size()) + body;
    return true;
}

std::string NamingDayContent(const std::string &stationName, const std::string &programmes,
                             const std::string &lead) {
    std::string name = stationName.substr(0, 255); // its length must fit in one byte
    return lead + (char)(unsigned char)name.size() + name + programmes;
}
