// A cursor that writes a record of fixed size in place, the writing side of
// ByteSource: the program's answer to another program's request, and the
// records its tests and fuzz targets make. A write past the end writes
// nothing and marks the sink failed; the mark stays, so a writer puts every
// field and tests Failed once. Skipped bytes keep what they held.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstring>

struct ByteSink {
    uint8_t *data;
    size_t size;
    size_t position;
    bool failed;
};

inline ByteSink MakeByteSink(void *data, size_t size) {
    return {static_cast<uint8_t *>(data), data ? size : 0, 0, false};
}

inline bool Failed(const ByteSink &sink) {
    return sink.failed;
}

// Room for count more bytes; without it the sink fails.
inline bool Reserve(ByteSink &sink, size_t count) {
    if (sink.failed || count > sink.size - sink.position)
        sink.failed = true;
    return !sink.failed;
}

inline void PutBytes(ByteSink &sink, const void *bytes, size_t count) {
    if (!Reserve(sink, count))
        return;
    if (count)
        memcpy(sink.data + sink.position, bytes, count);
    sink.position += count;
}

inline void PutZeros(ByteSink &sink, size_t count) {
    if (!Reserve(sink, count))
        return;
    memset(sink.data + sink.position, 0, count);
    sink.position += count;
}

// Passes over count bytes, leaving them as they are.
inline void Skip(ByteSink &sink, size_t count) {
    if (Reserve(sink, count))
        sink.position += count;
}

inline void PutByte(ByteSink &sink, uint8_t value) {
    PutBytes(sink, &value, 1);
}

// An unsigned 32-bit word, least significant byte first, as the records store it.
inline void PutUint32Le(ByteSink &sink, uint32_t value) {
    uint8_t word[4] = {(uint8_t)value, (uint8_t)(value >> 8), (uint8_t)(value >> 16),
                       (uint8_t)(value >> 24)};
    PutBytes(sink, word, sizeof word);
}
