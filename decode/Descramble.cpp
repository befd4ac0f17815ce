#include "Descramble.h"

namespace {

constexpr uint32_t registerStart = 396;
constexpr uint32_t registerStep = 47251;

} // namespace

uint32_t DescrambleBlock(uint8_t* block, uint32_t length) {
    // The register is 16 bits wide; keeping it in 32 bits is harmless because
    // only bits 8 to 15 are ever used, and carries never run downwards.
    uint32_t r = registerStart;
    for (uint32_t i = 0; i < length; ++i) {
        uint8_t scrambled = block[i];
        block[i] = static_cast<uint8_t>(scrambled ^ (r >> 8));
        r += scrambled + registerStep;
    }
    return length;
}

void DescrambleBody(uint8_t* body, size_t size) {
    while (size > descrambleBlockSize) {
        DescrambleBlock(body, descrambleBlockSize);
        body += descrambleBlockSize;
        size -= descrambleBlockSize;
    }
    DescrambleBlock(body, static_cast<uint32_t>(size));
}
