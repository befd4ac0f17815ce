// Undoing the byte scrambling of a received file's body.
#pragma once
#include <cstddef>
#include <cstdint>

// The scrambling restarts every this many bytes into the body.
constexpr size_t descrambleBlockSize = 256;

// Descrambles one block in place with a freshly started register; returns the
// number of bytes processed (always length).
uint32_t DescrambleBlock(uint8_t *block, uint32_t length);

// Descrambles a whole body in place, block by block.
void DescrambleBody(uint8_t *body, size_t size);
