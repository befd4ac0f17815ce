#include "Descramble.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

constexpr uint32_t registerStart = 396;
constexpr uint32_t registerStep = 47251;

// Before byte i of a block the register holds 396 + i * 47251 plus the sum of
// the scrambled bytes before i (all modulo 65536). The first part is fixed:
// keys[i]. The second is a running sum, which the vector path computes as a
// prefix sum, sixteen bytes at a time, instead of one dependent add per byte.
struct KeyTable {
    uint16_t keys[descrambleBlockSize];
};

constexpr KeyTable MakeKeyTable() {
    KeyTable table{};
    uint32_t r = registerStart;
    for (size_t i = 0; i < descrambleBlockSize; ++i) {
        table.keys[i] = static_cast<uint16_t>(r);
        r += registerStep;
    }
    return table;
}

alignas(16) constexpr KeyTable keyTable = MakeKeyTable();

// How far the fixed part of the register moves over a whole block.
constexpr uint32_t blockStep = (descrambleBlockSize * registerStep) & 0xFFFF;

#if defined(__SSE2__)
// Descrambles 16 bytes at p, whose first byte is byte i of its run; sum is
// the running sum (in every 16-bit lane) and comes back advanced.
inline void DescrambleSixteen(uint8_t *p, size_t i, __m128i &sum) {
    const __m128i zero = _mm_setzero_si128();
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
    __m128i low = _mm_unpacklo_epi8(bytes, zero);
    __m128i high = _mm_unpackhi_epi8(bytes, zero);
    // Sums of bytes before each lane, within each half of eight.
    __m128i lowBefore = _mm_slli_si128(low, 2);
    __m128i highBefore = _mm_slli_si128(high, 2);
    lowBefore = _mm_add_epi16(lowBefore, _mm_slli_si128(lowBefore, 2));
    highBefore = _mm_add_epi16(highBefore, _mm_slli_si128(highBefore, 2));
    lowBefore = _mm_add_epi16(lowBefore, _mm_slli_si128(lowBefore, 4));
    highBefore = _mm_add_epi16(highBefore, _mm_slli_si128(highBefore, 4));
    lowBefore = _mm_add_epi16(lowBefore, _mm_slli_si128(lowBefore, 8));
    highBefore = _mm_add_epi16(highBefore, _mm_slli_si128(highBefore, 8));
    // The halves' totals, spread over all lanes.
    __m128i halves = _mm_sad_epu8(bytes, zero);
    __m128i lowTotal = _mm_shufflelo_epi16(halves, 0);
    lowTotal = _mm_unpacklo_epi64(lowTotal, lowTotal);
    __m128i total = _mm_add_epi16(halves, _mm_srli_si128(halves, 8));
    total = _mm_shufflelo_epi16(total, 0);
    total = _mm_unpacklo_epi64(total, total);

    const __m128i *keys = reinterpret_cast<const __m128i *>(keyTable.keys + i);
    __m128i lowReg = _mm_add_epi16(_mm_add_epi16(sum, lowBefore), _mm_load_si128(keys));
    __m128i highReg = _mm_add_epi16(_mm_add_epi16(sum, _mm_add_epi16(lowTotal, highBefore)),
                                    _mm_load_si128(keys + 1));
    __m128i mask = _mm_packus_epi16(_mm_srli_epi16(lowReg, 8), _mm_srli_epi16(highReg, 8));
    _mm_storeu_si128(reinterpret_cast<__m128i *>(p), _mm_xor_si128(bytes, mask));
    sum = _mm_add_epi16(sum, total);
}
#endif

// Descrambles a run of at most one block whose running sum starts at sum;
// returns the running sum after it.
uint32_t DescrambleRun(uint8_t *run, size_t length, uint32_t sum) {
    size_t i = 0;
#if defined(__SSE2__)
    __m128i sums = _mm_set1_epi16(static_cast<short>(sum));
    for (; i + 16 <= length; i += 16)
        DescrambleSixteen(run + i, i, sums);
    sum = static_cast<uint32_t>(_mm_cvtsi128_si32(sums));
#endif
    for (; i < length; ++i) {
        uint8_t scrambled = run[i];
        // Only bits 8 to 15 of the register are used, so its upper bits may
        // hold anything; carries never run downwards.
        run[i] = static_cast<uint8_t>(scrambled ^ ((keyTable.keys[i] + sum) >> 8));
        sum += scrambled;
    }
    return sum;
}

} // namespace

uint32_t DescrambleBlock(uint8_t *block, uint32_t length) {
    // A block longer than 256 bytes keeps its register going: past each 256
    // bytes the fixed part of the register has moved on by blockStep.
    uint32_t sum = 0;
    for (uint32_t done = 0; done < length; done += descrambleBlockSize) {
        uint32_t run = length - done < descrambleBlockSize ? length - done : descrambleBlockSize;
        sum = DescrambleRun(block + done, run, sum) + blockStep;
    }
    return length;
}

void DescrambleBody(uint8_t *body, size_t size) {
    // The register restarts at every 256 bytes into the body.
    for (size_t done = 0; done < size; done += descrambleBlockSize) {
        size_t run = size - done < descrambleBlockSize ? size - done : descrambleBlockSize;
        DescrambleRun(body + done, run, 0);
    }
}
