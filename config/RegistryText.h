// What a registry query gave for a folder value, taken as text: plain C++,
// for the registry readers and the fuzz target.
#pragma once
#include <cstddef>
#include <cstdint>

// The largest size a reader offers: its buffer.
constexpr size_t RegistryTextLimit = 256;

// data and size: the value's bytes as the query delivered them, with
// offeredSize bytes offered (at most RegistryTextLimit count). Returns 1 and
// copies the value into buffer, terminated within offeredSize bytes, when it
// is a folder: not empty, and either shorter than offeredSize or ending with
// its terminator there. Otherwise 0, and buffer is left untouched. The
// value's type is not looked at.
int TakeRegistryText(const uint8_t *data, size_t size, size_t offeredSize, char *buffer);
