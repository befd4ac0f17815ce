// A cursor over bytes that come from outside the program: a decoded file, a
// registry value, a record that another process filled. A read past the end
// gives zero (or no bytes) and marks the source failed; the mark stays and
// every later read gives zero too, so a parser reads on and tests Failed once
// at the end instead of after every step. Plain C++, for the program and for
// the fuzz targets alike.
#pragma once
#include <cstddef>
#include <cstdint>

struct ByteSpan {
    const uint8_t *data; // never null, also when size is 0
    size_t size;
};

struct ByteSource {
    const uint8_t *data;
    size_t size;
    size_t position;
    bool failed;
};

inline ByteSource MakeByteSource(const void *data, size_t size) {
    static const uint8_t none = 0;
    if (!data)
        return {&none, 0, 0, false};
    return {static_cast<const uint8_t *>(data), size, 0, false};
}

inline ByteSource MakeByteSource(ByteSpan span) {
    return MakeByteSource(span.data, span.size);
}

inline size_t Remaining(const ByteSource &source) {
    return source.failed ? 0 : source.size - source.position;
}

inline bool Failed(const ByteSource &source) {
    return source.failed;
}

// The next count bytes; fewer left: none, and the source fails.
inline ByteSpan GetBytes(ByteSource &source, size_t count) {
    if (count > Remaining(source)) {
        source.failed = true;
        return {source.data, 0};
    }
    ByteSpan span = {source.data + source.position, count};
    source.position += count;
    return span;
}

// At most count bytes: as many as are left. Never fails the source.
inline ByteSpan GetUpTo(ByteSource &source, size_t count) {
    size_t left = Remaining(source);
    return GetBytes(source, count < left ? count : left);
}

inline void Skip(ByteSource &source, size_t count) {
    GetBytes(source, count);
}

inline uint8_t GetByte(ByteSource &source) {
    ByteSpan byte = GetBytes(source, 1);
    return byte.size ? byte.data[0] : 0;
}

// An unsigned 32-bit word, least significant byte first, as the records store it.
inline uint32_t GetUint32Le(ByteSource &source) {
    ByteSpan word = GetBytes(source, 4);
    if (!word.size)
        return 0;
    return (uint32_t)word.data[0] | (uint32_t)word.data[1] << 8 | (uint32_t)word.data[2] << 16 |
           (uint32_t)word.data[3] << 24;
}
